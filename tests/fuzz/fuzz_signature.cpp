// Any file as inspect reads a signature: a PKCS #7 structure on its own, the
// certificate table of a saver with the digest it vouches for, the signature
// stream and signed content of an installer package.
#include "installer/msi_package.h"
#include "saver/saver_file.h"
#include "signing/authenticode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SignatureFacts facts;
    ReadSignature(data, size, &facts);
    const std::vector<uint8_t> file(data, data + size);
    SaverParts parts;
    if (SplitSaverFile(file, &parts).empty() && parts.Signature.Kind == TableKind::EndsFile &&
        ReadProgramSignature(file, parts.Signature, &facts).empty())
        ProgramDigest(file, parts.Signature, facts.DigestAlgorithm);
    std::vector<uint8_t> signature, content;
    PackageSignature(file, &signature, &content);
    return 0;
}
