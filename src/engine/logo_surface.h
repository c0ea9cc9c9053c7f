// The logo as a bitmap ready to copy, with the geometry that every mode uses.
#pragma once

#include <windows.h>

#include <cstdint>

struct LogoSurfaceRecord {
    HDC DisplayDC;            // the whole display; everything is made compatible with it
    HBRUSH BackgroundBrush;
    int32_t ClientWidth;      // the client area, origin (0, 0)
    int32_t ClientHeight;
    HBITMAP Bitmap;           // the logo at display size
    HDC MemoryDC;             // holds Bitmap; the source of every copy
    HBITMAP UnscaledBitmap;   // the logo as loaded, kept when it was scaled for the control panel
    HDC UnscaledDC;
    int32_t UnscaledWidth;
    int32_t UnscaledHeight;
    int32_t X;                // where DrawLogo puts the logo
    int32_t Y;
    int32_t Width;            // the draw rectangle: the logo's size, or the client area when tiled
    int32_t Height;
    int32_t NaturalWidth;     // size of Bitmap
    int32_t NaturalHeight;
    BOOL DrawTransparent;     // leave out the transparent colour when copying
    BOOL Tiled;               // fill the client area with copies
};
extern LogoSurfaceRecord LogoSurface;

// Rebuilds the surface from the package's BMP; tells the user and posts quit
// code 1 when there is no logo or it does not decode.
void LoadLogoSurface();
void ReleaseLogoSurface();
void DrawLogo(HDC dc);

// A memory context holding a new bitmap of that size, laid out like the display's.
HDC MakeSurface(HBITMAP* bitmap, int32_t width, int32_t height);
// A memory context holding a one-bit mask of the logo: white where it has the `key` colour.
HDC MakeLogoMask(HBITMAP* bitmap, COLORREF key);
// A context goes before the bitmap selected into it; both become null.
void DeleteSurface(HDC* dc, HBITMAP* bitmap);
// Shrinking keeps colours: by averaging where the system can, else by whole pixels.
void UseShrinkingStretchMode(HDC dc);
// `source` where `mask` is black, what `target` holds where it is white; both read from their origin.
void CopyThroughMask(HDC target, int32_t x, int32_t y, int32_t width, int32_t height, HDC source, HDC mask);
// The logo's top-left `width` × `height` over the background, its transparent colour left out.
void DrawLogoOverBackground(HDC dc, int32_t width, int32_t height);
