// Any file as a saver: the trailer is judged, a logo said to be sound is
// read to its last byte, as the runtime's decoder would, and the package's
// settings are normalised, as the runtime does before it uses them.
#include <cstring>

#include "package/bmp_format.h"
#include "package/saver_settings.h"
#include "package/saver_trailer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SaverTrailer trailer;
    if (size < TrailerSize)
        return 0;
    std::memcpy(&trailer, data + size - TrailerSize, TrailerSize);
    uint64_t imageOffset = 0;
    if (JudgePackage(trailer, size, &imageOffset) != PackageLayout::Sound)
        return 0;
    const uint8_t* image = data + imageOffset;
    const size_t imageSize = static_cast<size_t>(trailer.ImageSize);
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < imageSize; ++i)
        sum = sum + image[i];
    BmpInfo info;
    CheckBmp(image, imageSize, &info);
    NormaliseSettings(&trailer.Settings);
    char key[160];
    FormatSettingsKey(trailer, key, sizeof key);
    return 0;
}
