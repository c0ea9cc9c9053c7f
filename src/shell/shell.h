// Process-wide facts of the shell and the roads that a verb can take.
#pragma once

#include <windows.h>

#include <cstdint>

// Written once by DispatchVerb, read-only afterwards.
extern HINSTANCE ModuleInstance;
extern BOOL OnWindows9x;

int32_t DispatchVerb(HINSTANCE instance, const char* tail);
[[noreturn]] void ShellEntry();

// Raises or lowers the system's screensaver-running flag (Windows 9x only).
void SetSaverRunningFlag(BOOL on);

// The roads. Each returns the process exit code.
int32_t RunSaverWindow(HWND parent);
int32_t ShowSettingsDialog(HWND owner);
void ChangePassword(HWND owner);
