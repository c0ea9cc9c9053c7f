// Counting a packed logo's colours in every BMP layout, and the guard that
// keeps a change of colours from showing a kept logo wrongly.
#include "images/logo_colours.h"

#include <algorithm>

#include "images/bmp_layouts.h"
#include "saver/saver_file.h"

namespace {

uint32_t Read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
}

uint32_t RgbOf(uint32_t colorref)
{
    return (colorref & 0xFF) << 16 | (colorref & 0xFF00) | (colorref >> 16 & 0xFF);
}

}  // namespace

bool CountPixelsIn(const std::vector<uint8_t>& bmp, const uint32_t* colours, int count, int64_t* found)
{
    // Pixels that are not exact count as they would most likely show.
    std::vector<uint32_t> pixels;
    DecodeBmpPixels(bmp.data(), bmp.size(), &pixels);
    if (pixels.empty())
        return false;
    std::fill(found, found + count, 0);
    for (const uint32_t pixel : pixels)
        for (int i = 0; i < count; ++i)
            found[i] += pixel == colours[i];
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
    if (transparentColor < 0 || !CountPixelsIn(bmp, &key, 1, &found) || found > 0)
        return std::string();
    return UnusedKeyText(transparentColor);
}

std::string KeptLogoProblem(const std::vector<uint8_t>& bmp, const SaverTrailer& before, const SaverTrailer& after,
                            std::vector<std::string>* warnings)
{
    const int32_t oldKey = before.TransparentColor, newKey = after.TransparentColor;
    const uint32_t keys[] = {RgbOf(static_cast<uint32_t>(oldKey)), RgbOf(static_cast<uint32_t>(newKey))};
    int64_t found[2];
    if (!CountPixelsIn(bmp, keys, 2, found))
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
