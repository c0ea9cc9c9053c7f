// Bounce's motion: straight lines off all four edges, or falling under
// gravity with an optional wrap at the sides; and the rectangles that each
// step draws. No windows.h here.
#pragma once

#include <cstdint>

#include "engine/pixel_rect.h"

// What a run of Bounce reads: the settings and the logo's geometry.
struct BounceRules {
    int32_t Speed;         // BounceSpeed
    int32_t Gravity;       // BounceGravity: 0 off, otherwise the acceleration in hundredths of a pixel
    int32_t WrapSides;     // BounceWrapSides: acts only under gravity
    int32_t Width;         // the logo
    int32_t Height;
    int32_t ClientWidth;   // the area it moves in
    int32_t ClientHeight;
};

struct BounceMotion {
    int32_t BounceX;       // this tick's place
    int32_t BounceY;
    int32_t PrevX;         // the place drawn last; kept from one run to the next
    int32_t PrevY;
    int32_t VelX;          // pixels per tick
    int32_t VelY;          // without gravity only
    float FloatY;          // gravity only: the fractional place and speed
    float FloatVelY;
    float Landed;          // 1 right after a bounce off the bottom edge
};

// -1 for an odd draw, +1 for an even one.
int32_t RandomSign(int32_t r);

// The start of a run: its speeds and first place, with rand() results drawn
// from `random` in a fixed order (signs first, then the place). PrevX and
// PrevY are left as they are.
void StartBounce(BounceMotion* motion, const BounceRules& rules, int (*random)());

// One tick's move and the edge rules; PrevX and PrevY are left as they are.
void MoveBounce(BounceMotion* motion, const BounceRules& rules);

// The logo at this tick's place.
PixelRect BounceLogoRect(const BounceMotion& motion, const BounceRules& rules);

// What a tick changes on the screen: the previous and the current place
// together, with 5 pixels to spare right and below.
PixelRect BounceCopyRect(const BounceMotion& motion, const BounceRules& rules);
