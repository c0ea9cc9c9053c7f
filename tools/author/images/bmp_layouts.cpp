// Packing a picture in each BMP layout and choosing the smallest file: the
// colour table holds only the colours used, and the run-length layouts are
// planned line by line for the fewest bytes.
#include "images/bmp_layouts.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int32_t LongestPiece = 255;    // a count is one byte
constexpr int32_t ShortestAbsolute = 3;  // counts 0, 1 and 2 after a zero are escape codes

int32_t BitsOf(BmpLayout layout)
{
    switch (layout) {
    case BmpLayout::Bits1: return 1;
    case BmpLayout::Bits4: case BmpLayout::Rle4: return 4;
    case BmpLayout::Bits8: case BmpLayout::Rle8: return 8;
    case BmpLayout::Bits24: break;
    }
    return 24;
}

// The headers and the colour table, which holds the colours used and no more;
// zeros for the pixels.
std::vector<uint8_t> StartIndexedFile(int32_t width, int32_t height, int32_t bits, uint32_t compression,
                                      const std::vector<uint32_t>& palette, uint32_t pixelBytes)
{
    const uint32_t colours = static_cast<uint32_t>(palette.size());
    std::vector<uint8_t> file = StartBmpFile(width, height, bits, compression, colours, pixelBytes);
    for (uint32_t k = 0; k < colours; ++k) {
        uint8_t* entry = file.data() + 54 + 4 * k;  // blue, green, red, zero
        entry[0] = static_cast<uint8_t>(palette[k]);
        entry[1] = static_cast<uint8_t>(palette[k] >> 8);
        entry[2] = static_cast<uint8_t>(palette[k] >> 16);
    }
    return file;
}

std::vector<uint8_t> EncodeIndexed(int32_t width, int32_t height, int32_t bits, const PictureColours& colours)
{
    const uint32_t stride = BmpStride(width, bits);
    std::vector<uint8_t> file = StartIndexedFile(width, height, bits, BmpCompressionRgb, colours.Palette,
                                                 stride * static_cast<uint32_t>(height));
    uint8_t* const start = file.data() + file.size() - stride * static_cast<size_t>(height);
    const uint8_t* index = colours.Indices.data();
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = start + static_cast<size_t>(height - 1 - y) * stride;
        for (int32_t x = 0; x < width; ++x, ++index) {
            const int32_t bit = x * bits;  // the leftmost pixel takes a byte's high bits
            row[bit / 8] = static_cast<uint8_t>(row[bit / 8] | *index << (8 - bits - bit % 8));
        }
    }
    return file;
}

// A window over later positions of a line, moving towards its start, that
// keeps the position of the least value at its back: of equal ones the
// farthest, which makes the longest piece. It spans at most a piece and one
// more position, so it holds a ring of Slots[Front] to Slots[Back - 1].
struct Candidate {
    int32_t At;
    int32_t Value;
};
struct Window {
    Candidate Slots[512];
    uint32_t Front, Back;  // counted modulo 2^32, a multiple of the slots
};

Candidate& Slot(Window* window, uint32_t at) { return window->Slots[at % 512]; }
bool IsEmpty(const Window& window) { return window.Front == window.Back; }
const Candidate& Farthest(Window* window) { return Slot(window, window->Back - 1); }

void Enter(Window* window, int32_t at, int32_t value)
{
    while (!IsEmpty(*window) && Slot(window, window->Front).Value > value)
        ++window->Front;
    Slot(window, --window->Front) = {at, value};
}

void Leave(Window* window, int32_t last)
{
    while (!IsEmpty(*window) && Farthest(window).At > last)
        --window->Back;
}

// How the indices in file order (bottom row first) split into pieces at the
// fewest bytes: a run (a count and the colour, or in 4 bits two colours that
// alternate) or absolute pixels (a zero, the count, the pixels filled out to
// 16 bits). No piece crosses the end of a line, and every line ends with its
// code, so every pixel is written explicitly. Piece[i] is the length of the
// piece that starts at i, negative for absolute pixels. Of plans of the same
// size, the one with the longest pieces first.
struct RunPlan {
    std::vector<int32_t> Cost;  // bytes from position i to the end, end codes included
    std::vector<int16_t> Piece;
};

