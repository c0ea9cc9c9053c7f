// What an interrupted run leaves behind: nothing. The paths a run holds sit in
// a fixed table that the interrupt handler walks with calls that are safe
// there (on Windows it runs on a thread of its own, and takes a lock instead).
#include "held_files.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "file_io.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

enum HeldKind { Free, HeldFile, HeldFolder };

struct HeldSlot {
    std::atomic<int> Kind;  // written last when a path is held, so that the handler sees a whole entry
#ifdef _WIN32
    wchar_t* Path;
#else
    char* Path;
    int FolderDescriptor;   // for emptying the folder without allocating
#endif
};

// A run holds one temporary file at a time, or wixl's folder and a file in it.
HeldSlot Held[8];

}  // namespace

#ifdef _WIN32

namespace {

SRWLOCK HeldLock = SRWLOCK_INIT;

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    AcquireSRWLockExclusive(&HeldLock);  // never released: the process ends here
    for (HeldSlot& slot : Held)
        if (slot.Kind.load() == HeldFile)
            DeleteFileW(slot.Path);  // opened to share deletion, so it goes even while written
    for (HeldSlot& slot : Held)
        if (slot.Kind.load() == HeldFolder)
            RemoveDirectoryW(slot.Path);
    const UINT code = event == CTRL_CLOSE_EVENT ? 129 : event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 130 : 143;
    // Not ExitProcess: the C runtime's exit would flush streams whose locks the main thread may hold.
    TerminateProcess(GetCurrentProcess(), code);
    return TRUE;
}

}  // namespace

void CleanUpWhenInterrupted()
{
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void DeferInterrupts() { AcquireSRWLockExclusive(&HeldLock); }
void AllowInterrupts() { ReleaseSRWLockExclusive(&HeldLock); }

#else

namespace {

const int InterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::atomic<pid_t> HelperProcess{0};
sigset_t DeferredSignals;

bool DotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Removes what the folder holds: its own files, and whatever a helper program
// put there (wixl leaves files of its own when stopped). getdents64, unlike
// readdir, allocates nothing.
void EmptyFolder(int descriptor)
{
    alignas(8) char entries[4096];
    for (bool removed = true; removed;) {
        removed = false;
        lseek(descriptor, 0, SEEK_SET);
        ssize_t got;
        while ((got = getdents64(descriptor, entries, sizeof entries)) > 0)
            for (ssize_t at = 0; at < got;) {
                const dirent64* entry = reinterpret_cast<const dirent64*>(entries + at);
                at += entry->d_reclen;
                if (!DotEntry(entry->d_name) && unlinkat(descriptor, entry->d_name, 0) == 0)
                    removed = true;
            }
    }
}

extern "C" void OnInterrupt(int signal)
{
    const pid_t helper = HelperProcess.load();
    if (helper > 0) {
        kill(helper, SIGKILL);
        waitpid(helper, nullptr, 0);
    }
    for (HeldSlot& slot : Held)
        if (slot.Kind.load() == HeldFile)
            unlink(slot.Path);
    for (HeldSlot& slot : Held)
        if (slot.Kind.load() == HeldFolder) {
            EmptyFolder(slot.FolderDescriptor);
            rmdir(slot.Path);
        }
    _exit(128 + signal);
}

}  // namespace

void CleanUpWhenInterrupted()
{
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signal : InterruptSignals)
        sigaddset(&action.sa_mask, signal);
    for (int signal : InterruptSignals) {
        struct sigaction before;
        // nohup, and shells starting background jobs, ignore some on purpose.
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}

void DeferInterrupts()
{
    sigset_t deferred;
    sigemptyset(&deferred);
    for (int signal : InterruptSignals)
        sigaddset(&deferred, signal);
    sigprocmask(SIG_BLOCK, &deferred, &DeferredSignals);
}

void AllowInterrupts()
{
    sigprocmask(SIG_SETMASK, &DeferredSignals, nullptr);
}

bool MakeTemporaryFolder(const std::string& prefix, std::string* folder, std::string* problem)
{
    const char* temporary = std::getenv("TMPDIR");
    *folder = std::string(temporary && *temporary ? temporary : "/tmp") + "/" + prefix + "-XXXXXX";
    DeferInterrupts();
    const bool made = mkdtemp(&(*folder)[0]) != nullptr;
    if (!made)
        *problem = "cannot make a folder in " + *folder + ": " + std::strerror(errno);
    else
        HoldPath(*folder, true);
    AllowInterrupts();
    return made;
}

void RemoveTemporaryFolder(const std::string& folder)
{
    DeferInterrupts();
    for (int i = 0; i < 8; ++i)
        if (Held[i].Kind.load() == HeldFolder && folder == Held[i].Path) {
            EmptyFolder(Held[i].FolderDescriptor);
            ReleaseHeldPath(i);
        }
    rmdir(folder.c_str());
    AllowInterrupts();
}

bool RunHelperProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& workingFolder, const std::string& outputLog, const std::string& errorLog)
{
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    DeferInterrupts();  // the helper is known to the handler before an interrupt can stop the tool
    const pid_t child = fork();
    if (child == 0) {
        for (int signal : InterruptSignals) {  // the tool's handler would clean up after the tool
            struct sigaction current;
            if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == OnInterrupt)
                std::signal(signal, SIG_DFL);
        }
        AllowInterrupts();
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
    if (child > 0)
        HelperProcess.store(child);
    AllowInterrupts();
    int status = 0;
    const bool ran = child > 0 && waitpid(child, &status, 0) == child;
    HelperProcess.store(0);
    return ran && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

#endif

int HoldPath(const std::string& path, bool folder)
{
    for (int i = 0; i < 8; ++i)
        if (Held[i].Kind.load() == Free) {
            std::free(Held[i].Path);
#ifdef _WIN32
            Held[i].Path = _wcsdup(WidePath(path).c_str());
#else
            Held[i].Path = strdup(path.c_str());
            Held[i].FolderDescriptor = folder ? open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
#endif
            Held[i].Kind.store(folder ? HeldFolder : HeldFile);
            return i;
        }
    return -1;
}

void ReleaseHeldPath(int slot)
{
    if (slot < 0)
        return;
    const int kind = Held[slot].Kind.exchange(Free);
#ifndef _WIN32
    if (kind == HeldFolder)
        close(Held[slot].FolderDescriptor);
#endif
    (void)kind;
}
