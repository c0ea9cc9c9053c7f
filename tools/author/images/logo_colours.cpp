// Counting a packed logo's colours in every BMP layout, and the guard that
// keeps a change of colours from showing a kept logo wrongly.
#include "images/logo_colours.h"

#include <algorithm>

#include "package/bmp_format.h"
#include "saver/saver_file.h"

namespace {

uint32_t Read16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8); }
uint32_t Read32(const uint8_t* p) { return Read16(p) | Read16(p + 2) << 16; }

uint32_t RgbOf(uint32_t colorref)
{
    return (colorref & 0xFF) << 16 | (colorref & 0xFF00) | (colorref >> 16 & 0xFF);
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

struct Tally {
    const uint32_t* Colours;
    int Count;
    int64_t* Found;
    int64_t Seen;
};

void Note(Tally* tally, uint32_t rgb, int64_t times = 1)
{
    tally->Seen += times;
    for (int i = 0; i < tally->Count; ++i)
        if (tally->Colours[i] == rgb)
            tally->Found[i] += times;
}

// Run-length pixels, bottom-up; positions only ever move right and up, so
// none is counted twice.
void TallyRuns(const uint8_t* at, const uint8_t* end, const BmpInfo& info, const std::vector<uint32_t>& palette, Tally* tally)
{
    const bool rle8 = info.Compression == 1;
    int64_t x = 0, y = 0;
    const auto put = [&](uint32_t index) {
        if (x < info.Width && y < info.Height)
            Note(tally, index < palette.size() ? palette[index] : 0);
        ++x;
    };
    while (end - at >= 2) {
        const uint8_t count = at[0], value = at[1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(rle8 ? value : i & 1 ? value & 15u : value >> 4u);
        } else if (value == 0) {
            x = 0, ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (end - at < 2)
                break;
            x += at[0], y += at[1], at += 2;
        } else {
            const ptrdiff_t bytes = rle8 ? value : (value + 1) / 2;
            if (end - at < bytes)
                break;
            for (int i = 0; i < value; ++i)
                put(rle8 ? at[i] : i & 1 ? at[i / 2] & 15u : at[i / 2] >> 4u);
            at += std::min<ptrdiff_t>((bytes + 1) & ~ptrdiff_t{1}, end - at);
        }
    }
}

}  // namespace

bool CountBmpColours(const std::vector<uint8_t>& bmp, const uint32_t* colours, int count, int64_t* found)
{
    BmpInfo info;
    if (CheckBmp(bmp.data(), bmp.size(), &info) != BmpFault::None)
        return false;
    std::fill(found, found + count, 0);
    Tally tally = {colours, count, found, 0};
    const uint8_t* bytes = bmp.data();
    const bool core = Read32(bytes + 14) == 12;
    const int bitCount = info.BitCount;
    std::vector<uint32_t> palette;
    if (bitCount <= 8) {
        const uint32_t entrySize = core ? 3 : 4, used = core ? 0 : Read32(bytes + 14 + 32);
        const uint32_t entries = used ? used : 1u << bitCount;
        const uint8_t* entry = bytes + 14 + info.InfoSize - entries * entrySize;
        for (uint32_t i = 0; i < entries; ++i, entry += entrySize)
            palette.push_back(static_cast<uint32_t>(entry[2]) << 16 | entry[1] << 8 | entry[0]);
    }
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // 16 bits: 5-5-5
    if (bitCount == 32)
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (info.Compression == 3)  // after a plain info header, or inside a larger one: at the same place
        for (int i = 0; i < 3; ++i)
            masks[i] = Read32(bytes + 54 + 4 * i);

    if (info.Compression == 1 || info.Compression == 2) {
        const uint8_t* runs = bytes + info.PixelOffset;
        TallyRuns(runs, runs + Read32(bytes + 34), info, palette, &tally);
        Note(&tally, 0, int64_t{info.Width} * info.Height - tally.Seen);
        return true;
    }
    const size_t stride = (static_cast<size_t>(info.Width) * static_cast<size_t>(bitCount) + 31) / 32 * 4;
    for (int32_t row = 0; row < info.Height; ++row) {
        const uint8_t* p = bytes + info.PixelOffset + stride * static_cast<size_t>(row);
        for (size_t x = 0; x < static_cast<size_t>(info.Width); ++x) {
            uint32_t rgb;
            if (bitCount <= 8) {
                const size_t bit = x * static_cast<size_t>(bitCount);
                const uint32_t index = p[bit / 8] >> (8 - bitCount - bit % 8) & ((1u << bitCount) - 1);
                rgb = index < palette.size() ? palette[index] : 0;
            } else if (bitCount == 24) {
                rgb = static_cast<uint32_t>(p[3 * x + 2]) << 16 | p[3 * x + 1] << 8 | p[3 * x];
            } else {
                const uint32_t pixel = bitCount == 16 ? Read16(p + 2 * x) : Read32(p + 4 * x);
                rgb = Channel(pixel, masks[0]) << 16 | Channel(pixel, masks[1]) << 8 | Channel(pixel, masks[2]);
            }
            Note(&tally, rgb);
        }
    }
    return true;
}

