// Falling: copies of the logo drift one way at different depths; farther
// ones are smaller, slower and darker, and nearer ones are drawn over them.
// Each frame is composed off screen; only the places where copies were and
// are now change, so only those are cleared, composed again and shown.
#include <cstdlib>

#include "engine/engine.h"
#include "engine/falling_depth.h"
#include "engine/pixel_rect.h"
#include "engine/logo_surface.h"
#include "package/package.h"
#include "shell/host.h"

// One moving copy. Its bitmaps, of the logo's size, are made at the start;
// a copy placed anew is drawn into their top-left corner.
struct FallingLogo {
    FallingPlace Place;
    PixelRect Shown;     // where the copy was drawn last, within the client area
    HBITMAP ColourBitmap;
    HBITMAP MaskBitmap;  // only while the logo is drawn transparent
    HDC ColourDC;
    HDC MaskDC;
};

struct FallingState {
    FallingLogo Logos[MaxFallingLogos];
    BOOL FirstStepPending;  // the next step places every copy anywhere on the screen
    BOOL WholeFramePending; // the next step composes and shows the whole frame: the window was painted over
    HDC BackBufferDC;       // the frame; holds the null pen and the background brush
    HBITMAP BackBufferBitmap;
    HDC LogoMaskDC;         // one bit a pixel: white where the logo has its top-left colour
    HBITMAP LogoMaskBitmap;
    HDC LogoCopyDC;         // the logo with its transparent colour turned into the background
    HBITMAP LogoCopyBitmap;
    HDC ScratchDC;          // darkening: the logo's size
    HBITMAP ScratchBitmap;
    HBITMAP StandInBitmap;  // 1 x 1: takes a copy's place in its context while its pixels are read
    uint8_t* DarkSource;    // darkening: the rows of one copy as read, and as written
    uint8_t* DarkTarget;
    int32_t Direction;
    FallStep Step;
};

// Zero until StartFalling sets it up, so that it takes no room in the file.
static FallingState Falling;

static void ReleaseCopy(FallingLogo* logo)
{
    DeleteSurface(&logo->ColourDC, &logo->ColourBitmap);
    DeleteSurface(&logo->MaskDC, &logo->MaskBitmap);
    *logo = {};
}

static void FreeBuffer(uint8_t** buffer)
{
    if (*buffer)
        GlobalFree(*buffer);
    *buffer = nullptr;
}

static void ReleaseFalling()
{
    for (FallingLogo& logo : Falling.Logos)
        ReleaseCopy(&logo);
    DeleteSurface(&Falling.BackBufferDC, &Falling.BackBufferBitmap);
    DeleteSurface(&Falling.LogoMaskDC, &Falling.LogoMaskBitmap);
    DeleteSurface(&Falling.LogoCopyDC, &Falling.LogoCopyBitmap);
    DeleteSurface(&Falling.ScratchDC, &Falling.ScratchBitmap);
    if (Falling.StandInBitmap)
        DeleteObject(Falling.StandInBitmap);
    Falling.StandInBitmap = nullptr;
    FreeBuffer(&Falling.DarkSource);
    FreeBuffer(&Falling.DarkTarget);
}

// Everything that placing copies needs, made once so that no step makes any:
// each used record's bitmaps at the logo's size, and the darkening's scratch.
static void MakeCopySurfaces(HDC windowDC)
{
    const int32_t width = LogoSurface.Width, height = LogoSurface.Height;
    const int32_t count = FallingCopiesInUse(Settings->FallingLogoCount);
    for (int32_t i = 0; i < count; ++i) {
        FallingLogo& logo = Falling.Logos[i];
        logo.ColourDC = MakeSurface(&logo.ColourBitmap, width, height);
        UseShrinkingStretchMode(logo.ColourDC);
        if (LogoSurface.DrawTransparent) {
            // A colour bitmap: white stays white (see through), black stays black.
            logo.MaskDC = MakeSurface(&logo.MaskBitmap, width, height);
            SetStretchBltMode(logo.MaskDC, BLACKONWHITE);
        }
    }
    if (!Settings->FallingFadeInDistance || count == 0)
        return;
    Falling.ScratchDC = MakeSurface(&Falling.ScratchBitmap, width, height);
    Falling.StandInBitmap = CreateCompatibleBitmap(windowDC, 1, 1);
    const size_t bytes = DarkeningBufferBytes(width, height);
    if (bytes) {
        Falling.DarkSource = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
        Falling.DarkTarget = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
    }
}

