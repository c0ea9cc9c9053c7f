// Building a saver file from a runtime, a logo and a trailer, and reading one back.
#include "saver/saver_file.h"

#include "signing/authenticode.h"
#include "text_encoding.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

void StartTrailer(SaverTrailer* trailer)
{
    std::memset(trailer, 0, sizeof *trailer);
    ApplyDefaultTrailer(trailer);
    trailer->Settings.DripIntervalMs = 410;
    trailer->Settings.DripTile = 0;
    trailer->TransparentColor = -1;
}

static std::string ProgramProblem(const std::vector<uint8_t>& program, const char* notOurs, DisplayNameSlots* slots)
{
    switch (FindDisplayNameSlots(program.data(), program.size(), slots)) {
    case ProgramFault::NotProgram: return "is not a Windows program";
    case ProgramFault::Damaged: return "is a damaged Windows program";
    case ProgramFault::NoDisplayName: return notOurs;
    case ProgramFault::None: break;
    }
    if (slots->Machine == ProgramMachine::Other)
        return "is a Windows program for neither x86 nor x64";
    return std::string();
}

std::string RuntimeProblem(std::vector<uint8_t>* runtime, DisplayNameSlots* slots, std::string* signer)
{
    // A saver used as a runtime would end in two packages, and the runtime only finds the outer one.
    SaverParts parts;
    SplitSaverFile(*runtime, &parts);
    if (TrailerMagicValid(parts.Trailer))
        return "already carries a saver package; give the runtime it was made from";
    if (parts.Signature.Kind == TableKind::Damaged)
        return "has a damaged signature: its certificate table reaches outside the file";
    signer->clear();
    if (parts.Signature.Kind == TableKind::EndsFile) {
        SignatureFacts facts;
        *signer = ReadProgramSignature(*runtime, parts.Signature, &facts).empty() ? facts.Signer : "unknown";
        RemoveSignature(runtime, parts.Signature);
    }
    return ProgramProblem(*runtime, "is not a Glimmora runtime (its string table has no 60-character display name)",
                          slots);
}

std::string SaverProgramProblem(const std::vector<uint8_t>& program, DisplayNameSlots* slots)
{
    return ProgramProblem(program, "was not made from a Glimmora runtime (its string table has no 60-character "
                                   "display name)", slots);
}

std::vector<uint8_t> BuildSaverFile(const std::vector<uint8_t>& program, const DisplayNameSlots& slots,
                                    const std::vector<uint16_t>& displayName, const std::vector<uint8_t>& logo,
                                    SaverTrailer trailer)
{
    trailer.ImageSize = static_cast<int32_t>(logo.size());
    std::vector<uint8_t> file;
    file.reserve(program.size() + logo.size() + TrailerSize);
    file.insert(file.end(), program.begin(), program.end());
    for (size_t offset : slots.Offsets)
        WriteDisplayName(file.data(), offset, displayName);
    file.insert(file.end(), logo.begin(), logo.end());
    const uint8_t* record = reinterpret_cast<const uint8_t*>(&trailer);
    file.insert(file.end(), record, record + TrailerSize);
    return file;
}

std::string SplitSaverFile(const std::vector<uint8_t>& file, SaverParts* parts)
{
    std::memset(&parts->Trailer, 0, sizeof parts->Trailer);
    MemoryFile memory = {file.data(), file.size()};
    PackagePlace place;
    const PackageLayout layout = LocatePackage(ReadMemoryFile, &memory, file.size(), &parts->Trailer, &place);
    parts->Signature = place.Table;
    if (place.Table.Kind == TableKind::Damaged)
        return "has a damaged signature: its certificate table reaches outside the file";
    if (!TrailerMagicValid(parts->Trailer))
        return "carries no saver package";
    if (layout == PackageLayout::Damaged)
        return "has a damaged saver package: its ImageSize, " + std::to_string(parts->Trailer.ImageSize) +
               ", is more than the file holds";
    const size_t end = static_cast<size_t>(place.End);
    parts->ProgramSize = layout == PackageLayout::Sound ? static_cast<size_t>(place.ImageOffset) : end - TrailerSize;
    parts->LogoSize = end - TrailerSize - parts->ProgramSize;
    return std::string();
}

