// Falling: copies of the logo drift one way at different depths; farther
// ones are smaller, slower and darker, and nearer ones are drawn over them.
// Each frame is composed off screen and shown in one copy.
#include <cstdlib>

#include "engine/engine.h"
#include "engine/falling_depth.h"
#include "engine/logo_surface.h"
#include "package/package.h"
#include "shell/host.h"

// One moving copy. Its bitmaps are made when it is placed, never per frame.
struct FallingLogo {
    FallingPlace Place;
    HBITMAP ColourBitmap;
    HBITMAP MaskBitmap;  // only while the logo is drawn transparent
    HDC ColourDC;
    HDC MaskDC;
};

struct FallingState {
    FallingLogo Logos[MaxFallingLogos];
    BOOL FirstStepPending;  // the next step places every copy anywhere on the screen
    HDC BackBufferDC;       // the frame; holds the null pen and the background brush
    HBITMAP BackBufferBitmap;
    HDC LogoMaskDC;         // one bit a pixel: white where the logo has its top-left colour
    HBITMAP LogoMaskBitmap;
    HDC LogoCopyDC;         // the logo with its transparent colour turned into the background
    HBITMAP LogoCopyBitmap;
    int32_t Direction;
    FallStep Step;
};

// Zero until StartFalling sets it up, so that it takes no room in the file.
static FallingState Falling;

// A context goes before the bitmap selected into it.
static void DeleteSurface(HDC* dc, HBITMAP* bitmap)
{
    if (*dc)
        DeleteDC(*dc);
    if (*bitmap)
        DeleteObject(*bitmap);
    *dc = nullptr;
    *bitmap = nullptr;
}

static void ReleaseCopy(FallingLogo* logo)
{
    DeleteSurface(&logo->ColourDC, &logo->ColourBitmap);
    DeleteSurface(&logo->MaskDC, &logo->MaskBitmap);
    *logo = {};
}

static void ReleaseFalling()
{
    for (FallingLogo& logo : Falling.Logos)
        ReleaseCopy(&logo);
    DeleteSurface(&Falling.BackBufferDC, &Falling.BackBufferBitmap);
    DeleteSurface(&Falling.LogoMaskDC, &Falling.LogoMaskBitmap);
    DeleteSurface(&Falling.LogoCopyDC, &Falling.LogoCopyBitmap);
}

static void StartFalling()
{
    const int32_t width = LogoSurface.Width, height = LogoSurface.Height;
    Falling.FirstStepPending = TRUE;

    Falling.BackBufferDC = CreateCompatibleDC(LogoSurface.MemoryDC);
    Falling.BackBufferBitmap =
        CreateCompatibleBitmap(LogoSurface.DisplayDC, LogoSurface.ClientWidth, LogoSurface.ClientHeight);
    SelectObject(Falling.BackBufferDC, Falling.BackBufferBitmap);
    SelectObject(Falling.BackBufferDC, GetStockObject(NULL_PEN));
    SelectObject(Falling.BackBufferDC, LogoSurface.BackgroundBrush);

    // The mask keys on the logo's top-left pixel, which need not be the
    // transparent colour: that pixel's colour is what overlapping copies see through.
    Falling.LogoMaskDC = CreateCompatibleDC(LogoSurface.MemoryDC);
    Falling.LogoMaskBitmap = CreateBitmap(width, height, 1, 1, nullptr);
    SelectObject(Falling.LogoMaskDC, Falling.LogoMaskBitmap);
    const COLORREF formerBackground = SetBkColor(LogoSurface.MemoryDC, GetPixel(LogoSurface.MemoryDC, 0, 0));
    BitBlt(Falling.LogoMaskDC, 0, 0, width, height, LogoSurface.MemoryDC, 0, 0, SRCCOPY);
    SetBkColor(LogoSurface.MemoryDC, formerBackground);

    Falling.LogoCopyDC = CreateCompatibleDC(LogoSurface.MemoryDC);
    Falling.LogoCopyBitmap = CreateCompatibleBitmap(LogoSurface.DisplayDC, width, height);
    SelectObject(Falling.LogoCopyDC, Falling.LogoCopyBitmap);
    if (LogoSurface.DrawTransparent) {
        RECT all = {0, 0, width, height};
        FillRect(Falling.LogoCopyDC, &all, LogoSurface.BackgroundBrush);
        TransparentBlt(Falling.LogoCopyDC, 0, 0, width, height, LogoSurface.MemoryDC, 0, 0, width, height,
                       static_cast<UINT>(PackageTrailer.TransparentColor));
    } else {
        BitBlt(Falling.LogoCopyDC, 0, 0, width, height, LogoSurface.MemoryDC, 0, 0, SRCCOPY);
    }

    Falling.Direction = ChooseFallDirection(Settings->FallingDirection, std::rand);
    Falling.Step = FallStepFor(Falling.Direction, Settings->FallingSpeed, ControlPanelPreview != FALSE);
}

