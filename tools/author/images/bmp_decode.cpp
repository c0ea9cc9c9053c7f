// Reading the pixels of any BMP file that the checks accept: exactly, for
// repacking it, where every pixel has a colour that Windows shows as the file
// says; as near as can be told otherwise, for counting colours.
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
    std::string Inexact;  // the first reason why some pixel is not exactly as shown
};

void NoteInexact(Canvas* canvas, const std::string& why)
{
    if (canvas->Inexact.empty())
        canvas->Inexact = why;
}

// A colour table's entry; black, as displays show it, for one beyond the table.
uint32_t ColourAt(Canvas* canvas, uint32_t index)
{
    if (index < canvas->Table->size())
        return (*canvas->Table)[index];
    NoteInexact(canvas, "a pixel takes colour " + std::to_string(index) + " of a colour table of " +
                            std::to_string(canvas->Table->size()));
    return 0;
}

// One channel of a 16- or 32-bit pixel under its mask, scaled to 0 ... 255.
uint32_t Channel(uint32_t pixel, uint32_t mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!(mask >> shift & 1))
        ++shift;
    const uint64_t largest = mask >> shift, value = (pixel & mask) >> shift;
    return static_cast<uint32_t>((value * 255 + largest / 2) / largest);
}

// One pixel of a run-length piece at (x, line), line 0 being the bottom row;
// a pixel outside the picture is left out.
void PutRunPixel(Canvas* canvas, int64_t* x, int64_t line, uint32_t index)
{
    if (line >= canvas->Height || *x >= canvas->Width) {
        NoteInexact(canvas, "a run-length piece reaches past the end of its line or of the picture");
    } else {
        const size_t at = static_cast<size_t>((canvas->Height - 1 - line) * canvas->Width + *x);
        (*canvas->Pixels)[at] = ColourAt(canvas, index);
        canvas->Written[at] = true;
    }
    ++*x;
}

void DecodeRunLengths(const uint8_t* data, size_t size, bool fourBits, Canvas* canvas)
{
    const auto nibble = [fourBits](const uint8_t* bytes, int k) {
        return fourBits ? static_cast<uint32_t>(k % 2 ? bytes[k / 2] & 15 : bytes[k / 2] >> 4) : bytes[k];
    };
    int64_t x = 0, line = 0;
    for (size_t at = 0; at + 2 <= size;) {
        const uint8_t first = data[at], second = data[at + 1];
        at += 2;
        if (first > 0) {  // a run: the colour, or in 4 bits two alternating ones
            for (int k = 0; k < first; ++k)
                PutRunPixel(canvas, &x, line, fourBits ? nibble(&second, k % 2) : second);
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
            if (bytes > size - at) {
                NoteInexact(canvas, "its run-length data ends inside a piece");
                break;
            }
            for (int k = 0; k < second; ++k)
                PutRunPixel(canvas, &x, line, nibble(data + at, k));
            at += (bytes + 1) / 2 * 2;
        }
    }
    size_t undefined = 0;
    for (bool written : canvas->Written)
        undefined += !written;
    if (undefined > 0)
        NoteInexact(canvas, "its run-length codes leave " + std::to_string(undefined) + " of its pixels undefined");
}

}  // namespace

std::string DecodeBmpPixels(const uint8_t* bytes, size_t size, std::vector<uint32_t>* pixels)
{
    BmpInfo info;
    pixels->clear();
    if (CheckBmp(bytes, size, &info) != BmpFault::None)
        return "it is not a sound BMP file";
    const int64_t width = info.Width, height = info.Height;
    std::vector<uint32_t> table;
    pixels->assign(static_cast<size_t>(width * height), 0);
    Canvas canvas = {width, height, &table, pixels, std::vector<bool>(pixels->size(), false), std::string()};

    const int32_t bits = info.BitCount;
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // 16 bits without masks: 5-5-5
    if (bits == 16)
        NoteInexact(&canvas, "each display widens 16-bit colours to 24 bits in its own way");
    if (info.Compression == BmpCompressionBitfields) {
        for (int i = 0; i < 3; ++i)  // after a plain info header, or inside a larger one: at the same place
            masks[i] = ReadU32(bytes + 54 + 4 * i);
        if (bits == 32 && (masks[0] != 0xFF0000 || masks[1] != 0xFF00 || masks[2] != 0xFF))
            NoteInexact(&canvas, "its colour masks are not a byte each of red, green and blue");
    }

    const uint32_t headerSize = ReadU32(bytes + 14);
    const size_t entrySize = headerSize == 12 ? 3 : 4;  // the oldest header's colours have no fourth byte
    if (bits <= 8)
        for (size_t at = 14 + headerSize; at + entrySize <= 14 + size_t(info.InfoSize); at += entrySize)
            table.push_back(Rgb(bytes + at));

    const uint8_t* data = bytes + info.PixelOffset;
    if (info.Compression == BmpCompressionRle8 || info.Compression == BmpCompressionRle4) {
        DecodeRunLengths(data, ReadU32(bytes + 34), info.Compression == BmpCompressionRle4, &canvas);
        return canvas.Inexact;
    }
    const size_t stride = BmpStride(info.Width, bits);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = data + static_cast<size_t>(info.TopDown ? y : height - 1 - y) * stride;
        for (int64_t x = 0; x < width; ++x) {
            uint32_t& pixel = (*pixels)[static_cast<size_t>(y * width + x)];
            if (bits == 24 || (bits == 32 && info.Compression != BmpCompressionBitfields)) {
                pixel = Rgb(row + x * (bits / 8));
            } else if (bits > 8) {
                const uint32_t value = bits == 16 ? static_cast<uint32_t>(row[2 * x] | row[2 * x + 1] << 8) : ReadU32(row + 4 * x);
                pixel = Channel(value, masks[0]) << 16 | Channel(value, masks[1]) << 8 | Channel(value, masks[2]);
            } else {
                const int64_t bit = x * bits;  // the leftmost pixel sits in a byte's high bits
                pixel = ColourAt(&canvas, row[bit / 8] >> (8 - bits - bit % 8) & ((1u << bits) - 1));
            }
        }
    }
    return canvas.Inexact;
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
