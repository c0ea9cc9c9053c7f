// Placement arithmetic shared by the modes.
#include "engine/placement.h"

#include <climits>

int32_t RemainderOrZero(int32_t r, int32_t n)
{
    if (n == 0 || (n == -1 && r == INT32_MIN))
        return 0;
    return r % n;
}

LogoPosition CentredLogoPosition(int32_t clientWidth, int32_t clientHeight, int32_t width, int32_t height)
{
    return {(clientWidth - width) / 2, (clientHeight - height) / 2};
}

LogoPosition RandomLogoPosition(int32_t clientWidth, int32_t clientHeight, int32_t width, int32_t height, int32_t r1,
                                int32_t r2)
{
    return {RemainderOrZero(r1, clientWidth - width), RemainderOrZero(r2, clientHeight - height)};
}

LogoPosition RandomCentredLogoPosition(int32_t clientWidth, int32_t clientHeight, int32_t width, int32_t height,
                                       int32_t r1, int32_t r2)
{
    return {RemainderOrZero(r1, clientWidth) - width / 2, RemainderOrZero(r2, clientHeight) - height / 2};
}

// Truncation toward zero, held inside the 32-bit range.
static int32_t TruncateToInt32(double value)
{
    if (!(value > INT32_MIN))
        return value != value ? 0 : INT32_MIN;
    if (value >= INT32_MAX)
        return INT32_MAX;
    return static_cast<int32_t>(value);
}

LogoPosition ScaledLogoSize(int32_t previewWidth, int32_t previewHeight, int32_t desktopWidth, int32_t desktopHeight,
                            int32_t width, int32_t height)
{
    // A zero-sized desktop would make the quotient infinite; such a preview shows nothing.
    if (desktopWidth <= 0 || desktopHeight <= 0)
        return {0, 0};
    const double scaledWidth = static_cast<double>(previewWidth) / desktopWidth * width;
    const double scaledHeight = static_cast<double>(previewHeight) / desktopHeight * height;
    return {TruncateToInt32(scaledWidth), TruncateToInt32(scaledHeight)};
}

int32_t TileCount(int32_t clientSize, int32_t logoSize)
{
    if (clientSize <= 0 || logoSize <= 0)
        return 0;
    return (clientSize - 1) / logoSize + 1;
}
