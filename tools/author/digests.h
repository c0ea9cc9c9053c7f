// SHA-1, for the name-based codes of installer packages, and SHA-256, for
// the digests that signatures vouch for.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using Sha1Digest = std::array<uint8_t, 20>;
Sha1Digest Sha1(const uint8_t* data, size_t size);

using Sha256Digest = std::array<uint8_t, 32>;
Sha256Digest Sha256(const uint8_t* data, size_t size);