RunPlan PlanRuns(const std::vector<uint8_t>& order, int32_t width, bool fourBits)
{
    const int32_t count = static_cast<int32_t>(order.size());
    const int32_t period = fourBits ? 2 : 1;  // how far apart a run's pixels repeat
    const int32_t unit = fourBits ? 4 : 2;    // absolute pixels in 16 bits
    RunPlan plan = {std::vector<int32_t>(order.size() + 1, 0), std::vector<int16_t>(order.size(), 0)};
    // The cost of going on at j after a piece: a piece that ends a line is followed by its end code.
    const auto next = [&plan, width](int32_t j) {
        return plan.Cost[static_cast<size_t>(j)] + (j % width == 0 ? 2 : 0);
    };
    Window runs = {}, absolutes[4] = {};  // absolute pieces by where they end modulo `unit`: their padding differs
    int32_t runEnd = count;  // where the run that starts at i ends
    for (int32_t i = count - 1; i >= 0; --i) {
        const int32_t lineEnd = (i / width + 1) * width;
        if (i + period < count && order[static_cast<size_t>(i + period)] != order[static_cast<size_t>(i)])
            runEnd = i + period;
        Enter(&runs, i + 1, next(i + 1));
        Leave(&runs, std::min({i + LongestPiece, runEnd, lineEnd}));
        int32_t best = 2 + Farthest(&runs).Value, piece = Farthest(&runs).At - i;
        if (i + ShortestAbsolute <= lineEnd) {
            const int32_t j = i + ShortestAbsolute;
            Enter(&absolutes[j % unit], j, 2 * j + unit * next(j));  // ordered as 2 × ⌈(j − i) / unit⌉ + next(j)
        }
        for (int32_t r = 0; r < unit; ++r) {
            Leave(&absolutes[r], std::min(i + LongestPiece, lineEnd));
            if (IsEmpty(absolutes[r]))
                continue;
            const int32_t j = Farthest(&absolutes[r]).At, length = j - i;
            const int32_t cost = 2 + 2 * ((length + unit - 1) / unit) + next(j);
            if (cost < best || (cost == best && length > std::abs(piece)))  // of equal costs, the longer piece
                best = cost, piece = -length;
        }
        plan.Cost[static_cast<size_t>(i)] = best;
        plan.Piece[static_cast<size_t>(i)] = static_cast<int16_t>(piece);
    }
    return plan;
}

std::vector<uint8_t> EncodeRunLengths(int32_t width, int32_t height, bool fourBits, const PictureColours& colours)
{
    std::vector<uint8_t> order;  // bottom row first, as the file holds them
    order.reserve(colours.Indices.size());
    for (int32_t y = height - 1; y >= 0; --y) {
        const auto row = colours.Indices.begin() + static_cast<std::ptrdiff_t>(y) * width;
        order.insert(order.end(), row, row + width);
    }
    const RunPlan plan = PlanRuns(order, width, fourBits);
    const int32_t count = static_cast<int32_t>(order.size());
    std::vector<uint8_t> codes;
    codes.reserve(static_cast<size_t>(plan.Cost[0]));
    for (int32_t i = 0; i < count;) {
        const int32_t piece = plan.Piece[static_cast<size_t>(i)], length = std::abs(piece);
        const uint8_t* pixel = &order[static_cast<size_t>(i)];
        if (piece > 0) {
            codes.push_back(static_cast<uint8_t>(length));
            codes.push_back(fourBits ? static_cast<uint8_t>(pixel[0] << 4 | (length > 1 ? pixel[1] : 0)) : pixel[0]);
        } else {
            codes.push_back(0);
            codes.push_back(static_cast<uint8_t>(length));
            const size_t start = codes.size();
            for (int32_t k = 0; k < length; ++k) {
                if (!fourBits)
                    codes.push_back(pixel[k]);
                else if (k % 2 == 0)
                    codes.push_back(static_cast<uint8_t>(pixel[k] << 4));
                else
                    codes.back() = static_cast<uint8_t>(codes.back() | pixel[k]);
            }
            codes.resize(start + (codes.size() - start + 1) / 2 * 2);  // absolute pixels end on a 16-bit boundary
        }
        i += length;
        if (i % width == 0) {  // the end of a line, or after the last, of the bitmap
            codes.push_back(0);
            codes.push_back(i == count ? 1 : 0);
        }
    }
    std::vector<uint8_t> file =
        StartIndexedFile(width, height, fourBits ? 4 : 8, fourBits ? BmpCompressionRle4 : BmpCompressionRle8,
                         colours.Palette, static_cast<uint32_t>(codes.size()));
    std::copy(codes.begin(), codes.end(), file.end() - static_cast<std::ptrdiff_t>(codes.size()));
    return file;
}

