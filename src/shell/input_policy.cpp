// The host's message table, the default input policy and the power rules.
#include "shell/input_policy.h"

#include "shell/window_messages.h"

HostAction DecideHostMessage(uint32_t message, uintptr_t wParam, bool closeConfirmed, bool controlPanelPreview)
{
    switch (message) {
    case Msg::SetText:
        return HostAction::AnswerZero;
    case Msg::Paint:
        if (closeConfirmed)
            return HostAction::SystemDefaultOnly;
        return controlPanelPreview ? HostAction::PassOn : HostAction::HideCursorThenPassOn;
    case Msg::Help:
    case Msg::ContextMenu:
        return controlPanelPreview ? HostAction::ForwardToParent : HostAction::PassOn;
    case Msg::KeyDown:
    case Msg::SysKeyDown:
    case Msg::MouseMove:
    case Msg::LeftButtonDown:
    case Msg::RightButtonDown:
    case Msg::MiddleButtonDown:
        return closeConfirmed ? HostAction::SystemDefaultOnly : HostAction::PassOn;
    case Msg::SysCommand:
        if (controlPanelPreview)
            return HostAction::PassOn;
        // Compared whole: the low four bits are not masked off.
        switch (wParam) {
        case SysCommand::NextWindow:
        case SysCommand::PrevWindow:
        case SysCommand::ScreenSave:
            return HostAction::AnswerZero;
        case SysCommand::MonitorPower:
            return HostAction::PostCloseThenPassOn;
        default:
            return HostAction::PassOn;
        }
    case Msg::Timer:
        return closeConfirmed ? HostAction::AnswerZero : HostAction::YieldThenPassOn;
    default:
        return HostAction::PassOn;
    }
}

static DefaultAction AutoPlayOrDefault(uint32_t message, const DefaultPolicyState& state)
{
    if (state.AutoPlayQueryMessage != 0 && message == state.AutoPlayQueryMessage)
        return DefaultAction::CancelAutoPlay;
    return DefaultAction::SystemDefault;
}

DefaultAction DecideDefaultInput(uint32_t message, uintptr_t wParam, intptr_t lParam, const DefaultPolicyState& state)
{
    if (state.ControlPanelPreview || state.CloseConfirmed)
        return AutoPlayOrDefault(message, state);

    if (message == Msg::Close)
        return state.OnWindows9x ? DefaultAction::VerifyPasswordClose : DefaultAction::SystemDefault;
    if (message == Msg::VerifyPasswordRequest && state.OnWindows9x)
        return DefaultAction::AnswerPasswordRequest;
    if (state.PasswordPromptActive)
        return AutoPlayOrDefault(message, state);

    switch (message) {
    case Msg::ShowWindow:
        return wParam != 0 ? DefaultAction::HideCursorThenSystemDefault : DefaultAction::SystemDefault;
    case Msg::SetCursor:
        return DefaultAction::HideCursorAnswerOne;
    case Msg::Power:
        return wParam == 3 ? DefaultAction::CloseThenSystemDefault : DefaultAction::SystemDefault;
    case Msg::KeyDown:
    case Msg::SysKeyDown:
    case Msg::LeftButtonDown:
    case Msg::RightButtonDown:
    case Msg::MiddleButtonDown:
        return DefaultAction::CloseThenSystemDefault;
    case Msg::MouseMove:
        return DefaultAction::MovementTest;
    case Msg::PowerBroadcast:
        switch (DecidePowerBroadcast(wParam, lParam)) {
        case PowerRule::Close: return DefaultAction::CloseThenSystemDefault;
        case PowerRule::CheckAcLine: return DefaultAction::AcLineTest;
        case PowerRule::KeepRunning: return DefaultAction::SystemDefault;
        }
        return DefaultAction::SystemDefault;
    default:
        return AutoPlayOrDefault(message, state);
    }
}

bool MovementCloses(ScreenPoint baseline, ScreenPoint cursor)
{
    // In 64 bits: coordinates far apart must not overflow into a small distance.
    const int64_t dx = static_cast<int64_t>(cursor.X) - baseline.X;
    const int64_t dy = static_cast<int64_t>(cursor.Y) - baseline.Y;
    const uint64_t distance = static_cast<uint64_t>(dx < 0 ? -dx : dx) + static_cast<uint64_t>(dy < 0 ? -dy : dy);
    return distance > MouseWakeThreshold;
}

bool MovementTestCloses(CursorBaseline* baseline, const ScreenPoint* cursor)
{
    if (!cursor)
        return false;
    if (!baseline->Known) {
        *baseline = {true, *cursor};
        return false;
    }
    if (!MovementCloses(baseline->At, *cursor))
        return false;
    baseline->At = *cursor;
    return true;
}

int32_t MessageLoopExitCode(int32_t lastGetResult, uintptr_t quitCode)
{
    return lastGetResult == 0 ? static_cast<int32_t>(quitCode) : -1;
}

PowerRule DecidePowerBroadcast(uintptr_t event, intptr_t flags)
{
    const PowerRule resume = (flags & 1) ? PowerRule::KeepRunning : PowerRule::Close;
    switch (event) {
    case 6:   // resume critical
    case 7:   // resume suspend
    case 8:   // resume standby
    case 18:  // resume automatic
        return resume;
    case 10:  // power status change
        return PowerRule::CheckAcLine;
    default:  // queries, suspends, battery low, OEM events and everything newer
        return PowerRule::Close;
    }
}
