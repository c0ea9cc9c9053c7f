// When a close request of the full-screen saver may go ahead on Windows 9x,
// where the system's password prompt guards it.
#pragma once

#include <cstdint>

// A close that comes this soon after a prompt ended is refused without a new
// prompt: the keystrokes that dismissed the prompt must not raise it again.
constexpr uint32_t PasswordRepromptMs = 200;

// LastPromptTick before any prompt has ended.
constexpr uint32_t NeverPrompted = 0xFFFFFFFF;

// Timer ticks already waiting when the prompt starts that are dropped, so
// that the saver does not draw a burst of stale frames around the prompt.
constexpr int StaleTimerTicksDropped = 2;

enum class CloseVerdict {
    Refuse,           // the saver keeps running; no prompt
    ConfirmAtOnce,    // no password protects the screen
    Prompt,           // ask the system's password prompt
    GoAheadUnguarded, // not the host window: it closes without touching the host's state
};

struct CloseRequest {
    bool PromptActive;     // a prompt is already up (a nested close)
    bool PasswordLoaded;   // the system's verification routine is loaded
    bool FromHostWindow;   // the host window, not the settings dialog's preview
    uint32_t LastPromptTick;
    uint32_t Now;          // tick count, wrapping at 2^32
};

CloseVerdict DecideCloseRequest(const CloseRequest& request);

// Whether `now` is still within the pause after the prompt that ended at
// `lastPromptTick`; the tick count may have wrapped in between.
bool WithinRepromptPause(uint32_t lastPromptTick, uint32_t now);
