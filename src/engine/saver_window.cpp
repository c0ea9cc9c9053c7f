// The saver window procedure and the mode driver: choosing a mode, running
// its timers, and filtering input by the user's ignore settings.
#include <cstdlib>

#include "engine/engine.h"
#include "engine/float_precision.h"
#include "engine/logo_surface.h"
#include "package/package.h"
#include "shell/host.h"

const AnimationHandler ModeHandlers[ModeCount] = {
    AnimateStatic,   // Static
    AnimatePlain,    // Plain
    AnimateBounce,   // Bounce
    AnimatePlain,    // Many
    AnimateFade,     // Fade
    AnimateDrip,     // Drip
    AnimateFalling,  // Falling
};

EngineState Engine = {0, nullptr, FALSE, FALSE, {-1, -1}};

static int RandomNumber() { return std::rand(); }

void ArmTickTimer(HWND window)
{
    SetTimer(window, TickTimer, TickPeriodMs(Engine.CurrentMode, *Settings), nullptr);
}

void DispatchAnimEvent(HWND window, HDC dc, int32_t event)
{
    int row = -1;
    if (Engine.CurrentMode >= 0) {
        row = FindModeRow(Engine.CurrentMode);
        if (row < 0)
            return;
    }
    if (event == AnimBeginTicks) {
        KillTimer(window, StartDelayTimer);
        ArmTickTimer(window);
        event = AnimTick;
    }
    if (event == AnimStop) {
        KillTimer(window, StartDelayTimer);
        KillTimer(window, TickTimer);
    }
    if (row >= 0 && ModeHandlers[row])
        ModeHandlers[row](dc, event);
}

// Transparent pixels take the background colour once, so that the mode can
// copy the logo opaquely on every tick.
static void CompositeOntoBackground()
{
    const int32_t width = LogoSurface.NaturalWidth, height = LogoSurface.NaturalHeight;
    HBITMAP scratch;
    HDC scratchDC = MakeSurface(&scratch, width, height);
    DrawLogoOverBackground(scratchDC, width, height);
    BitBlt(LogoSurface.MemoryDC, 0, 0, width, height, scratchDC, 0, 0, SRCCOPY);
    DeleteSurface(&scratchDC, &scratch);
}

void StartMode(HWND window, HDC dc)
{
    // A system library may have changed the precision since the last start.
    UseDoublePrecision();
    std::srand(GetTickCount());
    RECT client;
    GetClientRect(window, &client);
    LogoSurface.ClientWidth = client.right - client.left;
    LogoSurface.ClientHeight = client.bottom - client.top;
    LoadLogoSurface();

    const bool first = Engine.CurrentMode <= 0;
    const int row = ChooseModeRow(Settings->EnabledModes, RandomNumber);
    if (row < 0) {
        Engine.CurrentMode = -1;
    } else {
        Engine.CurrentMode = ModeRows[row].Bit;
        LogoSurface.Tiled = FALSE;
        LogoSurface.DrawTransparent = FALSE;
        if (Settings->UseTransparency && LogoSurface.Bitmap) {
            if (Engine.CurrentMode == ModeMany || Engine.CurrentMode == ModeFalling)
                LogoSurface.DrawTransparent = TRUE;
            else
                CompositeOntoBackground();
        }
        if (ModeRows[row].Tileable && Engine.CurrentMode == ModeDrip)
            LogoSurface.Tiled = Settings->DripTile != 0;
        if (LogoSurface.Tiled) {
            LogoSurface.X = LogoSurface.Y = 0;
            LogoSurface.Width = LogoSurface.ClientWidth;
            LogoSurface.Height = LogoSurface.ClientHeight;
        } else {
            LogoSurface.Width = LogoSurface.NaturalWidth;
            LogoSurface.Height = LogoSurface.NaturalHeight;
        }
    }

    DispatchAnimEvent(window, dc, AnimStart);
    if (first)
        SetTimer(window, StartDelayTimer, 100, nullptr);
    else
        DispatchAnimEvent(window, dc, AnimBeginTicks);
}

static void FillClientArea(HDC dc)
{
    RECT client = {0, 0, LogoSurface.ClientWidth, LogoSurface.ClientHeight};
    FillRect(dc, &client, LogoSurface.BackgroundBrush);
}

