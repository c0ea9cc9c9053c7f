// The PE walk to string resource 1: DOS header, PE header, section table,
// resource directory (type, name, language), string block.
#include "saver/string_resource.h"

#include "package/pe_headers.h"

namespace {

constexpr uint16_t MachineX86 = 0x014C;
constexpr uint16_t MachineX64 = 0x8664;
constexpr uint32_t StringTableType = 6;
// Strings 0 to 15 live in block 1.
constexpr uint32_t FirstStringBlock = 1;
constexpr uint32_t SubdirectoryBit = 0x80000000u;
// String 1's length word, its 60 characters of room, strings 2 to 15's lengths.
constexpr size_t SlotBytes = 2 + DisplayNameLength * 2 + 14 * 2;

struct Image {
    const uint8_t* File;
    size_t Size;
    size_t SectionTable;
    uint32_t SectionCount;
};

bool Inside(const Image& image, uint64_t offset, uint64_t length)
{
    return offset <= image.Size && length <= image.Size - offset;
}

// Where `length` bytes at `rva` lie in the file: only bytes a section holds
// in the file count, not the zero fill beyond its raw data.
bool RvaToOffset(const Image& image, uint32_t rva, uint32_t length, size_t* offset)
{
    for (uint32_t i = 0; i < image.SectionCount; ++i) {
        const uint8_t* section = image.File + image.SectionTable + i * 40u;
        const uint32_t virtualSize = ReadLe32(section + 8), address = ReadLe32(section + 12);
        const uint32_t rawSize = ReadLe32(section + 16), rawOffset = ReadLe32(section + 20);
        const uint32_t mapped = virtualSize != 0 && virtualSize < rawSize ? virtualSize : rawSize;
        if (rva < address || uint64_t(rva) + length > uint64_t(address) + mapped)
            continue;
        const uint64_t at = uint64_t(rawOffset) + (rva - address);
        if (!Inside(image, at, length))
            return false;
        *offset = static_cast<size_t>(at);
        return true;
    }
    return false;
}

// The entries of the resource directory at `directory` (offset from the
// resource root): each entry's id and target. Named entries are skipped.
bool ReadDirectory(const Image& image, uint32_t root, uint32_t directory,
                   std::vector<std::pair<uint32_t, uint32_t>>* entries)
{
    size_t header;
    if (uint64_t(root) + directory > UINT32_MAX || !RvaToOffset(image, root + directory, 16, &header))
        return false;
    const uint32_t named = ReadLe16(image.File + header + 12), numbered = ReadLe16(image.File + header + 14);
    size_t table;
    if (!RvaToOffset(image, root + directory + 16, (named + numbered) * 8u, &table))
        return false;
    entries->clear();
    for (uint32_t i = named; i < named + numbered; ++i)
        entries->push_back({ReadLe32(image.File + table + i * 8u), ReadLe32(image.File + table + i * 8u + 4)});
    return true;
}

enum class Found { Yes, No, Damaged };

// Follows the subdirectory entry with `id`.
Found Descend(const Image& image, uint32_t root, uint32_t directory, uint32_t id, uint32_t* subdirectory)
{
    std::vector<std::pair<uint32_t, uint32_t>> entries;
    if (!ReadDirectory(image, root, directory, &entries))
        return Found::Damaged;
    for (const auto& entry : entries) {
        if (entry.first != id)
            continue;
        if (!(entry.second & SubdirectoryBit))
            return Found::Damaged;
        *subdirectory = entry.second & ~SubdirectoryBit;
        return Found::Yes;
    }
    return Found::No;
}

// String 1 of one language's block, after string 0: a length of at most 60,
// room for 60 characters and the empty strings 2 to 15, and nothing but
// zeros after the name.
ProgramFault FindSlotInBlock(const Image& image, uint32_t root, uint32_t dataEntry, size_t* slot)
{
    size_t entry;
    if (uint64_t(root) + dataEntry > UINT32_MAX || !RvaToOffset(image, root + dataEntry, 16, &entry))
        return ProgramFault::Damaged;
    const uint32_t blockRva = ReadLe32(image.File + entry), blockSize = ReadLe32(image.File + entry + 4);
    size_t block;
    if (!RvaToOffset(image, blockRva, blockSize, &block))
        return ProgramFault::Damaged;
    if (blockSize < 4)
        return ProgramFault::NoDisplayName;
    const uint64_t firstLength = ReadLe16(image.File + block);
    const uint64_t second = 2 + firstLength * 2;
    if (second + SlotBytes > blockSize)
        return ProgramFault::NoDisplayName;
    const uint8_t* slotStart = image.File + block + second;
    const uint32_t length = ReadLe16(slotStart);
    if (length > DisplayNameLength)
        return ProgramFault::NoDisplayName;
    for (size_t i = 2 + length * 2u; i < SlotBytes; ++i)
        if (slotStart[i] != 0)
            return ProgramFault::NoDisplayName;
    *slot = block + static_cast<size_t>(second);
    return ProgramFault::None;
}

}  // namespace

