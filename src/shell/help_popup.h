// Context-help popups through the system's HTML Help control, which is
// loaded from its registered location on first use and kept.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// The control's ANSI help entry (its export with ordinal 14).
using HelpEntryFunction = HWND(WINAPI*)(HWND window, LPCSTR file, UINT command, DWORD_PTR data);

struct HelpControlState {
    HMODULE HelpControlLibrary;  // never freed during the run
    HelpEntryFunction HelpEntry;
    BOOL HelpLoadFailed;         // once set, no request tries again
};
extern HelpControlState HelpControl;

// Hands the request to the help control unchanged: its answer, or null when
// the control is not available.
HWND ShowHelpPopup(HWND window, LPCSTR file, UINT command, DWORD_PTR data);

// The control's registered path, environment references expanded, into a
// buffer of MAX_PATH bytes: TRUE when a usable path was written.
BOOL GetHelpControlPath(char* path);

constexpr int32_t CopyBoundedBadCapacity = static_cast<int32_t>(0x80070057);
constexpr int32_t CopyBoundedCut = static_cast<int32_t>(0x8007007A);
// Copies a terminated text into `capacity` bytes: 0 when it fit; CopyBoundedCut
// when it was cut to capacity - 1 characters (and terminated); nothing written
// and CopyBoundedBadCapacity when capacity is 0 or above 2147483647.
int32_t CopyBounded(char* destination, size_t capacity, const char* source);
