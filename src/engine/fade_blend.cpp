// Fade's blending and its cycle.
#include "engine/fade_blend.h"

size_t FadeRowBytes(int32_t width)
{
    if (width <= 0)
        return 0;
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

size_t FadeBufferBytes(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return 0;
    return static_cast<size_t>(height) * (static_cast<size_t>(width) * 3 + 3);
}

static float FadeFactor(int32_t level)
{
    const int32_t percent = level < 0 ? 0 : level > 100 ? 100 : level;
    return static_cast<float>(percent / 100.0);
}

// The float factor is widened for the product: at 3 % it is slightly below
// 0.03, which decides many truncations.
static uint8_t Blend(int32_t source, int32_t background, float factor)
{
    return static_cast<uint8_t>(background + static_cast<int32_t>((source - background) * static_cast<double>(factor)));
}

uint8_t BlendFadeComponent(uint8_t source, uint8_t background, int32_t level)
{
    return Blend(source, background, FadeFactor(level));
}

struct BackgroundComponents {
    uint8_t Blue;
    uint8_t Green;
    uint8_t Red;
};

static BackgroundComponents SplitColour(uint32_t colour)
{
    return {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8), static_cast<uint8_t>(colour)};
}

void BuildFadeTable(FadeTable* table, uint32_t backgroundColor, int32_t level)
{
    const BackgroundComponents background = SplitColour(backgroundColor);
    const float factor = FadeFactor(level);
    for (int32_t source = 0; source < 256; ++source) {
        table->Blue[source] = Blend(source, background.Blue, factor);
        table->Green[source] = Blend(source, background.Green, factor);
        table->Red[source] = Blend(source, background.Red, factor);
    }
}

// Each pixel through `blendPixel`, row by row, with each row's padding zeroed.
template <typename BlendPixel>
static void BlendRows(const uint8_t* source, uint8_t* blend, int32_t width, int32_t height,
                      const BlendPixel& blendPixel)
{
    const size_t rowBytes = FadeRowBytes(width);
    const size_t pixelBytes = static_cast<size_t>(width) * 3;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = source + row * rowBytes;
        uint8_t* out = blend + row * rowBytes;
        for (size_t at = 0; at < pixelBytes; at += 3)
            blendPixel(in + at, out + at);
        for (size_t at = pixelBytes; at < rowBytes; ++at)
            out[at] = 0;
    }
}

void BlendFadeFrame(const uint8_t* source, uint8_t* blend, int32_t width, int32_t height, uint32_t backgroundColor,
                    int32_t level)
{
    if (width <= 0 || height <= 0)
        return;
    FadeTable table;
    BuildFadeTable(&table, backgroundColor, level);
    BlendRows(source, blend, width, height, [&table](const uint8_t* in, uint8_t* out) {
        out[0] = table.Blue[in[0]];
        out[1] = table.Green[in[1]];
        out[2] = table.Red[in[2]];
    });
}

void BlendFadeFrameLiteral(const uint8_t* source, uint8_t* blend, int32_t width, int32_t height,
                           uint32_t backgroundColor, int32_t level)
{
    if (width <= 0 || height <= 0)
        return;
    const BackgroundComponents background = SplitColour(backgroundColor);
    const float factor = FadeFactor(level);
    BlendRows(source, blend, width, height, [&](const uint8_t* in, uint8_t* out) {
        out[0] = Blend(in[0], background.Blue, factor);
        out[1] = Blend(in[1], background.Green, factor);
        out[2] = Blend(in[2], background.Red, factor);
    });
}

void StartFadeCycle(FadeCycle* cycle, int32_t fadeSpeed)
{
    cycle->Level = 0;
    cycle->Step = fadeSpeed;
}

// Turning the lowest step wraps to itself, as a 32-bit negation does.
static int32_t Negate(int32_t value)
{
    return static_cast<int32_t>(0u - static_cast<uint32_t>(value));
}

FadeTick AdvanceFade(FadeCycle* cycle)
{
    // Held at 0 once the wait is over: any value of 0 or less means no wait,
    // and the count cannot run out of range however long the fade runs.
    cycle->HoldTicks = cycle->HoldTicks > 0 ? cycle->HoldTicks - 1 : 0;
    if (cycle->HoldTicks > 0)
        return {false, 0, false};

    const FadeTick tick = {true, cycle->Level, false};
    const int64_t next = static_cast<int64_t>(cycle->Level) + cycle->Step;
    if (next > 0) {
        if (next >= 100) {
            cycle->Level = 100;
            cycle->HoldTicks = 50;
            cycle->Step = Negate(cycle->Step);
        } else {
            cycle->Level = static_cast<int32_t>(next);
        }
        return tick;
    }
    cycle->Level = 0;
    cycle->Step = Negate(cycle->Step);
    cycle->HoldTicks = 20;
    return {true, tick.FrameLevel, true};
}