// Farther copies are darker: every colour component is scaled by the depth's
// brightness. The copy's bitmap is read and written as 24-bit rows.
static void DarkenCopy(FallingLogo* logo, HDC windowDC)
{
    const int32_t width = logo->Place.CopyWidth, height = logo->Place.CopyHeight;
    HDC scratchDC = CreateCompatibleDC(windowDC);
    HBITMAP scratch = CreateCompatibleBitmap(windowDC, LogoSurface.Width, LogoSurface.Height);
    // The bitmap's pixels can only be read and written while no context holds it.
    SelectObject(logo->ColourDC, scratch);

    const size_t bytes = DarkeningBufferBytes(width, height);
    uint8_t* source = bytes ? static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes)) : nullptr;
    uint8_t* target = bytes ? static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes)) : nullptr;
    // Without buffers the copy stays as bright as the logo.
    if (source && target) {
        BITMAPINFO format = {};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = height;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 24;
        format.bmiHeader.biCompression = BI_RGB;
        uint8_t table[256];
        DarkeningTable(logo->Place.Depth, table);
        GetDIBits(windowDC, logo->ColourBitmap, 0, static_cast<UINT>(height), source, &format, DIB_RGB_COLORS);
        DarkenRows(source, target, width, height, table);
        SetDIBits(windowDC, logo->ColourBitmap, 0, static_cast<UINT>(height), target, &format, DIB_RGB_COLORS);
    }
    SelectObject(logo->ColourDC, logo->ColourBitmap);

    // The transparent area was darkened with the rest; it takes the exact
    // background colour again, so no darker box shows around the logo.
    if (logo->MaskDC) {
        SelectObject(scratchDC, scratch);
        RECT all = {0, 0, LogoSurface.Width, LogoSurface.Height};
        FillRect(scratchDC, &all, LogoSurface.BackgroundBrush);
        BitBlt(scratchDC, 0, 0, width, height, logo->ColourDC, 0, 0, SRCINVERT);
        BitBlt(scratchDC, 0, 0, width, height, logo->MaskDC, 0, 0, SRCAND);
        BitBlt(scratchDC, 0, 0, width, height, logo->ColourDC, 0, 0, SRCINVERT);
        BitBlt(logo->ColourDC, 0, 0, width, height, scratchDC, 0, 0, SRCCOPY);
    }

    DeleteDC(scratchDC);
    DeleteObject(scratch);
    if (source)
        GlobalFree(source);
    if (target)
        GlobalFree(target);
}

static void ReplaceFallingLogo(FallingLogo* logo, HDC windowDC)
{
    ReleaseCopy(logo);
    const int32_t width = LogoSurface.Width, height = LogoSurface.Height;
    const bool sizeByDepth = Settings->FallingSizeByDepth != 0;
    logo->Place = PlaceFallingCopy(width, height, LogoSurface.ClientWidth, LogoSurface.ClientHeight, sizeByDepth,
                                   !Falling.FirstStepPending, Falling.Step, std::rand);
    const int32_t copyWidth = logo->Place.CopyWidth, copyHeight = logo->Place.CopyHeight;

    logo->ColourDC = CreateCompatibleDC(LogoSurface.MemoryDC);
    logo->ColourBitmap = CreateCompatibleBitmap(LogoSurface.DisplayDC, copyWidth, copyHeight);
    SelectObject(logo->ColourDC, logo->ColourBitmap);

    if (LogoSurface.DrawTransparent) {
        // A colour bitmap: white stays white (see through), black stays black.
        logo->MaskDC = CreateCompatibleDC(LogoSurface.MemoryDC);
        logo->MaskBitmap = CreateCompatibleBitmap(LogoSurface.DisplayDC, copyWidth, copyHeight);
        SelectObject(logo->MaskDC, logo->MaskBitmap);
        if (sizeByDepth) {
            SetStretchBltMode(logo->MaskDC, BLACKONWHITE);
            StretchBlt(logo->MaskDC, 0, 0, copyWidth, copyHeight, Falling.LogoMaskDC, 0, 0, width, height, SRCCOPY);
        } else {
            BitBlt(logo->MaskDC, 0, 0, copyWidth, copyHeight, Falling.LogoMaskDC, 0, 0, SRCCOPY);
        }
    }

    SetStretchBltMode(logo->ColourDC, HALFTONE);
    SetStretchBltMode(LogoSurface.MemoryDC, HALFTONE);
    SetStretchBltMode(Falling.LogoCopyDC, HALFTONE);
    if (sizeByDepth)
        StretchBlt(logo->ColourDC, 0, 0, copyWidth, copyHeight, Falling.LogoCopyDC, 0, 0, width, height, SRCCOPY);
    else
        BitBlt(logo->ColourDC, 0, 0, copyWidth, copyHeight, Falling.LogoCopyDC, 0, 0, SRCCOPY);

    if (Settings->FallingFadeInDistance)
        DarkenCopy(logo, windowDC);
}

