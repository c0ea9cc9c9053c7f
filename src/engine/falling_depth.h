// Falling's arithmetic: direction and speed, a copy's depth, size, place and
// darkening, when it has left the screen, and the order of drawing. No
// windows.h here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

constexpr int MaxFallingLogos = 50;

enum FallDirectionBit : int32_t {
    FallUp = 1,
    FallDown = 2,
    FallLeft = 4,
    FallRight = 8,
};

// How many records a step uses: FallingLogoCount held to 0 ... 50.
int32_t FallingCopiesInUse(int32_t logoCount);

// One of the direction bits that FallingDirection allows: down when it allows
// none, the only one without drawing a number, else the one at random() mod count.
int32_t ChooseFallDirection(int32_t fallingDirection, int (*random)());

// Pixels per step of a copy whose speed factor is 1.
struct FallStep {
    double X;
    double Y;
};

// FallingSpeed / 10 in the direction's sense, halved in the control panel's preview.
FallStep FallStepFor(int32_t direction, int32_t fallingSpeed, bool controlPanelPreview);

// Where a copy is and how it looks: the geometry of one FallingLogo record.
struct FallingPlace {
    int32_t ScreenX;     // PosX truncated toward zero after the last move
    int32_t ScreenY;
    double PosX;
    double PosY;
    int32_t CopyWidth;
    int32_t CopyHeight;
    double Depth;        // 1.0 nearest ... 9.9 farthest
    double SpeedFactor;  // 11 - Depth
};

// One of the 90 depths 1.0, 1.1, ... 9.9 from a rand() result.
double FallingDepth(int32_t r);

// The logo's size divided by the depth (rounded down), or the logo's size.
void FallingCopySize(int32_t width, int32_t height, double depth, bool sizeByDepth, int32_t* copyWidth,
                     int32_t* copyHeight);

// A new copy of a `width` × `height` logo: draws the depth, then x, then y.
// Its centre lies on a random pixel of the client area; an `entering` copy
// is then moved just outside the edge that the motion comes from.
FallingPlace PlaceFallingCopy(int32_t width, int32_t height, int32_t clientWidth, int32_t clientHeight,
                              bool sizeByDepth, bool entering, FallStep step, int (*random)());

// Whether a copy lies wholly outside the client area by more than 5 pixels,
// by where it was drawn last.
bool FallingCopyGone(const FallingPlace& place, int32_t clientWidth, int32_t clientHeight);

// One step along `step`, scaled by the copy's speed factor.
void MoveFallingCopy(FallingPlace* place, FallStep step);

// Farthest first, by exchange: each position is compared with every later one
// and swapped when the later one is strictly deeper; equal depths never swap
// with each other directly. Records are moved whole.
template <typename Record>
void SortFarthestFirst(Record* records, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        for (int32_t k = i + 1; k < count; ++k)
            if (records[k].Place.Depth > records[i].Place.Depth)
                std::swap(records[i], records[k]);
}

// The brightness in percent at a depth: 93 at 1.0, 30.7 at 9.9.
double FallingBrightness(double depth);

// Each component value 0 ... 255 scaled by the brightness, truncated.
void DarkeningTable(double depth, uint8_t table[256]);

// Bytes of one row of a 24-bit bottom-up DIB, padded to a multiple of 4.
size_t DibRowBytes(int32_t width);

// The buffer for a copy's pixels: 3 × width + 3 bytes a row, or 0 when the
// size cannot be had.
size_t DarkeningBufferBytes(int32_t width, int32_t height);

// Darkens every pixel of 24-bit rows from `source` into `target`, each at the
// place it was read from; row padding in `target` is left as it is.
void DarkenRows(const uint8_t* source, uint8_t* target, int32_t width, int32_t height, const uint8_t table[256]);
