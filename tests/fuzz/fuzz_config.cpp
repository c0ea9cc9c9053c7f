// Any text as a config file: parsed or refused with a reason, never more.
#include <string>
#include <vector>

#include "saver/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<ConfigEntry> entries;
    std::string problem;
    if (!ParseConfigText(text, &entries, &problem) && problem.empty())
        __builtin_trap();
    return 0;
}