static bool OverlapsEarlierCopy(int32_t j)
{
    const FallingPlace& place = Falling.Logos[j].Place;
    RECT copy, earlier, overlap;
    SetRect(&copy, place.ScreenX, place.ScreenY, place.ScreenX + place.CopyWidth, place.ScreenY + place.CopyHeight);
    for (int32_t k = 0; k < j; ++k) {
        const FallingPlace& other = Falling.Logos[k].Place;
        SetRect(&earlier, other.ScreenX, other.ScreenY, other.ScreenX + other.CopyWidth,
                other.ScreenY + other.CopyHeight);
        if (IntersectRect(&overlap, &copy, &earlier))
            return true;
    }
    return false;
}

static void StepFalling(HDC windowDC)
{
    const int32_t clientWidth = LogoSurface.ClientWidth, clientHeight = LogoSurface.ClientHeight;
    const int32_t count = FallingCopiesInUse(Settings->FallingLogoCount);
    for (int32_t i = 0; i < count; ++i)
        if (Falling.FirstStepPending || FallingCopyGone(Falling.Logos[i].Place, clientWidth, clientHeight))
            ReplaceFallingLogo(&Falling.Logos[i], windowDC);
    SortFarthestFirst(Falling.Logos, count);

    // The null pen leaves the right and bottom edges out, hence the extra pixel.
    Rectangle(Falling.BackBufferDC, 0, 0, clientWidth + 1, clientHeight + 1);
    for (int32_t j = 0; j < count; ++j) {
        FallingLogo& logo = Falling.Logos[j];
        MoveFallingCopy(&logo.Place, Falling.Step);
        const FallingPlace& place = logo.Place;
        if (LogoSurface.DrawTransparent && j > 0 && OverlapsEarlierCopy(j)) {
            // Copy where the mask is black, what lay there where it is white.
            BitBlt(Falling.BackBufferDC, place.ScreenX, place.ScreenY, place.CopyWidth, place.CopyHeight,
                   logo.ColourDC, 0, 0, SRCINVERT);
            BitBlt(Falling.BackBufferDC, place.ScreenX, place.ScreenY, place.CopyWidth, place.CopyHeight,
                   logo.MaskDC, 0, 0, SRCAND);
            BitBlt(Falling.BackBufferDC, place.ScreenX, place.ScreenY, place.CopyWidth, place.CopyHeight,
                   logo.ColourDC, 0, 0, SRCINVERT);
        } else {
            // On plain background the copy's transparent area already holds the background.
            BitBlt(Falling.BackBufferDC, place.ScreenX, place.ScreenY, place.CopyWidth, place.CopyHeight,
                   logo.ColourDC, 0, 0, SRCCOPY);
        }
    }
    BitBlt(windowDC, 0, 0, clientWidth, clientHeight, Falling.BackBufferDC, 0, 0, SRCCOPY);
    Falling.FirstStepPending = FALSE;
}

int32_t AnimateFalling(HDC dc, int32_t event)
{
    switch (event) {
    case AnimStart:
        ReleaseFalling();
        StartFalling();
        break;
    case AnimStop:
        ReleaseFalling();
        break;
    case AnimRepaint:
        // The next step paints the whole client area.
        break;
    default:
        StepFalling(dc);
        break;
    }
    return 0;
}
