// Bounce: the logo bounces off the edges, or falls and bounces under gravity.
// It is drawn into a back buffer the size of the client area, and each tick
// copies only the rectangle of its old and new place to the screen.
#include <cstdlib>

#include "engine/bounce_physics.h"
#include "engine/engine.h"
#include "engine/logo_surface.h"
#include "package/package.h"

struct BounceStateRecord {
    BounceMotion Motion;  // its previous place outlives a run
    HDC BackDC;
    HBITMAP BackBitmap;
};
static BounceStateRecord BounceState;

static int RandomNumber() { return std::rand(); }

static BounceRules CurrentRules()
{
    return {Settings->BounceSpeed, Settings->BounceGravity, Settings->BounceWrapSides, LogoSurface.Width,
            LogoSurface.Height, LogoSurface.ClientWidth, LogoSurface.ClientHeight};
}

static void ReleaseBackBuffer()
{
    // The context goes first: a bitmap selected into one cannot be deleted.
    if (BounceState.BackDC) {
        DeleteDC(BounceState.BackDC);
        BounceState.BackDC = nullptr;
    }
    if (BounceState.BackBitmap) {
        DeleteObject(BounceState.BackBitmap);
        BounceState.BackBitmap = nullptr;
    }
}

static void StartBounceRun(HDC dc)
{
    ReleaseBackBuffer();
    const int32_t width = LogoSurface.ClientWidth, height = LogoSurface.ClientHeight;
    BounceState.BackDC = CreateCompatibleDC(dc);
    BounceState.BackBitmap = CreateCompatibleBitmap(dc, width, height);
    SelectObject(BounceState.BackDC, BounceState.BackBitmap);
    SelectObject(BounceState.BackDC, LogoSurface.BackgroundBrush);
    SelectObject(BounceState.BackDC, GetStockObject(NULL_PEN));
    // The whole buffer, its last column and row included: the copies reach
    // past the logo and would otherwise show whatever a new bitmap holds.
    RECT all = {0, 0, width, height};
    FillRect(BounceState.BackDC, &all, LogoSurface.BackgroundBrush);
    StartBounce(&BounceState.Motion, CurrentRules(), RandomNumber);
}

static void TickBounce(HDC dc)
{
    if (!BounceState.BackDC)
        return;
    const BounceRules rules = CurrentRules();
    BounceMotion& motion = BounceState.Motion;
    MoveBounce(&motion, rules);

    const BounceRect erase = BounceEraseRect(motion, rules);
    Rectangle(BounceState.BackDC, erase.Left, erase.Top, erase.Right, erase.Bottom);
    LogoSurface.X = motion.BounceX;
    LogoSurface.Y = motion.BounceY;
    DrawLogo(BounceState.BackDC);

    const BounceRect copy = BounceCopyRect(motion, rules);
    BitBlt(dc, copy.Left, copy.Top, copy.Right - copy.Left, copy.Bottom - copy.Top, BounceState.BackDC, copy.Left,
           copy.Top, SRCCOPY);
    motion.PrevX = motion.BounceX;
    motion.PrevY = motion.BounceY;
}

int32_t AnimateBounce(HDC dc, int32_t event)
{
    switch (event) {
    case AnimStart:
        StartBounceRun(dc);
        break;
    case AnimTick:
        TickBounce(dc);
        break;
    case AnimStop:
        ReleaseBackBuffer();
        break;
    default:
        // A repaint waits for the next tick, at most 10 ms away.
        break;
    }
    return 0;
}
