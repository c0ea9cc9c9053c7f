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

// --- Files -----------------------------------------------------------------

// This test program's own scratch folder in the build tree, made empty on
// first use; a Windows path ending in a backslash.
std::string WorkFolder();
// A path of this machine as Wine's programs see it (through drive Z:).
std::string WindowsPath(const char* unixPath);
// The built 64-bit runtime, and the authoring tool built for Windows.
std::string RuntimePath();
std::string AuthorToolPath();
// A 64 × 48 logo of four coloured quarters, written into the work folder.
std::string TestLogoPath();
std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// --- Programs --------------------------------------------------------------

struct ProgramResult {
    bool Finished;
    DWORD ExitCode;
    std::string Output;  // standard output and error together
};
ProgramResult RunConsoleProgram(const std::string& commandLine, DWORD timeout = Patience);

// Runs the authoring tool: create --runtime <runtime> --logo <test logo> --out <saver> <options>.
bool MakeSaver(const std::string& saverPath, const std::string& options = "");

struct Process {
    HANDLE Handle;
    HANDLE Thread;
    DWORD Id;
};
// Starts `"saverPath" arguments`; a null Handle when it could not start.
Process StartSaver(const std::string& saverPath, const std::string& arguments, bool suspended = false);
// Starts a program with exactly this command line (program name included).
Process StartCommandLine(const std::string& program, const std::string& commandLine, bool suspended = false);
// True, with the exit code, when the process ended within the deadline.
bool WaitForExit(const Process& process, DWORD* exitCode, DWORD timeout = Patience);
// Ends the process if it still runs and releases the handles.
void EndProcess(Process* process);
// Starts, waits and ends: the exit code, or STILL_ACTIVE when it did not end.
DWORD RunSaver(const std::string& saverPath, const std::string& arguments);

// A full-screen saver and its window (null when none showed).
struct RunningSaver {
    Process Process;
    HWND Window;
};
// Puts the cursor at (500, 400), where movement tests begin, starts the saver
// with /s and waits for its window.
RunningSaver StartFullScreen(const std::string& saverPath);
// True when it ended with exit code 0 within the deadline; releases its handles.
bool EndsWithZero(RunningSaver* run);
// Still running after a while in which a wrong close would long have happened.
bool StillRunning(const RunningSaver& run);

// Private memory committed to a process, counted region by region: Wine
// leaves the process memory counters at zero.
SIZE_T CommittedMemory(HANDLE process);

// --- Windows ---------------------------------------------------------------

// A top-level window of the process (0 for any) with that class and title
// (null for any), or null.
HWND FindTopWindow(DWORD processId, const char* className, const char* title);
HWND WaitForWindow(DWORD processId, const char* className, const char* title, DWORD timeout = Patience);
// The full-screen saver's window ("WindowsScreenSaverClass", "Screen Saver").
HWND WaitForSaverWindow(DWORD processId, DWORD timeout = Patience);
// Polls `done` while this thread's messages run; false when the deadline passed.
bool WaitFor(bool (*done)(void*), void* context, DWORD timeout = Patience);
// Runs this thread's messages while waiting, for tests that own windows.
void PumpMessagesFor(DWORD milliseconds);
std::string WindowText(HWND window);
std::string WindowClass(HWND window);
// The message of a message box (its static texts, joined).
std::string MessageBoxText(HWND box);
void PressDialogButton(HWND dialog, int id);

// --- Screen and input ------------------------------------------------------

// Colours as 0x00BBGGRR, read back from the screen exactly.
struct Capture {
    RECT Area;                     // in screen coordinates
    std::vector<COLORREF> Pixels;  // rows top-down
    COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y - Area.top) * (Area.right - Area.left) + (x - Area.left)]; }
    int Count(COLORREF colour) const;
    // The smallest rectangle holding every pixel that is not `background`;
    // empty (all zero) when there is none.
    RECT Extent(COLORREF background) const;
};
Capture CaptureScreen(const RECT& area);
RECT WholeScreen();
COLORREF ScreenPixel(int x, int y);
void PressKey(WORD virtualKey);
void MoveMouseTo(int x, int y);
void ClickMouse(int x, int y);

// --- Registry (HKEY_CURRENT_USER) -------------------------------------------

bool WriteUserValue(const std::string& key, const char* name, DWORD type, const void* data, DWORD size);
bool ReadUserValue(const std::string& key, const char* name, DWORD* type, std::vector<uint8_t>* data);
void DeleteUserKey(const std::string& key);
// Makes Wine report a Windows version ("win98") to one program by file name;
// null removes the setting.
void EmulateWindowsVersion(const std::string& programFileName, const char* version);

}  // namespace e2e
