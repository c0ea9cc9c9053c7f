// The system functions that some of the Windows versions this runtime runs on
// lack: looked up once, at run time, so that the program loads everywhere.
// A null entry is a function the system does not have.
#pragma once

#include <windows.h>
#include <commctrl.h>

struct SystemEntriesRecord {
    BOOL Resolved;
    // kernel32: not on Windows NT 4.0
    BOOL(WINAPI* GetSystemPowerStatus)(SYSTEM_POWER_STATUS* status);
    // msimg32: no such library on Windows 95 and NT 4.0; leaks on 98 and Me, so not used there
    BOOL(WINAPI* TransparentBlt)(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                                 int sourceY, int sourceWidth, int sourceHeight, UINT key);
    // comctl32 4.70 and later: not on Windows 95 without the common-controls update
    BOOL(WINAPI* InitCommonControlsEx)(const INITCOMMONCONTROLSEX* classes);
};
extern SystemEntriesRecord SystemEntries;

// The record, resolved on first use.
const SystemEntriesRecord& OptionalSystemEntries();

// Registers the given classes where the system can be asked for them, and
// the classes every version has in any case.
void RegisterCommonControlClasses(DWORD classes);