// The reserved field holds 0xB1 above the COLORREF; zero in other BMP files.
constexpr uint32_t BlendMark = 0xB1000000;

void MarkBlendedBackground(std::vector<uint8_t>* bmp, uint32_t backgroundColor)
{
    const uint32_t field = BlendMark | (backgroundColor & 0xFFFFFF);
    for (int i = 0; i < 4; ++i)
        (*bmp)[6 + static_cast<size_t>(i)] = static_cast<uint8_t>(field >> 8 * i);
}

bool BlendedBackground(const std::vector<uint8_t>& bmp, uint32_t* backgroundColor)
{
    if (bmp.size() < 10 || (Read32(&bmp[6]) & 0xFF000000) != BlendMark)
        return false;
    *backgroundColor = Read32(&bmp[6]) & 0xFFFFFF;
    return true;
}

static std::string UnusedKeyText(int32_t transparentColor)
{
    return "no pixel of the logo has the transparent colour " + FormatColour(static_cast<uint32_t>(transparentColor)) +
           ": nothing of it will be see-through";
}

std::string UnusedKeyWarning(const std::vector<uint8_t>& bmp, int32_t transparentColor)
{
    const uint32_t key = RgbOf(static_cast<uint32_t>(transparentColor));
    int64_t found = 0;
    if (transparentColor < 0 || !CountBmpColours(bmp, &key, 1, &found) || found > 0)
        return std::string();
    return UnusedKeyText(transparentColor);
}

std::string KeptLogoProblem(const std::vector<uint8_t>& bmp, const SaverTrailer& before, const SaverTrailer& after,
                            std::vector<std::string>* warnings)
{
    const int32_t oldKey = before.TransparentColor, newKey = after.TransparentColor;
    const uint32_t keys[] = {RgbOf(static_cast<uint32_t>(oldKey)), RgbOf(static_cast<uint32_t>(newKey))};
    int64_t found[2];
    if (!CountBmpColours(bmp, keys, 2, found))
        return std::string();  // a damaged logo: nothing is known of its pixels
    if (newKey != oldKey && oldKey >= 0 && found[0] > 0)
        return "its logo has " + std::to_string(found[0]) + " pixels in the transparent colour " +
               FormatColour(static_cast<uint32_t>(oldKey)) + ", which would show with " +
               (newKey >= 0 ? FormatColour(static_cast<uint32_t>(newKey)) : std::string("none"));
    uint32_t blended;
    if (after.BackgroundColor != before.BackgroundColor && BlendedBackground(bmp, &blended) &&
        blended != after.BackgroundColor)
        return "its logo was packed from a PNG whose edges were blended onto the background " + FormatColour(blended) +
               ", which would show as a fringe on " + FormatColour(after.BackgroundColor);
    if (newKey != oldKey && newKey >= 0 && found[1] == 0)
        warnings->push_back(UnusedKeyText(newKey));
    return std::string();
}
