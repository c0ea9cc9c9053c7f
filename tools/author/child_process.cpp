// Finding a program on PATH, running it with its output in files, and the
// private folder that its files go to.
#include "child_process.h"

#ifndef _WIN32

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_io.h"

std::string FindOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    for (std::string rest = path ? path : ""; !rest.empty();) {
        const size_t colon = rest.find(':');
        const std::string folder = rest.substr(0, colon);
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::string();
}

std::string MakePrivateFolder(const std::string& prefix, std::string* problem)
{
    const char* temporary = std::getenv("TMPDIR");
    std::string folder = std::string(temporary && *temporary ? temporary : "/tmp") + "/" + prefix + "-XXXXXX";
    if (mkdtemp(&folder[0]))
        return folder;
    *problem = "cannot make a folder in " + folder + ": " + std::strerror(errno);
    return std::string();
}

void RemovePrivateFolder(const std::string& folder, const std::vector<std::string>& files)
{
    for (const std::string& file : files)
        std::remove((folder + "/" + file).c_str());
    rmdir(folder.c_str());
}

int RunProgram(const std::string& program, const std::vector<std::string>& arguments, const std::string& workingFolder,
               const std::string& outputLog, const std::string& errorLog)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const auto openLog = [](const std::string& log) {
            return open(log.empty() ? "/dev/null" : log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        };
        const int output = openLog(outputLog), error = errorLog == outputLog ? output : openLog(errorLog);
        if (output < 0 || error < 0 || (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) ||
            dup2(output, 1) < 0 || dup2(error, 2) < 0)
            _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    if (child <= 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string LogLine(const std::string& log, bool last)
{
    std::vector<uint8_t> bytes;
    std::string problem, line, found;
    ReadWholeFile(log, &bytes, &problem);
    for (size_t at = 0; at <= bytes.size(); ++at) {
        if (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r') {
            line += static_cast<char>(bytes[at]);
            continue;
        }
        if (line.find_first_not_of(" \t") != std::string::npos) {
            found = line;
            if (!last)
                break;
        }
        line.clear();
    }
    return found;
}

#endif
