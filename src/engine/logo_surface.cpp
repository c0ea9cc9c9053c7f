// The logo surface: the package's BMP decoded from memory, scaled for the
// control panel's preview, and drawn once or tiled.
#include "engine/logo_surface.h"

#include <cstring>

#include "engine/engine.h"
#include "engine/placement.h"
#include "package/bmp_format.h"
#include "package/package.h"
#include "shell/host.h"
#include "shell/system_entries.h"

LogoSurfaceRecord LogoSurface;

// A bitmap of the display's format from the package's BMP bytes, or null when
// there are none or they do not hold a picture that the checks accept.
static HBITMAP DecodeLogo()
{
    BmpInfo info;
    if (!PackageImage ||
        CheckBmp(PackageImage, static_cast<size_t>(PackageTrailer.ImageSize), &info) != BmpFault::None)
        return nullptr;
    // The headers sit at an odd offset in the file; GDI gets an aligned copy.
    alignas(8) uint8_t header[MaximumBmpInfoSize];
    std::memcpy(header, PackageImage + 14, info.InfoSize);
    return CreateDIBitmap(LogoSurface.DisplayDC, reinterpret_cast<const BITMAPINFOHEADER*>(header), CBM_INIT,
                          PackageImage + info.PixelOffset, reinterpret_cast<const BITMAPINFO*>(header),
                          DIB_RGB_COLORS);
}

static void ScaleForControlPanel(int32_t width, int32_t height)
{
    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    const LogoPosition size = ScaledLogoSize(LogoSurface.ClientWidth, LogoSurface.ClientHeight, desktop.right,
                                             desktop.bottom, width, height);
    HBITMAP scaled;
    HDC scaledDC = MakeSurface(&scaled, size.X, size.Y);
    UseShrinkingStretchMode(LogoSurface.MemoryDC);
    UseShrinkingStretchMode(scaledDC);
    StretchBlt(scaledDC, 0, 0, size.X, size.Y, LogoSurface.MemoryDC, 0, 0, width, height, SRCCOPY);

    LogoSurface.UnscaledWidth = width;
    LogoSurface.UnscaledHeight = height;
    LogoSurface.UnscaledBitmap = LogoSurface.Bitmap;
    LogoSurface.UnscaledDC = LogoSurface.MemoryDC;
    LogoSurface.Bitmap = scaled;
    LogoSurface.MemoryDC = scaledDC;
    LogoSurface.Width = LogoSurface.NaturalWidth = size.X;
    LogoSurface.Height = LogoSurface.NaturalHeight = size.Y;
}

void LoadLogoSurface()
{
    ReleaseLogoSurface();
    LogoSurface.Bitmap = DecodeLogo();
    if (!LogoSurface.Bitmap) {
        // Nothing to show: the run ends rather than showing a blank screen for ever.
        LogoSurface.NaturalWidth = LogoSurface.NaturalHeight = 0;
        MessageBoxA(nullptr, "Unable to load logo", "Glimmora Screensaver", MB_OK | MB_ICONERROR);
        PostQuitMessage(1);
        return;
    }

    BITMAP bitmap;
    GetObjectA(LogoSurface.Bitmap, sizeof bitmap, &bitmap);
    LogoSurface.X = LogoSurface.Y = 0;
    LogoSurface.Width = LogoSurface.NaturalWidth = bitmap.bmWidth;
    LogoSurface.Height = LogoSurface.NaturalHeight = bitmap.bmHeight;
    if (bitmap.bmWidth == LogoSurface.ClientWidth)
        --LogoSurface.ClientWidth;
    if (bitmap.bmHeight == LogoSurface.ClientHeight)
        --LogoSurface.ClientHeight;

    LogoSurface.MemoryDC = CreateCompatibleDC(LogoSurface.DisplayDC);
    SelectObject(LogoSurface.MemoryDC, LogoSurface.Bitmap);
    if (ControlPanelPreview)
        ScaleForControlPanel(bitmap.bmWidth, bitmap.bmHeight);

    Settings->UseTransparency = PackageTrailer.TransparentColor >= 0;
}

void ReleaseLogoSurface()
{
    DeleteSurface(&LogoSurface.MemoryDC, &LogoSurface.Bitmap);
    DeleteSurface(&LogoSurface.UnscaledDC, &LogoSurface.UnscaledBitmap);
    LogoSurface.X = LogoSurface.Y = LogoSurface.Width = LogoSurface.Height = 0;
    LogoSurface.UnscaledWidth = LogoSurface.UnscaledHeight = 0;
}

