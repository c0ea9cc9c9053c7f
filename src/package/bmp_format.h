// Checking a BMP file held in memory before anything decodes it, and writing
// the headers of one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class BmpFault {
    None,
    TooShort,
    NotBmp,
    BadHeaderSize,
    BadDimensions,
    TooLarge,
    BadPlanes,
    BadBitCount,
    BadCompression,
    BadPalette,
    BadPixelOffset,
    PixelsTruncated,
    BadCompressedSize,
};

// biCompression values.
constexpr uint32_t BmpCompressionRgb = 0;
constexpr uint32_t BmpCompressionRle8 = 1;
constexpr uint32_t BmpCompressionRle4 = 2;
constexpr uint32_t BmpCompressionBitfields = 3;

struct BmpInfo {
    int32_t Width;
    int32_t Height;      // always positive; TopDown tells the row order
    int32_t BitCount;
    uint32_t Compression;
    bool TopDown;
    uint32_t InfoSize;      // bytes from the info header to the end of the colour table
    uint32_t PixelOffset;   // where the pixels start in the file
};

// The largest InfoSize: the biggest header, three colour masks, 256 colours.
constexpr uint32_t MaximumBmpInfoSize = 124 + 12 + 256 * 4;

// Logos larger than this are refused: they would need hundreds of megabytes
// once decoded at display depth.
constexpr int64_t MaximumBmpPixels = int64_t(1) << 25;
constexpr int32_t MaximumBmpSide = 32767;

// Checks that every header field and offset lies inside the `size` bytes.
// On success fills `info` (when given) and returns BmpFault::None.
BmpFault CheckBmp(const uint8_t* bytes, size_t size, BmpInfo* info);

// A short sentence for each fault, for people who made the file.
const char* DescribeBmpFault(BmpFault fault);

// The file and info headers of a bottom-up BMP file, followed by zeros for a
// colour table of `colours` entries and `pixelBytes` bytes of pixels.
std::vector<uint8_t> StartBmpFile(int32_t width, int32_t height, int32_t bitCount, uint32_t compression,
                                  uint32_t colours, uint32_t pixelBytes);

// Bytes in each uncompressed row: whole 32-bit words.
uint32_t BmpStride(int32_t width, int32_t bitCount);

// A bottom-up 24-bit BMP file of `width` × `height` pixels from top-down rows
// of 0x00RRGGBB values.
std::vector<uint8_t> EncodeBmp24(int32_t width, int32_t height, const uint32_t* pixels);
