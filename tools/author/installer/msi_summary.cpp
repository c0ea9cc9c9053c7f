// A package's summary information, found inside the compound file that holds
// a Windows Installer database: read to know the tool's own packages, written
// to make a package's bytes follow from its content alone.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "installer/msi_package.h"
#include "text_encoding.h"

namespace {

constexpr uint32_t EndOfChain = 0xFFFFFFFE;

uint32_t Read32(const std::vector<uint8_t>& bytes, size_t at)
{
    if (at > bytes.size() || bytes.size() - at < 4)
        return EndOfChain;
    return bytes[at] | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 | uint32_t{bytes[at + 3]} << 24;
}

// The file offsets of a chain's bytes, `length` of them or, with SIZE_MAX, up
// to its end: unit `first`, then each next one that `table` names, where unit
// n is the `size` bytes from `starts[n]`. A chain longer than the table loops.
bool FollowChain(const std::vector<uint32_t>& table, uint32_t first, size_t size, const std::vector<size_t>& starts,
                 size_t length, std::vector<size_t>* where)
{
    where->clear();
    size_t units = 0;
    for (uint32_t at = first; where->size() < length; at = table[at]) {
        if (at == EndOfChain && length == SIZE_MAX)
            return true;
        if (at >= table.size() || at >= starts.size() || ++units > table.size())
            return false;
        for (size_t i = 0; i < size && where->size() < length; ++i)
            where->push_back(starts[at] + i);
    }
    return true;
}

std::vector<uint8_t> Gather(const std::vector<uint8_t>& file, const std::vector<size_t>& where)
{
    std::vector<uint8_t> bytes;
    for (size_t at : where)
        bytes.push_back(file[at]);
    return bytes;
}

std::vector<uint32_t> Entries(const std::vector<uint8_t>& bytes)
{
    std::vector<uint32_t> entries;
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4)
        entries.push_back(Read32(bytes, at));
    return entries;
}

const char16_t SummaryName[] = u"\x05SummaryInformation";
// A table's stream name is packed two characters to a unit: this is "_StringPool".
const char16_t StringPoolName[] = u"\x4840\x3F3F\x4577\x446C\x3E6A\x44B2\x482F";
constexpr uint32_t ShortType = 2, TextType = 30, TimeType = 64;           // VT_I2, VT_LPSTR, VT_FILETIME
constexpr uint32_t CodePageId = 1, CommentsId = 6, PackageCodeId = 9, CreatedId = 12, SavedId = 13;
constexpr uint64_t FixedDate = (PackageDateUnix + 11644473600ull) * 10000000;  // in 100 ns since 1601

// Where the value of a property of that type starts in the summary stream,
// after its type; 0 when the stream has no such property.
size_t PropertyValue(const std::vector<uint8_t>& summary, uint32_t id, uint32_t type)
{
    const uint32_t section = Read32(summary, 44), count = Read32(summary, section + 4);
    for (uint32_t i = 0; i < count && section != EndOfChain && i < summary.size() / 8; ++i)
        if (Read32(summary, section + 8 + 8 * size_t{i}) == id) {
            const size_t at = section + size_t{Read32(summary, section + 12 + 8 * size_t{i})};
            return Read32(summary, at) == type ? at + 4 : 0;
        }
    return 0;
}

}  // namespace

bool FindStream(const std::vector<uint8_t>& file, const std::u16string& name, std::vector<size_t>* where)
{
    static const uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (file.size() < 512 || std::memcmp(file.data(), signature, 8) != 0 || file[0x1E] < 9 || file[0x1E] > 12 ||
        file[0x20] != 6)
        return false;
    const size_t sector = size_t{1} << file[0x1E], perSector = sector / 4;
    std::vector<size_t> sectors;  // sector n follows the header's own
    for (size_t at = sector; file.size() - at >= sector; at += sector)
        sectors.push_back(at);

    // The allocation table's sectors: 109 named in the header, then in a chain of lists.
    std::vector<uint32_t> tableSectors;
    const uint32_t tableCount = Read32(file, 0x2C);
    for (size_t i = 0; i < 109 && tableSectors.size() < tableCount; ++i)
        tableSectors.push_back(Read32(file, 0x4C + 4 * i));
    for (uint32_t list = Read32(file, 0x44); tableSectors.size() < tableCount; list = Read32(file, sectors[list] + sector - 4)) {
        if (list >= sectors.size() || tableSectors.size() > sectors.size())
            return false;
        for (size_t i = 0; i + 1 < perSector && tableSectors.size() < tableCount; ++i)
            tableSectors.push_back(Read32(file, sectors[list] + 4 * i));
    }
    std::vector<uint32_t> table;
    for (uint32_t at : tableSectors) {
        if (at >= sectors.size())
            return false;
        for (size_t i = 0; i < perSector; ++i)
            table.push_back(Read32(file, sectors[at] + 4 * i));
    }

    // The directory; its first entry holds the mini stream, in which the small streams lie in 64-byte units.
    std::vector<size_t> directory, miniStream, miniTable, miniSectors;
    if (!FollowChain(table, Read32(file, 0x30), sector, sectors, SIZE_MAX, &directory) || directory.size() < 128)
        return false;
    const std::vector<uint8_t> entries = Gather(file, directory);
    if (!FollowChain(table, Read32(entries, 0x74), sector, sectors, Read32(entries, 0x78), &miniStream) ||
        !FollowChain(table, Read32(file, 0x3C), sector, sectors, size_t{Read32(file, 0x40)} * sector, &miniTable))
        return false;
    for (size_t at = 0; at + 64 <= miniStream.size(); at += 64)
        miniSectors.push_back(miniStream[at]);
    for (size_t entry = 0; entry + 128 <= entries.size(); entry += 128) {
        const size_t nameBytes = entries[entry + 0x40] | size_t{entries[entry + 0x41]} << 8;
        if (entries[entry + 0x42] != 2 || nameBytes != 2 * (name.size() + 1))
            continue;
        bool same = true;
        for (size_t i = 0; i < name.size(); ++i)
            same &= (entries[entry + 2 * i] | entries[entry + 2 * i + 1] << 8) == name[i];
        if (!same)
            continue;
        const uint32_t start = Read32(entries, entry + 0x74), size = Read32(entries, entry + 0x78);
        return size < Read32(file, 0x38) ? FollowChain(Entries(Gather(file, miniTable)), start, 64, miniSectors, size, where)
                                         : FollowChain(table, start, sector, sectors, size, where);
    }
    return false;
}

