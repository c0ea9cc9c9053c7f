// Reading the Authenticode signature of a saver or an installer package: who
// signed it, when the signing certificate is valid, and whether the digest it
// vouches for is still the file's own. Nothing here checks the signature's
// cryptography or its chain of trust; Windows does that.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "digests.h"
#include "package/package_location.h"

struct SignatureFacts {
    std::string Signer;           // the signing certificate's subject: "CN=..., O=..."
    std::string DigestAlgorithm;  // "SHA-256", "SHA-1", or the algorithm's object identifier
    std::vector<uint8_t> Digest;  // the file's digest, as signed
    int64_t NotBefore, NotAfter;  // the signing certificate's validity, in seconds since 1970
};

// Reads a PKCS #7 signed-data structure (DER) as Authenticode makes it. Why
// it cannot be read, or empty.
std::string ReadSignature(const uint8_t* der, size_t size, SignatureFacts* facts);

// `bytes` digested with the signature's algorithm; empty for one this tool does not compute.
std::vector<uint8_t> DigestWith(const std::string& algorithm, const std::vector<uint8_t>& bytes);

// A signed program's first certificate and the digest Authenticode takes of
// it: every byte before the certificate table but the checksum and the
// security directory's entry. The table must end the file; empty for a table
// that begins inside the headers, or an algorithm not computed here.
std::string ReadProgramSignature(const std::vector<uint8_t>& file, const CertificateTable& table,
                                 SignatureFacts* facts);
std::vector<uint8_t> ProgramDigest(const std::vector<uint8_t>& file, const CertificateTable& table,
                                   const std::string& algorithm);

// How a certificate's validity reads: "2026-12-31 23:59:59 UTC".
std::string FormatTime(int64_t secondsSince1970);
