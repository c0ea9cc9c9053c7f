// The end-to-end driver: Win32 calls that a person's hands and eyes would make.
#include "e2e/driver.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include "package/bmp_format.h"

namespace e2e {

static std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
static bool Ended(const Process& process) { return WaitForSingleObject(process.Handle, 0) != WAIT_TIMEOUT; }
static uint32_t Swapped(uint32_t colour) { return RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour)); }  // ⇄ 0x00RRGGBB

void PumpMessagesFor(DWORD milliseconds)
{
    for (const DWORD start = GetTickCount(); GetTickCount() - start < milliseconds;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            TranslateMessage(&message), DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}
std::string WorkFolder()
{
    static const std::string folder = WindowsPath(GLIMMORA_E2E_WORK) + "\\";
    // Without a window manager (Xvfb), Wine waits two seconds for each managed window to be withdrawn.
    static const bool ready = CreateDirectoryA(folder.c_str(), 0) | WriteUserValue("Software\\Wine\\X11 Driver", "Managed", REG_SZ, "N", 2);
    return ready ? folder : folder;
}
std::string WindowsPath(const char* unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    return std::replace(path.begin(), path.end(), '/', '\\'), path;
}
std::string TestLogoPath()
{
    std::vector<uint32_t> pixels;
    for (int i = 0; i < 64 * 48; ++i)
        pixels.push_back(Swapped(TestLogoAt(i % 64, i / 64)));
    WriteWholeFile(WorkFolder() + "test-logo.bmp", EncodeBmp24(64, 48, pixels.data()));
    return WorkFolder() + "test-logo.bmp";
}
std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return bool(file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size())).flush());
}
DWORD RunTool(const std::string& arguments)
{
    const std::string tool = WindowsPath(GLIMMORA_AUTHOR_TOOL);
    Process process = StartCommandLine(tool, Quoted(tool) + " " + arguments, false, CREATE_NO_WINDOW);
    return ExitCode(&process);
}
bool MakeSaver(const std::string& saverPath, const std::string& options, const std::string& logo, const char* runtime)
{
    // The 32-bit runtime's runs (GLIMMORA_E2E_RUNTIME=32) make every saver from it.
    const char* variable = getenv("GLIMMORA_E2E_RUNTIME");
    if (!runtime)
        runtime = variable && strcmp(variable, "32") == 0 ? GLIMMORA_RUNTIME32 : GLIMMORA_RUNTIME;
    return RunTool("create --runtime " + Quoted(WindowsPath(runtime)) + " --logo " + Quoted(logo) +
                   " --out " + Quoted(saverPath) + " " + options) == 0;
}
Process StartCommandLine(const std::string& program, const std::string& commandLine, bool suspended, DWORD flags)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::string line = commandLine;
    CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, flags | (suspended ? CREATE_SUSPENDED : 0), nullptr, nullptr,
                   &startup, &started);
    return {started.hProcess, started.hThread, started.dwProcessId};
}
DWORD ExitCode(Process* process, DWORD timeout)
{
    DWORD exitCode = STILL_ACTIVE;
    // This thread's own windows keep answering while it waits.
    if (process->Handle && WaitUntil([&] { return Ended(*process); }, timeout))
        GetExitCodeProcess(process->Handle, &exitCode);
    else if (process->Handle)
        TerminateProcess(process->Handle, 0xDEAD);
    CloseHandle(process->Handle), CloseHandle(process->Thread);
    *process = {nullptr, nullptr, 0};
    return exitCode;
}
bool StillRunning(const Process& process) { return !WaitUntil([&] { return Ended(process); }, 1500); }
SIZE_T CommittedMemory(HANDLE process)
{
    SIZE_T committed = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
        committed += region.State == MEM_COMMIT && region.Type == MEM_PRIVATE ? region.RegionSize : 0;
    return committed;
}
RunningSaver StartFullScreen(const std::string& saverPath)
{
    MoveMouseTo(500, 400);
    WaitUntil([at = POINT{}]() mutable { return GetCursorPos(&at) && at.x == 500 && at.y == 400; });
    PumpMessagesFor(100);
    const Process process = StartSaver(saverPath, "/s");
    HWND window = WaitForWindow(process.Id, "WindowsScreenSaverClass", "Screen Saver");
    WaitUntil([&] { return GetForegroundWindow() == window; }, 2000);  // where keys go
    return {process, window};
}
HWND WaitForWindow(DWORD processId, const char* className, const char* title, DWORD timeout)
{
    HWND found = nullptr;
    WaitUntil([&] {
        DWORD owner = 0;
        while ((found = FindWindowExA(nullptr, found, className, title)))
            if (GetWindowThreadProcessId(found, &owner) && owner == processId && IsWindowVisible(found))
                return true;
        return false;
    }, timeout);
    return found;
}
std::string AnswerMessageBox(const Process& process, const char* title)
{
    HWND box = WaitForWindow(process.Id, "#32770", title);
    std::string text;
    char part[512];
    for (HWND child = box ? GetWindow(box, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT))
        text += GetDlgCtrlID(child) == IDOK || !GetWindowTextA(child, part, sizeof part) ? "" : part;
    PressDialogButton(box, IDOK);
    return text;
}
void PressDialogButton(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, id, LPARAM(GetDlgItem(dialog, id))); }
std::vector<COLORREF> ScreenPixels()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    BITMAPINFO format = {{sizeof format.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    std::vector<COLORREF> pixels(size_t(width) * height);
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    SelectObject(memory, old);
    GetDIBits(memory, bitmap, 0, UINT(height), pixels.data(), &format, DIB_RGB_COLORS);
    DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen);
    std::transform(pixels.begin(), pixels.end(), pixels.begin(), Swapped);
    return pixels;
}
COLORREF TestLogoAt(int x, int y)
{
    return y < 24 ? (x < 32 ? RGB(255, 0, 0) : RGB(0, 255, 0)) : (x < 32 ? RGB(0, 0, 255) : RGB(255, 255, 0));
}
int WrongPixels(int width, int height, const std::function<COLORREF(int x, int y)>& logo)
{
    const std::vector<COLORREF> shot = ScreenPixels();
    const int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN), left = (screenWidth - width) / 2;
    const int top = (int(shot.size()) / screenWidth - height) / 2;
    int wrong = 0;
    for (int i = 0; i < int(shot.size()); ++i) {
        const int x = i % screenWidth - left, y = i / screenWidth - top;
        wrong += shot[size_t(i)] != (x >= 0 && y >= 0 && x < width && y < height ? logo(x, y) : Background);
    }
    return wrong;
}
static void Send(DWORD type, WORD key, DWORD flags, int x = 0, int y = 0)
{
    INPUT input = {type, {}};
    if (type == INPUT_KEYBOARD)
        input.ki.wVk = key, input.ki.dwFlags = flags;
    else
        input.mi.dx = x, input.mi.dy = y, input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}
