// The Windows 9x password guard in this process, against Wine's real USER and
// registry: the close road through the default input policy with a scripted
// prompt, and the loading of the verification routine.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <windows.h>

#include <doctest.h>

#include <string>

#include "shell/host.h"
#include "shell/password_rules.h"
#include "shell/shell.h"

namespace {

// What the scripted prompt does, and what it saw.
struct {
    BOOL Answer;
    DWORD HoldMs;      // the user takes this long to answer
    bool CloseDuring;  // a close request and a key arrive while it is up
    int Calls, TimerTicksLeft;
    HWND Owner;
    BOOL ActiveDuring;
    bool OtherMessageKept, ClosePostedDuring;
    LRESULT NestedCloseAnswer;
} Script;

BOOL WINAPI ScriptedPrompt(HWND owner)
{
    ++Script.Calls, Script.Owner = owner, Script.ActiveDuring = Host.PasswordPromptActive;
    MSG message;
    while (PeekMessageA(&message, owner, WM_TIMER, WM_TIMER, PM_REMOVE))
        ++Script.TimerTicksLeft;
    Script.OtherMessageKept = PeekMessageA(&message, owner, WM_USER, WM_USER, PM_NOREMOVE) != FALSE;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));  // as a dialog would
    if (Script.CloseDuring) {
        Script.NestedCloseAnswer = SendMessageA(owner, WM_CLOSE, 0, 0);
        SendMessageA(owner, WM_KEYDOWN, 'A', 0);
        Script.ClosePostedDuring = PeekMessageA(&message, owner, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
    }
    Sleep(Script.HoldMs);
    return Script.Answer;
}

// A fresh Windows 9x run whose host window is guarded by the scripted prompt.
HWND StartGuardedRun(BOOL answer)
{
    static ATOM registered;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefaultSaverProc(w, m, wp, lp); };
    windowClass.lpszClassName = "PasswordGuardTest";
    registered = registered ? registered : RegisterClassA(&windowClass);
    OnWindows9x = TRUE, ControlPanelPreview = FALSE, Host.CloseConfirmed = FALSE, Host.PasswordPromptActive = FALSE;
    PasswordSupport.LastPromptTick = NeverPrompted;
    VerifyScreenSavePwd = ScriptedPrompt;
    Script = {};
    Script.Answer = answer;
    return Host.HostWindow = CreateWindowExA(0, "PasswordGuardTest", "", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
}

LRESULT Close(HWND window) { return SendMessageA(window, WM_CLOSE, 0, 0); }

}  // namespace

TEST_CASE("on Windows 9x the prompt decides whether a guarded host window closes; nothing else asks it")
{
    // Waiting: timer ticks already queued when the prompt starts, of which at most two are dropped.
    const struct { const char* Name; bool On9x, Routine, Host, CloseDuring; BOOL Answer; int Waiting, Left; bool Closes, Confirmed; } rows[] = {
        {"wrong password or cancel", true, true, true, false, 0, 3, 1, false, false},
        {"right password", true, true, true, false, 1, 5, 3, true, true},
        {"any nonzero answer", true, true, true, false, 7, 2, 0, true, true},
        {"a close and a key while the prompt is up change nothing", true, true, true, true, 0, 1, 0, false, false},
        {"no password: the first close goes ahead", true, false, true, false, 1, 0, 0, true, true},
        {"not Windows 9x", false, true, true, false, 1, 0, 0, true, false},
        // The settings dialog's preview closes without marking the process's host as closed.
        {"another saver window", true, false, false, false, 1, 0, 0, true, false},
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        HWND window = StartGuardedRun(row.Answer);
        OnWindows9x = row.On9x, Script.CloseDuring = row.CloseDuring;
        VerifyScreenSavePwd = row.Routine ? ScriptedPrompt : nullptr;
        Host.HostWindow = row.Host ? window : nullptr;
        for (int tick = 0; tick < row.Waiting; ++tick)
            PostMessageA(window, WM_TIMER, 6, 0);
        PostMessageA(window, WM_USER, 0, 0);
        CHECK_EQ(Close(window), 0);
        CHECK_EQ(Script.Calls, row.On9x && row.Routine ? 1 : 0);
        CHECK(Script.Owner == (Script.Calls ? window : nullptr));
        CHECK_EQ(Script.ActiveDuring, Script.Calls);
        CHECK_EQ(Script.TimerTicksLeft, row.Left);
        CHECK_EQ(Script.OtherMessageKept, Script.Calls == 1);
        CHECK_EQ(Script.NestedCloseAnswer, 0);
        CHECK(!Script.ClosePostedDuring);
        CHECK_EQ(Host.PasswordPromptActive, FALSE);
        CHECK_EQ(IsWindow(window) == FALSE, row.Closes);
        CHECK_EQ(Host.CloseConfirmed != FALSE, row.Confirmed);
        if (!row.Closes)
            CHECK(GetCursor() == nullptr);  // the prompt showed it; the saver hides it again
        DestroyWindow(window);
    }
}

