// The inspect verb: prints the logo, texts and settings a saver file carries.
#include <cstdio>
#include <string>
#include <vector>

#include "file_io.h"
#include "package/bmp_format.h"
#include "saver_file.h"
#include "verbs.h"

static void PrintInspectHelp()
{
    std::printf("Usage: glimmora-author inspect FILE.scr\n"
                "\n"
                "Prints one \"Key: value\" line for each item of the saver's package: the logo,\n"
                "the texts, the colours, the id and every settings field.\n");
    PrintExitCodes();
}

// A package from elsewhere may hold anything; keep the terminal's control out of its texts.
static void PrintText(const char* key, const char (&slot)[TrailerTextSize])
{
    std::string text = SlotText(slot);
    for (char& character : text)
        if (static_cast<unsigned char>(character) < 0x20 || character == 0x7F)
            character = '?';
    std::printf("%s: %s\n", key, text.c_str());
}

static void PrintLogo(const std::vector<uint8_t>& file, PackageLayout layout, uint64_t imageOffset,
                      int32_t imageSize)
{
    if (layout == PackageLayout::NoImage) {
        std::printf("Logo: none\n");
        return;
    }
    BmpInfo info;
    const BmpFault fault = CheckBmp(file.data() + imageOffset, static_cast<size_t>(imageSize), &info);
    if (fault == BmpFault::None)
        std::printf("Logo: %d x %d, %d bits per pixel\n", static_cast<int>(info.Width),
                    static_cast<int>(info.Height), static_cast<int>(info.BitCount));
    else
        std::printf("Logo: damaged (%s)\n", DescribeBmpFault(fault));
}

int RunInspect(int count, char** arguments)
{
    std::string path;
    for (int i = 0; i < count; ++i) {
        const std::string argument = arguments[i];
        if (argument == "--help") {
            PrintInspectHelp();
            return ExitSuccess;
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
    std::string problem;
    if (!ReadWholeFile(path, &file, &problem))
        return Complain(ExitBadInput, "cannot read " + path + ": " + problem);
    SaverTrailer trailer;
    if (!ReadTrailer(file, &trailer) || !TrailerMagicValid(trailer))
        return Complain(ExitBadInput, path + " carries no saver package");
    uint64_t imageOffset = 0;
    const PackageLayout layout = JudgePackage(trailer, file.size(), &imageOffset);
    if (layout == PackageLayout::Damaged)
        return Complain(ExitBadInput, path + " has a damaged saver package: its ImageSize, " +
                                          std::to_string(trailer.ImageSize) + ", is more than the file holds");

    std::printf("ImageSize: %d\n", static_cast<int>(trailer.ImageSize));
    PrintLogo(file, layout, imageOffset, trailer.ImageSize);
    std::printf("SaverId: 0x%08x\n", static_cast<unsigned>(trailer.SaverId));
    std::printf("BackgroundColor: %s\n", FormatColour(trailer.BackgroundColor).c_str());
    std::printf("TransparentColor: %s\n", trailer.TransparentColor < 0
                                              ? "none"
                                              : FormatColour(static_cast<uint32_t>(trailer.TransparentColor)).c_str());
    PrintText("SaverName", trailer.SaverName);
    PrintText("Description", trailer.Description);
    PrintText("WebAddress", trailer.WebAddress);
    for (const SettingsField& field : SettingsFields)
        std::printf("%s: %d\n", field.Name, static_cast<int>(ReadSettingsField(trailer.Settings, field)));
    return ExitSuccess;
}
