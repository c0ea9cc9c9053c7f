// Any file as the logo a person gives the authoring tool: it is refused with
// a reason, or becomes a BMP that the runtime's checks accept.
#include <vector>

#include "logo_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    PreparedLogo logo;
    const std::string problem = PrepareLogo(bytes, 0x00302010, {false, -1}, &logo);
    if (problem.empty() && CheckBmp(logo.Bmp.data(), logo.Bmp.size(), nullptr) != BmpFault::None)
        __builtin_trap();
    return 0;
}
