// The msi verb: a Windows Installer package that installs a saver where
// Windows lists screen savers, built by wixl from WiX source written here.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <utime.h>
#endif

#include "file_io.h"
#include "installer/msi_package.h"
#include "saver/config_file.h"
#include "saver/saver_file.h"
#include "text_encoding.h"
#include "verbs/verbs.h"

namespace {

struct MsiRequest {
    std::string Saver, Out, Manufacturer, Version, ConfigPath;
    bool HelpWanted = false;
    bool Force = false;
};

void PrintMsiHelp()
{
    std::printf("Usage: glimmora-author msi FILE.scr --out NAME.msi --manufacturer TEXT --version N.N.N\n"
                "\n"
                "Builds a Windows Installer package that installs the saver, under its file\n"
                "name, for every user of the machine: a 64-bit saver into the 64-bit system\n"
                "folder (System32), a 32-bit one into the system folder of 32-bit programs\n"
                "(SysWOW64 on 64-bit Windows). Its product name is the saver's display name.\n"
                "A later version of the same saver (name and id) upgrades the earlier one, so\n"
                "every changed saver needs a higher version: Windows Installer refuses a\n"
                "package of the version already installed. Its texts are stored in\n"
                "Windows-1252. The package is built by wixl (Debian's package wixl); the same\n"
                "inputs give the same bytes. An existing output is replaced only if this tool\n"
                "made it. The saver is packed as it is, signature and all; sign the package\n"
                "with sign.\n"
                "\n"
                "  --out NAME.msi              the package to write\n"
                "  --force                     replaces an existing output that this tool did\n"
                "                              not make (never an input)\n"
                "  --manufacturer TEXT         the publisher that Programs and Features shows\n"
                "  --version N.N.N             three numbers, from 0.0.1 up to 255.255.65535;\n"
                "                              higher for every change of the saver\n"
                "  --config FILE               takes Manufacturer and Version from a config\n"
                "                              file (the saver's own: its other keys are skipped)\n");
    PrintExitCodes();
}

int ReadMsiArguments(int count, char** arguments, MsiRequest* request)
{
    const char* const options[] = {"--out", "--manufacturer", "--version", "--config"};
    std::string* const values[] = {&request->Out, &request->Manufacturer, &request->Version, &request->ConfigPath};
    bool given[4] = {};
    for (int i = 0; i < count; ++i) {
        const std::string argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            request->HelpWanted = true;
            return ExitSuccess;
        }
        if (argument == "--force") {
            request->Force = true;
            continue;
        }
        int option = 0;
        while (option < 4 && argument != options[option])
            ++option;
        if (option < 4) {
            if (i + 1 == count)
                return Complain(ExitUsage, argument + " needs a value");
            if (given[option])
                return Complain(ExitUsage, argument + " is given twice");
            given[option] = true;
            *values[option] = arguments[++i];
        } else if (argument.compare(0, 1, "-") == 0 || !request->Saver.empty()) {
            return Complain(ExitUsage, (argument.compare(0, 1, "-") == 0 ? "unknown option " : "unexpected argument ") +
                                           argument + " (see glimmora-author msi --help)");
        } else {
            request->Saver = argument;
        }
    }
    if (request->Saver.empty())
        return Complain(ExitUsage, "msi needs a saver (see glimmora-author msi --help)");
    if (request->Out.empty())
        return Complain(ExitUsage, "--out is required");
    return ExitSuccess;
}

// Manufacturer and Version from the config file, under the options; its
// other keys must be the saver's own.
int ReadPackageConfig(MsiRequest* request)
{
    if (request->ConfigPath.empty())
        return ExitSuccess;
    std::vector<uint8_t> bytes;
    int code = ReadInputFile("config file", request->ConfigPath, &bytes);
    if (code != ExitSuccess)
        return code;
    const std::string text(bytes.begin(), bytes.end());
    std::vector<ConfigEntry> entries;
    SaverChoices saverKeys;
    std::string problem;
    if (!AddConfigFile(request->ConfigPath, text, &saverKeys, &problem) || !ParseConfigText(text, &entries, &problem))
        return Complain(ExitBadInput, problem);
    for (const ConfigEntry& entry : entries) {
        std::string& value = entry.Key == "Manufacturer" ? request->Manufacturer : request->Version;
        if (IsPackageConfigKey(entry.Key) && value.empty())
            value = entry.Value;
    }
    return ExitSuccess;
}

#ifdef _WIN32

bool BuildPackage(const std::string&, const std::vector<uint8_t>&, const char*, std::vector<uint8_t>*, std::string* problem)
{
    *problem = "wixl, which builds the package, does not run with this Windows build of the tool; "
               "build it with the tool on Linux, where Debian's package wixl has it";
    return false;
}

#else

