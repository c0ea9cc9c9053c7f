// Loading the HTML Help control once, from where it is registered, and
// passing the settings pages' popup requests to it.
#include "shell/help_popup.h"

#include "shell/library_entry.h"

HelpControlState HelpControl;

static constexpr char HelpControlKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
static constexpr WORD HelpEntryOrdinal = 14;

int32_t CopyBounded(char* destination, size_t capacity, const char* source)
{
    if (capacity == 0 || capacity > 2147483647)
        return CopyBoundedBadCapacity;
    size_t copied = 0;
    while (copied < capacity && source[copied] != '\0') {
        destination[copied] = source[copied];
        ++copied;
    }
    if (copied == capacity) {
        destination[capacity - 1] = '\0';
        return CopyBoundedCut;
    }
    destination[copied] = '\0';
    return 0;
}

BOOL GetHelpControlPath(char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, HelpControlKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return FALSE;
    char stored[MAX_PATH];
    DWORD size = sizeof stored, type = REG_SZ;
    BOOL found = FALSE;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(stored), &size) == ERROR_SUCCESS) {
        stored[MAX_PATH - 1] = '\0';
        if (type == REG_EXPAND_SZ) {
            const DWORD expanded = ExpandEnvironmentStringsA(stored, path, MAX_PATH);
            found = expanded >= 1 && expanded <= MAX_PATH;
        } else {
            found = CopyBounded(path, MAX_PATH, stored) >= 0;
        }
    }
    RegCloseKey(key);
    return found;
}

HWND ShowHelpPopup(HWND window, LPCSTR file, UINT command, DWORD_PTR data)
{
    if (HelpControl.HelpLoadFailed)
        return nullptr;
    if (!HelpControl.HelpControlLibrary) {
        char path[MAX_PATH];
        if (GetHelpControlPath(path))
            HelpControl.HelpControlLibrary = LoadLibraryA(path);
        if (!HelpControl.HelpControlLibrary)
            HelpControl.HelpControlLibrary = LoadLibraryA("hhctrl.ocx");
        if (!HelpControl.HelpControlLibrary) {
            HelpControl.HelpLoadFailed = TRUE;
            return nullptr;
        }
    }
    if (!HelpControl.HelpEntry) {
        HelpControl.HelpEntry =
            FindLibraryEntry<HelpEntryFunction>(HelpControl.HelpControlLibrary, MAKEINTRESOURCEA(HelpEntryOrdinal));
        if (!HelpControl.HelpEntry) {
            HelpControl.HelpLoadFailed = TRUE;
            return nullptr;
        }
    }
    return HelpControl.HelpEntry(window, file, command, data);
}
