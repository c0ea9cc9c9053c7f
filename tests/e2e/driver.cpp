// The end-to-end driver: Win32 calls that a person's hands and eyes would make.
#include "e2e/driver.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "package/bmp_format.h"

namespace e2e {

static std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void PumpMessagesFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

std::string WorkFolder()
{
    static std::string folder;
    if (folder.empty()) {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        const std::string name = std::strrchr(path, '\\') + 1;
        CreateDirectoryA(WindowsPath(GLIMMORA_E2E_WORK).c_str(), nullptr);
        folder = WindowsPath(GLIMMORA_E2E_WORK) + "\\" + name.substr(0, name.rfind('.')) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        // Without a window manager (Xvfb), Wine waits two seconds for each managed window to be withdrawn.
        WriteUserValue("Software\\Wine\\X11 Driver", "Managed", REG_SZ, "N", 2);
    }
    return folder;
}

std::string WindowsPath(const char* unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

std::string RuntimePath() { return WindowsPath(GLIMMORA_RUNTIME); }

std::string TestLogoPath()
{
    const std::string path = WorkFolder() + "test-logo.bmp";
    std::vector<uint32_t> pixels;
    for (int i = 0; i < 64 * 48; ++i) {
        const COLORREF colour = TestLogoAt(i % 64, i / 64);
        pixels.push_back(GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour));
    }
    WriteWholeFile(path, EncodeBmp24(64, 48, pixels.data()));
    return path;
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

ProgramResult RunConsoleProgram(const std::string& commandLine)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    PROCESS_INFORMATION started = {};
    std::string line = commandLine;
    ProgramResult result = {STILL_ACTIVE, ""};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started))
        result.Output = "could not start: " + commandLine;
    CloseHandle(writeEnd);
    char buffer[4096];
    for (DWORD read; ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0;)
        result.Output.append(buffer, read);
    CloseHandle(readEnd);
    Process process = {started.hProcess, started.hThread, started.dwProcessId};
    result.ExitCode = ExitCode(&process);
    return result;
}

ProgramResult RunTool(const std::string& arguments)
{
    return RunConsoleProgram(Quoted(WindowsPath(GLIMMORA_AUTHOR_TOOL)) + " " + arguments);
}

bool MakeSaver(const std::string& saverPath, const std::string& options)
{
    const ProgramResult made = RunTool("create --runtime " + Quoted(RuntimePath()) + " --logo " + Quoted(TestLogoPath()) +
                                       " --out " + Quoted(saverPath) + " " + options);
    if (made.ExitCode != 0)
        std::printf("    authoring tool failed (%lu): %s\n", made.ExitCode, made.Output.c_str());
    return made.ExitCode == 0;
}

Process StartCommandLine(const std::string& program, const std::string& commandLine, bool suspended)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::string line = commandLine;
    CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr,
                   &startup, &started);
    return {started.hProcess, started.hThread, started.dwProcessId};
}

Process StartSaver(const std::string& saverPath, const std::string& arguments, bool suspended)
{
    return StartCommandLine(saverPath, Quoted(saverPath) + " " + arguments, suspended);
}

static bool Ended(const Process& process) { return WaitForSingleObject(process.Handle, 0) != WAIT_TIMEOUT; }

DWORD ExitCode(Process* process, DWORD timeout)
{
    DWORD exitCode = STILL_ACTIVE;
    // This thread's own windows keep answering while it waits.
    if (process->Handle && WaitUntil([&] { return Ended(*process); }, timeout))
        GetExitCodeProcess(process->Handle, &exitCode);
    else if (process->Handle)
        TerminateProcess(process->Handle, 0xDEAD);
    CloseHandle(process->Handle);
    CloseHandle(process->Thread);
    *process = {nullptr, nullptr, 0};
    return exitCode;
}

bool StillRunning(const Process& process) { return !WaitUntil([&] { return Ended(process); }, 1500); }

DWORD RunSaver(const std::string& saverPath, const std::string& arguments)
{
    Process process = StartSaver(saverPath, arguments);
    return ExitCode(&process);
}

bool Answers(HWND window, DWORD timeout)
{
    DWORD_PTR answer;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &answer) != 0;
}

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
    WaitUntil([] {
        POINT at;
        return GetCursorPos(&at) && at.x == 500 && at.y == 400;
    });
    PumpMessagesFor(100);
    const Process process = StartSaver(saverPath, "/s");
    return {process, WaitForWindow(process.Id, "WindowsScreenSaverClass", "Screen Saver")};
}

