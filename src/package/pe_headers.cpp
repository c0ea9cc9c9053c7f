// The DOS header's pointer, the PE signature, the optional header and its
// data directories, each checked against the bytes at hand.
#include "package/pe_headers.h"

namespace {

constexpr uint16_t OptionalMagic32 = 0x10B;
constexpr uint16_t OptionalMagic64 = 0x20B;

bool Inside(size_t size, size_t offset, size_t length)
{
    return offset <= size && length <= size - offset;
}

}  // namespace

uint16_t ReadLe16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t ReadLe32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(ReadLe16(bytes)) | static_cast<uint32_t>(ReadLe16(bytes + 2)) << 16;
}

PeFault ReadPeHeaders(const uint8_t* file, size_t size, PeHeaders* headers)
{
    if (size < 0x40 || file[0] != 'M' || file[1] != 'Z')
        return PeFault::NotProgram;
    const uint32_t peHeader = ReadLe32(file + 0x3C);
    if (!Inside(size, peHeader, 24) || file[peHeader] != 'P' || file[peHeader + 1] != 'E' || file[peHeader + 2] != 0 ||
        file[peHeader + 3] != 0)
        return PeFault::NotProgram;
    headers->Machine = ReadLe16(file + peHeader + 4);
    headers->SectionCount = ReadLe16(file + peHeader + 6);
    headers->OptionalSize = ReadLe16(file + peHeader + 20);
    headers->OptionalHeader = peHeader + 24;
    headers->SectionTable = headers->OptionalHeader + headers->OptionalSize;
    if (!Inside(size, headers->OptionalHeader, headers->OptionalSize) || headers->OptionalSize < 2)
        return PeFault::Damaged;
    const uint16_t magic = ReadLe16(file + headers->OptionalHeader);
    if (magic != OptionalMagic32 && magic != OptionalMagic64)
        return PeFault::Damaged;
    // The entry count, then the entries, follow the fields whose width differs.
    const uint32_t countField = magic == OptionalMagic32 ? 92 : 108;
    if (headers->OptionalSize < countField + 4)
        return PeFault::Damaged;
    headers->DirectoryCount = ReadLe32(file + headers->OptionalHeader + countField);
    headers->Directories = headers->OptionalHeader + countField + 4;
    return PeFault::None;
}

PeFault ReadDataDirectory(const uint8_t* file, const PeHeaders& headers, uint32_t index, DataDirectory* entry)
{
    *entry = {0, 0, 0};
    if (headers.DirectoryCount <= index)
        return PeFault::None;
    const size_t at = headers.Directories + index * 8u;
    if (at + 8 > headers.OptionalHeader + headers.OptionalSize)
        return PeFault::Damaged;
    *entry = {ReadLe32(file + at), ReadLe32(file + at + 4), at};
    return PeFault::None;
}
