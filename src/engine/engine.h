// The saver window and its mode driver: the engine's process-wide state and
// the handlers of the animation modes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/modes.h"

// Called with the saver window's own context and an AnimEvent; the result is
// not used.
using AnimationHandler = int32_t (*)(HDC dc, int32_t event);

int32_t AnimateStatic(HDC dc, int32_t event);
int32_t AnimatePlain(HDC dc, int32_t event);  // Plain and Many
int32_t AnimateBounce(HDC dc, int32_t event);
int32_t AnimateFade(HDC dc, int32_t event);
int32_t AnimateDrip(HDC dc, int32_t event);
int32_t AnimateFalling(HDC dc, int32_t event);

// The handler of each ModeRows row; null where a mode has none.
extern const AnimationHandler ModeHandlers[ModeCount];

// Window timers of the saver window.
enum SaverTimer : UINT_PTR {
    StartDelayTimer = 5,
    TickTimer = 6,
    ModeChangeTimer = 7,
    PreviewGraceTimer = 8,
};

struct EngineState {
    int32_t CurrentMode;      // the running mode's bit; -1 when none is enabled
    HDC WindowDC;             // held for the window's life
    BOOL SettingsPreview;     // set by the settings dialog before it opens its preview
    BOOL InputGrace;          // the settings preview's first half second
    CursorPoint LastCursorPos;
};
extern EngineState Engine;

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void StartMode(HWND window, HDC dc);
void DispatchAnimEvent(HWND window, HDC dc, int32_t event);
void ArmTickTimer(HWND window);