HWND FindTopWindow(DWORD processId, const char* className, const char* title)
{
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        char name[256] = "";
        GetWindowThreadProcessId(window, &owner);
        GetClassNameA(window, name, sizeof name);
        if ((!processId || owner == processId) && (!className || !std::strcmp(name, className)) &&
            (!title || WindowText(window) == title) && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

HWND WaitForWindow(DWORD processId, const char* className, const char* title)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(processId, className, title)) != nullptr; });
    return found;
}

std::string WindowText(HWND window)
{
    char text[512] = "";
    // Asks the window itself, so it also reads controls of other processes.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, LPARAM(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::string AnswerMessageBox(const Process& process, const char* title)
{
    HWND box = WaitForWindow(process.Id, "#32770", title);
    std::string text;
    for (HWND child = box ? GetWindow(box, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) != IDOK && !WindowText(child).empty())
            text += (text.empty() ? "" : "\n") + WindowText(child);
    PressDialogButton(box, IDOK);
    return text;
}

void PressDialogButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

int Capture::Count(COLORREF colour) const
{
    int count = 0;
    for (COLORREF pixel : Pixels)
        count += pixel == colour;
    return count;
}

RECT WholeScreen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

Capture CaptureScreen(const RECT& area)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    Capture capture = {area, {}};
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof format.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    for (size_t i = 0; bits && i < size_t(width) * height; ++i) {
        const uint32_t bgra = static_cast<const uint32_t*>(bits)[i];
        capture.Pixels.push_back(RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

COLORREF TestLogoAt(int x, int y)
{
    return y < 24 ? (x < 32 ? RGB(255, 0, 0) : RGB(0, 255, 0)) : (x < 32 ? RGB(0, 0, 255) : RGB(255, 255, 0));
}

int WrongPixels(int width, int height, const std::function<COLORREF(int x, int y)>& logo)
{
    const Capture shot = CaptureScreen(WholeScreen());
    const int left = (shot.Area.right - width) / 2, top = (shot.Area.bottom - height) / 2;
    int wrong = 0;
    for (int y = 0; y < shot.Area.bottom; ++y)
        for (int x = 0; x < shot.Area.right; ++x) {
            const bool inside = x >= left && y >= top && x < left + width && y < top + height;
            wrong += shot.At(x, y) != (inside ? logo(x - left, y - top) : Background);
        }
    return wrong;
}

static void Send(std::vector<INPUT> inputs) { SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)); }

void PressKey(WORD virtualKey)
{
    INPUT key = {INPUT_KEYBOARD, {}};
    key.ki.wVk = virtualKey;
    INPUT up = key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    Send({key, up});
}

void MoveMouseTo(int x, int y)
{
    INPUT move = {INPUT_MOUSE, {}};
    move.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send({move});
}

void ClickMouse(int x, int y)
{
    MoveMouseTo(x, y);
    INPUT down = {INPUT_MOUSE, {}}, up = {INPUT_MOUSE, {}};
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    Send({down, up});
}

bool WriteUserValue(const std::string& key, const char* name, DWORD type, const void* data, DWORD size)
{
    return RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, type, data, size) == ERROR_SUCCESS;
}

bool ReadUserValue(const std::string& key, const char* name, std::vector<uint8_t>* data, DWORD* type)
{
    DWORD size = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data->resize(size);
    return RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, type, data->data(), &size) == ERROR_SUCCESS;
}

uint64_t UserNumber(const std::string& key, const char* name)
{
    uint64_t value = 0;
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_DWORD | RRF_RT_QWORD, nullptr, &value, &size);
    return value;
}

std::string UserText(const std::string& key, const char* name)
{
    std::vector<uint8_t> text;
    return ReadUserValue(key, name, &text) && !text.empty() ? std::string(text.begin(), text.end() - 1) : "";
}

void DeleteUserKey(const std::string& key)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, key.substr(0, key.find_last_not_of('\\') + 1).c_str());
}

void EmulateWindowsVersion(const std::string& programFileName, const char* version)
{
    const std::string key = "Software\\Wine\\AppDefaults\\" + programFileName;
    if (version)
        WriteUserValue(key, "Version", REG_SZ, version, DWORD(std::strlen(version) + 1));
    else
        DeleteUserKey(key);
}

}  // namespace e2e
