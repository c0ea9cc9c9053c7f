// Plain: one logo at a time at a random place. Many: another logo at a
// random place on every tick, never erased. One handler serves both.
#include <cstdlib>

#include "engine/engine.h"
#include "engine/logo_surface.h"
#include "engine/placement.h"
#include "package/package.h"

// 1 while the screen holds no Plain logo that the next tick must erase.
static int32_t PlainFreshScreen = 1;

// A transparent Many logo is laid over what the screen holds through a mask
// made at the start, in a scratch the logo's size, and copied back in one.
struct ManySurfaces {
    HDC MaskDC;  // one bit a pixel: white where the logo has the transparent colour
    HBITMAP MaskBitmap;
    HDC ScratchDC;
    HBITMAP ScratchBitmap;
};
static ManySurfaces Many;

static void ReleaseMany()
{
    DeleteSurface(&Many.MaskDC, &Many.MaskBitmap);
    DeleteSurface(&Many.ScratchDC, &Many.ScratchBitmap);
}

static void StartMany()
{
    ReleaseMany();
    if (Engine.CurrentMode != ModeMany || !LogoSurface.DrawTransparent || !LogoSurface.MemoryDC)
        return;
    Many.MaskDC = MakeLogoMask(&Many.MaskBitmap, static_cast<COLORREF>(PackageTrailer.TransparentColor));
    Many.ScratchDC = MakeSurface(&Many.ScratchBitmap, LogoSurface.Width, LogoSurface.Height);
}

// The screen where the mask is white, the logo where it is black: what
// leaving out the transparent colour shows.
static void DrawManyLogo(HDC dc)
{
    if (!Many.MaskDC || !Many.ScratchDC) {
        DrawLogo(dc);
        return;
    }
    const int32_t x = LogoSurface.X, y = LogoSurface.Y, width = LogoSurface.Width, height = LogoSurface.Height;
    BitBlt(Many.ScratchDC, 0, 0, width, height, dc, x, y, SRCCOPY);
    CopyThroughMask(Many.ScratchDC, 0, 0, width, height, LogoSurface.MemoryDC, Many.MaskDC);
    BitBlt(dc, x, y, width, height, Many.ScratchDC, 0, 0, SRCCOPY);
}

int32_t AnimatePlain(HDC dc, int32_t event)
{
    if (event == AnimStart)
        StartMany();
    if (event == AnimStop)
        ReleaseMany();
    if (event != AnimTick) {
        PlainFreshScreen = 1;
        return 0;
    }
    // The two numbers are drawn in this order: x first.
    const int32_t r1 = std::rand();
    const int32_t r2 = std::rand();
    if (Engine.CurrentMode == ModePlain) {
        if (PlainFreshScreen) {
            PlainFreshScreen = 0;
        } else {
            // Erased with the pen the context holds, as the modes before left it.
            HGDIOBJ previousBrush = SelectObject(dc, LogoSurface.BackgroundBrush);
            Rectangle(dc, 0, 0, LogoSurface.ClientWidth, LogoSurface.ClientHeight);
            SelectObject(dc, previousBrush);
        }
        const LogoPosition place = RandomLogoPosition(LogoSurface.ClientWidth, LogoSurface.ClientHeight,
                                                      LogoSurface.Width, LogoSurface.Height, r1, r2);
        LogoSurface.X = place.X;
        LogoSurface.Y = place.Y;
    } else {
        const LogoPosition place = RandomCentredLogoPosition(LogoSurface.ClientWidth, LogoSurface.ClientHeight,
                                                             LogoSurface.Width, LogoSurface.Height, r1, r2);
        LogoSurface.X = place.X;
        LogoSurface.Y = place.Y;
        DrawManyLogo(dc);
        return 0;
    }
    DrawLogo(dc);
    return 0;
}
