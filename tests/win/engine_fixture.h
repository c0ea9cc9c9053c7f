// Set-up shared by the in-process engine tests: logos painted pixel by pixel,
// the package and surface as the saver window leaves them for a mode, and
// memory contexts of the display's format that stand in for the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "engine/logo_surface.h"
#include "package/bmp_format.h"
#include "package/package.h"

constexpr COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255), Yellow = RGB(255, 255, 0);
constexpr COLORREF Background = RGB(0x20, 0x30, 0x40);

// A 24-bit BMP file whose pixel (x, y) is paint(x, y).
template <typename Painter>
std::vector<uint8_t> PaintedLogo(int32_t width, int32_t height, const Painter& paint)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const COLORREF colour = paint(x, y);
            pixels[static_cast<size_t>(y) * width + x] =
                static_cast<uint32_t>(GetRValue(colour)) << 16 | static_cast<uint32_t>(GetGValue(colour)) << 8 |
                GetBValue(colour);
        }
    return EncodeBmp24(width, height, pixels.data());
}

// Quarters red, green / blue, yellow.
inline COLORREF QuarterColour(int32_t x, int32_t y, int32_t width, int32_t height)
{
    return y < height / 2 ? (x < width / 2 ? Red : Green) : (x < width / 2 ? Blue : Yellow);
}

inline std::vector<uint8_t> QuarterLogo(int32_t width, int32_t height)
{
    return PaintedLogo(width, height, [=](int32_t x, int32_t y) { return QuarterColour(x, y, width, height); });
}

// The package in memory: this logo on the background, with default settings.
inline void UsePackage(const std::vector<uint8_t>& logo, int32_t transparent)
{
    FreePackageImage();
    ResetSettings();
    PackageImage = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED, logo.size()));
    std::memcpy(PackageImage, logo.data(), logo.size());
    PackageTrailer.ImageSize = static_cast<int32_t>(logo.size());
    PackageTrailer.BackgroundColor = Background;
    PackageTrailer.TransparentColor = transparent;
}

// The display context and background brush of a client area of this size.
inline void OpenSurface(int32_t clientWidth, int32_t clientHeight)
{
    LogoSurface.DisplayDC = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    LogoSurface.BackgroundBrush = CreateSolidBrush(Background);
    LogoSurface.ClientWidth = clientWidth;
    LogoSurface.ClientHeight = clientHeight;
}

// The surface as the saver window leaves it for a mode, without a window:
// the package's logo loaded and the draw rectangle set.
inline void OpenLoadedSurface(int32_t clientWidth, int32_t clientHeight, bool tiled, bool drawTransparent)
{
    OpenSurface(clientWidth, clientHeight);
    LoadLogoSurface();
    LogoSurface.Tiled = tiled;
    LogoSurface.DrawTransparent = drawTransparent;
    LogoSurface.Width = tiled ? LogoSurface.ClientWidth : LogoSurface.NaturalWidth;
    LogoSurface.Height = tiled ? LogoSurface.ClientHeight : LogoSurface.NaturalHeight;
}

// Releases what a test built on the logo surface, and the package's logo.
inline void CloseSurface()
{
    ReleaseLogoSurface();
    DeleteObject(LogoSurface.BackgroundBrush);
    DeleteDC(LogoSurface.DisplayDC);
    LogoSurface = {};
    FreePackageImage();
}

// A memory context of the display's format standing in for the window's.
struct Canvas {
    HDC Context;
    HBITMAP Bitmap;
    HGDIOBJ Previous;
    int32_t Width;
    int32_t Height;
};

inline Canvas MakeCanvas(int32_t width, int32_t height, COLORREF fill = Background)
{
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    Canvas canvas = {CreateCompatibleDC(display), CreateCompatibleBitmap(display, width, height), nullptr, width,
                     height};
    DeleteDC(display);
    canvas.Previous = SelectObject(canvas.Context, canvas.Bitmap);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all = {0, 0, width, height};
    FillRect(canvas.Context, &all, brush);
    DeleteObject(brush);
    return canvas;
}

inline void FreeCanvas(Canvas& canvas)
{
    SelectObject(canvas.Context, canvas.Previous);
    DeleteDC(canvas.Context);
    DeleteObject(canvas.Bitmap);
}

// Every pixel of a canvas, rows top-down.
struct Picture {
    std::vector<COLORREF> Pixels;
    int32_t Width;
    int32_t Height;
    COLORREF At(int32_t x, int32_t y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

inline Picture Snapshot(const Canvas& canvas)
{
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = canvas.Width;
    format.bmiHeader.biHeight = -canvas.Height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> raw(static_cast<size_t>(canvas.Width) * canvas.Height);
    // A bitmap selected into a context cannot be read.
    SelectObject(canvas.Context, canvas.Previous);
    GetDIBits(canvas.Context, canvas.Bitmap, 0, static_cast<UINT>(canvas.Height), raw.data(), &format,
              DIB_RGB_COLORS);
    SelectObject(canvas.Context, canvas.Bitmap);
    Picture picture = {std::vector<COLORREF>(raw.size()), canvas.Width, canvas.Height};
    for (size_t i = 0; i < raw.size(); ++i)
        picture.Pixels[i] = RGB(raw[i] >> 16 & 0xFF, raw[i] >> 8 & 0xFF, raw[i] & 0xFF);
    return picture;
}

// How many pixels differ from expected(x, y).
template <typename Expected>
int CountDifferences(const Picture& picture, const Expected& expected)
{
    int wrong = 0;
    for (int32_t y = 0; y < picture.Height; ++y)
        for (int32_t x = 0; x < picture.Width; ++x)
            wrong += picture.At(x, y) != expected(x, y);
    return wrong;
}

// A 320 × 240 saver window of the settings dialog's kind, which uses the
// package already in memory instead of loading one.
inline HWND OpenSaverWindow(const char* className)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    Engine.SettingsPreview = TRUE;
    return CreateWindowExA(0, className, "", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}
