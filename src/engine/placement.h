// Where a logo goes: centred, at random inside the client area, centred on a
// random pixel, scaled for the control panel's preview. No windows.h here.
#pragma once

#include <cstdint>

struct LogoPosition {
    int32_t X;
    int32_t Y;
};

// r mod n as C computes it (the sign of r), but 0 where n is 0: a logo as
// large as its area, or an empty area, has exactly one place.
int32_t RemainderOrZero(int32_t r, int32_t n);

// Centred; halves truncated toward zero, so a logo larger than the area
// sticks out on both sides.
LogoPosition CentredLogoPosition(int32_t clientWidth, int32_t clientHeight, int32_t width, int32_t height);

// Plain, Bounce and Fade: inside the client area whenever the logo is smaller
// than it. r1 and r2 are successive rand() results, r1 drawn first.
LogoPosition RandomLogoPosition(int32_t clientWidth, int32_t clientHeight, int32_t width, int32_t height, int32_t r1,
                                int32_t r2);

// Many: centred on a random pixel of the client area.
LogoPosition RandomCentredLogoPosition(int32_t clientWidth, int32_t clientHeight, int32_t width, int32_t height,
                                       int32_t r1, int32_t r2);

// The logo's size in the control panel's preview: the preview is to the
// desktop as the scaled logo is to the logo (quotient first, then truncated).
LogoPosition ScaledLogoSize(int32_t previewWidth, int32_t previewHeight, int32_t desktopWidth, int32_t desktopHeight,
                            int32_t width, int32_t height);

// How many copies a tiled draw makes across and down; 0 when there is
// nothing to draw or nowhere to draw it.
int32_t TileCount(int32_t clientSize, int32_t logoSize);
