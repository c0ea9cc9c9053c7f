// Falling's arithmetic: direction, speed, depth, size, place, darkening.
#include "engine/falling_depth.h"

#include <cstdint>

#include "engine/placement.h"

int32_t FallingCopiesInUse(int32_t logoCount)
{
    if (logoCount <= 0)
        return 0;
    return logoCount < MaxFallingLogos ? logoCount : MaxFallingLogos;
}

int32_t ChooseFallDirection(int32_t fallingDirection, int (*random)())
{
    int32_t candidates[4];
    int count = 0;
    for (int32_t bit : {FallUp, FallDown, FallLeft, FallRight})
        if (fallingDirection & bit)
            candidates[count++] = bit;
    if (count == 0)
        return FallDown;
    if (count == 1)
        return candidates[0];
    return candidates[random() % count];
}

FallStep FallStepFor(int32_t direction, int32_t fallingSpeed, bool controlPanelPreview)
{
    double horizontal = 0, vertical = 0;
    if (direction == FallLeft || direction == FallRight)
        horizontal = direction == FallLeft ? -1 : 1;
    else
        vertical = direction == FallUp ? -1 : 1;
    // In doubles: a stored speed of INT32_MIN must not overflow when negated.
    FallStep step = {horizontal * fallingSpeed / 10, vertical * fallingSpeed / 10};
    if (controlPanelPreview) {
        step.X /= 2;
        step.Y /= 2;
    }
    return step;
}

double FallingDepth(int32_t r)
{
    return (r % 90 + 10) / 10.0;
}

void FallingCopySize(int32_t width, int32_t height, double depth, bool sizeByDepth, int32_t* copyWidth,
                     int32_t* copyHeight)
{
    if (!sizeByDepth) {
        *copyWidth = width;
        *copyHeight = height;
        return;
    }
    // Depths are at least 1, so the quotients stay within the logo's size.
    *copyWidth = static_cast<int32_t>(width / depth);
    *copyHeight = static_cast<int32_t>(height / depth);
}

FallingPlace PlaceFallingCopy(int32_t width, int32_t height, int32_t clientWidth, int32_t clientHeight,
                              bool sizeByDepth, bool entering, FallStep step, int (*random)())
{
    FallingPlace place = {};
    place.Depth = FallingDepth(random());
    place.SpeedFactor = 11.0 - place.Depth;
    FallingCopySize(width, height, place.Depth, sizeByDepth, &place.CopyWidth, &place.CopyHeight);
    // An empty client area has one place: its origin.
    place.PosX = RemainderOrZero(random(), clientWidth) - place.CopyWidth / 2;
    place.PosY = RemainderOrZero(random(), clientHeight) - place.CopyHeight / 2;
    if (entering) {
        if (step.X > 0)
            place.PosX = -place.CopyWidth;
        if (step.X < 0)
            place.PosX = clientWidth;
        if (step.Y > 0)
            place.PosY = -place.CopyHeight;
        if (step.Y < 0)
            place.PosY = clientHeight;
    }
    return place;
}

bool FallingCopyGone(const FallingPlace& place, int32_t clientWidth, int32_t clientHeight)
{
    // In 64 bits: the sums must not wrap for sizes and positions at their limits.
    const int64_t x = place.ScreenX, y = place.ScreenY;
    return x < -5 - int64_t{place.CopyWidth} || x > int64_t{clientWidth} + 5 ||
           y < -5 - int64_t{place.CopyHeight} || y > int64_t{clientHeight} + 5;
}

// Positions this far out have long left every screen; holding them here
// keeps the truncation defined and the copy's rectangle inside 32 bits.
static int32_t TruncatePosition(double position)
{
    constexpr double Limit = 1 << 30;
    if (!(position > -Limit))
        return -(1 << 30);
    if (position > Limit)
        return 1 << 30;
    return static_cast<int32_t>(position);
}

void MoveFallingCopy(FallingPlace* place, FallStep step)
{
    place->PosX += place->SpeedFactor * step.X;
    place->PosY += place->SpeedFactor * step.Y;
    place->ScreenX = TruncatePosition(place->PosX);
    place->ScreenY = TruncatePosition(place->PosY);
}

double FallingBrightness(double depth)
{
    return (10 - 0.7 * depth) * 10;
}

void DarkeningTable(double depth, uint8_t table[256])
{
    const double brightness = FallingBrightness(depth);
    for (int value = 0; value < 256; ++value) {
        const double darkened = value * brightness / 100;
        table[value] = static_cast<uint8_t>(darkened <= 0 ? 0 : darkened >= 255 ? 255 : static_cast<int>(darkened));
    }
}

size_t DibRowBytes(int32_t width)
{
    return (3 * static_cast<size_t>(width) + 3) / 4 * 4;
}

size_t DarkeningBufferBytes(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return 0;
    const uint64_t bytes = (3 * static_cast<uint64_t>(width) + 3) * static_cast<uint64_t>(height);
    return bytes > SIZE_MAX ? 0 : static_cast<size_t>(bytes);
}

void DarkenRows(const uint8_t* source, uint8_t* target, int32_t width, int32_t height, const uint8_t table[256])
{
    const size_t rowBytes = DibRowBytes(width), used = 3 * static_cast<size_t>(width);
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* from = source + row * rowBytes;
        uint8_t* to = target + row * rowBytes;
        for (size_t i = 0; i < used; ++i)
            to[i] = table[from[i]];
    }
}
