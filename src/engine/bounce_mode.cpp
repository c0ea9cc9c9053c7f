// Bounce: the logo bounces off the edges, or falls and bounces under gravity.
// Each tick draws only the rectangle of its old and new place on the screen.
#include <cstdlib>

#include "engine/bounce_physics.h"
#include "engine/engine.h"
#include "engine/pixel_rect.h"
#include "engine/logo_surface.h"
#include "package/package.h"

struct BounceStateRecord {
    BounceMotion Motion;  // its previous place outlives a run
    BOOL Running;         // from the start to the stop
};
static BounceStateRecord BounceState;

static int RandomNumber() { return std::rand(); }

static BounceRules CurrentRules()
{
    return {Settings->BounceSpeed, Settings->BounceGravity, Settings->BounceWrapSides, LogoSurface.Width,
            LogoSurface.Height, LogoSurface.ClientWidth, LogoSurface.ClientHeight};
}

// The logo goes straight to the screen and the background only where the
// logo was and is no longer: every changed pixel is written once, so nothing
// flickers. What shows is the client area's part of a frame of background
// with the logo at its new place. The logo is opaque: the driver gave its
// transparent colour the background's.
static void TickBounce(HDC dc)
{
    if (!BounceState.Running)
        return;
    const BounceRules rules = CurrentRules();
    BounceMotion& motion = BounceState.Motion;
    MoveBounce(&motion, rules);
    LogoSurface.X = motion.BounceX;
    LogoSurface.Y = motion.BounceY;

    const int32_t clientWidth = LogoSurface.ClientWidth, clientHeight = LogoSurface.ClientHeight;
    const PixelRect changed = ClipPixelRect(BounceCopyRect(motion, rules), clientWidth, clientHeight);
    const PixelRect logo = LogoSurface.MemoryDC
                               ? ClipPixelRect(BounceLogoRect(motion, rules), clientWidth, clientHeight)
                               : PixelRect{0, 0, 0, 0};
    if (!IsEmptyPixelRect(logo))
        BitBlt(dc, logo.Left, logo.Top, logo.Right - logo.Left, logo.Bottom - logo.Top, LogoSurface.MemoryDC,
               logo.Left - motion.BounceX, logo.Top - motion.BounceY, SRCCOPY);
    PixelRect parts[4];
    const int count = PixelRectOutside(changed, logo, parts);
    for (int i = 0; i < count; ++i) {
        const RECT part = {parts[i].Left, parts[i].Top, parts[i].Right, parts[i].Bottom};
        FillRect(dc, &part, LogoSurface.BackgroundBrush);
    }
    motion.PrevX = motion.BounceX;
    motion.PrevY = motion.BounceY;
}

int32_t AnimateBounce(HDC dc, int32_t event)
{
    switch (event) {
    case AnimStart:
        StartBounce(&BounceState.Motion, CurrentRules(), RandomNumber);
        BounceState.Running = TRUE;
        break;
    case AnimTick:
        TickBounce(dc);
        break;
    case AnimStop:
        BounceState.Running = FALSE;
        break;
    default:
        // A repaint waits for the next tick, at most 10 ms away.
        break;
    }
    return 0;
}