static void StartFalling(HDC windowDC)
{
    const int32_t width = LogoSurface.Width, height = LogoSurface.Height;
    Falling.FirstStepPending = TRUE;
    Falling.WholeFramePending = TRUE;

    Falling.BackBufferDC = MakeSurface(&Falling.BackBufferBitmap, LogoSurface.ClientWidth, LogoSurface.ClientHeight);
    SelectObject(Falling.BackBufferDC, GetStockObject(NULL_PEN));
    SelectObject(Falling.BackBufferDC, LogoSurface.BackgroundBrush);

    // The mask keys on the logo's top-left pixel, which need not be the
    // transparent colour: that pixel's colour is what overlapping copies see through.
    Falling.LogoMaskDC = MakeLogoMask(&Falling.LogoMaskBitmap, GetPixel(LogoSurface.MemoryDC, 0, 0));

    Falling.LogoCopyDC = MakeSurface(&Falling.LogoCopyBitmap, width, height);
    if (LogoSurface.DrawTransparent)
        DrawLogoOverBackground(Falling.LogoCopyDC, width, height);
    else
        BitBlt(Falling.LogoCopyDC, 0, 0, width, height, LogoSurface.MemoryDC, 0, 0, SRCCOPY);
    // Copies are made smaller by averaging.
    UseShrinkingStretchMode(LogoSurface.MemoryDC);
    UseShrinkingStretchMode(Falling.LogoCopyDC);

    Falling.Direction = ChooseFallDirection(Settings->FallingDirection, std::rand);
    Falling.Step = FallStepFor(Falling.Direction, Settings->FallingSpeed, ControlPanelPreview != FALSE);
    MakeCopySurfaces(windowDC);
}

// Farther copies are darker: every colour component is scaled by the depth's
// brightness. The copy's rows, the top ones of its bitmap, are read and
// written as 24-bit rows of the bitmap's width; what lies right of the copy
// is darkened too and never shown.
static void DarkenCopy(FallingLogo* logo, HDC windowDC)
{
    const int32_t width = logo->Place.CopyWidth, height = logo->Place.CopyHeight;
    const int32_t bitmapHeight = LogoSurface.Height;
    // Without buffers the copy stays as bright as the logo.
    if (Falling.DarkSource && Falling.DarkTarget && height > 0) {
        // The bitmap's pixels can only be read and written while no context holds it.
        SelectObject(logo->ColourDC, Falling.StandInBitmap);
        BITMAPINFO format = {};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = LogoSurface.Width;
        format.bmiHeader.biHeight = bitmapHeight;  // bottom-up: the copy's rows are the last scan lines
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 24;
        format.bmiHeader.biCompression = BI_RGB;
        uint8_t table[256];
        DarkeningTable(logo->Place.Depth, table);
        const UINT first = static_cast<UINT>(bitmapHeight - height), rows = static_cast<UINT>(height);
        GetDIBits(windowDC, logo->ColourBitmap, first, rows, Falling.DarkSource, &format, DIB_RGB_COLORS);
        DarkenRows(Falling.DarkSource, Falling.DarkTarget, LogoSurface.Width, height, table);
        SetDIBits(windowDC, logo->ColourBitmap, first, rows, Falling.DarkTarget, &format, DIB_RGB_COLORS);
        SelectObject(logo->ColourDC, logo->ColourBitmap);
    }

    // The transparent area was darkened with the rest; it takes the exact
    // background colour again, so no darker box shows around the logo.
    if (logo->MaskDC && Falling.ScratchDC) {
        HDC scratchDC = Falling.ScratchDC;
        RECT all = {0, 0, LogoSurface.Width, LogoSurface.Height};
        FillRect(scratchDC, &all, LogoSurface.BackgroundBrush);
        CopyThroughMask(scratchDC, 0, 0, width, height, logo->ColourDC, logo->MaskDC);
        BitBlt(logo->ColourDC, 0, 0, width, height, scratchDC, 0, 0, SRCCOPY);
    }
}

