// glimmora-author: makes logo savers, shows and changes what a saver carries.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include "file_io.h"
#include "verbs/verbs.h"

static void PrintHelp()
{
    std::printf("Usage: glimmora-author create --runtime FILE --logo FILE --out FILE [options]\n"
                "       glimmora-author inspect FILE.scr|FILE.msi [--json]\n"
                "       glimmora-author extract FILE.scr --out LOGO.bmp [--force]\n"
                "       glimmora-author set FILE.scr [options]\n"
                "       glimmora-author msi FILE.scr --out NAME.msi --manufacturer TEXT --version N.N.N\n"
                "       glimmora-author sign FILE.scr|FILE.msi --pkcs12 FILE --password-file FILE\n"
                "       glimmora-author COMMAND --help\n"
                "       glimmora-author --version\n"
                "\n"
                "create   makes a saver from a runtime, a BMP or PNG logo and settings\n"
                "inspect  shows a saver's display name, signature and package, or a package's signer\n"
                "extract  writes the logo a saver carries as a BMP file\n"
                "set      changes chosen fields of a saver, leaving the rest as it was\n"
                "msi      builds a Windows Installer package that installs a saver\n"
                "sign     signs a saver or its package with an Authenticode signature\n");
    PrintExitCodes();
}

static int Run(int argc, char** argv)
{
    if (argc < 2)
        return Complain(ExitUsage, "no command given (see glimmora-author --help)");
    const std::string verb = argv[1];
    if (verb == "--help" || verb == "-h" || verb == "help") {
        PrintHelp();
        return ExitSuccess;
    }
    if (verb == "--version") {
        std::printf("glimmora-author %s\n"
                    "runtime %s (glimmora.scr, 32- and 64-bit), built from the same sources\n",
                    GLIMMORA_VERSION, GLIMMORA_VERSION);
        return ExitSuccess;
    }
    CleanUpWhenInterrupted();
    struct Verb { const char* Name; int (*Run)(int, char**); };
    static const Verb verbs[] = {
        {"create", RunCreate}, {"inspect", RunInspect}, {"extract", RunExtract}, {"set", RunSet}, {"msi", RunMsi},
        {"sign", RunSign},
    };
    for (const Verb& entry : verbs)
        if (verb == entry.Name)
            return entry.Run(argc - 2, argv + 2);
    return Complain(ExitUsage, "unknown command " + verb + " (see glimmora-author --help)");
}

#ifdef _WIN32

// The C runtime hands main its arguments in the ANSI code page, which loses
// every character outside it; the tool works in UTF-8 throughout.
int main()
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return Complain(ExitUsage, "cannot read the command line");
    std::vector<std::string> utf8(static_cast<size_t>(count));
    std::vector<char*> arguments;
    for (int i = 0; i < count; ++i) {
        const int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        utf8[i].assign(static_cast<size_t>(length > 0 ? length : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &utf8[i][0], length, nullptr, nullptr);
        arguments.push_back(&utf8[i][0]);
    }
    arguments.push_back(nullptr);
    LocalFree(wide);
    // The console keeps its code page after the tool ends; give it back.
    const UINT consolePage = GetConsoleOutputCP();
    if (consolePage)
        SetConsoleOutputCP(CP_UTF8);
    const int code = Run(count, arguments.data());
    if (consolePage)
        SetConsoleOutputCP(consolePage);
    return code;
}

#else

int main(int argc, char** argv)
{
    return Run(argc, argv);
}

#endif
