// Windows 9x password support: the system's own screen lock. The system keeps
// the password and shows the prompts; the saver loads its routines, asks the
// prompt before a close, and tells the system while a password guards it.
#include "shell/host.h"
#include "shell/library_entry.h"
#include "shell/password_rules.h"
#include "shell/shell.h"
#include "shell/window_messages.h"

VerifyPasswordEntry VerifyScreenSavePwd;
PasswordSupportState PasswordSupport = {nullptr, NeverPrompted};

using ChangePasswordEntry = DWORD(WINAPI*)(LPCSTR keyName, HWND owner, DWORD reserved1, DWORD reserved2);

static bool UserWantsPassword(HKEY desktop)
{
    DWORD wanted = 0, size = sizeof wanted;
    // The stored type is not examined; a longer value fails the read.
    if (RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE*>(&wanted),
                         &size) != ERROR_SUCCESS)
        return false;
    return wanted != 0;
}

void LoadPasswordSupport()
{
    if (!OnWindows9x)
        return;
    if (PasswordSupport.Library)
        UnloadPasswordSupport();
    HKEY desktop;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &desktop) != ERROR_SUCCESS)
        return;
    if (UserWantsPassword(desktop)) {
        PasswordSupport.Library = LoadLibraryA("PASSWORD.CPL");
        if (PasswordSupport.Library) {
            VerifyScreenSavePwd =
                FindLibraryEntry<VerifyPasswordEntry>(PasswordSupport.Library, "VerifyScreenSavePwd");
            if (VerifyScreenSavePwd)
                SetSaverRunningFlag(TRUE);
            else
                UnloadPasswordSupport();
        }
    }
    RegCloseKey(desktop);
}

void UnloadPasswordSupport()
{
    if (!OnWindows9x || !PasswordSupport.Library)
        return;
    FreeLibrary(PasswordSupport.Library);
    PasswordSupport.Library = nullptr;
    if (VerifyScreenSavePwd) {
        VerifyScreenSavePwd = nullptr;
        SetSaverRunningFlag(FALSE);
    }
}

BOOL VerifyPasswordOnClose(HWND window)
{
    const CloseRequest request = {Host.PasswordPromptActive != FALSE, VerifyScreenSavePwd != nullptr,
                                  window == Host.HostWindow, PasswordSupport.LastPromptTick, GetTickCount()};
    switch (DecideCloseRequest(request)) {
    case CloseVerdict::Refuse:
        return FALSE;
    case CloseVerdict::GoAheadUnguarded:
        return TRUE;
    case CloseVerdict::ConfirmAtOnce:
        Host.CloseConfirmed = TRUE;
        return TRUE;
    case CloseVerdict::Prompt:
        break;
    }

    Host.PasswordPromptActive = TRUE;
    for (int dropped = 0; dropped < StaleTimerTicksDropped; ++dropped) {
        MSG tick;
        PeekMessageA(&tick, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    }
    // Runs the system's modal prompt through DefaultSaverProc; the window
    // keeps receiving messages meanwhile.
    Host.CloseConfirmed = SendMessageA(window, Msg::VerifyPasswordRequest, 0, 0) != 0;
    Host.PasswordPromptActive = FALSE;
    if (!Host.CloseConfirmed)
        SetCursor(nullptr);   // the prompt showed it
    // Taken after the prompt: the pause runs from the keystroke that ended it.
    PasswordSupport.LastPromptTick = GetTickCount();
    return Host.CloseConfirmed;
}

void ChangePassword(HWND owner)
{
    HMODULE library = LoadLibraryA("MPR.DLL");
    if (!library)
        return;
    ChangePasswordEntry change = FindLibraryEntry<ChangePasswordEntry>(library, "PwdChangePasswordA");
    if (change)
        change("SCRSAVE", owner, 0, 0);
    FreeLibrary(library);
}
