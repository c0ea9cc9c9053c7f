// Fade: the logo fades in from the background, holds, fades out, pauses on
// an empty screen and starts over, centred or at a new place every cycle.
// The logo's pixels are read once per run; each frame is blended in memory,
// written into an off-screen bitmap and copied to the screen.
#include <cstdlib>

#include "engine/engine.h"
#include "engine/fade_blend.h"
#include "engine/logo_surface.h"
#include "engine/placement.h"
#include "package/package.h"

struct FadeStateRecord {
    uint8_t* SourcePixels;       // the logo, read at the start
    uint8_t* BlendPixels;        // the frame being made
    BITMAPINFOHEADER PixelInfo;  // describes both buffers
    HBITMAP FadeBitmap;          // the frame on its way to the screen
    HDC FadeDC;
    HBITMAP ScratchBitmap;       // stands in for FadeBitmap in FadeDC while it is written
    HDC PixelDC;                 // the context of the pixel reads and writes
    FadeCycle Cycle;             // its hold outlives a run
};
static FadeStateRecord FadeState;

static void FreePixelBuffers()
{
    if (FadeState.SourcePixels) {
        GlobalFree(FadeState.SourcePixels);
        FadeState.SourcePixels = nullptr;
    }
    if (FadeState.BlendPixels) {
        GlobalFree(FadeState.BlendPixels);
        FadeState.BlendPixels = nullptr;
    }
}

static void ReleaseFade()
{
    FreePixelBuffers();
    // Contexts first: a bitmap still selected into one cannot be deleted.
    if (FadeState.FadeDC) {
        DeleteDC(FadeState.FadeDC);
        FadeState.FadeDC = nullptr;
    }
    if (FadeState.PixelDC) {
        DeleteDC(FadeState.PixelDC);
        FadeState.PixelDC = nullptr;
    }
    if (FadeState.FadeBitmap) {
        DeleteObject(FadeState.FadeBitmap);
        FadeState.FadeBitmap = nullptr;
    }
    if (FadeState.ScratchBitmap) {
        DeleteObject(FadeState.ScratchBitmap);
        FadeState.ScratchBitmap = nullptr;
    }
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

// The logo's pixels into SourcePixels; false when there is no logo to read
// or no memory for the buffers.
static bool ReadLogoPixels()
{
    const int32_t width = LogoSurface.Width, height = LogoSurface.Height;
    const size_t bytes = FadeBufferBytes(width, height);
    if (!LogoSurface.Bitmap || !LogoSurface.MemoryDC || bytes == 0)
        return false;
    FadeState.SourcePixels = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
    FadeState.BlendPixels = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED, bytes));
    if (!FadeState.SourcePixels || !FadeState.BlendPixels)
        return false;

    BITMAPINFOHEADER& info = FadeState.PixelInfo;
    info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // positive: rows bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    // The logo cannot be read while selected: FadeBitmap takes its place for the moment.
    HGDIOBJ logo = SelectObject(LogoSurface.MemoryDC, FadeState.FadeBitmap);
    const int rows = GetDIBits(FadeState.PixelDC, LogoSurface.Bitmap, 0, static_cast<UINT>(height),
                               FadeState.SourcePixels, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    SelectObject(LogoSurface.MemoryDC, logo);
    return rows == height;
}

static void StartFade(HDC dc)
{
    ReleaseFade();
    FadeState.FadeDC = CreateCompatibleDC(dc);
    FadeState.PixelDC = CreateCompatibleDC(dc);
    FadeState.FadeBitmap = CreateCompatibleBitmap(dc, LogoSurface.Width, LogoSurface.Height);
    FadeState.ScratchBitmap = CreateCompatibleBitmap(dc, 1, 1);
    // Without pixels there is nothing to fade: the run shows the background.
    if (!ReadLogoPixels())
        FreePixelBuffers();
    SelectObject(FadeState.FadeDC, FadeState.FadeBitmap);

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
    BlendFadeFrame(FadeState.SourcePixels, FadeState.BlendPixels, width, height, PackageTrailer.BackgroundColor,
                   level);
    SelectObject(FadeState.FadeDC, FadeState.ScratchBitmap);
    SetDIBits(FadeState.PixelDC, FadeState.FadeBitmap, 0, static_cast<UINT>(height), FadeState.BlendPixels,
              reinterpret_cast<const BITMAPINFO*>(&FadeState.PixelInfo), DIB_RGB_COLORS);
    SelectObject(FadeState.FadeDC, FadeState.FadeBitmap);
    BitBlt(dc, LogoSurface.X, LogoSurface.Y, width, height, FadeState.FadeDC, 0, 0, SRCCOPY);
}

static void TickFade(HDC dc)
{
    if (!FadeState.FadeDC)
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
