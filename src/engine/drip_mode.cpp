// Drip: the logo, centred or tiled, melts down the screen column by column.
// It reads the window's own pixels back and moves them; there is no
// off-screen surface.
#include <cstdint>
#include <cstdlib>

#include "engine/drip_steps.h"
#include "engine/engine.h"
#include "engine/logo_surface.h"
#include "engine/placement.h"
#include "package/package.h"
#include "shell/host.h"

struct DripState {
    int32_t* Offsets;      // how far each column has slid; null when none could be had
    int32_t Columns;       // entries of Offsets
    BOOL RepaintPending;   // the next step draws the logo instead of dripping
    HPEN Pen;              // background-coloured, so the gaps have no outline
    HGDIOBJ SavedPen;      // the window's pen before Pen replaced it
    BOOL PenSelected;      // since the mode started
};

static DripState Drip = {nullptr, 0, TRUE, nullptr, nullptr, FALSE};

static void ReleaseDrip(HDC dc)
{
    if (Drip.PenSelected)
        SelectObject(dc, Drip.SavedPen);
    if (Drip.Pen)
        DeleteObject(Drip.Pen);
    if (Drip.Offsets)
        GlobalFree(Drip.Offsets);
    Drip.Offsets = nullptr;
    Drip.Columns = 0;
    Drip.Pen = nullptr;
    Drip.SavedPen = nullptr;
    Drip.PenSelected = FALSE;
}

static void StartDrip(HDC dc)
{
    ReleaseDrip(dc);
    Drip.RepaintPending = TRUE;
    // Made here rather than by the first repaint, which is a step: no step makes anything.
    Drip.Pen = CreatePen(PS_SOLID, 1, PackageTrailer.BackgroundColor);
    const int32_t columns = LogoSurface.Width;
    if (columns <= 0 || static_cast<size_t>(columns) > SIZE_MAX / sizeof(int32_t))
        return;
    // Without offsets the logo stands still.
    Drip.Offsets = static_cast<int32_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, columns * sizeof(int32_t)));
    Drip.Columns = Drip.Offsets ? columns : 0;
}

static void RepaintDrip(HDC dc)
{
    if (ControlPanelPreview) {
        // The preview shows the logo as loaded, stretched over the whole
        // window; the drips still follow the drawing rectangle.
        UseShrinkingStretchMode(dc);
        StretchBlt(dc, 0, 0, LogoSurface.ClientWidth, LogoSurface.ClientHeight, LogoSurface.UnscaledDC, 0, 0,
                   LogoSurface.UnscaledWidth, LogoSurface.UnscaledHeight, SRCCOPY);
    } else {
        const LogoPosition centre = CentredLogoPosition(LogoSurface.ClientWidth, LogoSurface.ClientHeight,
                                                        LogoSurface.Width, LogoSurface.Height);
        LogoSurface.X = centre.X;
        LogoSurface.Y = centre.Y;
        DrawLogo(dc);
    }
    Drip.RepaintPending = FALSE;
    // Without a pen the gaps are outlined with whatever pen the window holds.
    if (Drip.Pen) {
        HGDIOBJ previous = SelectObject(dc, Drip.Pen);
        if (!Drip.PenSelected) {
            Drip.SavedPen = previous;
            Drip.PenSelected = TRUE;
        }
    }
    SelectObject(dc, LogoSurface.BackgroundBrush);
}

static void DripOnce(HDC dc)
{
    DripSlide slides[MaxDripSlides];
    const int count = DripStep(Drip.Columns, Drip.Offsets, std::rand, slides);
    for (int i = 0; i < count; ++i) {
        const DripStrip strip = DripStripOf(LogoSurface.X, LogoSurface.Y, LogoSurface.Height, slides[i]);
        BitBlt(dc, strip.X, strip.DestinationY, 1, strip.Height, dc, strip.X, strip.SourceY, SRCCOPY);
        Rectangle(dc, strip.X, strip.GapTop, strip.X + 1, strip.GapBottom);
    }
}

int32_t AnimateDrip(HDC dc, int32_t event)
{
    switch (event) {
    case AnimStart:
        StartDrip(dc);
        break;
    case AnimStop:
        ReleaseDrip(dc);
        break;
    case AnimRepaint:
        RepaintDrip(dc);
        break;
    default:
        if (Drip.RepaintPending)
            RepaintDrip(dc);
        else
            DripOnce(dc);
        break;
    }
    return 0;
}
