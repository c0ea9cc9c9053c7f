// Rectangles of the picture that a tick changes: clipping to the client
// area, the box around two of them, and what of one lies outside another.
// No windows.h here.
#pragma once

#include <cstdint>

// Edges as GDI takes them: right and bottom exclusive. Empty when it holds
// no pixel.
struct PixelRect {
    int32_t Left;
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
};

bool IsEmptyPixelRect(const PixelRect& rect);

// The part of `rect` inside (0, 0, width, height); all zero when none is.
PixelRect ClipPixelRect(const PixelRect& rect, int32_t width, int32_t height);

// The smallest rectangle that holds both; an empty one adds nothing.
PixelRect BoundingPixelRect(const PixelRect& a, const PixelRect& b);

// The pixels of `outer` outside `inner`, as at most four rectangles (the
// bands above and below, then the parts left and right beside `inner`);
// returns how many it wrote. `inner` need not lie inside `outer`.
int PixelRectOutside(const PixelRect& outer, const PixelRect& inner, PixelRect parts[4]);
