// Messages, exit codes and input files shared by the verbs.
#include <cstdio>

#include "file_io.h"
#include "saver/saver_file.h"
#include "verbs/verbs.h"

int Complain(int code, const std::string& problem)
{
    std::fprintf(stderr, "glimmora-author: %s\n", problem.c_str());
    return code;
}

void Warn(const std::string& text)
{
    std::fprintf(stderr, "glimmora-author: warning: %s\n", text.c_str());
}

void PrintExitCodes()
{
    std::printf("\nExit codes:\n"
                "  0  success\n"
                "  1  bad input: a file that cannot be read or used, a value that is refused,\n"
                "     or an existing output that is not of the kind the command writes\n"
                "  2  usage: unknown command or option, missing value or required option\n"
                "  3  the output could not be written, or the program that does the work is\n"
                "     missing or failed: wixl for msi, osslsigncode for sign (a wrong password,\n"
                "     a key that is not the certificate's)\n"
                "  130, 143, 129  interrupted (SIGINT or Ctrl+C, SIGTERM, SIGHUP or a closed\n"
                "     console): nothing is left behind\n");
}

int ReadInputFile(const std::string& role, const std::string& path, std::vector<uint8_t>* bytes)
{
    std::string problem;
    if (!ReadWholeFile(path, bytes, &problem))
        return Complain(ExitBadInput, "cannot read " + role + " " + path + ": " + problem);
    return ExitSuccess;
}

int WriteOutput(const OutputTarget& target, const std::vector<uint8_t>& bytes)
{
    const std::string refusal = OutputRefusal(target, bytes);
    if (!refusal.empty())
        return Complain(ExitBadInput, refusal);
    std::string problem;
    if (!ReplaceFileSafely(target.Path, bytes, &problem))
        return Complain(ExitWriteFailed, problem);
    return ExitSuccess;
}

const OutputRule SaverOutput = {"a saver", [](const std::vector<uint8_t>& existing, const std::vector<uint8_t>&) {
                                    return IsSaverFile(existing);
                                }};

int ReadConfigFile(SaverChoices* choices)
{
    if (choices->ConfigPath.empty())
        return ExitSuccess;
    std::vector<uint8_t> bytes;
    const int code = ReadInputFile("config file", choices->ConfigPath, &bytes);
    if (code != ExitSuccess)
        return code;
    std::string problem;
    if (!AddConfigFile(choices->ConfigPath, std::string(bytes.begin(), bytes.end()), choices, &problem))
        return Complain(ExitBadInput, problem);
    return ExitSuccess;
}

bool ReadPackingOption(int count, char** arguments, int* index, LogoPacking* packing, bool* handled,
                       std::string* problem)
{
    const std::string option = arguments[*index];
    *handled = option == "--layout" || option == "--repack";
    if (option == "--repack")
        packing->Repack = true;
    if (option != "--layout")
        return *handled;
    if (*index + 1 == count) {
        *problem = "--layout needs a value";
        return false;
    }
    const std::string value = arguments[++*index];
    if (value != "24" && value != "smallest") {
        *problem = "--layout " + value + " is not one of smallest, 24";
        return false;
    }
    packing->Only24 = value == "24";
    return true;
}

const char* DescribePackingOptions()
{
    return "  --layout smallest|24        how a PNG logo is packed: in the smallest BMP\n"
           "                              layout that holds its pixels exactly (1, 4 or 8\n"
           "                              bits with the colours it uses, RLE4 or RLE8,\n"
           "                              else 24 bits; the default), or as a 24-bit BMP\n"
           "  --repack                    packs a BMP logo anew in that layout too (set\n"
           "                              alone: the saver's own logo) when every pixel\n"
           "                              has an exact colour; else it stays as it is\n";
}

void ReportSaverWritten(const std::string& path, size_t size, const std::string& details)
{
    std::printf("wrote %s: %s, %s\n", path.c_str(), FormatByteCount(size).c_str(), details.c_str());
    // Savers are sent by e-mail, downloaded and put into installer packages.
    constexpr size_t LargeSaver = size_t(8) << 20;
    if (size > LargeSaver)
        std::fprintf(stderr,
                     "glimmora-author: warning: %s is %s, over 8 MB, and slow to send and download; a logo "
                     "with fewer pixels or colours packs smaller\n",
                     path.c_str(), FormatByteCount(size).c_str());
}