bool IsSaverFile(const std::vector<uint8_t>& file)
{
    SaverParts parts;
    DisplayNameSlots slots;
    return SplitSaverFile(file, &parts).empty() &&
           SaverProgramProblem({file.begin(), file.begin() + static_cast<std::ptrdiff_t>(parts.ProgramSize)}, &slots).empty();
}

void RemoveSignature(std::vector<uint8_t>* file, const CertificateTable& table)
{
    if (table.Kind != TableKind::EndsFile)
        return;
    std::fill_n(file->begin() + static_cast<std::ptrdiff_t>(table.EntryOffset), 8, 0);
    file->resize(static_cast<size_t>(table.Start));
}

uint32_t SaverIdFromName(const std::string& name)
{
    uint32_t hash = 2166136261u;
    for (unsigned char byte : name) {
        hash ^= byte;
        hash *= 16777619u;
    }
    return hash;
}

void StoreText(char (&slot)[TrailerTextSize], const std::string& text)
{
    std::memset(slot, 0, TrailerTextSize);
    std::memcpy(slot, text.data(), text.size() < TrailerTextSize ? text.size() : TrailerTextSize - 1);
}

std::string SlotText(const char (&slot)[TrailerTextSize])
{
    return std::string(slot, strnlen(slot, TrailerTextSize));
}

std::string SaverWebAddress(const SaverTrailer& trailer)
{
    const std::string address = SlotText(trailer.WebAddress);
    return address.find_first_not_of(' ') == std::string::npos ? std::string() : Windows1252ToUtf8(address);
}

static int HexDigitValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

// Digits only, in the given base, fitting in `limit`.
static bool ParseUnsigned(const std::string& digits, int base, uint64_t limit, uint64_t* value)
{
    if (digits.empty())
        return false;
    uint64_t result = 0;
    for (char digit : digits) {
        const int digitValue = HexDigitValue(digit);
        if (digitValue < 0 || digitValue >= base)
            return false;
        result = result * base + static_cast<uint64_t>(digitValue);
        if (result > limit)
            return false;
    }
    *value = result;
    return true;
}

bool ParseColour(const std::string& text, uint32_t* colorref)
{
    uint64_t rgb;
    if (text.size() != 7 || text[0] != '#' || !ParseUnsigned(text.substr(1), 16, 0xFFFFFF, &rgb))
        return false;
    const uint32_t red = (rgb >> 16) & 0xFF, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    *colorref = red | green << 8 | blue << 16;
    return true;
}

std::string FormatColour(uint32_t colorref)
{
    char text[16];
    // A high byte that is not zero is no plain colour; show what is stored.
    if (colorref > 0xFFFFFF)
        std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(colorref));
    else
        std::snprintf(text, sizeof text, "#%02X%02X%02X", static_cast<unsigned>(colorref & 0xFF),
                      static_cast<unsigned>(colorref >> 8 & 0xFF), static_cast<unsigned>(colorref >> 16 & 0xFF));
    return text;
}

bool ParseSaverId(const std::string& text, uint32_t* id)
{
    uint64_t value;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (!ParseUnsigned(hex ? text.substr(2) : text, hex ? 16 : 10, UINT32_MAX, &value))
        return false;
    *id = static_cast<uint32_t>(value);
    return true;
}

bool ParseInt32(const std::string& text, int32_t* value)
{
    const bool negative = !text.empty() && text[0] == '-';
    const uint64_t limit = negative ? uint64_t(INT32_MAX) + 1 : uint64_t(INT32_MAX);
    uint64_t magnitude;
    if (!ParseUnsigned(negative ? text.substr(1) : text, 10, limit, &magnitude))
        return false;
    *value = static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
    return true;
}

std::string DescribeAllowedValues(const SettingsField& field)
{
    if (!field.Choices && field.Minimum == INT32_MIN && field.Maximum == INT32_MAX)
        return "any whole number";
    if (!field.Choices)
        return "from " + std::to_string(field.Minimum) + " to " + std::to_string(field.Maximum);
    std::string text = "one of ";
    for (int i = 0; i < field.ChoiceCount; ++i)
        text += (i ? ", " : "") + std::to_string(field.Choices[i]);
    return text;
}
