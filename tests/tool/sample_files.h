// The tool tests' inputs, made here: a small Windows program with a string table
// as the runtime has one, PNG files written without the tool's decoder, and
// pictures of many colours.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace samples {
using Bytes = std::vector<uint8_t>;
inline void Put(Bytes& b, size_t at, uint32_t v, int n = 4) { for (int i = 0; i < n; ++i) b[at + i] = uint8_t(v >> 8 * i); }
inline void PutBig(Bytes& b, uint32_t v) { for (int i = 3; i >= 0; --i) b.push_back(uint8_t(v >> 8 * i)); }

struct ProgramShape { uint16_t Machine = 0x014C; int Languages = 1; uint16_t FirstString = 0, NameLength = 60; uint32_t StringType = 6; };
constexpr size_t SectionFileOffset = 0x200;

// A PE32 (PE32+ for x64) image, one resource section: type → block 1 → one entry per language → a string block whose
// string 1 is NameLength spaces, padded to 512 bytes. `slots` receives where each language's string 1 characters start.
inline Bytes MakeProgram(const ProgramShape& shape, std::vector<size_t>* slots = nullptr)
{
    const bool wide = shape.Machine == 0x8664;
    const uint32_t optional = 0x58, optionalSize = wide ? 240 : 224, languages = uint32_t(shape.Languages), base = SectionFileOffset;
    const uint32_t dataEntries = 64 + 8 * languages, blocks = dataEntries + 16 * languages, section = optional + optionalSize;
    const uint32_t blockBytes = 2 * (16 + shape.FirstString + shape.NameLength), size = blocks + blockBytes * languages;
    const uint32_t directory = optional + (wide ? 112 : 96) + 16;  // the resource directory's entry
    Bytes file(base + ((size + 0x1FF) & ~0x1FFu), 0);
    file[0] = 'M', file[1] = 'Z', file[0x40] = 'P', file[0x41] = 'E';
    std::memcpy(&file[section], ".rsrc", 5);
    for (auto [at, value] : {std::pair{0x3Cu, 0x40u}, {optional + (wide ? 108 : 92), 16}, {directory, 0x1000}, {directory + 4, size},
             {section + 8, size}, {section + 12, 0x1000}, {section + 16, uint32_t(file.size()) - base}, {section + 20, base},
             {base + 16, shape.StringType}, {base + 20, 0x80000018}, {base + 24 + 16, 1}, {base + 24 + 20, 0x80000030}})
        Put(file, at, value);
    for (auto [at, value] : {std::pair{0x44u, uint32_t(shape.Machine)}, {0x46, 1}, {0x54, optionalSize}, {optional, wide ? 0x20Bu : 0x10B},
                             {base + 14, 1}, {base + 24 + 14, 1}, {base + 48 + 14, languages}})
        Put(file, at, value, 2);
    for (uint32_t i = 0; i < languages; ++i) {
        const uint32_t block = blocks + blockBytes * i;
        for (auto [at, value] : {std::pair{64 + 8 * i, 0x409 + i}, {68 + 8 * i, dataEntries + 16 * i},
                                 {dataEntries + 16 * i, 0x1000 + block}, {dataEntries + 16 * i + 4, blockBytes}})
            Put(file, base + at, value);
        size_t at = base + block;
        Put(file, at, shape.FirstString, 2);
        for (uint16_t c = 0; c < shape.FirstString; ++c) Put(file, at + 2 + 2u * c, 'A', 2);
        Put(file, at += 2 + 2u * shape.FirstString, shape.NameLength, 2);
        if (slots) slots->push_back(at);
        for (uint16_t c = 0; c < shape.NameLength; ++c) Put(file, at + 2 + 2u * c, ' ', 2);
    }
    return file;
}

// For pictures of many colours: a well-mixed number from a pixel's place, and colours distinct for every k below 2^24 (0
// is black).
inline uint32_t Scatter(uint32_t n) { n = (n ^ n >> 16) * 0x85EBCA6Bu, n = (n ^ n >> 13) * 0xC2B2AE35u; return n ^ n >> 16; }
inline uint32_t NthColour(uint32_t k) { return k * 0x9E3779u & 0xFFFFFF; }

struct Rgba { uint8_t R, G, B, A; };

// An 8-bit RGBA PNG, its unfiltered rows (under 64 KiB in all) in one stored (uncompressed) deflate block.
inline Bytes EncodePng(int width, int height, const std::vector<Rgba>& pixels)
{
    Bytes raw, header, png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (int i = 0; i < width * height; ++i) {
        if (i % width == 0) raw.push_back(0);
        raw.insert(raw.end(), {pixels[size_t(i)].R, pixels[size_t(i)].G, pixels[size_t(i)].B, pixels[size_t(i)].A});
    }
    const size_t n = raw.size();
    Bytes zlib = {0x78, 0x01, 1, uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)};
    zlib.insert(zlib.end(), raw.begin(), raw.end());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    PutBig(zlib, b << 16 | a), PutBig(header, uint32_t(width)), PutBig(header, uint32_t(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter choice, not interlaced
    for (auto [type, data] : {std::pair{"IHDR", header}, {"IDAT", zlib}, {"IEND", Bytes{}}}) {
        PutBig(png, uint32_t(data.size()));
        png.insert(png.end(), type, type + 4), png.insert(png.end(), data.begin(), data.end());
        uint32_t crc = ~0u;  // over the type and the data
        for (size_t i = png.size() - data.size() - 4; i < png.size(); ++i) {
            crc ^= png[i];
            for (int k = 0; k < 8; ++k) crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        PutBig(png, ~crc);
    }
    return png;
}
}  // namespace samples
