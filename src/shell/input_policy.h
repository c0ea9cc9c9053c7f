// What the host window and the default input policy do with a message:
// plain decisions, acted on by the Win32 window procedures.
#pragma once

#include <cstdint>

#include "shell/screen_point.h"

// Movement closes the saver once the cursor has moved more than this many
// pixels (city-block distance) from where it was measured from.
constexpr uint32_t MouseWakeThreshold = 4;

enum class HostAction {
    PassOn,                  // to the saver window procedure
    AnswerZero,              // swallowed
    SystemDefaultOnly,       // DefWindowProc; the saver never sees it
    HideCursorThenPassOn,
    ForwardToParent,         // help in the control panel: the parent answers; reply 1
    PostCloseThenPassOn,     // the monitor is being switched off
    YieldThenPassOn,         // give up the time slice before a tick
};

// For every message but creation and destruction, which the host handles itself.
HostAction DecideHostMessage(uint32_t message, uintptr_t wParam, bool closeConfirmed, bool controlPanelPreview);

enum class DefaultAction {
    SystemDefault,
    CloseThenSystemDefault,
    HideCursorThenSystemDefault,
    HideCursorAnswerOne,
    MovementTest,            // close when the cursor moved beyond the threshold
    AcLineTest,              // close when the AC line status changed
    VerifyPasswordClose,     // Windows 9x: the password decides whether to close
    AnswerPasswordRequest,   // Windows 9x: the prompt's own answer
    CancelAutoPlay,          // close, and answer whether a password protects the screen
};

struct DefaultPolicyState {
    bool ControlPanelPreview;
    bool CloseConfirmed;
    bool OnWindows9x;
    bool PasswordPromptActive;
    uint32_t AutoPlayQueryMessage;  // 0 off Windows 9x
};

DefaultAction DecideDefaultInput(uint32_t message, uintptr_t wParam, intptr_t lParam, const DefaultPolicyState& state);

// The movement rule: total displacement since the baseline, city-block.
bool MovementCloses(ScreenPoint baseline, ScreenPoint cursor);

// Where movement is measured from; unknown while the cursor could not be read.
struct CursorBaseline {
    bool Known;
    ScreenPoint At;
};

// The movement test of the default policy. `cursor` is null when the cursor
// could not be read: that closes nothing. The first position read becomes the
// baseline when none is known; a closing movement becomes the new baseline.
bool MovementTestCloses(CursorBaseline* baseline, const ScreenPoint* cursor);

// The run's exit code once the message loop ends: the quit code, or -1 when
// the loop ended because no message could be read.
int32_t MessageLoopExitCode(int32_t lastGetResult, uintptr_t quitCode);

enum class PowerRule { Close, KeepRunning, CheckAcLine };
PowerRule DecidePowerBroadcast(uintptr_t event, intptr_t flags);
