// The screensaver command line: the program name, the verb and its window.
#pragma once

#include <cstdint>

// Advances one character of the ANSI code page (CharNextA on Windows), never
// splitting a double-byte character.
using CharStep = const char* (*)(const char* text);

// Skips the program name (quoted or not) and the blanks and control bytes
// after it; returns the tail that holds the verb.
const char* SkipProgramName(const char* line, CharStep step);

// Leading decimal digits as an unsigned 32-bit number, wrapping silently;
// no digits give 0.
uint32_t ParseDecimal(const char* text);

enum class VerbRoad {
    Configure,       // settings dialog
    Run,             // full screen
    Preview,         // inside the control panel's preview window
    ChangePassword,  // Windows 9x change-password dialog
    Exit,            // nothing to run; ends with ExitCode
};

struct VerbDecision {
    VerbRoad Road;
    uint32_t Window;         // owner or parent; 0 for none
    bool ForegroundOwner;    // use the foreground window as the owner
    int32_t ExitCode;        // for VerbRoad::Exit
};

// Answers whether a number names an existing window.
using WindowProbe = bool (*)(uint32_t window);

// Decides what the tail asks for. Handles that name no window are replaced
// by the foreground window where the verb allows an owner, and end the run
// with -1 where the verb needs a parent.
VerbDecision DecideVerb(const char* tail, bool onWindows9x, WindowProbe isWindow);
