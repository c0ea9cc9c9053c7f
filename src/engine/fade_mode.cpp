// Fade: the logo fades in from the background, holds, fades out, pauses on
// an empty screen and starts over, centred or at a new place every cycle.
// The logo's pixels are read once per run; each frame is blended straight
// into an off-screen section and copied to the screen.
#include <cstdlib>

#include "engine/engine.h"
#include "engine/fade_blend.h"
#include "engine/logo_surface.h"
#include "engine/placement.h"
#include "package/package.h"

struct FadeStateRecord {
    uint8_t* SourcePixels;       // the logo, read at the start
    BITMAPINFOHEADER PixelInfo;  // describes SourcePixels and the frame's pixels
    HBITMAP FrameBitmap;         // a section of PixelInfo's layout: each frame is blended straight into it
    uint8_t* FramePixels;        // its pixels
    HDC FrameDC;                 // holds FrameBitmap
    FadeCycle Cycle;             // its hold outlives a run
};
static FadeStateRecord FadeState;

static void ReleaseFade()
{
    if (FadeState.SourcePixels) {
        GlobalFree(FadeState.SourcePixels);
        FadeState.SourcePixels = nullptr;
    }
    DeleteSurface(&FadeState.FrameDC, &FadeState.FrameBitmap);
    FadeState.FramePixels = nullptr;
}

static void PlaceAtRandom()
{
    // x is drawn first.
    const int32_t r1 = std::rand();
    const int32_t r2 = std::rand();
    const LogoPosition place = RandomLogoPosition(LogoSurface.ClientWidth, LogoSurface.ClientHeight,
                                                  LogoSurface.Width, LogoSurface.Height, r1, r2);
    LogoSurface.X = place.X;
    LogoSurface.Y = place.Y;
}

// The logo's pixels into SourcePixels, and the section for the frames in
// the same layout; false when there is no logo to read or no memory for them.
static bool ReadLogoPixels(HDC dc)
{
    const int32_t width = LogoSurface.Width, height = LogoSurface.Height;
    const size_t bytes = FadeBufferBytes(width, height);
    if (!LogoSurface.Bitmap || !LogoSurface.MemoryDC || bytes == 0)
        return false;
    BITMAPINFOHEADER& info = FadeState.PixelInfo;
    info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // positive: rows bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    void* framePixels = nullptr;
    FadeState.FrameBitmap = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                             &framePixels, nullptr, 0);
    FadeState.FramePixels = static_cast<uint8_t*>(framePixels);
    FadeState.SourcePixels = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
    if (!FadeState.FrameBitmap || !FadeState.FramePixels || !FadeState.SourcePixels)
        return false;

    // The logo cannot be read while selected: the frame's bitmap takes its place for the moment.
    HGDIOBJ logo = SelectObject(LogoSurface.MemoryDC, FadeState.FrameBitmap);
    const int rows = GetDIBits(FadeState.FrameDC, LogoSurface.Bitmap, 0, static_cast<UINT>(height),
                               FadeState.SourcePixels, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    SelectObject(LogoSurface.MemoryDC, logo);
    return rows == height;
}

static void StartFade(HDC dc)
{
    ReleaseFade();
    FadeState.FrameDC = CreateCompatibleDC(dc);
    // Without pixels there is nothing to fade: the run shows the background.
    if (ReadLogoPixels(dc)) {
        SelectObject(FadeState.FrameDC, FadeState.FrameBitmap);
    } else if (FadeState.SourcePixels) {
        GlobalFree(FadeState.SourcePixels);
        FadeState.SourcePixels = nullptr;
    }

    if (Settings->FadeRandomPositions) {
        PlaceAtRandom();
    } else {
        const LogoPosition centre = CentredLogoPosition(LogoSurface.ClientWidth, LogoSurface.ClientHeight,
                                                        LogoSurface.Width, LogoSurface.Height);
        LogoSurface.X = centre.X;
        LogoSurface.Y = centre.Y;
    }
    StartFadeCycle(&FadeState.Cycle, Settings->FadeSpeed);
}

static void DrawFadeFrame(HDC dc, int32_t level)
{
    if (!FadeState.SourcePixels)
        return;
    const int32_t width = LogoSurface.Width, height = LogoSurface.Height;
    // No drawing that reads the section may still be pending when it is written.
    GdiFlush();
    BlendFadeFrame(FadeState.SourcePixels, FadeState.FramePixels, width, height, PackageTrailer.BackgroundColor,
                   level);
    BitBlt(dc, LogoSurface.X, LogoSurface.Y, width, height, FadeState.FrameDC, 0, 0, SRCCOPY);
}

static void TickFade(HDC dc)
{
    if (!FadeState.FrameDC)
        return;
    const FadeTick tick = AdvanceFade(&FadeState.Cycle);
    if (!tick.DrawFrame)
        return;
    DrawFadeFrame(dc, tick.FrameLevel);
    if (!tick.Faded)
        return;
    // The null pen and the brush stay selected in the window's context.
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, LogoSurface.BackgroundBrush);
    Rectangle(dc, 0, 0, LogoSurface.ClientWidth, LogoSurface.ClientHeight);
    if (Settings->FadeRandomPositions)
        PlaceAtRandom();
}

int32_t AnimateFade(HDC dc, int32_t event)
{
    switch (event) {
    case AnimStart:
        StartFade(dc);
        break;
    case AnimTick:
        TickFade(dc);
        break;
    case AnimStop:
        ReleaseFade();
        break;
    default:
        // The next drawn frame brings the logo back after a repaint.
        break;
    }
    return 0;
}
