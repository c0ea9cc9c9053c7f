// The host's message table, the default input policy, movement and power rules.
#include "shell/input_policy.h"
#include "shell/window_messages.h"
#include "testkit.h"

#include <climits>
#include <string>

using H = HostAction;
using D = DefaultAction;

TEST_CASE(host_table_follows_close_state_and_control_panel_preview)
{
    // Columns: running full screen, running in the control panel, then the same two after a confirmed close.
    struct Row { const char* Name; uint32_t Message; uintptr_t WParam; H Actions[4]; };
    const H Pass = H::PassOn, Zero = H::AnswerZero, SysOnly = H::SystemDefaultOnly;
    const Row rows[] = {
        {"set text", Msg::SetText, 0, {Zero, Zero, Zero, Zero}},
        {"paint", Msg::Paint, 0, {H::HideCursorThenPassOn, Pass, SysOnly, SysOnly}},
        {"help", Msg::Help, 0, {Pass, H::ForwardToParent, Pass, H::ForwardToParent}},
        {"context menu", Msg::ContextMenu, 0, {Pass, H::ForwardToParent, Pass, H::ForwardToParent}},
        {"key down", Msg::KeyDown, 0, {Pass, Pass, SysOnly, SysOnly}},
        {"system key down", Msg::SysKeyDown, 0, {Pass, Pass, SysOnly, SysOnly}},
        {"mouse move", Msg::MouseMove, 0, {Pass, Pass, SysOnly, SysOnly}},
        {"left down", Msg::LeftButtonDown, 0, {Pass, Pass, SysOnly, SysOnly}},
        {"right down", Msg::RightButtonDown, 0, {Pass, Pass, SysOnly, SysOnly}},
        {"middle down", Msg::MiddleButtonDown, 0, {Pass, Pass, SysOnly, SysOnly}},
        {"left up", Msg::LeftButtonUp, 0, {Pass, Pass, Pass, Pass}},
        {"right up", Msg::RightButtonUp, 0, {Pass, Pass, Pass, Pass}},
        {"middle up", Msg::MiddleButtonUp, 0, {Pass, Pass, Pass, Pass}},
        {"next window", Msg::SysCommand, 0xF040, {Zero, Pass, Zero, Pass}},
        {"previous window", Msg::SysCommand, 0xF050, {Zero, Pass, Zero, Pass}},
        {"screen save", Msg::SysCommand, 0xF140, {Zero, Pass, Zero, Pass}},
        {"monitor power", Msg::SysCommand, 0xF170, {H::PostCloseThenPassOn, Pass, H::PostCloseThenPassOn, Pass}},
        // The command is compared whole: low bits and high bits make it another command.
        {"screen save, low bit set", Msg::SysCommand, 0xF141, {Pass, Pass, Pass, Pass}},
        {"monitor power, low bit set", Msg::SysCommand, 0xF171, {Pass, Pass, Pass, Pass}},
        {"screen save above 16 bits", Msg::SysCommand, 0x1F140, {Pass, Pass, Pass, Pass}},
        {"close command", Msg::SysCommand, 0xF060, {Pass, Pass, Pass, Pass}},
        {"timer", Msg::Timer, 1, {H::YieldThenPassOn, H::YieldThenPassOn, Zero, Zero}},
        {"close", Msg::Close, 0, {Pass, Pass, Pass, Pass}},
        {"power broadcast", Msg::PowerBroadcast, 4, {Pass, Pass, Pass, Pass}},
        {"private message", Msg::VerifyPasswordRequest, 0, {Pass, Pass, Pass, Pass}},
    };
    for (const Row& row : rows) {
        for (int column = 0; column < 4; ++column) {
            const bool closed = column >= 2, controlPanel = column % 2 == 1;
            TEST_ROW(std::string(row.Name) + (closed ? ", closed" : "") + (controlPanel ? ", control panel" : ""));
            CHECK_EQ(DecideHostMessage(row.Message, row.WParam, closed, controlPanel), row.Actions[column]);
        }
    }
}