// The colours in ascending order when there are at most 256, else none:
// found through a small table, without sorting the pixels.
std::vector<uint32_t> FewColours(const uint32_t* pixels, size_t count)
{
    constexpr uint32_t Slots = 1024, Free = 0xFFFFFFFF;  // no colour has its top byte set
    uint32_t table[Slots];
    std::fill(table, table + Slots, Free);
    std::vector<uint32_t> found;
    uint32_t last = Free;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t colour = pixels[i] & 0xFFFFFF;
        if (colour == last)
            continue;
        last = colour;
        uint32_t slot = colour * 0x9E3779B1u >> 22;
        while (table[slot] != Free && table[slot] != colour)
            slot = (slot + 1) % Slots;
        if (table[slot] == Free) {
            if (found.size() == 256)
                return {};
            table[slot] = colour;
            found.push_back(colour);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

const char* BmpLayoutName(BmpLayout layout)
{
    switch (layout) {
    case BmpLayout::Bits1: return "1-bit";
    case BmpLayout::Bits4: return "4-bit";
    case BmpLayout::Bits8: return "8-bit";
    case BmpLayout::Rle4: return "RLE4";
    case BmpLayout::Rle8: return "RLE8";
    case BmpLayout::Bits24: break;
    }
    return "24-bit";
}

std::string DescribeBmpLayout(const BmpInfo& info)
{
    std::string name = std::to_string(info.BitCount) + "-bit";
    if (info.Compression == BmpCompressionRle8 || info.Compression == BmpCompressionRle4)
        name = info.Compression == BmpCompressionRle8 ? "RLE8" : "RLE4";
    else if (info.Compression == BmpCompressionBitfields)
        name += " bit fields";
    return info.TopDown ? name + " top-down" : name;
}

PictureColours IndexColours(int32_t width, int32_t height, const uint32_t* pixels)
{
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    PictureColours colours = {0, FewColours(pixels, count), {}};
    if (colours.Palette.empty()) {  // more than 256, counted in a bit for each of the 2^24 colours
        std::vector<uint64_t> used(size_t(1) << 18, 0);
        for (size_t i = 0; i < count; ++i)
            used[(pixels[i] & 0xFFFFFF) >> 6] |= uint64_t(1) << (pixels[i] & 63);
        for (uint64_t word : used)
            colours.Count += __builtin_popcountll(word);
        return colours;
    }
    colours.Count = static_cast<int64_t>(colours.Palette.size());
    colours.Indices.resize(count);
    uint32_t last = colours.Palette[0];
    uint8_t lastIndex = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t colour = pixels[i] & 0xFFFFFF;
        if (colour != last) {
            last = colour;
            lastIndex = static_cast<uint8_t>(std::lower_bound(colours.Palette.begin(), colours.Palette.end(), colour) -
                                             colours.Palette.begin());
        }
        colours.Indices[i] = lastIndex;
    }
    return colours;
}

bool LayoutHolds(BmpLayout layout, const PictureColours& colours)
{
    switch (layout) {
    case BmpLayout::Bits1:
        // Windows makes a bitmap of one bit from a 1-bit picture of black and
        // white, whose copies take the colours of the context they go to and
        // whose mask of the transparent colour comes out wrong; such a
        // picture takes a layout of more bits.
        return colours.Count <= 2 && std::any_of(colours.Palette.begin(), colours.Palette.end(),
                                                 [](uint32_t c) { return c != 0 && c != 0xFFFFFF; });
    case BmpLayout::Bits4: case BmpLayout::Rle4: return colours.Count <= 16;
    case BmpLayout::Bits8: case BmpLayout::Rle8: return colours.Count <= 256;
    case BmpLayout::Bits24: break;
    }
    return true;
}

std::vector<uint8_t> EncodeBmpLayout(BmpLayout layout, int32_t width, int32_t height, const uint32_t* pixels,
                                     const PictureColours& colours)
{
    if (layout == BmpLayout::Rle4 || layout == BmpLayout::Rle8)
        return EncodeRunLengths(width, height, layout == BmpLayout::Rle4, colours);
    if (layout == BmpLayout::Bits24)
        return EncodeBmp24(width, height, pixels);
    return EncodeIndexed(width, height, BitsOf(layout), colours);
}

PackedPicture PackPicture(int32_t width, int32_t height, const uint32_t* pixels, bool only24)
{
    const PictureColours colours = IndexColours(width, height, pixels);
    PackedPicture packed = {BmpLayout::Bits24, colours.Count, {}};
    for (BmpLayout layout : AllBmpLayouts) {
        if ((only24 && layout != BmpLayout::Bits24) || !LayoutHolds(layout, colours))
            continue;
        std::vector<uint8_t> bmp = EncodeBmpLayout(layout, width, height, pixels, colours);
        if (packed.Bmp.empty() || bmp.size() < packed.Bmp.size())
            packed.Layout = layout, packed.Bmp = std::move(bmp);
    }
    return packed;
}
