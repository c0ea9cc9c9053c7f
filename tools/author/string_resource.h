// Finding the saver's display name, string resource 1, inside a Windows
// program held in memory, by walking its PE headers and resource directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The runtime's string 1 is 60 spaces; the display name replaces them,
// padded with spaces, so that the string table keeps its size.
constexpr size_t DisplayNameLength = 60;

enum class ProgramMachine { Other, X86, X64 };

struct DisplayNameSlots {
    ProgramMachine Machine;
    // File offsets of the 60 UTF-16 characters of string 1, one for each
    // language that the string table has.
    std::vector<size_t> Offsets;
};

enum class ProgramFault {
    None,
    NotProgram,        // no "MZ", or no PE header where the DOS header points
    Damaged,           // a header, section or resource entry reaches outside the file
    NoDisplayName,     // sound, but without a 60-character string 1
};

// Walks headers, sections and the resource tree (string table, block 1,
// every language). Everything it reads is checked against `size`.
ProgramFault FindDisplayNameSlots(const uint8_t* file, size_t size, DisplayNameSlots* slots);

// The 60 characters at `offset`, as UTF-16 units.
std::vector<uint16_t> ReadDisplayName(const uint8_t* file, size_t offset);

// Writes `name` (at most 60 UTF-16 units) padded with spaces to 60.
void WriteDisplayName(uint8_t* file, size_t offset, const std::vector<uint16_t>& name);

// Trailing padding removed.
std::vector<uint16_t> TrimDisplayName(std::vector<uint16_t> name);