ProgramFault FindDisplayNameSlots(const uint8_t* file, size_t size, DisplayNameSlots* slots)
{
    slots->Machine = ProgramMachine::Other;
    slots->Offsets.clear();
    PeHeaders headers;
    DataDirectory resources;
    const PeFault headerFault = ReadPeHeaders(file, size, &headers);
    if (headerFault == PeFault::NotProgram)
        return ProgramFault::NotProgram;
    if (headerFault == PeFault::None)
        slots->Machine = headers.Machine == MachineX86 ? ProgramMachine::X86
                         : headers.Machine == MachineX64 ? ProgramMachine::X64 : ProgramMachine::Other;
    const Image image = {file, size, headers.SectionTable, headers.SectionCount};
    if (headerFault != PeFault::None || !Inside(image, image.SectionTable, image.SectionCount * 40ull) ||
        ReadDataDirectory(file, headers, ResourceDirectoryIndex, &resources) != PeFault::None)
        return ProgramFault::Damaged;
    const uint32_t root = resources.Address;
    if (root == 0)
        return ProgramFault::NoDisplayName;

    uint32_t types = 0, block = 0;
    Found found = Descend(image, root, 0, StringTableType, &types);
    if (found == Found::Yes)
        found = Descend(image, root, types, FirstStringBlock, &block);
    if (found != Found::Yes)
        return found == Found::No ? ProgramFault::NoDisplayName : ProgramFault::Damaged;

    std::vector<std::pair<uint32_t, uint32_t>> languages;
    if (!ReadDirectory(image, root, block, &languages))
        return ProgramFault::Damaged;
    for (const auto& language : languages) {
        if (language.second & SubdirectoryBit)
            return ProgramFault::Damaged;
        size_t slot;
        const ProgramFault fault = FindSlotInBlock(image, root, language.second, &slot);
        if (fault != ProgramFault::None)
            return fault;
        slots->Offsets.push_back(slot);
    }
    return slots->Offsets.empty() ? ProgramFault::NoDisplayName : ProgramFault::None;
}

std::vector<uint16_t> ReadDisplayName(const uint8_t* file, size_t offset)
{
    const size_t length = ReadLe16(file + offset);
    std::vector<uint16_t> name;
    for (size_t i = 0; i < length; ++i)
        name.push_back(ReadLe16(file + offset + 2 + i * 2));
    if (length == DisplayNameLength)
        while (!name.empty() && name.back() == u' ')
            name.pop_back();
    return name;
}

void WriteDisplayName(uint8_t* file, size_t offset, const std::vector<uint16_t>& name)
{
    const auto put = [&](size_t at, uint16_t unit) {
        file[at] = static_cast<uint8_t>(unit);
        file[at + 1] = static_cast<uint8_t>(unit >> 8);
    };
    put(offset, static_cast<uint16_t>(name.size()));
    for (size_t i = 0; i < DisplayNameLength; ++i)
        put(offset + 2 + i * 2, i < name.size() ? name[i] : 0);
}
