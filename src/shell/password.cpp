// Windows 9x password support. Until the system's password library is wired
// in, no password protects the screen: every close is confirmed at once.
#include "shell/host.h"
#include "shell/shell.h"

VerifyPasswordEntry VerifyScreenSavePwd;

void LoadPasswordSupport() {}

void UnloadPasswordSupport() {}

BOOL VerifyPasswordOnClose(HWND)
{
    Host.CloseConfirmed = TRUE;
    return TRUE;
}

void ChangePassword(HWND) {}