TEST_CASE("the pause before another prompt runs from the end of the last one")
{
    HWND window = StartGuardedRun(FALSE);
    Script.HoldMs = PasswordRepromptMs + 100;  // a slow hand: longer than the pause itself
    Close(window);
    Close(window);  // straight after the prompt ended
    CHECK_EQ(Script.Calls, 1);
    CHECK(IsWindow(window));
    Sleep(PasswordRepromptMs + 100);
    Script.Answer = 1;
    Close(window);
    CHECK_EQ(Script.Calls, 2);
    CHECK(!IsWindow(window));
}

TEST_CASE("the verification routine is loaded only when the user asked for a password")
{
    const std::string folder = std::string("Z:") + GLIMMORA_FIXTURE_FOLDER;  // holds a stand-in PASSWORD.CPL
    VerifyScreenSavePwd = nullptr;
    REQUIRE(SetDllDirectoryA(folder.c_str()));
    const BYTE one[] = {1, 0, 0, 0}, zero[4] = {}, high[] = {0, 0, 0, 1}, eight[] = {1, 0, 0, 0, 0, 0, 0, 0};
    const struct { const char* Name; bool On9x; DWORD Type; const void* Data; DWORD Size; bool Loaded; } rows[] = {
        {"missing", true, REG_DWORD, nullptr, 0, false}, {"0", true, REG_DWORD, zero, 4, false},
        {"1", true, REG_DWORD, one, 4, true}, {"one byte", true, REG_BINARY, one, 1, true},
        {"high byte of four", true, REG_BINARY, high, 4, true}, {"text, read as its bytes", true, REG_SZ, "1", 2, true},
        {"longer than four bytes", true, REG_BINARY, eight, 8, false}, {"1, not Windows 9x", false, REG_DWORD, one, 4, false},
    };
    HKEY key;
    REQUIRE_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), 0);
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        RegDeleteValueA(key, "ScreenSaveUsePassword");
        if (row.Data)
            RegSetValueExA(key, "ScreenSaveUsePassword", 0, row.Type, static_cast<const BYTE*>(row.Data), row.Size);
        OnWindows9x = row.On9x;
        LoadPasswordSupport();
        LoadPasswordSupport();  // a second load replaces the first
        CHECK_EQ(PasswordSupport.Library != nullptr, row.Loaded);
        CHECK_EQ(VerifyScreenSavePwd != nullptr, row.Loaded);
        UnloadPasswordSupport();
        CHECK(!PasswordSupport.Library);
        CHECK(!VerifyScreenSavePwd);
        CHECK(!GetModuleHandleA("PASSWORD.CPL"));
    }
    RegDeleteValueA(key, "ScreenSaveUsePassword");
    RegCloseKey(key);
    OnWindows9x = FALSE;
    SetDllDirectoryA(nullptr);
}
