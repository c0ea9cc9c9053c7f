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
constexpr uint32_t CodePageId = 1, SubjectId = 3, CommentsId = 6, PackageCodeId = 9, CreatedId = 12, SavedId = 13;
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

// A compound file's directory and what reading its streams needs.
struct CompoundFile {
    std::vector<uint8_t> Entries;  // 128 bytes each
    std::vector<uint32_t> Table, MiniTable;
    std::vector<size_t> Sectors, MiniSectors;
    size_t SectorSize = 0;
    uint32_t MiniCutoff = 0;
};

bool OpenCompoundFile(const std::vector<uint8_t>& file, CompoundFile* compound)
{
    static const uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (file.size() < 512 || std::memcmp(file.data(), signature, 8) != 0 || file[0x1E] < 9 || file[0x1E] > 12 ||
        file[0x20] != 6)
        return false;
    const size_t sector = size_t{1} << file[0x1E], perSector = sector / 4;
    compound->SectorSize = sector;
    std::vector<size_t>& sectors = compound->Sectors;  // sector n follows the header's own
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
    std::vector<uint32_t>& table = compound->Table;
    for (uint32_t at : tableSectors) {
        if (at >= sectors.size())
            return false;
        for (size_t i = 0; i < perSector; ++i)
            table.push_back(Read32(file, sectors[at] + 4 * i));
    }

    // The directory; its first entry holds the mini stream, in which the small streams lie in 64-byte units.
    std::vector<size_t> directory, miniStream, miniTable;
    if (!FollowChain(table, Read32(file, 0x30), sector, sectors, SIZE_MAX, &directory) || directory.size() < 128)
        return false;
    compound->Entries = Gather(file, directory);
    const std::vector<uint8_t>& entries = compound->Entries;
    if (!FollowChain(table, Read32(entries, 0x74), sector, sectors, Read32(entries, 0x78), &miniStream) ||
        !FollowChain(table, Read32(file, 0x3C), sector, sectors, size_t{Read32(file, 0x40)} * sector, &miniTable))
        return false;
    for (size_t at = 0; at + 64 <= miniStream.size(); at += 64)
        compound->MiniSectors.push_back(miniStream[at]);
    compound->MiniTable = Entries(Gather(file, miniTable));
    compound->MiniCutoff = Read32(file, 0x38);
    return true;
}

// Where each byte of the stream of directory entry `entry` (its offset) lies.
bool StreamBytes(const CompoundFile& compound, size_t entry, std::vector<size_t>* where)
{
    const uint32_t start = Read32(compound.Entries, entry + 0x74), size = Read32(compound.Entries, entry + 0x78);
    if (size < compound.MiniCutoff)
        return FollowChain(compound.MiniTable, start, 64, compound.MiniSectors, size, where);
    return FollowChain(compound.Table, start, compound.SectorSize, compound.Sectors, size, where);
}

std::u16string EntryName(const CompoundFile& compound, size_t entry)
{
    const size_t units = (compound.Entries[entry + 0x40] | size_t{compound.Entries[entry + 0x41]} << 8) / 2;
    std::u16string name;
    for (size_t i = 0; i + 1 < units && i < 32; ++i)
        name += static_cast<char16_t>(compound.Entries[entry + 2 * i] | compound.Entries[entry + 2 * i + 1] << 8);
    return name;
}

const char16_t SignatureName[] = u"\x05" "DigitalSignature";

