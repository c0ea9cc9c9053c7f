// Random pictures packed in every layout that holds their colours: each file passes the runtime's checks and decodes to
// the very pixels it was made from. The input: a size, a colour count, then runs (a colour and a length) over and over.
#include <cstdlib>

#include "images/bmp_layouts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6)
        return 0;
    const int32_t width = 1 + data[0] + (data[1] & 1) * 256, height = 1 + data[1] / 2 % 16;
    const uint32_t colours = 1 + (data[2] | (data[3] & 1) << 8);  // up to 512
    std::vector<uint32_t> pixels, back;
    for (size_t at = 4; pixels.size() < size_t(width * height); at = at + 3 < size ? at + 2 : 4)
        pixels.insert(pixels.end(), 1 + data[at + 1] % 64, data[at] % colours * 0x9E3779u & 0xFFFFFF);
    pixels.resize(size_t(width * height));
    const PictureColours indexed = IndexColours(width, height, pixels.data());
    for (BmpLayout layout : AllBmpLayouts) {
        const std::vector<uint8_t> file =
            LayoutHolds(layout, indexed) ? EncodeBmpLayout(layout, width, height, pixels.data(), indexed) : std::vector<uint8_t>();
        if (!file.empty() && (CheckBmp(file.data(), file.size(), nullptr) != BmpFault::None ||
                              !DecodeBmpPixels(file.data(), file.size(), &back).empty() || back != pixels))
            std::abort();
    }
    return 0;
}
