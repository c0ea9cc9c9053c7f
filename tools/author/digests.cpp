// Both digests take the message in 64-byte blocks of big-endian words, padded
// the same way; they differ in their rounds.
#include "digests.h"

#include <cstring>
#include <vector>

namespace {

uint32_t RotateLeft(uint32_t value, int bits) { return value << bits | value >> (32 - bits); }
uint32_t RotateRight(uint32_t value, int bits) { return value >> bits | value << (32 - bits); }

// The message, a 1 bit, zeros, and its length in bits, in 64-byte blocks.
std::vector<uint8_t> Padded(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> message(data, data + size);
    message.push_back(0x80);
    while (message.size() % 64 != 56)
        message.push_back(0);
    for (int shift = 56; shift >= 0; shift -= 8)
        message.push_back(static_cast<uint8_t>(static_cast<uint64_t>(size) * 8 >> shift));
    return message;
}

// Block `block`'s sixteen words, then room for the rest of the schedule.
void ReadWords(const std::vector<uint8_t>& message, size_t block, uint32_t* w)
{
    for (size_t i = 0; i < 16; ++i) {
        const uint8_t* b = &message[block + 4 * i];
        w[i] = uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
    }
}

template <size_t Words> std::array<uint8_t, Words * 4> BigEndian(const uint32_t (&state)[Words])
{
    std::array<uint8_t, Words * 4> digest;
    for (size_t i = 0; i < digest.size(); ++i)
        digest[i] = static_cast<uint8_t>(state[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

}  // namespace

Sha1Digest Sha1(const uint8_t* data, size_t size)
{
    uint32_t state[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    const std::vector<uint8_t> message = Padded(data, size);
    for (size_t block = 0; block < message.size(); block += 64) {
        uint32_t w[80];
        ReadWords(message, block, w);
        for (int i = 16; i < 80; ++i)
            w[i] = RotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
        for (int i = 0; i < 80; ++i) {
            const uint32_t f = i < 20 ? (b & c) | (~b & d) : i < 40 || i >= 60 ? b ^ c ^ d : (b & c) | (b & d) | (c & d);
            const uint32_t k = i < 20 ? 0x5A827999 : i < 40 ? 0x6ED9EBA1 : i < 60 ? 0x8F1BBCDC : 0xCA62C1D6;
            const uint32_t next = RotateLeft(a, 5) + f + e + k + w[i];
            e = d, d = c, c = RotateLeft(b, 30), b = a, a = next;
        }
        state[0] += a, state[1] += b, state[2] += c, state[3] += d, state[4] += e;
    }
    return BigEndian(state);
}

Sha256Digest Sha256(const uint8_t* data, size_t size)
{
    static const uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5, 0xd807aa98,
        0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786,
        0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8,
        0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13,
        0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819,
        0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a,
        0x5b9cca4f, 0x682e6ff3, 0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
        0xc67178f2};
    uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const std::vector<uint8_t> message = Padded(data, size);
    for (size_t block = 0; block < message.size(); block += 64) {
        uint32_t w[64];
        ReadWords(message, block, w);
        for (int i = 16; i < 64; ++i)
            w[i] = w[i - 16] + (RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ w[i - 15] >> 3) + w[i - 7] +
                   (RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ w[i - 2] >> 10);
        uint32_t v[8];
        std::memcpy(v, state, sizeof v);
        for (int i = 0; i < 64; ++i) {
            const uint32_t t1 = v[7] + (RotateRight(v[4], 6) ^ RotateRight(v[4], 11) ^ RotateRight(v[4], 25)) +
                                ((v[4] & v[5]) ^ (~v[4] & v[6])) + k[i] + w[i];
            const uint32_t t2 = (RotateRight(v[0], 2) ^ RotateRight(v[0], 13) ^ RotateRight(v[0], 22)) +
                                ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
            std::memmove(v + 1, v, 7 * sizeof v[0]);
            v[4] += t1;
            v[0] = t1 + t2;
        }
        for (int i = 0; i < 8; ++i)
            state[i] += v[i];
    }
    return BigEndian(state);
}
