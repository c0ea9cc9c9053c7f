// Stepping back over a signature to the package: the security directory, the
// zero padding before the certificate table, the trailer before that.
#include "package/package_location.h"

#include <cstring>

#include "package/pe_headers.h"

CertificateTable FindCertificateTable(const uint8_t* head, size_t headSize, uint64_t fileSize)
{
    CertificateTable table = {TableKind::None, 0, 0, 0};
    PeHeaders headers;
    DataDirectory entry;
    if (ReadPeHeaders(head, headSize < PeHeadSize ? headSize : PeHeadSize, &headers) != PeFault::None ||
        ReadDataDirectory(head, headers, SecurityDirectoryIndex, &entry) != PeFault::None)
        return table;
    table.Start = entry.Address;
    table.Size = entry.Size;
    table.EntryOffset = entry.EntryOffset;
    if (entry.Size == 0)
        return table;
    // In 64 bits, so that no address and size can wrap around to the file's end.
    if (table.Start > fileSize || table.Size > fileSize - table.Start)
        table.Kind = TableKind::Damaged;
    else if (table.Start + table.Size == fileSize)
        table.Kind = TableKind::EndsFile;
    return table;
}

int TablePadding(const uint8_t* before, size_t count)
{
    for (size_t padding = 0; padding <= MaxTablePadding && padding + TrailerSize <= count; ++padding) {
        if (padding > 0 && before[count - padding] != 0)
            return -1;
        const uint8_t* magic = before + count - padding - TrailerSize + offsetof(SaverTrailer, Magic);
        if (std::memcmp(magic, TrailerMagic, TrailerMagicSize) == 0)
            return static_cast<int>(padding);
    }
    return -1;
}

PackageLayout LocatePackage(ReadFileBytes read, void* source, uint64_t fileSize, SaverTrailer* trailer,
                            PackagePlace* place)
{
    uint8_t head[PeHeadSize];
    const uint32_t headSize = fileSize < PeHeadSize ? static_cast<uint32_t>(fileSize) : PeHeadSize;
    place->Table = {TableKind::None, 0, 0, 0};
    if (read(source, 0, head, headSize))
        place->Table = FindCertificateTable(head, headSize, fileSize);
    place->End = fileSize;
    if (place->Table.Kind == TableKind::Damaged)
        return PackageLayout::Damaged;
    if (place->Table.Kind == TableKind::EndsFile) {
        uint8_t before[TrailerSize + MaxTablePadding];
        const uint64_t start = place->Table.Start;
        const uint32_t count = start < sizeof before ? static_cast<uint32_t>(start) : sizeof before;
        const int padding = read(source, start - count, before, count) ? TablePadding(before, count) : -1;
        if (padding < 0)
            return PackageLayout::Damaged;
        place->End = start - static_cast<uint64_t>(padding);
    }
    if (place->End < TrailerSize || !read(source, place->End - TrailerSize, trailer, TrailerSize))
        return PackageLayout::Damaged;
    return JudgePackage(*trailer, place->End, &place->ImageOffset);
}

bool ReadMemoryFile(void* memoryFile, uint64_t offset, void* buffer, uint32_t size)
{
    const MemoryFile& file = *static_cast<const MemoryFile*>(memoryFile);
    if (offset > file.Size || size > file.Size - offset)
        return false;
    if (size > 0)  // an empty file may have no bytes at all
        std::memcpy(buffer, file.Bytes + offset, size);
    return true;
}
