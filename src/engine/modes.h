// The animation modes as data, and the driver's decisions: which mode runs,
// how often it ticks, what input does to it. No windows.h here.
#pragma once

#include <cstdint>

#include "package/saver_settings.h"

// Events that the driver sends to a mode's handler.
enum AnimEvent : int32_t {
    AnimStart = 1,
    AnimBeginTicks = 2,  // driver-internal: arms the tick timer, then ticks
    AnimTick = 3,
    AnimStop = 4,
    AnimRepaint = 5,
};

// Mode bits, as in EnabledModes and HiddenPages.
enum ModeBit : int32_t {
    ModeStatic = 2,
    ModePlain = 4,
    ModeBounce = 8,
    ModeMany = 16,
    ModeFade = 32,
    ModeDrip = 64,
    ModeFalling = 128,
};

struct ModeRow {
    int32_t Bit;
    const char* Name;           // the settings page's tab caption
    uint16_t PageTemplate;      // the settings page's dialog template
    int32_t Tileable;
};

constexpr int ModeCount = 7;
extern const ModeRow ModeRows[ModeCount];

// The row of a mode bit, or -1.
int FindModeRow(int32_t modeBit);

// The rows that EnabledModes allows, in table order; returns their count.
int EnabledModeRows(int32_t enabledModes, int rows[ModeCount]);

// The row to start: -1 when none is enabled; the only one without drawing a
// random number; otherwise the one at random() mod count.
int ChooseModeRow(int32_t enabledModes, int (*random)());

// The tick timer's period for a mode (5000 ms when no mode runs). Values from
// the settings are handed on as the timer takes them.
uint32_t TickPeriodMs(int32_t modeBit, const SaverSettings& settings);

// Minutes between mode changes as a timer period: at least one minute, and
// never beyond what a timer can hold.
uint32_t ModeChangePeriodMs(int32_t minutes);

// What the saver window does with a key press or a mouse button.
enum class InputVerdict {
    AnswerOne,        // swallowed
    AnswerMinusOne,   // movement only: noted, nothing else
    PassOn,           // to the default input policy
    DestroyThenPassOn,
};

struct PreviewState {
    bool SettingsPreview;      // the settings dialog's full-screen preview
    bool ControlPanelPreview;
    bool InputGrace;           // the preview's first half second
};

InputVerdict FilterButtonInput(int32_t ignoreInput, int32_t ignoreBit, const PreviewState& state);

struct CursorPoint {
    int32_t X;
    int32_t Y;
};

// The movement filter. `last` is the position last accepted, (-1, -1) when
// none; it is updated as the filter decides.
InputVerdict FilterMovement(CursorPoint* last, CursorPoint cursor, int32_t ignoreInput, const PreviewState& state);
