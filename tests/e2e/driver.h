// Drives the real saver under Wine: makes savers with the authoring tool, starts them,
// finds their windows, reads the screen, sends input and edits the registry they read.
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

std::string WorkFolder();  // in the build tree; its first use also sets up Wine
std::string WindowsPath(const char* unixPath);
std::string TestLogoPath();  // 64 × 48, four quarters: red, green above blue, yellow (TestLogoAt)
std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
DWORD RunTool(const std::string& arguments);  // the authoring tool's Windows build: its exit code
// From the 64-bit runtime of this tree (the 32-bit one when GLIMMORA_E2E_RUNTIME=32) unless one is named (a Unix path).
bool MakeSaver(const std::string& saverPath, const std::string& options = "", const std::string& logo = TestLogoPath(),
               const char* runtime = nullptr);

struct Process { HANDLE Handle, Thread; DWORD Id; };
Process StartCommandLine(const std::string& program, const std::string& commandLine, bool suspended = false, DWORD flags = 0);
inline Process StartSaver(const std::string& saver, const std::string& arguments, bool suspended = false)
{
    return StartCommandLine(saver, "\"" + saver + "\" " + arguments, suspended);
}
// Waits for the end and releases the handles: the exit code, or STILL_ACTIVE (and ended) when late.
DWORD ExitCode(Process* process, DWORD timeout = Patience);
bool StillRunning(const Process& process);  // after a while in which a wrong close would have happened
inline bool Answers(HWND window, DWORD timeout = Patience) { return SendMessageTimeoutA(window, WM_NULL, 0, 0, 0, timeout, nullptr); }
SIZE_T CommittedMemory(HANDLE process);  // private, region by region: Wine leaves the counters at zero
struct RunningSaver { Process Process; HWND Window; };
RunningSaver StartFullScreen(const std::string& saverPath);  // /s, with the cursor at (500, 400)
inline bool EndsWithZero(RunningSaver* run) { return ExitCode(&run->Process) == 0; }
// A shown top-level window of the process with that class and title (null: any); null when none showed in time.
HWND WaitForWindow(DWORD processId, const char* className, const char* title, DWORD timeout = Patience);
// Waits for a message box with that title, reads its message and presses OK; "" when none showed.
std::string AnswerMessageBox(const Process& process, const char* title);
void PressDialogButton(HWND dialog, int id);
std::vector<COLORREF> ScreenPixels();  // of the virtual screen, every monitor; rows top-down
COLORREF TestLogoAt(int x, int y);
// Screen pixels that differ from a logo of that size centred on the background (of the virtual screen).
int WrongPixels(int width, int height, const std::function<COLORREF(int x, int y)>& logo = TestLogoAt);
void PressKey(WORD virtualKey);
void MoveMouseTo(int x, int y);
void ClickMouse(int x, int y);
inline bool WriteUserValue(const std::string& key, const char* name, DWORD type, const void* data, DWORD size)
{
    return RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, type, data, size) == ERROR_SUCCESS;
}
std::string UserValue(const std::string& key, const char* name);  // of HKEY_CURRENT_USER: the bytes; a string without its end
uint64_t UserNumber(const std::string& key, const char* name);  // DWORD or QWORD; 0 when missing
inline void DeleteUserKey(const std::string& key) { RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()); }

}  // namespace e2e
