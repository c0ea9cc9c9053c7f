// Turning the file a person gives as a logo into the BMP that the package
// carries: a BMP is checked and kept byte for byte unless it is to be
// repacked; a PNG is decoded, its transparency flattened with a key colour,
// and packed in the smallest BMP layout that holds its pixels exactly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/bmp_format.h"

enum class LogoFormat { Unknown, Bmp, Png };

// By the file's first bytes, whatever its name says.
LogoFormat DetectLogoFormat(const std::vector<uint8_t>& bytes);

// The CRC-32 that guards each PNG chunk (of its type and data).
uint32_t PngChunkCrc(const uint8_t* bytes, size_t size);

struct PngChunkSpan {
    size_t Offset, Size;  // the whole chunk: length, type, data, CRC
    std::string Type;
};

// The checks that the decoder leaves out: every chunk inside the file, IHDR
// first, IEND present, a size a BMP can take, and a matching CRC for every
// critical chunk. Ancillary chunks (tEXt, gAMA, ...) whose CRC fails are
// listed in `damaged`, for the decoder to go without, as other readers do.
// Empty when sound.
std::string PngStructureProblem(const uint8_t* bytes, size_t size, std::vector<PngChunkSpan>* damaged);

struct RgbaPicture {
    int32_t Width;
    int32_t Height;
    std::vector<uint8_t> Rgba;  // rows top-down, four bytes a pixel
};

bool DecodePng(const uint8_t* bytes, size_t size, RgbaPicture* picture, std::string* problem);

// What becomes of the transparent colour.
struct KeyChoice {
    bool Given;     // by the person; otherwise the tool picks one when it needs one
    int32_t Colour; // COLORREF 0x00BBGGRR, negative for none
};

struct FlatLogo {
    std::vector<uint32_t> Pixels;  // 0x00RRGGBB, rows top-down
    int32_t TransparentColor;      // COLORREF for the trailer, negative for none
    bool KeyPicked;
    int TransparentPixels;
    int BlendedPixels;             // that took some or all of the background colour
};

// Fully transparent pixels take the key colour (or the background colour when
// the key is "none"); partly transparent ones are blended onto the background,
// each channel (colour × alpha + background × (255 − alpha)) / 255, rounded.
// A key that a visible pixel also has would punch a hole into the logo, so a
// given one is refused and a picked one is a colour no visible pixel has
// (#FF00FF when free). Empty when sound.
std::string FlattenPicture(const RgbaPicture& picture, uint32_t backgroundColor, KeyChoice key, FlatLogo* logo);

// How the pixels are packed: the smallest layout, or 24-bit as tools that
// know only that one expect; a BMP anew only when asked to.
struct LogoPacking {
    bool Only24;
    bool Repack;
};

struct PreparedLogo {
    LogoFormat Format;
    std::vector<uint8_t> Bmp;      // what the package carries
    BmpInfo Info;
    int32_t TransparentColor;      // for the trailer: the given one, or as FlattenPicture decided
    bool KeyPicked;
    std::vector<std::string> Warnings;  // what was left out of the file, reading after its name
    int64_t Colours;               // negative when the pixels could not be read
    std::string GivenLayout;       // a BMP's layout as it came
    bool Repacked;
    std::string KeptBecause;       // why a BMP to be repacked was kept as it was
};

// The whole way from a logo file's bytes to the package's BMP. The problem
// (empty when sound) reads after the file's name: "is not a BMP or PNG file".
// A BMP that is repacked keeps its bytes when no layout makes it smaller or
// its pixels are not all exact colours.
std::string PrepareLogo(const std::vector<uint8_t>& bytes, uint32_t backgroundColor, KeyChoice key,
                        LogoPacking packing, PreparedLogo* logo);

// "1200 x 1200, 182 colours, packed as RLE8: 41,668 bytes".
std::string DescribePackedLogo(const PreparedLogo& logo);

// "41,668 bytes", "182 colours".
std::string FormatByteCount(uint64_t bytes);
std::string FormatColourCount(int64_t colours);
