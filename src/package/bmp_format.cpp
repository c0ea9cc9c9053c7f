// BMP header checks for every layout the Windows loader accepts.
#include "package/bmp_format.h"

#include <cstring>

namespace {

constexpr uint32_t FileHeaderSize = 14;
constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;

constexpr uint32_t CompressionRgb = BmpCompressionRgb;
constexpr uint32_t CompressionRle8 = BmpCompressionRle8;
constexpr uint32_t CompressionRle4 = BmpCompressionRle4;
constexpr uint32_t CompressionBitfields = BmpCompressionBitfields;

constexpr uint32_t AcceptedHeaderSizes[] = {CoreHeaderSize, InfoHeaderSize, 52, 56, 108, 124};

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

bool BitCountAllowed(uint32_t bitCount, bool core)
{
    switch (bitCount) {
    case 1: case 4: case 8: case 24: return true;
    case 16: case 32: return !core;
    default: return false;
    }
}

bool CompressionAllowed(uint32_t compression, uint32_t bitCount)
{
    switch (compression) {
    case CompressionRgb: return true;
    case CompressionRle8: return bitCount == 8;
    case CompressionRle4: return bitCount == 4;
    case CompressionBitfields: return bitCount == 16 || bitCount == 32;
    default: return false;  // JPEG and PNG inside a BMP are not for the display loader
    }
}

}  // namespace

BmpFault CheckBmp(const uint8_t* bytes, size_t size, BmpInfo* info)
{
    if (size < FileHeaderSize + 4)
        return BmpFault::TooShort;
    if (bytes[0] != 'B' || bytes[1] != 'M')
        return BmpFault::NotBmp;

    const uint32_t pixelOffset = ReadU32(bytes + 10);
    const uint32_t headerSize = ReadU32(bytes + FileHeaderSize);
    bool knownHeader = false;
    for (uint32_t accepted : AcceptedHeaderSizes)
        knownHeader = knownHeader || headerSize == accepted;
    if (!knownHeader)
        return BmpFault::BadHeaderSize;
    if (size < FileHeaderSize + headerSize)
        return BmpFault::TooShort;

    const uint8_t* header = bytes + FileHeaderSize;
    const bool core = headerSize == CoreHeaderSize;
    int64_t width, height;
    uint32_t planes, bitCount, compression = CompressionRgb, coloursUsed = 0;
    if (core) {
        width = ReadU16(header + 4);
        height = ReadU16(header + 6);
        planes = ReadU16(header + 8);
        bitCount = ReadU16(header + 10);
    } else {
        width = static_cast<int32_t>(ReadU32(header + 4));
        height = static_cast<int32_t>(ReadU32(header + 8));
        planes = ReadU16(header + 12);
        bitCount = ReadU16(header + 14);
        compression = ReadU32(header + 16);
        coloursUsed = ReadU32(header + 32);
    }

    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0)
        return BmpFault::BadDimensions;
    if (width > MaximumBmpSide || height > MaximumBmpSide || width * height > MaximumBmpPixels)
        return BmpFault::TooLarge;
    if (planes != 1)
        return BmpFault::BadPlanes;
    if (!BitCountAllowed(bitCount, core))
        return BmpFault::BadBitCount;
    if (!CompressionAllowed(compression, bitCount) ||
        (topDown && compression != CompressionRgb && compression != CompressionBitfields))
        return BmpFault::BadCompression;

    // Colour masks follow a plain info header; the larger headers hold them inside.
    uint64_t tableStart = FileHeaderSize + headerSize;
    if (headerSize == InfoHeaderSize && compression == CompressionBitfields)
        tableStart += 12;
    uint64_t paletteEntries = 0;
    if (bitCount <= 8) {
        const uint32_t fullPalette = 1u << bitCount;
        if (coloursUsed > fullPalette)
            return BmpFault::BadPalette;
        paletteEntries = coloursUsed ? coloursUsed : fullPalette;
    }
    const uint64_t tableEnd = tableStart + paletteEntries * (core ? 3 : 4);
    if (tableEnd > size)
        return BmpFault::BadPalette;

    if (pixelOffset < FileHeaderSize + headerSize || pixelOffset >= size)
        return BmpFault::BadPixelOffset;
    if (compression == CompressionRgb || compression == CompressionBitfields) {
        const uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
        if (pixelOffset + stride * static_cast<uint64_t>(height) > size)
            return BmpFault::PixelsTruncated;
    } else {
        // A run-length decoder stops at the stated size, so it must be stated and inside the file.
        const uint32_t compressedSize = ReadU32(header + 20);
        if (compressedSize == 0 || static_cast<uint64_t>(pixelOffset) + compressedSize > size)
            return BmpFault::BadCompressedSize;
    }

    if (info) {
        info->Width = static_cast<int32_t>(width);
        info->Height = static_cast<int32_t>(height);
        info->BitCount = static_cast<int32_t>(bitCount);
        info->Compression = compression;
        info->TopDown = topDown;
        info->InfoSize = static_cast<uint32_t>(tableEnd - FileHeaderSize);
        info->PixelOffset = pixelOffset;
    }
    return BmpFault::None;
}

const char* DescribeBmpFault(BmpFault fault)
{
    switch (fault) {
    case BmpFault::None: return "a sound BMP file";
    case BmpFault::TooShort: return "the file ends inside its BMP headers";
    case BmpFault::NotBmp: return "not a BMP file (it does not start with \"BM\")";
    case BmpFault::BadHeaderSize: return "unknown BMP header size";
    case BmpFault::BadDimensions: return "the picture has no width or no height";
    case BmpFault::TooLarge: return "the picture is too large (at most 32767 pixels a side and 32 million pixels)";
    case BmpFault::BadPlanes: return "the BMP header's plane count is not 1";
    case BmpFault::BadBitCount: return "unsupported bits per pixel";
    case BmpFault::BadCompression: return "unsupported BMP compression";
    case BmpFault::BadPalette: return "the colour table does not fit in the file";
    case BmpFault::BadPixelOffset: return "the pixel data offset lies outside the file";
    case BmpFault::PixelsTruncated: return "the file ends before its last row of pixels";
    case BmpFault::BadCompressedSize: return "the compressed pixel data's size is missing or reaches past the file";
    }
    return "unknown fault";
}