static void ReplaceFallingLogo(FallingLogo* logo, HDC windowDC)
{
    const int32_t width = LogoSurface.Width, height = LogoSurface.Height;
    const bool sizeByDepth = Settings->FallingSizeByDepth != 0;
    logo->Place = PlaceFallingCopy(width, height, LogoSurface.ClientWidth, LogoSurface.ClientHeight, sizeByDepth,
                                   !Falling.FirstStepPending, Falling.Step, std::rand);
    const int32_t copyWidth = logo->Place.CopyWidth, copyHeight = logo->Place.CopyHeight;

    if (logo->MaskDC) {
        if (sizeByDepth)
            StretchBlt(logo->MaskDC, 0, 0, copyWidth, copyHeight, Falling.LogoMaskDC, 0, 0, width, height, SRCCOPY);
        else
            BitBlt(logo->MaskDC, 0, 0, copyWidth, copyHeight, Falling.LogoMaskDC, 0, 0, SRCCOPY);
    }

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

static PixelRect ShownPart(const FallingPlace& place)
{
    const int64_t right = int64_t{place.ScreenX} + place.CopyWidth, bottom = int64_t{place.ScreenY} + place.CopyHeight;
    const PixelRect rect = {place.ScreenX, place.ScreenY, static_cast<int32_t>(right < INT32_MAX ? right : INT32_MAX),
                            static_cast<int32_t>(bottom < INT32_MAX ? bottom : INT32_MAX)};
    return ClipPixelRect(rect, LogoSurface.ClientWidth, LogoSurface.ClientHeight);
}

static void FillBackBuffer(const PixelRect& rect)
{
    const RECT area = {rect.Left, rect.Top, rect.Right, rect.Bottom};
    FillRect(Falling.BackBufferDC, &area, LogoSurface.BackgroundBrush);
}

static void ShowPart(HDC windowDC, const PixelRect& rect)
{
    BitBlt(windowDC, rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top, Falling.BackBufferDC,
           rect.Left, rect.Top, SRCCOPY);
}

static void StepFalling(HDC windowDC)
{
    const int32_t clientWidth = LogoSurface.ClientWidth, clientHeight = LogoSurface.ClientHeight;
    const int32_t count = FallingCopiesInUse(Settings->FallingLogoCount);
    const bool wholeFrame = Falling.FirstStepPending || Falling.WholeFramePending;
    for (int32_t i = 0; i < count; ++i)
        if (Falling.FirstStepPending || FallingCopyGone(Falling.Logos[i].Place, clientWidth, clientHeight))
            ReplaceFallingLogo(&Falling.Logos[i], windowDC);
    SortFarthestFirst(Falling.Logos, count);

    if (wholeFrame) {
        // The null pen leaves the right and bottom edges out, hence the extra pixel.
        Rectangle(Falling.BackBufferDC, 0, 0, clientWidth + 1, clientHeight + 1);
    } else {
        // Outside the copies' last places the frame holds the background already.
        for (int32_t j = 0; j < count; ++j)
            FillBackBuffer(Falling.Logos[j].Shown);
    }
    for (int32_t j = 0; j < count; ++j) {
        FallingLogo& logo = Falling.Logos[j];
        MoveFallingCopy(&logo.Place, Falling.Step);
        const FallingPlace& place = logo.Place;
        if (LogoSurface.DrawTransparent && j > 0 && OverlapsEarlierCopy(j)) {
            // Copy where the mask is black, what lay there where it is white.
            CopyThroughMask(Falling.BackBufferDC, place.ScreenX, place.ScreenY, place.CopyWidth, place.CopyHeight,
                            logo.ColourDC, logo.MaskDC);
        } else {
            // On plain background the copy's transparent area already holds the background.
            BitBlt(Falling.BackBufferDC, place.ScreenX, place.ScreenY, place.CopyWidth, place.CopyHeight,
                   logo.ColourDC, 0, 0, SRCCOPY);
        }
    }

    if (wholeFrame) {
        BitBlt(windowDC, 0, 0, clientWidth, clientHeight, Falling.BackBufferDC, 0, 0, SRCCOPY);
        for (int32_t j = 0; j < count; ++j)
            Falling.Logos[j].Shown = ShownPart(Falling.Logos[j].Place);
    } else {
        // Each copy's old and new place; the rest of the screen shows the
        // background in both frames.
        for (int32_t j = 0; j < count; ++j) {
            FallingLogo& logo = Falling.Logos[j];
            const PixelRect now = ShownPart(logo.Place);
            const PixelRect changed = BoundingPixelRect(logo.Shown, now);
            if (!IsEmptyPixelRect(changed))
                ShowPart(windowDC, changed);
            logo.Shown = now;
        }
    }
    Falling.FirstStepPending = FALSE;
    Falling.WholeFramePending = FALSE;
}

int32_t AnimateFalling(HDC dc, int32_t event)
{
    switch (event) {
    case AnimStart:
        ReleaseFalling();
        StartFalling(dc);
        break;
    case AnimStop:
        ReleaseFalling();
        break;
    case AnimRepaint:
        // The next step composes and paints the whole client area.
        Falling.WholeFramePending = TRUE;
        break;
    default:
        StepFalling(dc);
        break;
    }
    return 0;
}