// The logo's top-left `width` × `height` without its transparent colour.
// Without msimg32 (Windows 95, NT 4.0) a mask gives the same pixels.
static void CopyLogoTransparent(HDC dc, int32_t x, int32_t y, int32_t width, int32_t height)
{
    const UINT key = static_cast<UINT>(PackageTrailer.TransparentColor);
    if (OptionalSystemEntries().TransparentBlt) {
        SystemEntries.TransparentBlt(dc, x, y, width, height, LogoSurface.MemoryDC, 0, 0, width, height, key);
        return;
    }
    HBITMAP maskBitmap;
    HDC mask = MakeLogoMask(&maskBitmap, key);
    CopyThroughMask(dc, x, y, width, height, LogoSurface.MemoryDC, mask);
    DeleteSurface(&mask, &maskBitmap);
}

static void CopyLogo(HDC dc, int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (LogoSurface.DrawTransparent)
        CopyLogoTransparent(dc, x, y, width, height);
    else
        BitBlt(dc, x, y, width, height, LogoSurface.MemoryDC, 0, 0, SRCCOPY);
}

void DrawLogo(HDC dc)
{
    if (!LogoSurface.Tiled) {
        CopyLogo(dc, LogoSurface.X, LogoSurface.Y, LogoSurface.Width, LogoSurface.Height);
        return;
    }
    const int32_t width = LogoSurface.NaturalWidth, height = LogoSurface.NaturalHeight;
    const int32_t columns = TileCount(LogoSurface.ClientWidth, width);
    const int32_t rows = TileCount(LogoSurface.ClientHeight, height);
    for (int32_t column = 0; column < columns; ++column)
        for (int32_t row = 0; row < rows; ++row)
            CopyLogo(dc, column * width, row * height, width, height);
}

HDC MakeSurface(HBITMAP* bitmap, int32_t width, int32_t height)
{
    HDC dc = CreateCompatibleDC(LogoSurface.DisplayDC);
    *bitmap = CreateCompatibleBitmap(LogoSurface.DisplayDC, width, height);
    SelectObject(dc, *bitmap);
    return dc;
}

HDC MakeLogoMask(HBITMAP* bitmap, COLORREF key)
{
    const int32_t width = LogoSurface.Width, height = LogoSurface.Height;
    HDC dc = CreateCompatibleDC(LogoSurface.DisplayDC);
    *bitmap = CreateBitmap(width, height, 1, 1, nullptr);
    SelectObject(dc, *bitmap);
    // A colour-to-monochrome copy turns the source's background colour white.
    const COLORREF formerBackground = SetBkColor(LogoSurface.MemoryDC, key);
    BitBlt(dc, 0, 0, width, height, LogoSurface.MemoryDC, 0, 0, SRCCOPY);
    SetBkColor(LogoSurface.MemoryDC, formerBackground);
    return dc;
}

void DeleteSurface(HDC* dc, HBITMAP* bitmap)
{
    if (*dc)
        DeleteDC(*dc);
    if (*bitmap)
        DeleteObject(*bitmap);
    *dc = nullptr;
    *bitmap = nullptr;
}

void DrawLogoOverBackground(HDC dc, int32_t width, int32_t height)
{
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, LogoSurface.BackgroundBrush);
    CopyLogoTransparent(dc, 0, 0, width, height);
}

void UseShrinkingStretchMode(HDC dc)
{
    // Averaging, with the brush origin that it needs set after it; Windows
    // 9x has none, and its default mode would AND neighbouring colours
    // together, so whole pixels are kept instead.
    if (SetStretchBltMode(dc, HALFTONE))
        SetBrushOrgEx(dc, 0, 0, nullptr);
    else
        SetStretchBltMode(dc, COLORONCOLOR);
}

void CopyThroughMask(HDC target, int32_t x, int32_t y, int32_t width, int32_t height, HDC source, HDC mask)
{
    BitBlt(target, x, y, width, height, source, 0, 0, SRCINVERT);
    BitBlt(target, x, y, width, height, mask, 0, 0, SRCAND);
    BitBlt(target, x, y, width, height, source, 0, 0, SRCINVERT);
}