// What Authenticode digests of a storage: its streams and storages in the
// order of their names' bytes (a shorter name first where one begins the
// other), each stream's bytes, each storage's own content in turn, and then
// the storage's class id. The signature's own streams are left out.
bool AppendSignedContent(const CompoundFile& compound, const std::vector<uint8_t>& file, size_t storage, int depth,
                         std::vector<uint8_t>* content)
{
    const size_t count = compound.Entries.size() / 128;
    std::vector<size_t> children;
    for (std::vector<uint32_t> pending = {Read32(compound.Entries, storage + 0x4C)}; !pending.empty();) {
        const uint32_t id = pending.back();
        pending.pop_back();
        if (id >= count)
            continue;  // no sibling or child
        if (children.size() == count || depth > 8)
            return false;  // a loop
        children.push_back(size_t{id} * 128);
        pending.push_back(Read32(compound.Entries, size_t{id} * 128 + 0x44));
        pending.push_back(Read32(compound.Entries, size_t{id} * 128 + 0x48));
    }
    std::sort(children.begin(), children.end(), [&](size_t a, size_t b) {
        const std::u16string x = EntryName(compound, a), y = EntryName(compound, b);
        const size_t common = std::min(x.size(), y.size());
        const int order = std::memcmp(x.data(), y.data(), 2 * common);
        return order != 0 ? order < 0 : x.size() < y.size();
    });
    for (size_t child : children) {
        const std::u16string name = EntryName(compound, child);
        std::vector<size_t> where;
        if (name == SignatureName || name == u"\x05MsiDigitalSignatureEx")
            continue;
        if (compound.Entries[child + 0x42] == 2 && StreamBytes(compound, child, &where)) {
            const std::vector<uint8_t> bytes = Gather(file, where);
            content->insert(content->end(), bytes.begin(), bytes.end());
        } else if (compound.Entries[child + 0x42] != 1 ||
                   !AppendSignedContent(compound, file, child, depth + 1, content)) {
            return false;
        }
    }
    content->insert(content->end(), compound.Entries.begin() + static_cast<std::ptrdiff_t>(storage + 0x50),
                    compound.Entries.begin() + static_cast<std::ptrdiff_t>(storage + 0x60));
    return true;
}

}  // namespace

bool PackageSignature(const std::vector<uint8_t>& package, std::vector<uint8_t>* signature,
                      std::vector<uint8_t>* content)
{
    CompoundFile compound;
    std::vector<size_t> where;
    signature->clear();
    if (!OpenCompoundFile(package, &compound))
        return false;
    for (size_t entry = 0; entry + 128 <= compound.Entries.size(); entry += 128)
        if (compound.Entries[entry + 0x42] == 2 && EntryName(compound, entry) == SignatureName) {
            if (!StreamBytes(compound, entry, &where))
                return false;
            *signature = Gather(package, where);
        }
    content->clear();
    return AppendSignedContent(compound, package, 0, 0, content);
}

bool FindStream(const std::vector<uint8_t>& file, const std::u16string& name, std::vector<size_t>* where)
{
    CompoundFile compound;
    if (!OpenCompoundFile(file, &compound))
        return false;
    for (size_t entry = 0; entry + 128 <= compound.Entries.size(); entry += 128)
        if (compound.Entries[entry + 0x42] == 2 && EntryName(compound, entry) == name)
            return StreamBytes(compound, entry, where);
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

bool ReadPackageSummary(const std::vector<uint8_t>& package, std::string* productName, std::string* webAddress)
{
    std::vector<size_t> where;
    if (!MadeByThisTool(package) || !FindStream(package, SummaryName, &where))
        return false;
    const std::vector<uint8_t> summary = Gather(package, where);
    // Text properties: a length that counts the terminator, then code page 1252 bytes.
    const auto text = [&summary](uint32_t id) {
        const size_t at = PropertyValue(summary, id, TextType), length = at ? Read32(summary, at) : 0;
        return at && length > 0 && length <= summary.size() - at - 4
                   ? std::string(summary.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                 summary.begin() + static_cast<std::ptrdiff_t>(at + 3 + length))
                   : std::string();
    };
    const std::string subject = text(SubjectId), comments = text(CommentsId);
    const std::string named = std::string(PackageMarker) + ": the screen saver " + subject, rest = comments.substr(
        comments.compare(0, named.size(), named) == 0 ? named.size() : comments.size());
    *productName = Windows1252ToUtf8(subject);
    const bool addressed = rest.size() > 3 && rest.compare(0, 2, " (") == 0 && rest.back() == ')';
    *webAddress = addressed ? Windows1252ToUtf8(rest.substr(2, rest.size() - 3)) : std::string();
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
