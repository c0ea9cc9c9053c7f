// Reading whole files and replacing an output file without leaving half of one.
#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

// Windows accepts both separators; elsewhere a backslash is part of a file name.
#ifdef _WIN32
static const char PathSeparators[] = "/\\";
#else
static const char PathSeparators[] = "/";
#endif

std::string FileNameOf(const std::string& path)
{
    const size_t separator = path.find_last_of(PathSeparators);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* problem)
{
    bytes->clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *problem = std::strerror(errno);
        return false;
    }
    // Read to the end rather than trusting a size from seeking, which is
    // limited to 2 GB with some C libraries and meaningless for pipes.
    static uint8_t block[1 << 16];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes->insert(bytes->end(), block, block + got);
    const bool failed = std::ferror(file) != 0;
    const int readError = errno;
    std::fclose(file);
    if (failed) {
        *problem = std::strerror(readError);
        return false;
    }
    return true;
}

#ifdef _WIN32

static std::string LastSystemProblem()
{
    char text[256] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        GetLastError(), 0, text, sizeof text, nullptr);
    std::string problem(text, length);
    while (!problem.empty() && (problem.back() == '\n' || problem.back() == '\r' || problem.back() == '.'))
        problem.pop_back();
    return problem.empty() ? "unknown system error" : problem;
}

static FILE* CreateTempBeside(const std::string& path, std::string* tempPath, std::string* problem)
{
    // The temporary file must share the target's volume for the rename to be atomic.
    const size_t separator = path.find_last_of(PathSeparators);
    const std::string directory = separator == std::string::npos ? "." : path.substr(0, separator + 1);
    char name[MAX_PATH];
    if (GetTempFileNameA(directory.c_str(), "gla", 0, name) == 0) {
        *problem = LastSystemProblem();
        return nullptr;
    }
    *tempPath = name;
    FILE* file = std::fopen(name, "wb");
    if (!file) {
        *problem = std::strerror(errno);
        DeleteFileA(name);
    }
    return file;
}

static bool FlushToDisk(FILE* file)
{
    return _commit(_fileno(file)) == 0;
}

static bool RenameOver(const std::string& from, const std::string& to, std::string* problem)
{
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *problem = LastSystemProblem();
    return false;
}

#else

static FILE* CreateTempBeside(const std::string& path, std::string* tempPath, std::string* problem)
{
    std::vector<char> name(path.begin(), path.end());
    const char suffix[] = ".tmp-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        *problem = std::strerror(errno);
        return nullptr;
    }
    *tempPath = name.data();
    // mkstemp makes the file private; a saver is an ordinary file like any other.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        *problem = std::strerror(errno);
        close(descriptor);
        std::remove(name.data());
    }
    return file;
}

static bool FlushToDisk(FILE* file)
{
    return fsync(fileno(file)) == 0;
}

static bool RenameOver(const std::string& from, const std::string& to, std::string* problem)
{
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    *problem = std::strerror(errno);
    return false;
}

#endif

bool ReplaceFileSafely(const std::string& path, const std::vector<uint8_t>& bytes, std::string* problem)
{
    std::string tempPath, reason;
    FILE* file = CreateTempBeside(path, &tempPath, &reason);
    if (!file) {
        *problem = "cannot create a temporary file beside " + path + ": " + reason;
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                         std::fflush(file) == 0 && FlushToDisk(file);
    if (!written)
        reason = std::strerror(errno);
    const bool closed = std::fclose(file) == 0;
    if (written && !closed)
        reason = std::strerror(errno);
    if (!written || !closed) {
        std::remove(tempPath.c_str());
        *problem = "cannot write " + tempPath + ": " + reason;
        return false;
    }
    if (!RenameOver(tempPath, path, &reason)) {
        std::remove(tempPath.c_str());
        *problem = "cannot replace " + path + ": " + reason;
        return false;
    }
    return true;
}
