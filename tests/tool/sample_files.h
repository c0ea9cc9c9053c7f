// Files for the authoring tool's tests: a small Windows program with a string
// table (as the runtime has one), and PNG files, written here without the
// library that the tool decodes them with.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace samples {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void Put32(Bytes& b, size_t at, uint32_t v)
{
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

struct ProgramShape {
    uint16_t Machine = 0x014C;               // x86; 0x8664 for x64
    int Languages = 1;                       // string table copies
    uint16_t FirstString = 0;                // length of string 0
    uint16_t NameLength = 60;                // length of string 1
    uint32_t StringType = 6;                 // RT_STRING; anything else hides the table
};

constexpr size_t SectionFileOffset = 0x200;
constexpr uint32_t SectionRva = 0x1000;

// A PE32 or PE32+ image with one resource section: type → block 1 → one entry
// per language → a string block whose string 1 is NameLength spaces. Padding
// to a 512-byte boundary follows, as linkers leave it. `slots` receives where
// each language's string 1 characters start.
inline Bytes MakeProgram(const ProgramShape& shape, std::vector<size_t>* slots = nullptr)
{
    const bool wide = shape.Machine == 0x8664;
    const uint32_t optionalSize = wide ? 240 : 224;
    const uint32_t languages = static_cast<uint32_t>(shape.Languages);
    // Resource section layout, offsets from its start.
    const uint32_t typeDir = 0, blockDir = 24, languageDir = 48;
    const uint32_t dataEntries = languageDir + 16 + 8 * languages;
    const uint32_t blockBytes = 2 * (16 + shape.FirstString + shape.NameLength);
    const uint32_t blocks = dataEntries + 16 * languages;
    const uint32_t sectionSize = blocks + blockBytes * languages;
    const uint32_t rawSize = (sectionSize + 0x1FF) & ~0x1FFu;

    Bytes file(SectionFileOffset + rawSize, 0);
    file[0] = 'M', file[1] = 'Z';
    Put32(file, 0x3C, 0x40);
    std::memcpy(&file[0x40], "PE\0\0", 4);
    Put16(file, 0x44, shape.Machine);
    Put16(file, 0x46, 1);
    Put16(file, 0x54, optionalSize);
    const size_t optional = 0x58;
    Put16(file, optional, wide ? 0x20B : 0x10B);
    Put32(file, optional + (wide ? 108 : 92), 16);
    const size_t resourceEntry = optional + (wide ? 112 : 96) + 2 * 8;
    Put32(file, resourceEntry, SectionRva);
    Put32(file, resourceEntry + 4, sectionSize);
    const size_t section = optional + optionalSize;
    std::memcpy(&file[section], ".rsrc\0\0\0", 8);
    Put32(file, section + 8, sectionSize);
    Put32(file, section + 12, SectionRva);
    Put32(file, section + 16, rawSize);
    Put32(file, section + 20, SectionFileOffset);

    const size_t base = SectionFileOffset;
    Put16(file, base + typeDir + 14, 1);
    Put32(file, base + typeDir + 16, shape.StringType);
    Put32(file, base + typeDir + 20, 0x80000000u | blockDir);
    Put16(file, base + blockDir + 14, 1);
    Put32(file, base + blockDir + 16, 1);
    Put32(file, base + blockDir + 20, 0x80000000u | languageDir);
    Put16(file, base + languageDir + 14, static_cast<uint16_t>(languages));
    if (slots)
        slots->clear();
    for (uint32_t i = 0; i < languages; ++i) {
        Put32(file, base + languageDir + 16 + 8 * i, 0x409 + i);
        Put32(file, base + languageDir + 20 + 8 * i, dataEntries + 16 * i);
        const uint32_t block = blocks + blockBytes * i;
        Put32(file, base + dataEntries + 16 * i, SectionRva + block);
        Put32(file, base + dataEntries + 16 * i + 4, blockBytes);
        size_t at = base + block;
        Put16(file, at, shape.FirstString);
        for (uint16_t c = 0; c < shape.FirstString; ++c)
            Put16(file, at + 2 + 2u * c, 'A');
        at += 2 + 2u * shape.FirstString;
        Put16(file, at, shape.NameLength);
        if (slots)
            slots->push_back(at + 2);
        for (uint16_t c = 0; c < shape.NameLength; ++c)
            Put16(file, at + 2 + 2u * c, ' ');
    }
    return file;
}

// The display name at `slot`, as ASCII, trailing spaces kept.
inline std::string NameAt(const Bytes& file, size_t slot)
{
    std::string name;
    for (size_t i = 0; i < 60; ++i)
        name += static_cast<char>(file[slot + 2 * i]);
    return name;
}

struct Rgba {
    uint8_t R, G, B, A;
};

inline uint32_t Crc32(const uint8_t* bytes, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

// Recomputes the CRC of the chunk starting at `at`, after a test changed it.
inline void SealChunk(Bytes& png, size_t at)
{
    const uint32_t length = uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
    const uint32_t crc = Crc32(&png[at + 4], length + 4);
    for (int i = 0; i < 4; ++i)
        png[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
}

inline void PutBig32(Bytes& b, uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void AppendChunk(Bytes& png, const char* type, const Bytes& data)
{
    PutBig32(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBig32(png, Crc32(&png[start], data.size() + 4));
}

// An 8-bit RGBA PNG, its rows unfiltered in stored (uncompressed) deflate blocks.
inline Bytes EncodePng(int width, int height, const std::vector<Rgba>& pixels)
{
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            const Rgba& p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            raw.insert(raw.end(), {p.R, p.G, p.B, p.A});
        }
    }
    Bytes zlib = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0;) {
        const size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        zlib.push_back(at + length == raw.size() ? 1 : 0);
        zlib.insert(zlib.end(), {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                                 static_cast<uint8_t>(~length), static_cast<uint8_t>(~length >> 8)});
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                    raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
        if (length == 0)
            break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw)
        a = (a + byte) % 65521, b = (b + a) % 65521;
    PutBig32(zlib, b << 16 | a);

    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBig32(header, static_cast<uint32_t>(width));
    PutBig32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter choice, not interlaced
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", zlib);
    AppendChunk(png, "IEND", {});
    return png;
}

}  // namespace samples
