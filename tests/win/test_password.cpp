// The Windows 9x password guard in this process, against Wine's real USER
// and registry: the close road through the default input policy with a
// scripted prompt, and the loading of the verification routine.
#include <windows.h>

#include <string>

#include "shell/host.h"
#include "shell/password_rules.h"
#include "shell/shell.h"
#include "testkit.h"

namespace {

// What the scripted prompt does, and what it saw.
struct PromptScript {
    BOOL Answer;
    DWORD HoldMs;          // the user takes this long to answer
    bool CloseDuring;      // a close request and a key arrive while it is up
    int Calls;
    HWND Owner;
    BOOL ActiveDuring;
    int TimerTicksLeft;
    bool OtherMessageKept;
    LRESULT NestedCloseAnswer;
    bool ClosePostedDuring;
};
PromptScript Script;

constexpr UINT OtherMessage = WM_USER + 1;

BOOL WINAPI ScriptedPrompt(HWND owner)
{
    ++Script.Calls;
    Script.Owner = owner;
    Script.ActiveDuring = Host.PasswordPromptActive;
    MSG message;
    Script.TimerTicksLeft = 0;
    while (PeekMessageA(&message, owner, WM_TIMER, WM_TIMER, PM_REMOVE))
        ++Script.TimerTicksLeft;
    Script.OtherMessageKept = PeekMessageA(&message, owner, OtherMessage, OtherMessage, PM_NOREMOVE) != FALSE;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));   // as a dialog would
    if (Script.CloseDuring) {
        Script.NestedCloseAnswer = SendMessageA(owner, WM_CLOSE, 0, 0);
        SendMessageA(owner, WM_KEYDOWN, 'A', 0);
        Script.ClosePostedDuring = PeekMessageA(&message, owner, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
    }
    if (Script.HoldMs)
        Sleep(Script.HoldMs);
    return Script.Answer;
}

LRESULT CALLBACK GuardedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultSaverProc(window, message, wParam, lParam);
}

HWND MakeWindow()
{
    static ATOM registered;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = GuardedWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PasswordGuardTest";
        registered = RegisterClassA(&windowClass);
    }
    return CreateWindowExA(0, "PasswordGuardTest", "guarded", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// A fresh Windows 9x run whose host window is guarded by `routine`.
HWND StartGuardedRun(VerifyPasswordEntry routine, BOOL answer)
{
    OnWindows9x = TRUE;
    ControlPanelPreview = FALSE;
    Host.CloseConfirmed = FALSE;
    Host.PasswordPromptActive = FALSE;
    PasswordSupport.LastPromptTick = NeverPrompted;
    VerifyScreenSavePwd = routine;
    Script = {};
    Script.Answer = answer;
    Host.HostWindow = MakeWindow();
    return Host.HostWindow;
}

void EndRun(HWND window)
{
    if (IsWindow(window))
        DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    VerifyScreenSavePwd = nullptr;
    Host.HostWindow = nullptr;
    OnWindows9x = FALSE;
}

LRESULT Close(HWND window) { return SendMessageA(window, WM_CLOSE, 0, 0); }

}  // namespace

TEST_CASE(the_prompt_decides_whether_the_host_closes)
{
    struct Row { const char* Name; BOOL Answer; bool Closes; };
    const Row rows[] = {
        {"wrong password or cancel", 0, false},
        {"right password", 1, true},
        {"any nonzero answer", 7, true},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        HWND window = StartGuardedRun(ScriptedPrompt, row.Answer);
        REQUIRE(window != nullptr);
        CHECK_EQ(Close(window), 0);
        CHECK_EQ(Script.Calls, 1);
        CHECK(Script.Owner == window);
        CHECK(Script.ActiveDuring != FALSE);
        CHECK_EQ(Host.PasswordPromptActive, FALSE);
        CHECK_EQ(IsWindow(window) == FALSE, row.Closes);
        CHECK_EQ(Host.CloseConfirmed != FALSE, row.Closes);
        if (!row.Closes)
            CHECK(GetCursor() == nullptr);   // the prompt showed it; the saver hides it again
        EndRun(window);
    }
}

TEST_CASE(only_a_guarded_host_window_on_windows_9x_asks_the_prompt)
{
    struct Row { const char* Name; bool On9x; bool Routine; bool Host; bool Confirmed; };
    const Row rows[] = {
        {"no password: the first close goes ahead", true, false, true, true},
        {"not Windows 9x", false, true, true, false},
        // The settings dialog's preview closes without marking the process's host as closed.
        {"another saver window", true, false, false, false},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        HWND window = StartGuardedRun(row.Routine ? ScriptedPrompt : nullptr, TRUE);
        REQUIRE(window != nullptr);
        OnWindows9x = row.On9x;
        if (!row.Host)
            Host.HostWindow = nullptr;
        Close(window);
        CHECK_EQ(Script.Calls, 0);
        CHECK(IsWindow(window) == FALSE);
        CHECK_EQ(Host.CloseConfirmed != FALSE, row.Confirmed);
        EndRun(window);
    }
}

