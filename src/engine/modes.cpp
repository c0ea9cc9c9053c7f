// The mode table and the driver's decisions.
#include "engine/modes.h"

#include <climits>
#include <cmath>

const ModeRow ModeRows[ModeCount] = {
    {ModeStatic, "Static", 9, 0},
    {ModePlain, "Plain", 105, 0},
    {ModeBounce, "Bounce", 106, 0},
    {ModeMany, "Many", 107, 0},
    {ModeFade, "Fade", 108, 0},
    {ModeDrip, "Drip", 2004, 1},
    {ModeFalling, "Falling", 2005, 0},
};

int FindModeRow(int32_t modeBit)
{
    for (int row = 0; row < ModeCount; ++row)
        if (ModeRows[row].Bit == modeBit)
            return row;
    return -1;
}

int EnabledModeRows(int32_t enabledModes, int rows[ModeCount])
{
    int count = 0;
    if (enabledModes > 0)
        for (int row = 0; row < ModeCount; ++row)
            if (ModeRows[row].Bit & enabledModes)
                rows[count++] = row;
    return count;
}

int ChooseModeRow(int32_t enabledModes, int (*random)())
{
    int rows[ModeCount];
    const int count = EnabledModeRows(enabledModes, rows);
    if (count == 0)
        return -1;
    if (count == 1)
        return rows[0];
    return rows[random() % count];
}

uint32_t TickPeriodMs(int32_t modeBit, const SaverSettings& settings)
{
    switch (modeBit) {
    case ModeStatic: return 1000;
    case ModePlain: return static_cast<uint32_t>(settings.PlainDelayMs);
    case ModeBounce: return 10;
    case ModeMany: return static_cast<uint32_t>(settings.ManyDelayMs);
    case ModeFade: return static_cast<uint32_t>(settings.FadeIntervalMs);
    case ModeDrip: return static_cast<uint32_t>(settings.DripIntervalMs);
    case ModeFalling: return static_cast<uint32_t>(settings.FallingIntervalMs);
    default: return 5000;
    }
}

uint32_t ModeChangePeriodMs(int32_t minutes)
{
    // The system's longest timer period.
    constexpr uint32_t LongestTimer = 0x7FFFFFFF;
    if (minutes <= 0)
        return 60000;
    if (static_cast<uint32_t>(minutes) > LongestTimer / 60000)
        return LongestTimer;
    return static_cast<uint32_t>(minutes) * 60000;
}

// The settings dialog's preview closes on input of its own accord, once its
// first half second is over; everything else leaves closing to the policy.
static InputVerdict PreviewVerdict(const PreviewState& state)
{
    if (!state.SettingsPreview)
        return InputVerdict::PassOn;
    if (state.InputGrace)
        return InputVerdict::AnswerOne;
    return InputVerdict::DestroyThenPassOn;
}

InputVerdict FilterButtonInput(int32_t ignoreInput, int32_t ignoreBit, const PreviewState& state)
{
    if (ignoreInput & ignoreBit)
        return InputVerdict::AnswerOne;
    return PreviewVerdict(state);
}

InputVerdict FilterMovement(CursorPoint* last, CursorPoint cursor, int32_t ignoreInput, const PreviewState& state)
{
    if (last->X == -1 && last->Y == -1) {
        *last = cursor;
        return InputVerdict::AnswerMinusOne;
    }
    if (cursor.X == last->X && cursor.Y == last->Y)
        return InputVerdict::AnswerOne;
    if (state.SettingsPreview || state.ControlPanelPreview) {
        const double dx = static_cast<double>(cursor.X) - last->X;
        const double dy = static_cast<double>(cursor.Y) - last->Y;
        if (std::sqrt(dx * dx + dy * dy) < 3.0) {
            *last = cursor;
            return InputVerdict::AnswerMinusOne;
        }
    }
    if (ignoreInput & IgnoreMovement)
        return InputVerdict::AnswerOne;
    return PreviewVerdict(state);
}
