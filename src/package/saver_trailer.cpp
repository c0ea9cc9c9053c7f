// Judging a package trailer and naming the registry key of its saver.
#include "package/saver_trailer.h"

#include <cstdio>
#include <cstring>

bool TrailerMagicValid(const SaverTrailer& trailer)
{
    return std::memcmp(trailer.Magic, TrailerMagic, TrailerMagicSize) == 0;
}

void ApplyDefaultTrailer(SaverTrailer* trailer)
{
    trailer->Settings.SettingsDialogEnabled = 0;
    trailer->BackgroundColor = 0;
    trailer->TransparentColor = 0;
    ApplyDefaultSettings(&trailer->Settings);
    std::memcpy(trailer->Magic, TrailerMagic, TrailerMagicSize);
}

PackageLayout JudgePackage(const SaverTrailer& trailer, uint64_t fileSize, uint64_t* imageOffset)
{
    if (fileSize < TrailerSize || !TrailerMagicValid(trailer))
        return PackageLayout::Damaged;
    if (trailer.ImageSize <= 0)
        return PackageLayout::NoImage;
    const uint64_t imageSize = static_cast<uint64_t>(trailer.ImageSize);
    if (imageSize > fileSize - TrailerSize)
        return PackageLayout::Damaged;
    *imageOffset = fileSize - TrailerSize - imageSize;
    return PackageLayout::Sound;
}

bool FormatSettingsKey(const SaverTrailer& trailer, char* out, size_t outSize)
{
    const int nameLength = static_cast<int>(strnlen(trailer.SaverName, TrailerTextSize));
    const int written = std::snprintf(out, outSize, "Software\\Glimmora\\Savers\\%.*s.%x\\", nameLength,
                                      trailer.SaverName, static_cast<unsigned>(trailer.SaverId));
    if (written < 0 || static_cast<size_t>(written) >= outSize) {
        if (outSize > 0)
            out[0] = '\0';
        return false;
    }
    return true;
}
