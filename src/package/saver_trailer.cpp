// Judging a package trailer and naming the registry key of its saver.
#include "package/saver_trailer.h"

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

PackageLayout JudgePackage(const SaverTrailer& trailer, uint64_t packageEnd, uint64_t* imageOffset)
{
    if (packageEnd < TrailerSize || !TrailerMagicValid(trailer))
        return PackageLayout::Damaged;
    if (trailer.ImageSize <= 0)
        return PackageLayout::NoImage;
    const uint64_t imageSize = static_cast<uint64_t>(trailer.ImageSize);
    if (imageSize > packageEnd - TrailerSize)
        return PackageLayout::Damaged;
    *imageOffset = packageEnd - TrailerSize - imageSize;
    return PackageLayout::Sound;
}

bool FormatSettingsKey(const SaverTrailer& trailer, char* out, size_t outSize)
{
    // Put together by hand: the C library's formatter would be most of the
    // runtime's size.
    static const char prefix[] = "Software\\Glimmora\\Savers\\";
    const size_t prefixLength = sizeof prefix - 1;
    char hex[8];  // the id's digits, the last one first
    size_t digits = 0;
    uint32_t id = trailer.SaverId;
    do {
        hex[digits++] = "0123456789abcdef"[id & 15];
        id >>= 4;
    } while (id != 0);
    const size_t nameLength = strnlen(trailer.SaverName, TrailerTextSize);
    if (prefixLength + nameLength + 1 + digits + 1 >= outSize) {
        if (outSize > 0)
            out[0] = '\0';
        return false;
    }
    std::memcpy(out, prefix, prefixLength);
    char* next = out + prefixLength;
    std::memcpy(next, trailer.SaverName, nameLength);
    next += nameLength;
    *next++ = '.';
    while (digits > 0)
        *next++ = hex[--digits];
    *next++ = '\\';
    *next = '\0';
    return true;
}