void PressKey(WORD virtualKey) { Send(INPUT_KEYBOARD, virtualKey, 0), Send(INPUT_KEYBOARD, virtualKey, KEYEVENTF_KEYUP); }
void MoveMouseTo(int x, int y)
{
    Send(INPUT_MOUSE, 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK,
         MulDiv(x - GetSystemMetrics(SM_XVIRTUALSCREEN), 65535, GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1),
         MulDiv(y - GetSystemMetrics(SM_YVIRTUALSCREEN), 65535, GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1));
}
void ClickMouse(int x, int y) { MoveMouseTo(x, y), Send(INPUT_MOUSE, 0, MOUSEEVENTF_LEFTDOWN), Send(INPUT_MOUSE, 0, MOUSEEVENTF_LEFTUP); }
std::string UserValue(const std::string& key, const char* name)
{
    DWORD size = 0, type = 0;
    RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr, &size);
    std::string data(size, '\0');
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, &type, &data[0], &size) != ERROR_SUCCESS)
        return "";
    return type == REG_SZ && !data.empty() ? data.substr(0, data.size() - 1) : data;
}
uint64_t UserNumber(const std::string& key, const char* name)
{
    const std::string bytes = UserValue(key, name);
    uint64_t value = 0;
    return std::memcpy(&value, bytes.data(), std::min<size_t>(bytes.size(), 8)), value;
}

}  // namespace e2e
