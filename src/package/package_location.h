// Where a saver's package lies in its file: at the end, or, in a signed saver,
// before the certificate table that signing appends.
#pragma once

#include <cstddef>
#include <cstdint>

#include "package/saver_trailer.h"

// The bytes read from the start of a file to find its certificate table; the
// runtimes' headers take less than half of them.
constexpr uint32_t PeHeadSize = 1024;
// Signing pads the file with zeros to an 8-byte boundary before the table.
constexpr uint32_t MaxTablePadding = 7;

enum class TableKind {
    None,      // no certificate table, or one that other bytes follow: the package ends the file
    EndsFile,  // a table that ends the file: the package ends before it
    Damaged,   // a table that reaches outside the file
};

struct CertificateTable {
    TableKind Kind;
    uint64_t Start;      // file offset, and size, of the table as the security directory gives them
    uint64_t Size;
    size_t EntryOffset;  // where that directory entry lies in the file; 0 when the headers hold none
};

// Judges the security directory of a file of `fileSize` bytes from the
// first `headSize` bytes of the file (at most PeHeadSize are looked at).
// Headers that cannot be read there describe no table.
CertificateTable FindCertificateTable(const uint8_t* head, size_t headSize, uint64_t fileSize);

// `before` holds the `count` bytes that precede a certificate table: how many
// of the last of them are zero padding after a trailer whose magic is exactly
// in place, or -1 when no trailer ends within MaxTablePadding zero bytes of
// the table. The trailer's own last bytes may be zero too, so the magic's
// place, not the first non-zero byte, tells where the padding starts.
int TablePadding(const uint8_t* before, size_t count);

// Reads `size` bytes at `offset` of the file behind `source`; false when it cannot.
using ReadFileBytes = bool (*)(void* source, uint64_t offset, void* buffer, uint32_t size);

struct PackagePlace {
    uint64_t ImageOffset;  // where the logo starts, in a sound package
    uint64_t End;          // where the trailer ends
    CertificateTable Table;
};

// Finds the package in a file of `fileSize` bytes, copies its trailer whole
// into `trailer` and judges it as JudgePackage does: at the end of the file,
// or before the padding and the certificate table that end it. A table that
// reaches outside the file, or no trailer before it, is a damaged package.
PackageLayout LocatePackage(ReadFileBytes read, void* source, uint64_t fileSize, SaverTrailer* trailer,
                            PackagePlace* place);

// A file held in memory, for LocatePackage.
struct MemoryFile {
    const uint8_t* Bytes;
    uint64_t Size;
};
bool ReadMemoryFile(void* memoryFile, uint64_t offset, void* buffer, uint32_t size);