constexpr uint32_t AutoPlay = 0xC123;

TEST_CASE(running_policy_closes_on_input_and_verifies_passwords_on_9x)
{
    struct Row { const char* Name; uint32_t Message; uintptr_t WParam; intptr_t LParam; D OnNt; D On9x; };
    const D Sys = D::SystemDefault, Close = D::CloseThenSystemDefault;
    const Row rows[] = {
        {"close", Msg::Close, 0, 0, Sys, D::VerifyPasswordClose},
        {"password request", Msg::VerifyPasswordRequest, 0, 0, Sys, D::AnswerPasswordRequest},
        {"shown", Msg::ShowWindow, 1, 0, D::HideCursorThenSystemDefault, D::HideCursorThenSystemDefault},
        {"hidden", Msg::ShowWindow, 0, 0, Sys, Sys},
        {"set cursor", Msg::SetCursor, 0, 0, D::HideCursorAnswerOne, D::HideCursorAnswerOne},
        {"power, suspend", Msg::Power, 3, 0, Close, Close},
        {"power, other", Msg::Power, 2, 0, Sys, Sys},
        {"key down", Msg::KeyDown, 0, 0, Close, Close},
        {"system key down", Msg::SysKeyDown, 0, 0, Close, Close},
        {"left down", Msg::LeftButtonDown, 0, 0, Close, Close},
        {"right down", Msg::RightButtonDown, 0, 0, Close, Close},
        {"middle down", Msg::MiddleButtonDown, 0, 0, Close, Close},
        {"left up", Msg::LeftButtonUp, 0, 0, Sys, Sys},
        {"mouse move", Msg::MouseMove, 0, 0, D::MovementTest, D::MovementTest},
        {"suspend broadcast", Msg::PowerBroadcast, 4, 0, Close, Close},
        {"automatic resume", Msg::PowerBroadcast, 7, 1, Sys, Sys},
        {"resume", Msg::PowerBroadcast, 7, 0, Close, Close},
        {"power status", Msg::PowerBroadcast, 10, 0, D::AcLineTest, D::AcLineTest},
        {"AutoPlay query", AutoPlay, 0, 0, Sys, D::CancelAutoPlay},
        {"null message", 0, 0, 0, Sys, Sys},  // off 9x the AutoPlay message is 0: nothing matches it
        {"paint", Msg::Paint, 0, 0, Sys, Sys},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        CHECK_EQ(DecideDefaultInput(row.Message, row.WParam, row.LParam, {false, false, false, false, 0}), row.OnNt);
        CHECK_EQ(DecideDefaultInput(row.Message, row.WParam, row.LParam, {false, false, true, false, AutoPlay}), row.On9x);
    }
}

// Messages that close or hide the cursor while the saver runs.
struct Input { const char* Name; uint32_t Message; uintptr_t WParam; intptr_t LParam; };
static const Input ClosingInputs[] = {
    {"close", Msg::Close, 0, 0}, {"shown", Msg::ShowWindow, 1, 0}, {"set cursor", Msg::SetCursor, 0, 0},
    {"power", Msg::Power, 3, 0}, {"key down", Msg::KeyDown, 0, 0}, {"system key down", Msg::SysKeyDown, 0, 0},
    {"left down", Msg::LeftButtonDown, 0, 0}, {"middle down", Msg::MiddleButtonDown, 0, 0},
    {"mouse move", Msg::MouseMove, 0, 0}, {"suspend broadcast", Msg::PowerBroadcast, 4, 0},
    {"power status", Msg::PowerBroadcast, 10, 0}, {"password request", Msg::VerifyPasswordRequest, 0, 0},
};

