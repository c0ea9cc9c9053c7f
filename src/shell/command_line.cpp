// Program-name skipping, handle parsing and the verb decision.
#include "shell/command_line.h"

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

const char* SkipSpaces(const char* text)
{
    while (*text == ' ')
        ++text;
    return text;
}

VerbDecision ExitWith(int32_t code) { return {VerbRoad::Exit, 0, false, code}; }

// An owner that names no window becomes the foreground window.
VerbDecision Owned(VerbRoad road, uint32_t window, WindowProbe isWindow)
{
    if (window != 0 && isWindow(window))
        return {road, window, false, 0};
    return {road, 0, true, 0};
}

}  // namespace

const char* SkipProgramName(const char* line, CharStep step)
{
    const char* p = line;
    if (*p == '"') {
        do
            p = step(p);
        while (*p != '\0' && *p != '"');
        if (*p == '"')
            ++p;
    } else if (!IsBlankOrControl(*p)) {
        while (!IsBlankOrControl(*p))
            p = step(p);
    }
    while (*p != '\0' && IsBlankOrControl(*p))
        p = step(p);
    return p;
}

uint32_t ParseDecimal(const char* text)
{
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    return value;
}

VerbDecision DecideVerb(const char* tail, bool onWindows9x, WindowProbe isWindow)
{
    const char* p = tail;
    while (*p == ' ' || *p == '-' || *p == '/')
        ++p;

    switch (*p) {
    case '\0':
        return {VerbRoad::Configure, 0, false, 0};
    case 'C':
    case 'c':
        return Owned(VerbRoad::Configure, p[1] == ':' ? ParseDecimal(p + 2) : 0, isWindow);
    case 'S':
    case 's':
        return {VerbRoad::Run, 0, false, 0};
    case 'P':
    case 'p':
    case 'L':
    case 'l': {
        const uint32_t parent = ParseDecimal(SkipSpaces(p + 1));
        if (parent == 0 || !isWindow(parent))
            return ExitWith(-1);
        return {VerbRoad::Preview, parent, false, 0};
    }
    case 'A':
    case 'a':
        if (!onWindows9x)
            return ExitWith(-1);
        return Owned(VerbRoad::ChangePassword, ParseDecimal(SkipSpaces(p + 1)), isWindow);
    default:
        return ExitWith(-1);
    }
}
