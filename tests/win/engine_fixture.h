// Shared by the in-process picture tests: logos painted pixel by pixel, and a scene of the package, the logo
// surface as the saver window leaves it for a mode, and a memory context of the display's format for the window's.
#pragma once

#include <windows.h>
#include <doctest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/logo_surface.h"
#include "package/bmp_format.h"
#include "package/package.h"
#include "shell/host.h"
#include "shell/system_entries.h"

int LiveGdiObjects();
int TakenSoFar();
extern bool RefuseHalftone;

constexpr COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255), Yellow = RGB(255, 255, 0),
                   Magenta = RGB(255, 0, 255), White = RGB(255, 255, 255), Bg = RGB(0x20, 0x30, 0x40);
using Painter = std::function<COLORREF(int32_t x, int32_t y)>;
const Painter Empty = [](int32_t, int32_t) { return Bg; };

inline Painter Quarters(int32_t w, int32_t h)
{
    return [=](int32_t x, int32_t y) { return y < h / 2 ? (x < w / 2 ? Red : Green) : (x < w / 2 ? Blue : Yellow); };
}
inline COLORREF Unique(int32_t x, int32_t y) { return RGB(10 + x * 5, 10 + y * 7, 200); }  // every pixel its own (to 49 × 35)
// A w × h logo at (left, top) on the background.
inline Painter Placed(const Painter& logo, int32_t left, int32_t top, int32_t w, int32_t h)
{
    return [=](int32_t x, int32_t y) { return x >= left && y >= top && x < left + w && y < top + h ? logo(x - left, y - top) : Bg; };
}

// How UsePackage packs the logo's pixels (rows top-down, 0x00RRGGBB) into a BMP file.
inline std::vector<uint8_t> (*PackLogo)(int32_t w, int32_t h, const uint32_t* pixels) = EncodeBmp24;

// The package in memory: a w × h logo of these pixels on the background, default settings.
inline void UsePackage(int32_t w, int32_t h, const Painter& paint, int32_t transparent = -1)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    for (int32_t i = 0; i < w * h; ++i) {
        const COLORREF c = paint(i % w, i / w);
        pixels[i] = static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
    }
    const std::vector<uint8_t> bmp = PackLogo(w, h, pixels.data());
    FreePackageImage();
    ResetSettings();
    PackageImage = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED, bmp.size()));
    std::memcpy(PackageImage, bmp.data(), bmp.size());
    PackageTrailer.ImageSize = static_cast<int32_t>(bmp.size());
    PackageTrailer.BackgroundColor = Bg;
    PackageTrailer.TransparentColor = transparent;
}

struct Picture {
    std::vector<COLORREF> Pixels;
    int32_t W;
    COLORREF operator()(int32_t x, int32_t y) const { return Pixels[static_cast<size_t>(y) * W + x]; }
};

struct Scene {
    int32_t W, H;
    HDC Dc;  // the memory context standing in for the window's, with its bitmap
    HBITMAP Bitmap;
    HPEN Pen = CreatePen(PS_SOLID, 1, Bg);  // the window's own; Plain erases with it
    HGDIOBJ Previous, PreviousPen;
    Scene(int32_t w, int32_t h, const Painter& logo, int32_t clientWidth, int32_t clientHeight, int32_t transparent = -1,
          bool tiled = false)
        : W(clientWidth), H(clientHeight)
    {
        UsePackage(w, h, logo, transparent);
        LogoSurface = {};  // as the saver window sets it up
        LogoSurface.DisplayDC = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        LogoSurface.BackgroundBrush = CreateSolidBrush(Bg);
        LogoSurface.ClientWidth = W, LogoSurface.ClientHeight = H;
        LoadLogoSurface();
        LogoSurface.Tiled = tiled, LogoSurface.DrawTransparent = transparent >= 0;
        LogoSurface.Width = tiled ? W : LogoSurface.NaturalWidth;
        LogoSurface.Height = tiled ? H : LogoSurface.NaturalHeight;
        Dc = CreateCompatibleDC(LogoSurface.DisplayDC);
        Bitmap = CreateCompatibleBitmap(LogoSurface.DisplayDC, W, H);
        Previous = SelectObject(Dc, Bitmap), PreviousPen = SelectObject(Dc, Pen);
        Fill(Bg);
    }
    ~Scene()
    {
        SelectObject(Dc, Previous), SelectObject(Dc, PreviousPen), DeleteDC(Dc), DeleteObject(Bitmap), DeleteObject(Pen);
        ReleaseLogoSurface();
        DeleteObject(LogoSurface.BackgroundBrush), DeleteDC(LogoSurface.DisplayDC), FreePackageImage();
    }
    void Fill(COLORREF colour)
    {
        HBRUSH brush = CreateSolidBrush(colour);
        const RECT all = {0, 0, W, H};
        FillRect(Dc, &all, brush), DeleteObject(brush);
    }
    void Run(AnimationHandler handler, int32_t event, int times = 1)
    {
        while (times-- > 0)
            handler(Dc, event);
    }
    Picture Snap() const
    {
        BITMAPINFO format = {};
        format.bmiHeader = {sizeof(BITMAPINFOHEADER), W, -H, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        Picture picture = {std::vector<COLORREF>(static_cast<size_t>(W) * H), W};
        SelectObject(Dc, Previous);  // a selected bitmap cannot be read
        GetDIBits(Dc, Bitmap, 0, static_cast<UINT>(H), picture.Pixels.data(), &format, DIB_RGB_COLORS);
        SelectObject(Dc, Bitmap);
        for (COLORREF& p : picture.Pixels)
            p = RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
        return picture;
    }
    // How many pixels differ from expected(x, y).
    int Wrong(const Painter& expected) const
    {
        const Picture picture = Snap();
        int wrong = 0;
        for (int32_t i = 0; i < W * H; ++i)
            wrong += picture(i % W, i / W) != expected(i % W, i / W);
        return wrong;
    }
};
