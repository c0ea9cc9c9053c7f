// Any file as a saver: the package is found (before a certificate table when
// the headers describe one), a logo said to be sound is read to its last
// byte, as the runtime's decoder would, and the package's settings are
// normalised, as the runtime does before it uses them. A file with a security
// directory is tried again with that directory's fields taken as a table that
// ends the file, which byte mutations alone would seldom find.
#include <cstring>
#include <vector>

#include "package/bmp_format.h"
#include "package/package_location.h"
#include "package/pe_headers.h"
#include "package/saver_settings.h"

static void Load(const uint8_t* data, size_t size)
{
    MemoryFile file = {data, size};
    SaverTrailer trailer;
    PackagePlace place;
    if (LocatePackage(ReadMemoryFile, &file, size, &trailer, &place) != PackageLayout::Sound)
        return;
    const uint8_t* image = data + place.ImageOffset;
    const size_t imageSize = static_cast<size_t>(trailer.ImageSize);
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < imageSize; ++i)
        sum = sum + image[i];
    BmpInfo info;
    CheckBmp(image, imageSize, &info);
    NormaliseSettings(&trailer.Settings);
    char key[160];
    FormatSettingsKey(trailer, key, sizeof key);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Load(data, size);
    PeHeaders headers;
    DataDirectory entry;
    if (ReadPeHeaders(data, size < PeHeadSize ? size : PeHeadSize, &headers) != PeFault::None ||
        ReadDataDirectory(data, headers, SecurityDirectoryIndex, &entry) != PeFault::None || entry.EntryOffset == 0)
        return 0;
    // The size, cut to the file, decides where the table starts; the address
    // how far it is moved from there, either way.
    std::vector<uint8_t> file(data, data + size);
    const uint32_t tableSize = static_cast<uint32_t>(entry.Size % (size + 1));
    const uint32_t address = static_cast<uint32_t>(size - tableSize + static_cast<int8_t>(entry.Address));
    std::memcpy(&file[entry.EntryOffset], &address, 4);
    std::memcpy(&file[entry.EntryOffset + 4], &tableSize, 4);
    Load(file.data(), file.size());
    return 0;
}
