// The headers of a Windows program held in memory, as far as the package and
// the authoring tool need them: machine, section table, data directories.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PeFault {
    None,
    NotProgram,  // no "MZ", or no PE header where the DOS header points
    Damaged,     // an optional header that the bytes do not hold, or of an unknown kind
};

struct PeHeaders {
    uint16_t Machine;
    size_t OptionalHeader;    // file offsets
    uint32_t OptionalSize;
    size_t SectionTable;
    uint32_t SectionCount;
    size_t Directories;       // data directory 0
    uint32_t DirectoryCount;  // as the optional header states it
};

constexpr uint32_t ResourceDirectoryIndex = 2;
// Its address is a file offset, not a relative virtual address: the
// certificate table is not loaded with the image.
constexpr uint32_t SecurityDirectoryIndex = 4;
// The file's checksum, at the same place in PE32 and PE32+ optional headers.
constexpr size_t ChecksumOffset = 64;

struct DataDirectory {
    uint32_t Address;
    uint32_t Size;
    size_t EntryOffset;  // where the pair lies in the file; 0 when the headers hold no such entry
};

uint16_t ReadLe16(const uint8_t* bytes);
uint32_t ReadLe32(const uint8_t* bytes);

// Reads the DOS, PE and optional headers (PE32 and PE32+) from the first
// `size` bytes of a file; nothing beyond them is read.
PeFault ReadPeHeaders(const uint8_t* file, size_t size, PeHeaders* headers);

// Entry `index` of the data directories. Absent (all zero) when the optional
// header states fewer entries; Damaged when it states the entry but has no
// room for it.
PeFault ReadDataDirectory(const uint8_t* file, const PeHeaders& headers, uint32_t index, DataDirectory* entry);
