// Static: the logo centred, redrawn every second and after every repaint.
#include "engine/engine.h"
#include "engine/logo_surface.h"
#include "engine/placement.h"

int32_t AnimateStatic(HDC dc, int32_t event)
{
    if (event == AnimStop)
        return 0;
    const LogoPosition centre = CentredLogoPosition(LogoSurface.ClientWidth, LogoSurface.ClientHeight,
                                                    LogoSurface.Width, LogoSurface.Height);
    LogoSurface.X = centre.X;
    LogoSurface.Y = centre.Y;
    DrawLogo(dc);
    return 0;
}
