// The user's settings record in the registry, one key per saver.
#include <windows.h>

#include "package/package.h"

static constexpr char SettingsValueName[] = "Settings";

void LoadUserSettings()
{
    char keyPath[160];
    HKEY key;
    if (FormatSettingsKey(PackageTrailer, keyPath, sizeof keyPath) &&
        RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key, SettingsValueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            type == REG_BINARY && size == sizeof(SaverSettings)) {
            // Read into a copy so that a value changed in between never leaves half a record.
            SaverSettings stored;
            if (RegQueryValueExA(key, SettingsValueName, nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size) ==
                    ERROR_SUCCESS &&
                type == REG_BINARY && size == sizeof stored)
                *Settings = stored;
        }
        RegCloseKey(key);
    }
    NormaliseSettings(Settings);
}

void SaveUserSettings()
{
    char keyPath[160];
    HKEY key;
    if (!FormatSettingsKey(PackageTrailer, keyPath, sizeof keyPath) ||
        RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, SettingsValueName, 0, REG_BINARY, reinterpret_cast<const BYTE*>(Settings),
                   sizeof(SaverSettings));
    RegCloseKey(key);
}