bool MadeByThisTool(const std::vector<uint8_t>& package)
{
    std::vector<size_t> where;
    if (!FindStream(package, SummaryName, &where))
        return false;
    const std::vector<uint8_t> summary = Gather(package, where);
    const size_t comments = PropertyValue(summary, CommentsId, TextType);
    const size_t length = sizeof PackageMarker - 1;
    return comments && summary.size() - comments >= 4 + length &&
           std::memcmp(&summary[comments + 4], PackageMarker, length) == 0;
}

bool FixCodePages(std::vector<uint8_t>* package)
{
    std::vector<size_t> where, pool;
    if (!FindStream(*package, SummaryName, &where) || !FindStream(*package, StringPoolName, &pool) || pool.size() < 4)
        return false;
    std::vector<uint8_t> summary = Gather(*package, where);
    const size_t codePage = PropertyValue(summary, CodePageId, ShortType);
    if (!codePage || summary.size() - codePage < 2 || (summary[codePage] | summary[codePage + 1] << 8) != PackageCodePage)
        return false;
    // Each text shrinks to its Windows-1252 bytes in its place; zeros fill what it no longer needs.
    const uint32_t section = Read32(summary, 44), count = Read32(summary, section + 4);
    for (uint32_t i = 0; i < count && section != EndOfChain && i < summary.size() / 8; ++i) {
        const size_t at = PropertyValue(summary, Read32(summary, section + 8 + 8 * size_t{i}), TextType);
        const uint32_t length = Read32(summary, at);
        if (!at || length == EndOfChain || summary.size() - at - 4 < length)
            continue;
        std::string ansi, problem;
        const uint8_t* text = &summary[at + 4];
        if (!Utf8ToWindows1252(std::string(text, std::find(text, text + length, 0)), &ansi, &problem))
            return false;
        for (size_t b = 0; b < 4; ++b)
            summary[at + b] = static_cast<uint8_t>((ansi.size() + 1) >> 8 * b);
        std::fill(summary.begin() + static_cast<std::ptrdiff_t>(at + 4), summary.begin() + static_cast<std::ptrdiff_t>(at + 4 + length), 0);
        std::copy(ansi.begin(), ansi.end(), summary.begin() + static_cast<std::ptrdiff_t>(at + 4));
    }
    for (size_t i = 0; i < where.size(); ++i)
        (*package)[where[i]] = summary[i];
    // The pool's first two bytes are its code page.
    (*package)[pool[0]] = static_cast<uint8_t>(PackageCodePage);
    (*package)[pool[1]] = static_cast<uint8_t>(PackageCodePage >> 8);
    return true;
}

bool FixSummary(std::vector<uint8_t>* package, const Uuid& packageCode)
{
    std::vector<size_t> where;
    if (!FindStream(*package, SummaryName, &where))
        return false;
    const std::vector<uint8_t> summary = Gather(*package, where);
    const std::string code = FormatUuid(packageCode);
    const size_t codeAt = PropertyValue(summary, PackageCodeId, TextType);
    const size_t dates[] = {PropertyValue(summary, CreatedId, TimeType), PropertyValue(summary, SavedId, TimeType)};
    if (!codeAt || Read32(summary, codeAt) != code.size() + 1 || !dates[0] || !dates[1] ||
        summary.size() - codeAt < 4 + code.size() || summary.size() - dates[0] < 8 || summary.size() - dates[1] < 8)
        return false;
    for (size_t i = 0; i < code.size(); ++i)
        (*package)[where[codeAt + 4 + i]] = static_cast<uint8_t>(code[i]);
    for (size_t date : dates)
        for (size_t i = 0; i < 8; ++i)
            (*package)[where[date + i]] = static_cast<uint8_t>(FixedDate >> 8 * i);
    return true;
}