static LRESULT OnCreate(HWND window)
{
    Engine.LastCursorPos = {-1, -1};
    LogoSurface.DisplayDC = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!Engine.SettingsPreview && LoadSaver() != 0)
        return 1;
    Engine.WindowDC = GetDC(window);
    Engine.CurrentMode = 0;
    LogoSurface.BackgroundBrush = CreateSolidBrush(PackageTrailer.BackgroundColor);
    StartMode(window, Engine.WindowDC);
    Engine.InputGrace = FALSE;
    if (Engine.SettingsPreview) {
        Engine.InputGrace = TRUE;
        SetTimer(window, PreviewGraceTimer, 500, nullptr);
        SetForegroundWindow(window);
    } else if (Settings->ChangeModeEnabled) {
        SetTimer(window, ModeChangeTimer, ModeChangePeriodMs(Settings->ChangeModeMinutes), nullptr);
    }
    return 0;
}

static LRESULT OnDestroy(HWND window)
{
    ReleaseLogoSurface();
    DispatchAnimEvent(window, Engine.WindowDC, AnimStop);
    if (Engine.WindowDC) {
        // The window keeps its context: modes leave the background brush and
        // a pen selected in it, and a selected object cannot be deleted.
        SelectObject(Engine.WindowDC, GetStockObject(WHITE_BRUSH));
        SelectObject(Engine.WindowDC, GetStockObject(BLACK_PEN));
        ReleaseDC(window, Engine.WindowDC);
    }
    if (LogoSurface.DisplayDC)
        DeleteDC(LogoSurface.DisplayDC);
    Engine.WindowDC = nullptr;
    LogoSurface.DisplayDC = nullptr;
    if (LogoSurface.BackgroundBrush) {
        DeleteObject(LogoSurface.BackgroundBrush);
        LogoSurface.BackgroundBrush = nullptr;
    }
    if (Engine.SettingsPreview)
        return 1;
    FreePackageImage();
    PostQuitMessage(0);
    return 1;
}

static void OnTimer(HWND window, WPARAM timer)
{
    switch (timer) {
    case StartDelayTimer:
        DispatchAnimEvent(window, Engine.WindowDC, AnimBeginTicks);
        break;
    case TickTimer:
        DispatchAnimEvent(window, Engine.WindowDC, AnimTick);
        break;
    case ModeChangeTimer:
        DispatchAnimEvent(window, Engine.WindowDC, AnimStop);
        FillClientArea(Engine.WindowDC);
        StartMode(window, Engine.WindowDC);
        break;
    case PreviewGraceTimer:
        Engine.InputGrace = FALSE;
        KillTimer(window, PreviewGraceTimer);
        break;
    }
}

static PreviewState CurrentPreviewState()
{
    return {Engine.SettingsPreview != FALSE, ControlPanelPreview != FALSE, Engine.InputGrace != FALSE};
}

static LRESULT ActOnVerdict(InputVerdict verdict, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (verdict) {
    case InputVerdict::AnswerOne:
        return 1;
    case InputVerdict::AnswerMinusOne:
        return -1;
    case InputVerdict::DestroyThenPassOn:
        DestroyWindow(window);
        break;
    case InputVerdict::PassOn:
        break;
    }
    return DefaultSaverProc(window, message, wParam, lParam);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window);
    case WM_DESTROY:
        return OnDestroy(window);
    case WM_PAINT: {
        const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        FillClientArea(Engine.WindowDC);
        DispatchAnimEvent(window, Engine.WindowDC, AnimRepaint);
        return result;
    }
    case WM_ERASEBKGND:
        if (PackageTrailer.BackgroundColor != 0) {
            RECT client;
            GetClientRect(window, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, LogoSurface.BackgroundBrush);
        }
        return DefaultSaverProc(window, message, wParam, lParam);
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case WM_KEYDOWN:
        return ActOnVerdict(FilterButtonInput(Settings->IgnoreInput, IgnoreKeys, CurrentPreviewState()), window,
                            message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return ActOnVerdict(FilterButtonInput(Settings->IgnoreInput, IgnoreClicks, CurrentPreviewState()), window,
                            message, wParam, lParam);
    case WM_MOUSEMOVE: {
        // A cursor that cannot be read counts as one that did not move.
        POINT cursor;
        if (!GetCursorPos(&cursor))
            return ActOnVerdict(InputVerdict::AnswerOne, window, message, wParam, lParam);
        const InputVerdict verdict = FilterMovement(&Engine.LastCursorPos, {cursor.x, cursor.y},
                                                    Settings->IgnoreInput, CurrentPreviewState());
        return ActOnVerdict(verdict, window, message, wParam, lParam);
    }
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_ACTIVATEAPP:
        return 1;
    default:
        return DefaultSaverProc(window, message, wParam, lParam);
    }
}
