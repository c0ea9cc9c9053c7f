// Any command line: the program name is skipped and a verb decided without
// reading past the text's end.
#include <cstring>
#include <vector>

#include "shell/command_line.h"

static const char* StepOneByte(const char* text) { return text + 1; }

// Some numbers name windows, as some do on a desktop.
static bool SomeWindows(uint32_t window) { return window % 3 == 1; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> line(data, data + size);
    line.push_back('\0');
    const char* tail = SkipProgramName(line.data(), StepOneByte);
    if (tail < line.data() || tail > line.data() + std::strlen(line.data()))
        __builtin_trap();
    for (bool onWindows9x : {false, true}) {
        const VerbDecision verb = DecideVerb(tail, onWindows9x, SomeWindows);
        if (verb.Road == VerbRoad::Preview && !SomeWindows(verb.Window))
            __builtin_trap();
        if (verb.Road == VerbRoad::ChangePassword && !onWindows9x)
            __builtin_trap();
    }
    ParseDecimal(line.data());
    return 0;
}