TEST_CASE(at_most_two_waiting_timer_ticks_are_dropped_before_the_prompt)
{
    struct Row { int Waiting; int Left; };
    const Row rows[] = {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {5, 3}};
    for (const Row& row : rows) {
        TEST_ROW(std::to_string(row.Waiting) + " waiting");
        HWND window = StartGuardedRun(ScriptedPrompt, FALSE);
        REQUIRE(window != nullptr);
        for (int tick = 0; tick < row.Waiting; ++tick)
            PostMessageA(window, WM_TIMER, 6, 0);
        PostMessageA(window, OtherMessage, 0, 0);
        Close(window);
        CHECK_EQ(Script.Calls, 1);
        CHECK_EQ(Script.TimerTicksLeft, row.Left);
        CHECK(Script.OtherMessageKept);
        EndRun(window);
    }
}

TEST_CASE(a_close_or_a_key_while_the_prompt_is_up_changes_nothing)
{
    HWND window = StartGuardedRun(ScriptedPrompt, FALSE);
    REQUIRE(window != nullptr);
    Script.CloseDuring = true;
    CHECK_EQ(Close(window), 0);
    CHECK_EQ(Script.Calls, 1);
    CHECK_EQ(Script.NestedCloseAnswer, 0);
    CHECK(!Script.ClosePostedDuring);
    CHECK(IsWindow(window) != FALSE);
    CHECK_EQ(Host.CloseConfirmed, FALSE);
    EndRun(window);
}

TEST_CASE(the_pause_before_another_prompt_runs_from_the_end_of_the_last)
{
    HWND window = StartGuardedRun(ScriptedPrompt, FALSE);
    REQUIRE(window != nullptr);
    Script.HoldMs = PasswordRepromptMs + 100;   // a slow hand: longer than the pause itself
    Close(window);
    CHECK_EQ(Script.Calls, 1);
    Close(window);   // straight after the prompt ended
    CHECK_EQ(Script.Calls, 1);
    CHECK(IsWindow(window) != FALSE);
    Sleep(PasswordRepromptMs + 100);
    Script.Answer = 1;
    Close(window);
    CHECK_EQ(Script.Calls, 2);
    CHECK(IsWindow(window) == FALSE);
    EndRun(window);
}

namespace {

std::string FixtureFolder()
{
    std::string path = std::string("Z:") + GLIMMORA_FIXTURE_FOLDER;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

constexpr char Desktop[] = "Control Panel\\Desktop";

void SetUsePassword(DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, Desktop, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (data)
        RegSetValueExA(key, "ScreenSaveUsePassword", 0, type, static_cast<const BYTE*>(data), size);
    else
        RegDeleteValueA(key, "ScreenSaveUsePassword");
    RegCloseKey(key);
}

}  // namespace

TEST_CASE(the_verification_routine_is_loaded_only_when_the_user_asked_for_a_password)
{
    // The fixture stands in for the system's PASSWORD.CPL.
    REQUIRE(SetDllDirectoryA(FixtureFolder().c_str()));
    const DWORD zero = 0, one = 1;
    const BYTE oneByte[] = {1}, highByte[] = {0, 0, 0, 1}, eightBytes[] = {1, 0, 0, 0, 0, 0, 0, 0};
    const char text[] = "1";
    struct Row { const char* Name; bool On9x; DWORD Type; const void* Data; DWORD Size; bool Loaded; };
    const Row rows[] = {
        {"missing", true, REG_DWORD, nullptr, 0, false},
        {"0", true, REG_DWORD, &zero, 4, false},
        {"1", true, REG_DWORD, &one, 4, true},
        {"one byte", true, REG_BINARY, oneByte, 1, true},
        {"high byte of four", true, REG_BINARY, highByte, 4, true},
        {"text, read as its bytes", true, REG_SZ, text, 2, true},
        {"longer than four bytes", true, REG_BINARY, eightBytes, 8, false},
        {"1, not Windows 9x", false, REG_DWORD, &one, 4, false},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        SetUsePassword(row.Type, row.Data, row.Size);
        OnWindows9x = row.On9x;
        LoadPasswordSupport();
        LoadPasswordSupport();   // a second load replaces the first
        CHECK_EQ(PasswordSupport.Library != nullptr, row.Loaded);
        CHECK_EQ(VerifyScreenSavePwd != nullptr, row.Loaded);
        UnloadPasswordSupport();
        CHECK(PasswordSupport.Library == nullptr);
        CHECK(VerifyScreenSavePwd == nullptr);
        CHECK(GetModuleHandleA("PASSWORD.CPL") == nullptr);
    }
    OnWindows9x = FALSE;
    SetUsePassword(REG_DWORD, nullptr, 0);
    SetDllDirectoryA(nullptr);
}

TEST_MAIN()
