// The process entry: skip the program name, decide the verb, take its road.
#include <windows.h>

#include "engine/float_precision.h"
#include "shell/command_line.h"
#include "shell/shell.h"
#include "shell/system_entries.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version query record is 148 bytes");

HINSTANCE ModuleInstance;
BOOL OnWindows9x;

static const char* NextAnsiCharacter(const char* text) { return CharNextA(text); }

static bool IsExistingWindow(uint32_t window)
{
    return IsWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(window))) != FALSE;
}

void SetSaverRunningFlag(BOOL on)
{
    if (!OnWindows9x)
        return;
    BOOL previous;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, static_cast<UINT>(on), &previous, 0);
}

// Whatever escapes a road must not leave a Windows 9x system believing that a
// screensaver still runs.
static LONG WINAPI CrashGuard(EXCEPTION_POINTERS*)
{
    SetSaverRunningFlag(FALSE);
    ExitProcess(static_cast<UINT>(-1));
}

int32_t DispatchVerb(HINSTANCE instance, const char* tail)
{
    RegisterCommonControlClasses(ICC_TAB_CLASSES);
    ModuleInstance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    OnWindows9x = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

    SetUnhandledExceptionFilter(CrashGuard);
    const VerbDecision verb = DecideVerb(tail, OnWindows9x != FALSE, IsExistingWindow);
    const HWND window =
        verb.ForegroundOwner ? GetForegroundWindow() : reinterpret_cast<HWND>(static_cast<uintptr_t>(verb.Window));
    switch (verb.Road) {
    case VerbRoad::Configure:
        return ShowSettingsDialog(window);
    case VerbRoad::Run:
    case VerbRoad::Preview:
        return RunSaverWindow(window);
    case VerbRoad::ChangePassword:
        ChangePassword(window);
        return 0;
    case VerbRoad::Exit:
        break;
    }
    return verb.ExitCode;
}

void ShellEntry()
{
    UseDoublePrecision();
    const char* tail = SkipProgramName(GetCommandLineA(), NextAnsiCharacter);
    ExitProcess(static_cast<UINT>(DispatchVerb(GetModuleHandleA(nullptr), tail)));
}
