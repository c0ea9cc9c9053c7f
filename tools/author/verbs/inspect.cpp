// The inspect verb: every field of a saver's package and its display name,
// as "Key: value" lines or as one JSON object.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "file_io.h"
#include "images/bmp_layouts.h"
#include "images/logo_colours.h"
#include "images/logo_input.h"
#include "installer/msi_package.h"
#include "saver/saver_file.h"
#include "signing/authenticode.h"
#include "text_encoding.h"
#include "verbs/verbs.h"

namespace {

void PrintInspectHelp()
{
    std::printf("Usage: glimmora-author inspect FILE.scr|FILE.msi [--json]\n"
                "\n"
                "Prints the runtime's kind, the display name, the signature, and every field of\n"
                "the saver's package in the order the package holds them: one \"Key: value\"\n"
                "line each (a bit field with the names of its bits), or with --json one JSON\n"
                "object (the settings as numbers in a \"Settings\" object, colours as\n"
                "\"#RRGGBB\", no transparent colour as null). Texts are printed as UTF-8. Of\n"
                "an installer package it prints whose it is and its signature. A signature is\n"
                "shown with its signer's subject and whether it still matches the file; its\n"
                "certificates' trust is for Windows to judge.\n");
    PrintExitCodes();
}

struct Report {
    std::vector<std::pair<std::string, std::string>> Lines;  // key, value for the text form
    std::string Json;
};

std::string JsonString(const std::string& utf8)
{
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

// A package from elsewhere may hold anything; keep the terminal's control out of its texts.
std::string Printable(std::string utf8)
{
    for (char& c : utf8)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return utf8;
}

// One field in both forms; `json` is the value already in JSON.
void Add(Report* report, const std::string& key, const std::string& text, const std::string& json, int indent = 2)
{
    report->Lines.push_back({key, text});
    if (report->Json.back() != '{')
        report->Json += ",";
    report->Json += "\n" + std::string(static_cast<size_t>(indent), ' ') + JsonString(key) + ": " + json;
}

void AddNumber(Report* report, const std::string& key, long long value, int indent = 2)
{
    Add(report, key, std::to_string(value), std::to_string(value), indent);
}

void AddText(Report* report, const char* key, const char (&slot)[TrailerTextSize])
{
    const std::string utf8 = Windows1252ToUtf8(SlotText(slot));
    Add(report, key, Printable(utf8), JsonString(utf8));
}

std::string ColourJson(uint32_t colorref)
{
    return JsonString(FormatColour(colorref));
}

void AddLogo(Report* report, const std::vector<uint8_t>& file, const SaverParts& parts)
{
    if (parts.LogoSize == 0) {
        Add(report, "Logo", "none", "null");
        return;
    }
    BmpInfo info;
    const uint8_t* logo = file.data() + parts.ProgramSize;
    const BmpFault fault = CheckBmp(logo, parts.LogoSize, &info);
    if (fault != BmpFault::None) {
        Add(report, "Logo", std::string("damaged (") + DescribeBmpFault(fault) + ")",
            "{\"Damaged\": " + JsonString(DescribeBmpFault(fault)) + "}");
        return;
    }
    const std::string layout = DescribeBmpLayout(info);
    const int64_t colours = CountBmpColours(logo, parts.LogoSize);
    uint32_t blended;
    const bool wasBlended = BlendedBackground(std::vector<uint8_t>(logo, logo + parts.LogoSize), &blended);
    Add(report, "Logo",
        std::to_string(info.Width) + " x " + std::to_string(info.Height) + ", " + layout +
            (colours < 0 ? "" : ", " + FormatColourCount(colours)) +
            (wasBlended ? ", edges blended onto " + FormatColour(blended) : ""),
        "{\"Width\": " + std::to_string(info.Width) + ", \"Height\": " + std::to_string(info.Height) +
            ", \"BitsPerPixel\": " + std::to_string(info.BitCount) + ", \"Compression\": " +
            std::to_string(info.Compression) + ", \"TopDown\": " + (info.TopDown ? "true" : "false") +
            ", \"Layout\": " + JsonString(layout) +
            ", \"Colours\": " + (colours < 0 ? "null" : std::to_string(colours)) +
            ", \"BlendedOnto\": " + (wasBlended ? ColourJson(blended) : "null") + "}");
}

void AddProgram(Report* report, const std::vector<uint8_t>& file, const SaverParts& parts)
{
    const std::vector<uint8_t> program(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(parts.ProgramSize));
    DisplayNameSlots slots;
    const std::string problem = SaverProgramProblem(program, &slots);
    if (!problem.empty()) {
        Add(report, "Runtime", "unknown: the program " + problem, "null");
        Add(report, "DisplayName", "none", "null");
        return;
    }
    const bool x86 = slots.Machine == ProgramMachine::X86;
    Add(report, "Runtime", x86 ? "32-bit (x86)" : "64-bit (x64)", x86 ? "\"x86\"" : "\"x64\"");
    const std::string name = Utf16ToUtf8(ReadDisplayName(program.data(), slots.Offsets[0]));
    Add(report, "DisplayName", Printable(name), JsonString(name));
}

// Whose signature the file carries and whether the digest it vouches for is
// still the file's own (`digest`, empty when not computed).
void AddSignature(Report* report, const std::string& problem, const SignatureFacts& facts,
                  const std::vector<uint8_t>& digest)
{
    if (!problem.empty()) {
        Add(report, "Signature", "damaged: the file " + problem,
            "{\"Damaged\": " + JsonString("the file " + problem) + "}");
        return;
    }
    const std::string verdict = digest.empty()            ? "whose " + facts.DigestAlgorithm + " digest is not checked here"
                                : digest == facts.Digest ? "matching the file"
                                                         : "which no longer matches the file";
    Add(report, "Signature", "by " + Printable(facts.Signer) + ", " + verdict,
        "{\"Signer\": " + JsonString(facts.Signer) + ", \"Matches\": " +
            (digest.empty() ? "null" : digest == facts.Digest ? "true" : "false") + "}");
}

void AddSaverSignature(Report* report, const std::vector<uint8_t>& file, const CertificateTable& table)
{
    if (table.Kind != TableKind::EndsFile) {
        // A table that other bytes follow was there before the package was added.
        Add(report, "Signature", table.Size ? "none that covers the package (a certificate table lies before it)" : "none",
            "null");
        return;
    }
    SignatureFacts facts;
    const std::string problem = ReadProgramSignature(file, table, &facts);
    AddSignature(report, problem, facts,
                 problem.empty() ? ProgramDigest(file, table, facts.DigestAlgorithm) : std::vector<uint8_t>());
}

Report Describe(const std::vector<uint8_t>& file, const SaverParts& parts)
{
    const SaverTrailer& trailer = parts.Trailer;
    Report report;
    report.Json = "{";
    AddProgram(&report, file, parts);
    AddSaverSignature(&report, file, parts.Signature);
    AddNumber(&report, "Reserved0", trailer.Reserved0);
    AddNumber(&report, "ImageSize", trailer.ImageSize);
    AddLogo(&report, file, parts);
    report.Json += ",\n  \"Settings\": {";
    for (const SettingsField& field : SettingsFields) {
        const int32_t value = ReadSettingsField(trailer.Settings, field);
        Add(&report, field.Name, ShowSettingValue(field, value), std::to_string(value), 4);
    }
    report.Json += "\n  }";
    char id[16];
    std::snprintf(id, sizeof id, "0x%08x", static_cast<unsigned>(trailer.SaverId));
    Add(&report, "SaverId", id, std::to_string(trailer.SaverId));
    Add(&report, "BackgroundColor", FormatColour(trailer.BackgroundColor), ColourJson(trailer.BackgroundColor));
    const bool keyed = trailer.TransparentColor >= 0;
    const uint32_t key = static_cast<uint32_t>(trailer.TransparentColor);
    Add(&report, "TransparentColor", keyed ? FormatColour(key) : "none", keyed ? ColourJson(key) : "null");
    AddText(&report, "Description", trailer.Description);
    AddText(&report, "SaverName", trailer.SaverName);
    AddText(&report, "WebAddress", trailer.WebAddress);
    const std::string magic(trailer.Magic, TrailerMagicSize);
    Add(&report, "Magic", magic, JsonString(magic));
    AddNumber(&report, "ImageSlot", trailer.ImageSlot);
    report.Json += "\n}\n";
    return report;
}

// An installer package: whose it is and its signature.
bool DescribePackage(const std::vector<uint8_t>& file, Report* report)
{
    std::vector<uint8_t> signature, content;
    if (!PackageSignature(file, &signature, &content))
        return false;
    report->Json = "{";
    std::string name, address;
    const bool ours = ReadPackageSummary(file, &name, &address);
    Add(report, "Package", ours ? "Windows Installer package made by glimmora-author" : "Windows Installer package",
        ours ? "\"glimmora-author\"" : "\"other\"");
    if (ours) {
        Add(report, "ProductName", Printable(name), JsonString(name));
        Add(report, "WebAddress", Printable(address), JsonString(address));
    }
    SignatureFacts facts;
    if (signature.empty())
        Add(report, "Signature", "none", "null");
    else {
        const std::string problem = ReadSignature(signature.data(), signature.size(), &facts);
        AddSignature(report, problem.empty() ? problem : "has a signature that " + problem, facts,
                     problem.empty() ? DigestWith(facts.DigestAlgorithm, content) : std::vector<uint8_t>());
    }
    report->Json += "\n}\n";
    return true;
}

}  // namespace

int RunInspect(int count, char** arguments)
{
    std::string path;
    bool json = false;
    for (int i = 0; i < count; ++i) {
        const std::string argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            PrintInspectHelp();
            return ExitSuccess;
        }
        if (argument == "--json") {
            json = true;
            continue;
        }
        if (argument.compare(0, 1, "-") == 0)
            return Complain(ExitUsage, "unknown option " + argument + " (see glimmora-author inspect --help)");
        if (!path.empty())
            return Complain(ExitUsage, "inspect takes one file, not also " + argument);
        path = argument;
    }
    if (path.empty())
        return Complain(ExitUsage, "inspect needs a file (see glimmora-author inspect --help)");

    std::vector<uint8_t> file;
    int code = ReadInputFile("saver", path, &file);
    if (code != ExitSuccess)
        return code;
    Report report;
    static const uint8_t compoundFile[] = {0xD0, 0xCF, 0x11, 0xE0};
    if (file.size() >= 4 && std::equal(compoundFile, compoundFile + 4, file.begin())) {
        if (!DescribePackage(file, &report))
            return Complain(ExitBadInput, path + " is neither a saver nor a sound Windows Installer package");
    } else {
        SaverParts parts;
        const std::string problem = SplitSaverFile(file, &parts);
        if (!problem.empty())
            return Complain(ExitBadInput, path + " " + problem);
        report = Describe(file, parts);
    }
    if (json) {
        std::fputs(report.Json.c_str(), stdout);
        return ExitSuccess;
    }
    for (const auto& line : report.Lines)
        std::printf("%s: %s\n", line.first.c_str(), line.second.c_str());
    return ExitSuccess;
}
