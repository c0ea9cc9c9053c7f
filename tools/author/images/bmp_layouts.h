// The BMP layouts a logo is packed in, the smallest of them for a picture, and
// the way back from any BMP file to its pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/bmp_format.h"

// In the order they are preferred when two files come out the same size.
enum class BmpLayout { Bits1, Bits4, Bits8, Rle4, Rle8, Bits24 };
constexpr BmpLayout AllBmpLayouts[] = {BmpLayout::Bits1, BmpLayout::Bits4, BmpLayout::Bits8,
                                       BmpLayout::Rle4,  BmpLayout::Rle8,  BmpLayout::Bits24};

// "1-bit", "RLE8", ...
const char* BmpLayoutName(BmpLayout layout);

// Any file's layout as people read it: "8-bit", "RLE4", "32-bit bit fields",
// "24-bit top-down".
std::string DescribeBmpLayout(const BmpInfo& info);

// A picture's colours: all of them counted, and when there are at most 256,
// each pixel's place in the list of them.
struct PictureColours {
    int64_t Count;
    std::vector<uint32_t> Palette;  // 0x00RRGGBB, ascending; empty beyond 256 colours
    std::vector<uint8_t> Indices;   // one a pixel, rows top-down
};

// `pixels` are 0x00RRGGBB values, rows top-down, as everywhere in the tool.
PictureColours IndexColours(int32_t width, int32_t height, const uint32_t* pixels);

// Whether the layout holds these colours exactly, on every Windows.
bool LayoutHolds(BmpLayout layout, const PictureColours& colours);

// The picture as a BMP file in a layout that holds its colours.
std::vector<uint8_t> EncodeBmpLayout(BmpLayout layout, int32_t width, int32_t height, const uint32_t* pixels,
                                     const PictureColours& colours);

struct PackedPicture {
    BmpLayout Layout;
    int64_t Colours;
    std::vector<uint8_t> Bmp;
};

// The smallest of the layouts that hold the picture; with `only24`, 24-bit.
PackedPicture PackPicture(int32_t width, int32_t height, const uint32_t* pixels, bool only24);

// The pixels of a BMP file that CheckBmp accepts, in rows top-down, as near as
// they can be told (a colour beyond the table, or a pixel that run-length codes
// leave undefined, is black). Returns empty when every pixel has one colour
// that every display shows as it is; otherwise why not, to read after "its
// pixels cannot be repacked: ".
std::string DecodeBmpPixels(const uint8_t* bytes, size_t size, std::vector<uint32_t>* pixels);

// How many colours a BMP file's pixels have; negative when DecodeBmpPixels
// cannot read them.
int64_t CountBmpColours(const uint8_t* bytes, size_t size);
