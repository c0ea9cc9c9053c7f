// The host's message table, the default input policy, movement, power and password rules.
#include "native/tables.h"
#include "shell/input_policy.h"
#include "shell/password_rules.h"
#include "shell/window_messages.h"

#include <climits>

TEST_CASE("the host table follows the close state and the control panel's preview") {
    using H = HostAction;
    const H P = H::PassOn, Z = H::AnswerZero, S = H::SystemDefaultOnly, F = H::ForwardToParent, C = H::PostCloseThenPassOn;
    // Message, wParam; full screen, control panel, then both after a confirmed close. System commands are compared whole.
    for (auto [message, wParam, a, b, c, d] : {std::tuple{Msg::SetText, uintptr_t{0}, Z, Z, Z, Z},
             {Msg::Paint, 0, H::HideCursorThenPassOn, P, S, S}, {Msg::Help, 0, P, F, P, F}, {Msg::ContextMenu, 0, P, F, P, F},
             {Msg::KeyDown, 0, P, P, S, S}, {Msg::MouseMove, 0, P, P, S, S}, {Msg::MiddleButtonDown, 0, P, P, S, S},
             {Msg::LeftButtonUp, 0, P, P, P, P}, {Msg::SysCommand, 0xF040, Z, P, Z, P}, {Msg::SysCommand, 0xF140, Z, P, Z, P},
             {Msg::SysCommand, 0xF170, C, P, C, P}, {Msg::SysCommand, 0xF141, P, P, P, P}, {Msg::SysCommand, 0x1F140, P, P, P, P},
             {Msg::Timer, 1, H::YieldThenPassOn, H::YieldThenPassOn, Z, Z}, {Msg::Close, 0, P, P, P, P}})
        CHECK_ROW((message, wParam), (DecideHostMessage(message, wParam, false, false), DecideHostMessage(message, wParam, false, true),
                                      DecideHostMessage(message, wParam, true, false), DecideHostMessage(message, wParam, true, true)),
                  (a, b, c, d));
}
TEST_CASE("the running policy closes on input and verifies passwords on 9x; nothing closes where it must not") {
    using D = DefaultAction;
    const D S = D::SystemDefault, C = D::CloseThenSystemDefault, Hide = D::HideCursorThenSystemDefault;
    const uint32_t AutoPlay = 0xC123;  // 0 off 9x, where the null message matches nothing
    // Control panel, closed (on NT and 9x), and the 9x password prompt up, which lets only close requests through.
    const DefaultPolicyState quiet[] = {{true, false, false, false, 0}, {false, true, true, false, AutoPlay}},
                             prompt = {false, false, true, true, AutoPlay};
    // Message, wParam, lParam; the action on NT, on 9x.
    for (auto [message, wParam, lParam, onNt, on9x] : {std::tuple{Msg::Close, uintptr_t{0}, intptr_t{0}, S, D::VerifyPasswordClose},
             {Msg::VerifyPasswordRequest, 0, 0, S, D::AnswerPasswordRequest}, {Msg::ShowWindow, 1, 0, Hide, Hide},
             {Msg::ShowWindow, 0, 0, S, S}, {Msg::SetCursor, 0, 0, D::HideCursorAnswerOne, D::HideCursorAnswerOne},
             {Msg::Power, 3, 0, C, C}, {Msg::Power, 2, 0, S, S}, {Msg::KeyDown, 0, 0, C, C}, {Msg::LeftButtonUp, 0, 0, S, S},
             {Msg::MouseMove, 0, 0, D::MovementTest, D::MovementTest}, {Msg::PowerBroadcast, 7, 1, S, S}, {Msg::PowerBroadcast, 7, 0, C, C},
             {Msg::PowerBroadcast, 10, 0, D::AcLineTest, D::AcLineTest}, {AutoPlay, 0, 0, S, D::CancelAutoPlay}, {0, 0, 0, S, S}}) {
        CHECK_ROW((message, wParam, lParam), (DecideDefaultInput(message, wParam, lParam, {false, false, false, false, 0}),
                                              DecideDefaultInput(message, wParam, lParam, {false, false, true, false, AutoPlay})),
                  (onNt, on9x));
        const bool through = message == Msg::Close || message == Msg::VerifyPasswordRequest || message == AutoPlay;
        CHECK_ROW((message, wParam, lParam, "prompt"), (DecideDefaultInput(message, wParam, lParam, prompt)), (through ? on9x : S));
        for (const DefaultPolicyState& state : quiet)
            CHECK_ROW((message, wParam, lParam, state.OnWindows9x), (DecideDefaultInput(message, wParam, lParam, state)),
                      (message == AutoPlay && state.OnWindows9x ? on9x : S));
    }
}
TEST_CASE("movement closes beyond four pixels city-block, in 64 bits; power broadcasts close but for flagged resumes and status") {
    for (auto [x0, y0, x1, y1, closes] : {std::tuple{0, 0, 2, 2, false}, {0, 0, 3, 2, 1}, {0, 0, 0, -4, 0}, {100, 100, 104, 100, 0},
             {100, 100, 105, 100, 1}, {INT32_MIN, 0, INT32_MAX, 0, 1}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1}})
        CHECK_ROW((x0, y0, x1, y1), (MovementCloses({x0, y0}, {x1, y1})), (closes));
    const PowerRule C = PowerRule::Close, K = PowerRule::KeepRunning, A = PowerRule::CheckAcLine;
    // Event; its rule with flags 0 and 2, then with 1 and -1: only bit 0 marks a resume as automatic.
    for (auto [event, even, odd] : {std::tuple{uintptr_t{0}, C, C}, {5, C, C}, {6, C, K}, {7, C, K}, {8, C, K}, {9, C, C}, {10, A, A},
             {18, C, K}, {19, C, C}, {0x10012, C, C}})
        CHECK_ROW((event), (DecidePowerBroadcast(event, 0), DecidePowerBroadcast(event, 2), DecidePowerBroadcast(event, 1),
                            DecidePowerBroadcast(event, -1)), (even, even, odd, odd));
}
TEST_CASE("an unreadable cursor closes nothing, the first one read is the baseline, and a failed loop ends with -1") {
    // The baseline known and where; the cursor read and where; whether it closes; the baseline afterwards.
    for (auto [known, from, read, to, closes, knownAfter, fromAfter] : {std::tuple{true, 0, false, 500, false, true, 0},
             {false, 0, false, 500, false, false, 0}, {false, 0, true, 500, false, true, 500}, {true, 0, true, 4, false, true, 0},
             {true, 0, true, 5, true, true, 5}}) {
        CursorBaseline baseline = {known, {from, 0}};
        const ScreenPoint cursor = {to, 0};
        const bool closed = MovementTestCloses(&baseline, read ? &cursor : nullptr);
        CHECK_ROW((known, from, read, to), (closed, baseline.Known, baseline.At.X), (closes, knownAfter, fromAfter));
    }
    for (auto [got, quitCode, exitCode] : {std::tuple{0, uintptr_t{0}, 0}, {0, 3, 3}, {-1, 3, -1}})
        CHECK_ROW((got, quitCode), (MessageLoopExitCode(got, quitCode)), (exitCode));
}
TEST_CASE("close requests are refused, confirmed or prompted, with a 200 ms pause across the tick wrap") {
    using V = CloseVerdict;
    const uint32_t Never = NeverPrompted;
    // Prompt up, password loaded, from the host window (not the settings preview), last prompt, now.
    for (auto [active, loaded, host, last, now, verdict] : {std::tuple{false, true, true, Never, 5u, V::Prompt},
             {0, 0, 1, Never, 5, V::ConfirmAtOnce}, {0, 0, 1, 1000, 1001, V::ConfirmAtOnce}, {1, 1, 1, Never, 5, V::Refuse},
             {0, 1, 1, 1000, 1199, V::Refuse}, {0, 1, 1, 1000, 1200, V::Prompt}, {0, 1, 1, 0xFFFFFF9C, 0x63, V::Refuse},
             {0, 1, 1, 0xFFFFFF9C, 0x64, V::Prompt}, {0, 1, 1, 500, 499, V::Prompt}, {0, 0, 0, Never, 5, V::GoAheadUnguarded},
             {0, 1, 0, 1000, 1001, V::GoAheadUnguarded}})
        CHECK_ROW((active, loaded, host, last, now), (DecideCloseRequest({active, loaded, host, last, now})), (verdict));
}
