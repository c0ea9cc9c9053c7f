// glimmora-author: makes logo savers and shows what a saver carries.
#include <cstdio>
#include <cstring>

#include "verbs.h"

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
                "  3  the output could not be written\n");
}

static void PrintHelp()
{
    std::printf("Usage: glimmora-author create --runtime FILE --logo FILE.bmp --out FILE.scr [options]\n"
                "       glimmora-author inspect FILE.scr\n"
                "       glimmora-author --help | create --help | inspect --help\n"
                "\n"
                "create  makes a saver from the runtime, a BMP logo and settings\n"
                "inspect shows the logo, texts and settings a saver carries\n");
    PrintExitCodes();
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return Complain(ExitUsage, "no command given (see glimmora-author --help)");
    const char* verb = argv[1];
    if (std::strcmp(verb, "--help") == 0) {
        PrintHelp();
        return ExitSuccess;
    }
    if (std::strcmp(verb, "create") == 0)
        return RunCreate(argc - 2, argv + 2);
    if (std::strcmp(verb, "inspect") == 0)
        return RunInspect(argc - 2, argv + 2);
    return Complain(ExitUsage, std::string("unknown command ") + verb + " (see glimmora-author --help)");
}
