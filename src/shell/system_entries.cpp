// Looks up, once, the system functions that older Windows versions lack.
#include "shell/system_entries.h"

#include "shell/library_entry.h"

SystemEntriesRecord SystemEntries;

const SystemEntriesRecord& OptionalSystemEntries()
{
    if (SystemEntries.Resolved)
        return SystemEntries;
    SystemEntries.Resolved = TRUE;
    if (HMODULE kernel = GetModuleHandleA("KERNEL32.DLL"))
        SystemEntries.GetSystemPowerStatus =
            FindLibraryEntry<decltype(SystemEntries.GetSystemPowerStatus)>(kernel, "GetSystemPowerStatus");
    // Kept loaded for the rest of the run, as a static import would be. Windows
    // 95, 98 and Me lose system resources at every TransparentBlt: there the
    // mask draws the same pixels without it.
    const bool windows9x = (GetVersion() & 0x80000000u) != 0;
    if (HMODULE imaging = windows9x ? nullptr : LoadLibraryA("MSIMG32.DLL"))
        SystemEntries.TransparentBlt = FindLibraryEntry<decltype(SystemEntries.TransparentBlt)>(imaging, "TransparentBlt");
    // Loaded already: the runtime imports the functions that every version has.
    if (HMODULE controls = GetModuleHandleA("COMCTL32.DLL"))
        SystemEntries.InitCommonControlsEx =
            FindLibraryEntry<decltype(SystemEntries.InitCommonControlsEx)>(controls, "InitCommonControlsEx");
    return SystemEntries;
}

void RegisterCommonControlClasses(DWORD classes)
{
    const INITCOMMONCONTROLSEX record = {sizeof record, classes};
    if (OptionalSystemEntries().InitCommonControlsEx)
        SystemEntries.InitCommonControlsEx(&record);
    InitCommonControls();
}
