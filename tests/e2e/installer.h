// What the installer tests share: running a native program from inside Wine
// (the tool, wixl and osslsigncode run there), console programs without a
// window, and the products that Windows Installer has installed.
#pragma once
#include <algorithm>
#include <cstdlib>
#include <msi.h>
#include "e2e/driver.h"

inline std::string Unix(std::string windowsPath) { return std::replace(windowsPath.begin(), windowsPath.end(), '\\', '/'), windowsPath.substr(2); }
inline DWORD Run(const std::string& program, const std::string& arguments)
{
    e2e::Process process = e2e::StartCommandLine(program, "\"" + program + "\" " + arguments, false, CREATE_NO_WINDOW);
    return e2e::ExitCode(&process);
}
// Wine starts a Unix program without waiting for it or passing on its exit code: the shell leaves that in a file.
inline int Native(const std::string& commandLine)
{
    const std::string status = e2e::WorkFolder() + "native-status";
    DeleteFileA(status.c_str());
    Run("Z:\\bin\\sh", "-c \"" + commandLine + " >/dev/null; echo $? >'" + Unix(status) + "~'; mv '" + Unix(status) + "~' '" + Unix(status) + "'\"");
    if (!e2e::WaitUntil([&] { return GetFileAttributesA(status.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        return -1;
    const std::vector<uint8_t> text = e2e::ReadWholeFile(status);
    return std::atoi(std::string(text.begin(), text.end()).c_str());
}
inline const std::string Msiexec = "C:\\windows\\system32\\msiexec.exe";
// The versions of the installed products of that name; with `remove`, they are removed (left by a run that failed half-way).
inline std::string Installed(const std::string& name, bool remove = false)
{
    std::string versions;
    std::vector<std::string> codes;
    char code[39], text[256];
    for (DWORD i = 0, size; MsiEnumProductsA(i, code) == ERROR_SUCCESS; ++i)
        if (size = sizeof text, MsiGetProductInfoA(code, INSTALLPROPERTY_INSTALLEDPRODUCTNAME, text, &size) == 0 && text == name) {
            size = sizeof text, MsiGetProductInfoA(code, INSTALLPROPERTY_VERSIONSTRING, text, &size);
            versions += (versions.empty() ? "" : " ") + std::string(text), codes.push_back(code);
        }
    for (const std::string& product : remove ? codes : std::vector<std::string>{})
        Run(Msiexec, "/x " + product + " /qn");
    return versions;
}
