// The logo's BMP layouts: the decoder held to files written by hand from the format's rules, every layout decoded back
// to the pixels it was given, and the smallest one chosen.
#include "images/bmp_layouts.h"
#include "native/tables.h"
#include "tool/sample_files.h"

#include <functional>

using samples::Bytes;
using Pixels = std::vector<uint32_t>;

TEST_CASE("the decoder reads each layout's pixels as the format lays them out, and tells where a file leaves one undefined") {
    const uint32_t R = BmpCompressionRgb, R8 = BmpCompressionRle8, R4 = BmpCompressionRle4;
    // Name, size, bits, compression, the pixel data, colours in the table; the pixels top-down (colour k as the digit k), or
    // a part of the problem.
    for (auto& [name, width, height, bits, compression, data, colours, expected] : {
             std::tuple{"RLE8: runs, absolute pixels with their filler, line ends", 4, 2, 8, R8, Bytes{0, 3, 1, 2, 3, 0, 1, 0, 0, 0, 4, 2, 0, 1}, 4u,
                        "22221230"},
             {"RLE4: alternating colours in a run, absolute pixels of odd count", 5, 2, 4, R4,
              Bytes{5, 0x12, 0, 0, 0, 5, 0x12, 0x30, 0x10, 0, 0, 1}, 4, "1230112121"},
             {"1-bit, high bits first, rows of 32 bits", 9, 2, 1, R, Bytes{0xA0, 0x80, 0, 0, 0x7F, 0, 0, 0}, 2, "011111110101000001"},
             {"4-bit", 3, 1, 4, R, Bytes{0x12, 0x30, 0, 0}, 4, "123"}, {"a run past its line", 2, 2, 8, R8, Bytes{3, 1, 0, 1}, 4, "past the end"},
             {"a move", 3, 1, 8, R8, Bytes{1, 1, 0, 2, 1, 0, 1, 1, 0, 1}, 4, "leave 1 of its pixels undefined"},
             {"a line ended early", 3, 1, 8, R8, Bytes{1, 1, 0, 0, 0, 1}, 4, "leave 2 of its pixels"},
             {"a colour beyond the table", 2, 1, 8, R8, Bytes{2, 4, 0, 1}, 4, "colour 4 of a colour table of 4"},
             {"absolute pixels cut short", 4, 1, 8, R8, Bytes{0, 4, 1, 2}, 4, "ends inside a piece"},
             {"16-bit", 2, 1, 16, R, Bytes{0, 0, 0, 0}, 0, "widens 16-bit colours"}}) {
        Bytes file = StartBmpFile(width, height, bits, compression, colours, uint32_t(data.size()));
        for (uint32_t k = 0; k < colours; ++k) file[54 + 4 * k] = uint8_t(10 * k);  // colour k is blue 10·k
        Pixels pixels;
        std::copy(data.begin(), data.end(), file.end() - long(data.size()));
        std::string result = DecodeBmpPixels(file.data(), file.size(), &pixels);
        if (result.empty()) for (uint32_t pixel : pixels) result += char('0' + pixel / 10);
        CHECK_ROW((name, result), (result.find(expected) != std::string::npos), (true));
    }
}

using samples::Scatter, samples::NthColour;
// Runs of 1 to `longest` pixels of `colours` colours, running on from one line into the next.
static Pixels Runs(int32_t w, int32_t h, uint32_t colours, uint32_t longest)
{
    Pixels p;
    for (uint32_t r = 0; p.size() < size_t(w * h); ++r) p.insert(p.end(), 1 + Scatter(r) % longest, NthColour(Scatter(~r) % colours));
    return p.resize(size_t(w * h)), p;
}
static Pixels Painted(int32_t w, int32_t h, const std::function<uint32_t(int32_t x, int32_t y)>& colour)
{ Pixels p; for (int32_t i = 0; i < w * h; ++i) p.push_back(colour(i % w, i / w)); return p; }
static Pixels Noise(int32_t w, int32_t h, uint32_t colours)
{ return Painted(w, h, [=](int x, int y) { return NthColour(Scatter(uint32_t(y * w + x)) % colours); }); }

