// Random pictures packed in every layout that holds their colours: each file
// passes the runtime's checks and decodes to the very pixels it was made from.
// The input is a size, a colour count, then runs of pixels (a colour and a
// length, two bytes each) repeated until the picture is full.
#include <cstdlib>
#include <vector>

#include "images/bmp_layouts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6)
        return 0;
    const int32_t width = 1 + data[0] + (data[1] & 3) * 256, height = 1 + data[1] / 4 % 32;
    const uint32_t colours = 1 + (data[2] | (data[3] & 1) << 8);  // up to 512
    std::vector<uint32_t> pixels;
    for (size_t at = 4; pixels.size() < static_cast<size_t>(width * height); at = at + 2 < size - 1 ? at + 2 : 4)
        pixels.insert(pixels.end(), 1 + data[at + 1] % 64, (data[at] % colours) * 0x9E3779u & 0xFFFFFF);
    pixels.resize(static_cast<size_t>(width * height));

    const PictureColours indexed = IndexColours(width, height, pixels.data());
    for (BmpLayout layout : AllBmpLayouts) {
        if (!LayoutHolds(layout, indexed))
            continue;
        const std::vector<uint8_t> file = EncodeBmpLayout(layout, width, height, pixels.data(), indexed);
        std::vector<uint32_t> back;
        if (CheckBmp(file.data(), file.size(), nullptr) != BmpFault::None ||
            !DecodeBmpPixels(file.data(), file.size(), &back).empty() || back != pixels)
            std::abort();
    }
    return 0;
}
