// Messages, exit codes and input files shared by the verbs.
#include <cstdio>

#include "file_io.h"
#include "verbs/verbs.h"

int Complain(int code, const std::string& problem)
{
    std::fprintf(stderr, "glimmora-author: %s\n", problem.c_str());
    return code;
}

void PrintExitCodes()
{
    std::printf("\nExit codes:\n"
                "  0  success\n"
                "  1  bad input: a file that cannot be read or used, or a value that is refused\n"
                "  2  usage: unknown command or option, missing value or required option\n"
                "  3  the output could not be written, or the program that does the work is\n"
                "     missing or failed: wixl for msi, osslsigncode for sign (a wrong password,\n"
                "     a key that is not the certificate's)\n");
}

int ReadInputFile(const std::string& role, const std::string& path, std::vector<uint8_t>* bytes)
{
    std::string problem;
    if (!ReadWholeFile(path, bytes, &problem))
        return Complain(ExitBadInput, "cannot read " + role + " " + path + ": " + problem);
    return ExitSuccess;
}

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
