// Plain: one logo at a time at a random place. Many: another logo at a
// random place on every tick, never erased. One handler serves both.
#include <cstdlib>

#include "engine/engine.h"
#include "engine/logo_surface.h"
#include "engine/placement.h"

// 1 while the screen holds no Plain logo that the next tick must erase.
static int32_t PlainFreshScreen = 1;

int32_t AnimatePlain(HDC dc, int32_t event)
{
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
    }
    DrawLogo(dc);
    return 0;
}