// Runs wixl in a private folder on the source and a copy of the saver, whose
// date the package records: a fixed one, so that the bytes follow from the content.
bool BuildPackage(const std::string& wixSource, const std::vector<uint8_t>& saver, const char* arch,
                  std::vector<uint8_t>* package, std::string* problem)
{
    const std::string wixl = FindOnPath("wixl");
    if (wixl.empty()) {
        *problem = "wixl, which builds the package, is not on PATH: install Debian's package wixl";
        return false;
    }
    std::string folder;
    if (!MakeTemporaryFolder("glimmora-msi", &folder, problem))
        return false;
    const utimbuf fixedDate = {PackageDateUnix, PackageDateUnix};
    bool built = ReplaceFileSafely(folder + "/source.wxs", {wixSource.begin(), wixSource.end()}, problem) &&
                 ReplaceFileSafely(folder + "/saver.scr", saver, problem);
    if (built && utime((folder + "/saver.scr").c_str(), &fixedDate) != 0)
        built = false, *problem = std::string("cannot date the saver's copy: ") + std::strerror(errno);
    if (built) {
        const std::string log = folder + "/wixl.log";
        built = RunHelperProgram(wixl, {"--arch", arch, "--output", "package.msi", "source.wxs"}, folder, log, log) &&
                ReadWholeFile(folder + "/package.msi", package, problem);
        if (!built) {
            const std::string said = LogLine(log, true);
            *problem = "wixl failed" + (said.empty() ? std::string() : ": " + said);
        }
    }
    RemoveTemporaryFolder(folder);
    return built;
}

#endif

}  // namespace

int RunMsi(int count, char** arguments)
{
    MsiRequest request;
    int code = ReadMsiArguments(count, arguments, &request);
    if (code != ExitSuccess)
        return code;
    if (request.HelpWanted) {
        PrintMsiHelp();
        return ExitSuccess;
    }
    if ((code = ReadPackageConfig(&request)) != ExitSuccess)
        return code;
    if (request.Manufacturer.empty() || request.Version.empty())
        return Complain(ExitUsage, request.Version.empty() ? "--version is required (or Version in the config file)"
                                                           : "--manufacturer is required (or Manufacturer in the config file)");
    PackageFields fields;
    if (!ParseProductVersion(request.Version, &fields.Version))
        return Complain(ExitBadInput, "version " + request.Version + " is not three numbers up to 255.255.65535");
    if (fields.Version.Major == 0 && fields.Version.Minor == 0 && fields.Version.Build == 0)
        return Complain(ExitBadInput, "version 0.0.0 is not a release: start at 0.0.1 or 1.0.0, and go higher with every change of the saver");
    std::string problem = PackageTextProblem(request.Manufacturer);
    if (!problem.empty())
        return Complain(ExitBadInput, "the manufacturer " + problem);

    std::vector<uint8_t> saver;
    if ((code = ReadInputFile("saver", request.Saver, &saver)) != ExitSuccess)
        return code;
    SaverParts parts;
    DisplayNameSlots slots;
    problem = SplitSaverFile(saver, &parts);
    if (problem.empty())
        problem = SaverProgramProblem({saver.begin(), saver.begin() + static_cast<std::ptrdiff_t>(parts.ProgramSize)}, &slots);
    if (!problem.empty())
        return Complain(ExitBadInput, request.Saver + " " + problem);
    fields.ProductName = Utf16ToUtf8(ReadDisplayName(saver.data(), slots.Offsets[0]));
    fields.Manufacturer = request.Manufacturer;
    fields.FileName = FileNameOf(request.Saver);
    fields.Machine = slots.Machine;
    char id[12];
    std::snprintf(id, sizeof id, ".%x", static_cast<unsigned>(parts.Trailer.SaverId));
    fields.SaverIdentity = SlotText(parts.Trailer.SaverName) + id;
    fields.WebAddress = SaverWebAddress(parts.Trailer);
    if (!PackageTextProblem(fields.WebAddress).empty())
        fields.WebAddress.clear();
    if (!(problem = PackageTextProblem(fields.ProductName)).empty())
        return Complain(ExitBadInput, request.Saver + ": the display name " + problem);
    if (!(problem = InstalledNameProblem(fields.FileName)).empty() ||
        !(problem = PackageTextProblem(fields.FileName)).empty())
        return Complain(ExitBadInput, "the saver's file name, " + fields.FileName + ", " + problem);

    // Only a package of this tool may be replaced: anything else there is someone's file.
    const OutputRule ownPackage = {"a package made by glimmora-author",
                                   [](const std::vector<uint8_t>& existing, const std::vector<uint8_t>&) {
                                       return MadeByThisTool(existing);
                                   }};
    const OutputTarget target = {request.Out, {{"saver", request.Saver}, {"config file", request.ConfigPath}},
                                 request.Force, ownPackage};
    if (!(problem = OutputRefusal(target, {})).empty())
        return Complain(ExitBadInput, problem);

    const PackageCodes codes = DerivePackageCodes(fields);
    const std::string source = WixSource(fields, codes, "saver.scr");
    std::vector<uint8_t> package;
    if (!BuildPackage(source, saver, PlatformFor(fields.Machine).Arch, &package, &problem))
        return Complain(ExitWriteFailed, problem);
    if (!FixSummary(&package, DerivePackageCode(codes, source, saver)) || !FixCodePages(&package))
        return Complain(ExitWriteFailed, "wixl wrote a package without the summary and string pool it writes");
    if ((code = WriteOutput(target, package)) != ExitSuccess)
        return code;
    std::printf("wrote %s: %zu bytes, %s package of \"%s\" %s, upgrade code %s\n", request.Out.c_str(), package.size(),
                PlatformFor(fields.Machine).Arch, fields.ProductName.c_str(), FormatVersion(fields.Version).c_str(),
                FormatUuid(codes.Upgrade).c_str());
    return ExitSuccess;
}
