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
                "  3  the output could not be written (msi: or wixl is missing or failed)\n"
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