TEST_CASE("every layout that holds a picture's colours gives back its pixels, at the format's edges") {
    // Name, size, pixels.
    for (auto& [name, width, height, pixels] : {std::tuple{"one pixel", 1, 1, Pixels{0x123456}}, {"one row", 301, 1, Runs(301, 1, 5, 9)},
             {"one column", 1, 37, Runs(1, 37, 2, 3)}, {"one colour, lines of odd width whose runs would go on", 7, 5, Runs(7, 5, 1, 1)},
             {"short runs between absolute pixels of either parity", 37, 7, Runs(37, 7, 5, 6)},
             {"runs longer than a count holds", 611, 5, Runs(611, 5, 3, 300)},
             {"a checkerboard: colours alternating beyond 255 and across line ends", 261, 3,
              Painted(261, 3, [](int x, int y) { return NthColour((x + y) % 2); })},
             {"exactly 2 colours", 33, 9, Noise(33, 9, 2)}, {"16", 33, 9, Noise(33, 9, 16)}, {"17", 33, 9, Noise(33, 9, 17)},
             {"256", 64, 64, Noise(64, 64, 256)}, {"257", 64, 64, Noise(64, 64, 257)},
             {"black and white", 19, 3, Painted(19, 3, [](int x, int y) { return Scatter(uint32_t(x * 3 + y)) % 2 ? 0xFFFFFFu : 0u; })}}) {
        const PictureColours colours = IndexColours(width, height, pixels.data());
        for (BmpLayout layout : AllBmpLayouts) {
            if (!LayoutHolds(layout, colours)) continue;
            const Bytes file = EncodeBmpLayout(layout, width, height, pixels.data(), colours);
            Pixels back;
            const std::string problem = DecodeBmpPixels(file.data(), file.size(), &back);
            CHECK_ROW((name, BmpLayoutName(layout)), (problem, back == pixels, file[2] | file[3] << 8 | file[4] << 16),
                      ("", true, long(file.size())));
        }
    }
}

TEST_CASE("the smallest layout is chosen: the fewest bits that hold the colours, runs where they are shorter, 24 bits beyond 256") {
    const auto noise = [](uint32_t colours) { return Noise(64, 64, colours); };
    // Name, size, pixels; the layout, the file's size.
    for (auto& [name, width, height, pixels, layout, size] : {std::tuple{"2 colours of noise", 64, 64, noise(2), BmpLayout::Bits1, 54 + 8 + 8 * 64},
             {"black and white noise: Windows would make a monochrome bitmap of 1 bit", 64, 64, Painted(64, 64, [](int x, int y)
              { return Scatter(uint32_t(y * 64 + x)) % 2 ? 0xFFFFFFu : 0u; }), BmpLayout::Bits4, 54 + 8 + 32 * 64},
             {"16 colours", 64, 64, noise(16), BmpLayout::Bits4, 54 + 64 + 32 * 64}, {"17", 64, 64, noise(17), BmpLayout::Bits8, 54 + 68 + 64 * 64},
             {"256", 64, 64, noise(256), BmpLayout::Bits8, 54 + 1024 + 64 * 64}, {"257", 64, 64, noise(257), BmpLayout::Bits24, 54 + 192 * 64},
             {"a box on a plain ground: three runs a line, in as few bits as the 8-bit runs take", 640, 480, Painted(640, 480, [](int x, int y)
              { return x >= 200 && x < 440 && y >= 100 && y < 380 ? 0x0000FFu : 0xFF0000u; }), BmpLayout::Rle4, 54 + 8 + 480 * (3 * 2 + 2)},
             {"one pixel: no colour table is worth its bytes", 1, 1, Pixels{0x102030}, BmpLayout::Bits24, 54 + 4}}) {
        const PackedPicture packed = PackPicture(width, height, pixels.data(), false);
        const int64_t colours = IndexColours(width, height, pixels.data()).Count;
        CHECK_ROW((name), (BmpLayoutName(packed.Layout), packed.Bmp.size(), packed.Colours), (BmpLayoutName(layout), size_t(size), colours));
    }
}
