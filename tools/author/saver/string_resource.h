// Finding the saver's display name, string resource 1, inside a Windows
// program held in memory, by walking its PE headers and resource directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The runtime's string 1 is 60 spaces: room for a display name of up to 60
// characters. A string table entry carries its own length, so the name is
// written with its true length and zeros after it, where strings 2 to 15 read
// as empty; the block keeps its size.
constexpr size_t DisplayNameLength = 60;

enum class ProgramMachine { Other, X86, X64 };

struct DisplayNameSlots {
    ProgramMachine Machine;
    // File offsets of string 1 (its length, then room for 60 UTF-16
    // characters), one for each language that the string table has.
    std::vector<size_t> Offsets;
};

enum class ProgramFault {
    None,
    NotProgram,        // no "MZ", or no PE header where the DOS header points
    Damaged,           // a header, section or resource entry reaches outside the file
    NoDisplayName,     // sound, but without room for a 60-character string 1
};

// Walks headers, sections and the resource tree (string table, block 1,
// every language). Everything it reads is checked against `size`.
ProgramFault FindDisplayNameSlots(const uint8_t* file, size_t size, DisplayNameSlots* slots);

// String 1 at `offset`, as UTF-16 units. Savers made before names were
// written with their length carry them padded with spaces to 60: that
// padding is not part of the name.
std::vector<uint16_t> ReadDisplayName(const uint8_t* file, size_t offset);

// Writes `name` (1 to 60 UTF-16 units) with its length, zeros after it.
void WriteDisplayName(uint8_t* file, size_t offset, const std::vector<uint16_t>& name);
