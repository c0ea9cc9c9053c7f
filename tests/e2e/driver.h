// Drives the real saver under Wine: makes savers with the authoring tool,
// starts them, finds their windows, reads the screen, sends input and edits
// the registry that they read. Every wait polls against a generous deadline.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD Patience = 30000;  // nothing waits this long when all is well
constexpr COLORREF Background = RGB(0x20, 0x30, 0x40);  // of the savers that show pictures

void PumpMessagesFor(DWORD milliseconds);
// Polls `done` while this thread's messages run; false when the deadline passed.
template <typename Done> bool WaitUntil(Done done, DWORD timeout = Patience)
{
    for (const DWORD start = GetTickCount(); !done(); PumpMessagesFor(20))
        if (GetTickCount() - start > timeout)
            return false;
    return true;
}

// Paths as Wine's programs see them. The work folder is this program's own, in the build tree;
// its first use also sets up Wine for the tests.
std::string WorkFolder();
std::string WindowsPath(const char* unixPath);
std::string RuntimePath();
std::string TestLogoPath();  // 64 × 48, four quarters: red, green above blue, yellow (TestLogoAt)
std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

struct ProgramResult { DWORD ExitCode; std::string Output; };  // STILL_ACTIVE when it did not end
ProgramResult RunConsoleProgram(const std::string& commandLine);
ProgramResult RunTool(const std::string& arguments);  // the authoring tool's Windows build
// create --runtime <runtime> --logo <test logo> --out <saver> <options>; prints the tool's complaint.
bool MakeSaver(const std::string& saverPath, const std::string& options = "");

struct Process { HANDLE Handle, Thread; DWORD Id; };  // a null Handle when it could not start
Process StartCommandLine(const std::string& program, const std::string& commandLine, bool suspended = false);
Process StartSaver(const std::string& saverPath, const std::string& arguments, bool suspended = false);
// Waits for the end and releases the handles: the exit code, or STILL_ACTIVE (and ended) when late.
DWORD ExitCode(Process* process, DWORD timeout = Patience);
// Still running after a while in which a wrong close would long have happened.
bool StillRunning(const Process& process);
DWORD RunSaver(const std::string& saverPath, const std::string& arguments);
bool Answers(HWND window, DWORD timeout = Patience);
// Private memory committed to a process, region by region: Wine leaves the counters at zero.
SIZE_T CommittedMemory(HANDLE process);

struct RunningSaver { Process Process; HWND Window; };
// Puts the cursor at (500, 400), starts the saver with /s and waits for its window.
RunningSaver StartFullScreen(const std::string& saverPath);
inline bool EndsWithZero(RunningSaver* run) { return ExitCode(&run->Process) == 0; }

// A shown top-level window of the process (0: any) with that class and title (null: any).
HWND FindTopWindow(DWORD processId, const char* className, const char* title);
HWND WaitForWindow(DWORD processId, const char* className, const char* title);
std::string WindowText(HWND window);
// Waits for a message box with that title, reads its message and presses OK; "" when none showed.
std::string AnswerMessageBox(const Process& process, const char* title);
void PressDialogButton(HWND dialog, int id);

struct Capture {  // colours as 0x00BBGGRR, rows top-down
    RECT Area;
    std::vector<COLORREF> Pixels;
    COLORREF At(int x, int y) const { return Pixels[size_t(y - Area.top) * (Area.right - Area.left) + (x - Area.left)]; }
    int Count(COLORREF colour) const;
};
Capture CaptureScreen(const RECT& area);
RECT WholeScreen();
COLORREF TestLogoAt(int x, int y);
// Screen pixels that differ from a logo of that size (its colour at each place) centred on the background.
int WrongPixels(int width, int height, const std::function<COLORREF(int x, int y)>& logo = TestLogoAt);
void PressKey(WORD virtualKey);
void MoveMouseTo(int x, int y);
void ClickMouse(int x, int y);

// HKEY_CURRENT_USER.
bool WriteUserValue(const std::string& key, const char* name, DWORD type, const void* data, DWORD size);
bool ReadUserValue(const std::string& key, const char* name, std::vector<uint8_t>* data, DWORD* type = nullptr);
uint64_t UserNumber(const std::string& key, const char* name);  // DWORD or QWORD; 0 when missing
std::string UserText(const std::string& key, const char* name);
void DeleteUserKey(const std::string& key);
// Makes Wine report a Windows version ("win98") to one program by file name; null removes it.
void EmulateWindowsVersion(const std::string& programFileName, const char* version);

}  // namespace e2e
