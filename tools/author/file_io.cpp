// Reading whole files, replacing an output file without leaving half of one,
// and the rule of what an output may replace.
#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "held_files.h"

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32

std::wstring WidePath(const std::string& utf8)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

static std::string Narrow(const wchar_t* wide)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(length > 0 ? static_cast<size_t>(length) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], length, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

static FILE* OpenFile(const std::string& path, const wchar_t* mode) { return _wfopen(WidePath(path).c_str(), mode); }
static void RemoveFile(const std::string& path) { DeleteFileW(WidePath(path).c_str()); }

#else

static FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }
static void RemoveFile(const std::string& path) { std::remove(path.c_str()); }

#endif

#ifdef _WIN32
#define FILE_MODE(text) L##text
#else
#define FILE_MODE(text) text
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
    FILE* file = OpenFile(path, FILE_MODE("rb"));
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
    wchar_t text[256] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, text,
                   sizeof text / sizeof text[0], nullptr);
    std::string problem = Narrow(text);
    while (!problem.empty() && (problem.back() == '\n' || problem.back() == '\r' || problem.back() == '.'))
        problem.pop_back();
    return problem.empty() ? "unknown system error" : problem;
}

static FILE* CreateTempBeside(const std::string& path, std::string* tempPath, std::string* problem)
{
    // The temporary file must share the target's volume for the rename to be atomic.
    const size_t separator = path.find_last_of(PathSeparators);
    const std::string directory = separator == std::string::npos ? "." : path.substr(0, separator + 1);
    wchar_t name[MAX_PATH];
    if (GetTempFileNameW(WidePath(directory).c_str(), L"gla", 0, name) == 0) {
        *problem = LastSystemProblem();
        return nullptr;
    }
    *tempPath = Narrow(name);
    // Opened to share deletion, so that an interrupt can remove it while it is written.
    const HANDLE handle = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, TRUNCATE_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    const int descriptor = handle == INVALID_HANDLE_VALUE ? -1 : _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    FILE* file = descriptor < 0 ? nullptr : _fdopen(descriptor, "wb");
    if (!file) {
        *problem = LastSystemProblem();
        if (descriptor >= 0)
            _close(descriptor);
        else if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        DeleteFileW(name);
    }
    return file;
}

static bool FlushToDisk(FILE* file)
{
    return _commit(_fileno(file)) == 0;
}

static bool RenameOver(const std::string& from, const std::string& to, std::string* problem)
{
    if (MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *problem = LastSystemProblem();
    return false;
}

static bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION* identity)
{
    HANDLE file = CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool known = GetFileInformationByHandle(file, identity) != FALSE;
    CloseHandle(file);
    return known;
}

bool SameFile(const std::string& first, const std::string& second)
{
    BY_HANDLE_FILE_INFORMATION a, b;
    return FileIdentity(first, &a) && FileIdentity(second, &b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
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
    // mkstemp makes the file private: a replaced file keeps its mode, a new
    // one gets an ordinary file's.
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        fchmod(descriptor, existing.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor, 0666 & ~mask);
    }
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

bool SameFile(const std::string& first, const std::string& second)
{
    struct stat a, b;
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

#endif

bool ReplaceFileSafely(const std::string& path, const std::vector<uint8_t>& bytes, std::string* problem)
{
    std::string tempPath, reason;
    DeferInterrupts();
    FILE* file = CreateTempBeside(path, &tempPath, &reason);
    const int held = file ? HoldPath(tempPath, false) : -1;
    AllowInterrupts();
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
    DeferInterrupts();
    bool replaced = written && closed;
    if (!replaced)
        *problem = "cannot write " + tempPath + ": " + reason;
    else if (!(replaced = RenameOver(tempPath, path, &reason)))
        *problem = "cannot replace " + path + ": " + reason;
    if (!replaced)
        RemoveFile(tempPath);
    ReleaseHeldPath(held);
    AllowInterrupts();
    return replaced;
}

namespace {

enum class PathKind { Absent, File, Folder, Other };

PathKind KindOf(const std::string& path)
{
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PathKind::Absent;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::Folder
           : attributes & FILE_ATTRIBUTE_DEVICE  ? PathKind::Other
                                                 : PathKind::File;
#else
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return PathKind::Absent;
    return S_ISREG(status.st_mode) ? PathKind::File : S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::Other;
#endif
}

}  // namespace

std::string OutputRefusal(const OutputTarget& target, const std::vector<uint8_t>& output)
{
    const std::string out = "--out " + target.Path;
    for (const NamedInput& input : target.Inputs)
        if (SameFile(input.Path, target.Path))
            return out + " is the " + input.Role + " itself";
    switch (KindOf(target.Path)) {
    case PathKind::Absent: return std::string();
    case PathKind::Folder: return out + " is a folder";
    case PathKind::Other: return out + " is not an ordinary file";
    case PathKind::File: break;
    }
    if (target.Force)
        return std::string();
    std::vector<uint8_t> existing;
    std::string problem;
    if (!ReadWholeFile(target.Path, &existing, &problem))
        return out + " exists and cannot be read (" + problem + "); --force replaces it";
    if (!target.Rule.MayReplace(existing, output))
        return out + " exists and is not " + target.Rule.Kind + "; --force replaces it";
    return std::string();
}

#ifndef _WIN32

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
