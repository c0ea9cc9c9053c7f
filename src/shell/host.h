// The host window of the run and preview verbs, its default input policy,
// and the shell state they share with the password support.
#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/input_policy.h"

struct HostState {
    HWND HostWindow;
    BOOL CloseConfirmed;         // Windows 9x: the password allowed the close
    BOOL PasswordPromptActive;
    CursorBaseline Cursor;       // movement is measured from here
    BYTE AcLineStatus;           // 0 offline, 1 online, 255 unknown
    UINT AutoPlayQueryMessage;   // 0 off Windows 9x
    HMODULE ImeLibrary;
    HIMC SavedImeContext;
};
extern HostState Host;

// 1 while the saver is a child of the control panel's preview window.
extern BOOL ControlPanelPreview;

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Windows 9x password support.
using VerifyPasswordEntry = BOOL(WINAPI*)(HWND window);
extern VerifyPasswordEntry VerifyScreenSavePwd;
struct PasswordSupportState {
    HMODULE Library;           // PASSWORD.CPL while loaded
    uint32_t LastPromptTick;   // when the last prompt ended; NeverPrompted before
};
extern PasswordSupportState PasswordSupport;
void LoadPasswordSupport();
void UnloadPasswordSupport();
BOOL VerifyPasswordOnClose(HWND window);
