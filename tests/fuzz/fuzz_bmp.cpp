// Any bytes as a logo: whatever the checks accept must hold its headers,
// colour table and pixels inside the bytes, read here as a decoder reads them.
#include <cstring>
#include <vector>

#include "package/bmp_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact copy, so that the sanitizer sees any read past the end.
    const std::vector<uint8_t> bytes(data, data + size);
    BmpInfo info;
    if (CheckBmp(bytes.data(), bytes.size(), &info) != BmpFault::None)
        return 0;
    // The runtime copies the headers into a buffer of this size.
    if (info.InfoSize > MaximumBmpInfoSize)
        __builtin_trap();
    uint8_t header[MaximumBmpInfoSize];
    std::memcpy(header, bytes.data() + 14, info.InfoSize);
    size_t pixelBytes;
    if (info.Compression == 0 || info.Compression == 3) {
        pixelBytes = (static_cast<size_t>(info.Width) * static_cast<size_t>(info.BitCount) + 31) / 32 * 4 *
                     static_cast<size_t>(info.Height);
    } else {
        uint32_t stated;
        std::memcpy(&stated, bytes.data() + 34, 4);
        pixelBytes = stated;
    }
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < pixelBytes; ++i)
        sum = sum + bytes[info.PixelOffset + i];
    return 0;
}
