// Reading the pixels of any BMP file that the checks accept, for repacking it:
// only where every pixel has a colour that Windows shows as the file says.
#include <string>

#include "images/bmp_layouts.h"

namespace {

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint32_t Rgb(const uint8_t* blueFirst)
{
    return static_cast<uint32_t>(blueFirst[2]) << 16 | static_cast<uint32_t>(blueFirst[1]) << 8 | blueFirst[0];
}

struct Canvas {
    int64_t Width, Height;
    const std::vector<uint32_t>* Table;
    std::vector<uint32_t>* Pixels;  // rows top-down
    std::vector<bool> Written;
};

std::string BeyondTable(uint32_t index, size_t colours)
{
    return "a pixel takes colour " + std::to_string(index) + " of a colour table of " + std::to_string(colours);
}

// One pixel of a run-length piece at (x, line), line 0 being the bottom row.
std::string PutRunPixel(Canvas* canvas, int64_t* x, int64_t line, uint32_t index)
{
    if (line >= canvas->Height || *x >= canvas->Width)
        return "a run-length piece reaches past the end of its line or of the picture";
    if (index >= canvas->Table->size())
        return BeyondTable(index, canvas->Table->size());
    const size_t at = static_cast<size_t>((canvas->Height - 1 - line) * canvas->Width + *x);
    (*canvas->Pixels)[at] = (*canvas->Table)[index];
    canvas->Written[at] = true;
    ++*x;
    return std::string();
}

std::string DecodeRunLengths(const uint8_t* data, size_t size, bool fourBits, Canvas* canvas)
{
    const auto nibble = [fourBits](const uint8_t* bytes, int k) {
        return fourBits ? static_cast<uint32_t>(k % 2 ? bytes[k / 2] & 15 : bytes[k / 2] >> 4) : bytes[k];
    };
    int64_t x = 0, line = 0;
    std::string problem;
    for (size_t at = 0; at + 2 <= size && problem.empty();) {
        const uint8_t first = data[at], second = data[at + 1];
        at += 2;
        if (first > 0) {  // a run: the colour, or in 4 bits two alternating ones
            for (int k = 0; k < first && problem.empty(); ++k)
                problem = PutRunPixel(canvas, &x, line, fourBits ? nibble(&second, k % 2) : second);
        } else if (second == 0) {  // the end of a line
            x = 0, ++line;
        } else if (second == 1) {  // the end of the bitmap
            break;
        } else if (second == 2) {  // a move that leaves the pixels it passes as they were
            if (at + 2 > size)
                break;
            x += data[at], line += data[at + 1];
            at += 2;
        } else {  // absolute pixels, filled out to 16 bits
            const size_t bytes = fourBits ? (second + 1u) / 2 : second;
            if (bytes > size - at)
                return "its run-length data ends inside a piece";
            for (int k = 0; k < second && problem.empty(); ++k)
                problem = PutRunPixel(canvas, &x, line, nibble(data + at, k));
            at += (bytes + 1) / 2 * 2;
        }
    }
    if (!problem.empty())
        return problem;
    size_t undefined = 0;
    for (bool written : canvas->Written)
        undefined += !written;
    if (undefined > 0)
        return "its run-length codes leave " + std::to_string(undefined) + " of its pixels undefined";
    return std::string();
}

}  // namespace

std::string DecodeBmpPixels(const uint8_t* bytes, size_t size, std::vector<uint32_t>* pixels)
{
    BmpInfo info;
    if (CheckBmp(bytes, size, &info) != BmpFault::None)
        return "it is not a sound BMP file";
    if (info.BitCount == 16)
        return "each display widens 16-bit colours to 24 bits in its own way";
    if (info.Compression == BmpCompressionBitfields &&
        (ReadU32(bytes + 54) != 0xFF0000 || ReadU32(bytes + 58) != 0xFF00 || ReadU32(bytes + 62) != 0xFF))
        return "its colour masks are not a byte each of red, green and blue";

    const uint32_t headerSize = ReadU32(bytes + 14);
    const size_t entrySize = headerSize == 12 ? 3 : 4;  // the oldest header's colours have no fourth byte
    std::vector<uint32_t> table;
    if (info.BitCount <= 8)
        for (size_t at = 14 + headerSize; at + entrySize <= 14 + size_t(info.InfoSize); at += entrySize)
            table.push_back(Rgb(bytes + at));

    const int64_t width = info.Width, height = info.Height;
    pixels->assign(static_cast<size_t>(width * height), 0);
    Canvas canvas = {width, height, &table, pixels, std::vector<bool>(pixels->size(), false)};
    const uint8_t* data = bytes + info.PixelOffset;
    if (info.Compression == BmpCompressionRle8 || info.Compression == BmpCompressionRle4)
        return DecodeRunLengths(data, ReadU32(bytes + 34), info.Compression == BmpCompressionRle4, &canvas);

    const int32_t bits = info.BitCount;
    const size_t stride = BmpStride(info.Width, bits);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = data + static_cast<size_t>(info.TopDown ? y : height - 1 - y) * stride;
        for (int64_t x = 0; x < width; ++x) {
            uint32_t& pixel = (*pixels)[static_cast<size_t>(y * width + x)];
            if (bits >= 24) {
                pixel = Rgb(row + x * (bits / 8));
                continue;
            }
            const int64_t bit = x * bits;  // the leftmost pixel sits in a byte's high bits
            const uint32_t index = row[bit / 8] >> (8 - bits - bit % 8) & ((1u << bits) - 1);
            if (index >= table.size())
                return BeyondTable(index, table.size());
            pixel = table[index];
        }
    }
    return std::string();
}

int64_t CountBmpColours(const uint8_t* bytes, size_t size)
{
    std::vector<uint32_t> pixels;
    if (!DecodeBmpPixels(bytes, size, &pixels).empty())
        return -1;
    BmpInfo info;
    CheckBmp(bytes, size, &info);
    return IndexColours(info.Width, info.Height, pixels.data()).Count;
}
