// Fade's arithmetic: blending the logo's pixels toward the background by a
// percentage, and the cycle of fading in, holding, fading out and pausing.
// No windows.h here.
#pragma once

#include <cstddef>
#include <cstdint>

// Pixel buffers are 24-bit device-independent rows, bottom-up, each pixel
// blue, green, red, each row filled up to a multiple of 4 bytes.
size_t FadeRowBytes(int32_t width);

// The room Fade allocates for a logo: 3 bytes per pixel and 3 per row, which
// always holds the filled rows. 0 when either size is not positive.
size_t FadeBufferBytes(int32_t width, int32_t height);

// One component at `level` percent (0 the background, 100 the logo): with f
// the level over 100 as a 32-bit float, background + (source - background) × f
// in double precision, the product truncated toward zero. Levels outside
// 0..100 are taken as the nearer end.
uint8_t BlendFadeComponent(uint8_t source, uint8_t background, int32_t level);

// Every component of one level, one table per colour, built from
// BlendFadeComponent.
struct FadeTable {
    uint8_t Blue[256];
    uint8_t Green[256];
    uint8_t Red[256];
};
// `backgroundColor` is 0x00BBGGRR.
void BuildFadeTable(FadeTable* table, uint32_t backgroundColor, int32_t level);

// A frame of `source` at `level` into `blend` (both laid out as above, of at
// least height × FadeRowBytes(width) bytes). The fill bytes at the end of
// each row become 0. One table per frame, then one look-up per component.
void BlendFadeFrame(const uint8_t* source, uint8_t* blend, int32_t width, int32_t height, uint32_t backgroundColor,
                    int32_t level);

// The same frame with the formula evaluated for every component: the
// reference that BlendFadeFrame must match byte for byte.
void BlendFadeFrameLiteral(const uint8_t* source, uint8_t* blend, int32_t width, int32_t height,
                           uint32_t backgroundColor, int32_t level);

// Where a run of Fade is in its cycle.
struct FadeCycle {
    int32_t Level;      // 0..100: the percentage of the next frame
    int32_t Step;       // added after every frame; its sign says in or out
    int32_t HoldTicks;  // ticks still to wait; carried from one run to the next
};

// A run starts at level 0, fading in by `fadeSpeed`; the hold is left alone.
void StartFadeCycle(FadeCycle* cycle, int32_t fadeSpeed);

struct FadeTick {
    bool DrawFrame;     // draw the frame of FrameLevel
    int32_t FrameLevel;
    bool Faded;         // faded out: clear the area (and choose a new place)
};

// One tick: waits out a hold, or gives the frame to draw and moves on. At
// 100 % it holds for 50 ticks and turns; at 0 % it pauses 20 ticks and turns.
FadeTick AdvanceFade(FadeCycle* cycle);
