// Rectangle arithmetic of the frames that modes copy to the screen.
#include "engine/pixel_rect.h"

#include <algorithm>

bool IsEmptyPixelRect(const PixelRect& rect)
{
    return rect.Right <= rect.Left || rect.Bottom <= rect.Top;
}

PixelRect ClipPixelRect(const PixelRect& rect, int32_t width, int32_t height)
{
    const PixelRect clipped = {std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, width),
                               std::min(rect.Bottom, height)};
    return IsEmptyPixelRect(clipped) ? PixelRect{0, 0, 0, 0} : clipped;
}

PixelRect BoundingPixelRect(const PixelRect& a, const PixelRect& b)
{
    if (IsEmptyPixelRect(a))
        return b;
    if (IsEmptyPixelRect(b))
        return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

int PixelRectOutside(const PixelRect& outer, const PixelRect& inner, PixelRect parts[4])
{
    if (IsEmptyPixelRect(outer))
        return 0;
    // The part of `inner` that lies in `outer` splits it into bands.
    const PixelRect middle = {std::max(outer.Left, inner.Left), std::max(outer.Top, inner.Top),
                              std::min(outer.Right, inner.Right), std::min(outer.Bottom, inner.Bottom)};
    if (IsEmptyPixelRect(middle)) {
        parts[0] = outer;
        return 1;
    }
    const PixelRect candidates[4] = {
        {outer.Left, outer.Top, outer.Right, middle.Top},
        {outer.Left, middle.Bottom, outer.Right, outer.Bottom},
        {outer.Left, middle.Top, middle.Left, middle.Bottom},
        {middle.Right, middle.Top, outer.Right, middle.Bottom},
    };
    int count = 0;
    for (const PixelRect& part : candidates)
        if (!IsEmptyPixelRect(part))
            parts[count++] = part;
    return count;
}
