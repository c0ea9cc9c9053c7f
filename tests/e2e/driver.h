// Drives the real saver under Wine: makes savers with the authoring tool,
// starts them, finds their windows, reads the screen, sends input and edits
// the registry that they read. Every wait polls against a generous deadline.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// Long enough for a slow machine; nothing waits this long when all is well.
constexpr DWORD Patience = 30000;

void PumpMessagesFor(DWORD milliseconds);
// Polls `done` while this thread's messages run; false when the deadline passed.
template <typename Done>
bool WaitUntil(Done done, DWORD timeout = Patience)
{
    for (const DWORD start = GetTickCount(); !done(); PumpMessagesFor(20))
        if (GetTickCount() - start > timeout)
            return false;
    return true;
}

// This program's scratch folder in the build tree; ends in a backslash.
std::string WorkFolder();
std::string WindowsPath(const char* unixPath);  // through drive Z:
std::string RuntimePath();
std::string AuthorToolPath();  // the tool's Windows build
// A 64 × 48 logo of four quarters: red, green above blue, yellow.
std::string TestLogoPath();
std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

struct ProgramResult {
    bool Finished;
    DWORD ExitCode;
    std::string Output;  // standard output and error together
};
ProgramResult RunConsoleProgram(const std::string& commandLine);
ProgramResult RunTool(const std::string& arguments);
// create --runtime <runtime> --logo <test logo> --out <saver> <options>; prints the tool's complaint.
bool MakeSaver(const std::string& saverPath, const std::string& options = "");

struct Process {
    HANDLE Handle;
    HANDLE Thread;
    DWORD Id;
};
// Starts a program with exactly this command line; a null Handle when it could not start.
Process StartCommandLine(const std::string& program, const std::string& commandLine, bool suspended = false);
Process StartSaver(const std::string& saverPath, const std::string& arguments, bool suspended = false);
// Waits for the end and releases the handles: the exit code, or STILL_ACTIVE
// when it did not end in time (it is then ended).
DWORD ExitCode(Process* process, DWORD timeout = Patience);
// Still running after a while in which a wrong close would long have happened.
bool StillRunning(const Process& process);
void EndProcess(Process* process);
DWORD RunSaver(const std::string& saverPath, const std::string& arguments);
// Answers a message within the deadline.
bool Answers(HWND window, DWORD timeout = Patience);
// Private memory committed to a process, region by region: Wine leaves the counters at zero.
SIZE_T CommittedMemory(HANDLE process);

struct RunningSaver {
    Process Process;
    HWND Window;
};
// Puts the cursor at (500, 400), starts the saver with /s and waits for its window.
RunningSaver StartFullScreen(const std::string& saverPath);
bool EndsWithZero(RunningSaver* run);

// A top-level window of the process (0 for any) with that class and title (null for any).
HWND FindTopWindow(DWORD processId, const char* className, const char* title);
HWND WaitForWindow(DWORD processId, const char* className, const char* title);
std::string WindowText(HWND window);
std::string WindowClass(HWND window);
// Waits for a message box with that title, reads its message and presses OK; "" when none showed.
std::string AnswerMessageBox(const Process& process, const char* title);
void PressDialogButton(HWND dialog, int id);

// Colours as 0x00BBGGRR, read back from the screen exactly.
struct Capture {
    RECT Area;
    std::vector<COLORREF> Pixels;  // rows top-down
    COLORREF At(int x, int y) const { return Pixels[size_t(y - Area.top) * (Area.right - Area.left) + (x - Area.left)]; }
    int Count(COLORREF colour) const;
};
Capture CaptureScreen(const RECT& area);
RECT WholeScreen();
// Screen pixels that differ from the test logo centred on the background, shown through its transparent colour.
int WrongStaticPixels(COLORREF background, COLORREF transparent = CLR_INVALID);
void PressKey(WORD virtualKey);
void MoveMouseTo(int x, int y);
void ClickMouse(int x, int y);

// HKEY_CURRENT_USER.
bool WriteUserValue(const std::string& key, const char* name, DWORD type, const void* data, DWORD size);
bool ReadUserValue(const std::string& key, const char* name, std::vector<uint8_t>* data, DWORD* type = nullptr);
void DeleteUserKey(const std::string& key);
// Makes Wine report a Windows version ("win98") to one program by file name; null removes it.
void EmulateWindowsVersion(const std::string& programFileName, const char* version);

}  // namespace e2e
