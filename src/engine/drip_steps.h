// Drip's arithmetic: which columns slide at a step and by how much, and where
// each slide copies and paints. No windows.h here.
#pragma once

#include <cstdint>

// A step slides at most this many neighbouring columns.
constexpr int MaxDripSlides = 5;

// Offsets stop growing here: a column this far down has left every window,
// and the positions built from it stay far inside 32 bits.
constexpr int32_t DripOffsetLimit = 1 << 30;

struct DripSlide {
    int32_t Column;    // index in the drawing rectangle
    int32_t Offset;    // how far the column had slid before this slide
    int32_t Distance;  // 1 to 4 pixels
};

// One step over `columns` columns: draws the first column, then for each
// slide its distance and whether to stop, in that order, and adds the slides
// to `offsets`. Returns how many slides there were: none when there is no
// column or no offsets array, and then nothing is drawn from `random`.
int DripStep(int32_t columns, int32_t* offsets, int (*random)(), DripSlide slides[MaxDripSlides]);

// Where one slide copies and paints, in window coordinates, for a drawing
// rectangle at (x, y) that is `height` pixels high.
struct DripStrip {
    int32_t X;             // the screen column
    int32_t SourceY;       // the strip, `Height` pixels high, moves from here...
    int32_t DestinationY;  // ...to here
    int32_t Height;
    int32_t GapTop;        // rows GapTop ... GapBottom - 1 of the column take the background
    int32_t GapBottom;
};

DripStrip DripStripOf(int32_t x, int32_t y, int32_t height, const DripSlide& slide);
