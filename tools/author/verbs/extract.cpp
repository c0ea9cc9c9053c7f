// The extract verb: the logo a saver carries, back out as the BMP file it is.
#include <cstdio>
#include <string>
#include <vector>

#include "file_io.h"
#include "package/bmp_format.h"
#include "saver/saver_file.h"
#include "verbs/verbs.h"

static void PrintExtractHelp()
{
    std::printf("Usage: glimmora-author extract FILE.scr --out LOGO.bmp [--force]\n"
                "\n"
                "Writes the logo that the saver carries, byte for byte as the package holds it\n"
                "(a PNG logo was packed as a BMP). The output is written safely, as by\n"
                "create. An existing file is replaced only when it holds these very bytes\n"
                "(extracted before), or with --force, which never replaces the saver.\n");
    PrintExitCodes();
}

int RunExtract(int count, char** arguments)
{
    std::string saverPath, outPath;
    bool force = false;
    for (int i = 0; i < count; ++i) {
        const std::string argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            PrintExtractHelp();
            return ExitSuccess;
        }
        if (argument == "--force") {
            force = true;
            continue;
        }
        if (argument == "--out") {
            if (i + 1 == count || !outPath.empty())
                return Complain(ExitUsage, i + 1 == count ? "--out needs a value" : "--out is given twice");
            outPath = arguments[++i];
            if (outPath.empty())
                return Complain(ExitUsage, "--out needs a file name");
            continue;
        }
        if (argument.compare(0, 1, "-") == 0)
            return Complain(ExitUsage, "unknown option " + argument + " (see glimmora-author extract --help)");
        if (!saverPath.empty())
            return Complain(ExitUsage, "extract takes one saver, not also " + argument);
        saverPath = argument;
    }
    if (saverPath.empty())
        return Complain(ExitUsage, "extract needs a saver (see glimmora-author extract --help)");
    if (outPath.empty())
        return Complain(ExitUsage, "--out is required");

    std::vector<uint8_t> file;
    int code = ReadInputFile("saver", saverPath, &file);
    if (code != ExitSuccess)
        return code;
    SaverParts parts;
    std::string problem = SplitSaverFile(file, &parts);
    if (!problem.empty())
        return Complain(ExitBadInput, saverPath + " " + problem);
    if (parts.LogoSize == 0)
        return Complain(ExitBadInput, saverPath + " carries no logo");

    const auto logoStart = file.begin() + static_cast<std::ptrdiff_t>(parts.ProgramSize);
    const std::vector<uint8_t> logo(logoStart, logoStart + static_cast<std::ptrdiff_t>(parts.LogoSize));
    // Only the same bytes are surely the tool's: a user's own BMP artwork may stand there.
    const OutputRule sameLogo = {"this saver's logo", [](const std::vector<uint8_t>& existing, const std::vector<uint8_t>& output) {
                                     return existing == output;
                                 }};
    if ((code = WriteOutput({outPath, {{"saver", saverPath}}, force, sameLogo}, logo)) != ExitSuccess)
        return code;
    BmpInfo info;
    const BmpFault fault = CheckBmp(logo.data(), logo.size(), &info);
    if (fault == BmpFault::None)
        std::printf("wrote %s: %zu bytes, %d x %d, %d bits per pixel\n", outPath.c_str(), logo.size(),
                    static_cast<int>(info.Width), static_cast<int>(info.Height), static_cast<int>(info.BitCount));
    else
        std::printf("wrote %s: %zu bytes, which are not a sound BMP file: %s\n", outPath.c_str(), logo.size(),
                    DescribeBmpFault(fault));
    return ExitSuccess;
}