TEST_CASE(nothing_closes_in_the_control_panel_or_after_a_confirmed_close)
{
    const DefaultPolicyState states[] = {
        {true, false, false, false, 0}, {true, false, true, false, AutoPlay},
        {false, true, false, false, 0}, {false, true, true, false, AutoPlay}, {true, true, true, true, AutoPlay},
    };
    for (const DefaultPolicyState& state : states) {
        const std::string where = std::string(state.ControlPanelPreview ? "control panel" : "closed") +
                                  (state.OnWindows9x ? " on 9x" : "");
        for (const Input& input : ClosingInputs) {
            TEST_ROW(where + ": " + input.Name);
            CHECK_EQ(DecideDefaultInput(input.Message, input.WParam, input.LParam, state), D::SystemDefault);
        }
        TEST_ROW(where + ": AutoPlay query");
        CHECK_EQ(DecideDefaultInput(AutoPlay, 0, 0, state), state.OnWindows9x ? D::CancelAutoPlay : D::SystemDefault);
    }
}

TEST_CASE(password_prompt_mutes_input_but_not_close_requests)
{
    const DefaultPolicyState prompt = {false, false, true, true, AutoPlay};
    for (const Input& input : ClosingInputs) {
        TEST_ROW(input.Name);
        const D expected = input.Message == Msg::Close                   ? D::VerifyPasswordClose
                           : input.Message == Msg::VerifyPasswordRequest ? D::AnswerPasswordRequest
                                                                         : D::SystemDefault;
        CHECK_EQ(DecideDefaultInput(input.Message, input.WParam, input.LParam, prompt), expected);
    }
}

TEST_CASE(movement_closes_beyond_four_pixels_city_block)
{
    struct Row { ScreenPoint From, To; bool Closes; };
    const Row rows[] = {
        {{0, 0}, {2, 2}, false}, {{0, 0}, {3, 2}, true}, {{0, 0}, {-5, 0}, true}, {{0, 0}, {0, 4}, false},
        {{0, 0}, {0, -4}, false}, {{0, 0}, {-3, -2}, true}, {{100, 100}, {104, 100}, false},
        {{100, 100}, {105, 100}, true}, {{-7, -7}, {-9, -9}, false},
        {{INT32_MIN, 0}, {INT32_MAX, 0}, true}, {{0, INT32_MAX}, {0, INT32_MIN}, true},
        {{INT32_MIN, 0}, {INT32_MAX, 2}, true},  // 2^32 + 1: would wrap to 1 in 32 bits
        {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, true},
    };
    for (const Row& row : rows) {
        TEST_ROW("(" + std::to_string(row.From.X) + "," + std::to_string(row.From.Y) + ") to (" +
                 std::to_string(row.To.X) + "," + std::to_string(row.To.Y) + ")");
        CHECK_EQ(MovementCloses(row.From, row.To), row.Closes);
    }
}

TEST_CASE(power_broadcasts_close_except_flagged_resumes_and_status_changes)
{
    const PowerRule C = PowerRule::Close, K = PowerRule::KeepRunning, A = PowerRule::CheckAcLine;
    // Rule for flags 0, 1, 2 and -1: only bit 0 marks a resume as automatic.
    struct Row { uintptr_t Event; PowerRule Rules[4]; };
    const Row rows[] = {
        {0, {C, C, C, C}},  {1, {C, C, C, C}},  {2, {C, C, C, C}},  {3, {C, C, C, C}},  {4, {C, C, C, C}},
        {5, {C, C, C, C}},  {6, {C, K, C, K}},  {7, {C, K, C, K}},  {8, {C, K, C, K}},  {9, {C, C, C, C}},
        {10, {A, A, A, A}}, {11, {C, C, C, C}}, {12, {C, C, C, C}}, {17, {C, C, C, C}}, {18, {C, K, C, K}},
        {19, {C, C, C, C}}, {0x8013, {C, C, C, C}}, {0x10012, {C, C, C, C}},
    };
    const intptr_t flags[4] = {0, 1, 2, -1};
    for (const Row& row : rows) {
        for (int i = 0; i < 4; ++i) {
            TEST_ROW("event " + std::to_string(row.Event) + ", flags " + std::to_string(flags[i]));
            CHECK_EQ(DecidePowerBroadcast(row.Event, flags[i]), row.Rules[i]);
        }
    }
}

TEST_MAIN()
