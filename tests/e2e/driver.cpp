// The end-to-end driver: Win32 calls that a person's hands and eyes would make.
#include "e2e/driver.h"

#include <cstdio>
#include <cstring>

#include "package/bmp_format.h"

namespace e2e {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

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
        std::string name = path;
        name = name.substr(name.find_last_of("\\/") + 1);
        const std::string root = WindowsPath(GLIMMORA_E2E_WORK);
        CreateDirectoryA(root.c_str(), nullptr);
        folder = root + "\\" + name.substr(0, name.rfind('.')) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
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
std::string AuthorToolPath() { return WindowsPath(GLIMMORA_AUTHOR_TOOL); }

std::string TestLogoPath()
{
    const std::string path = WorkFolder() + "test-logo.bmp";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::vector<uint32_t> pixels(64 * 48);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                pixels[y * 64 + x] = y < 24 ? (x < 32 ? 0xFF0000 : 0x00FF00) : (x < 32 ? 0x0000FF : 0xFFFF00);
        WriteWholeFile(path, EncodeBmp24(64, 48, pixels.data()));
    }
    return path;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD read = 0;
    bytes.resize(GetFileSize(file, nullptr));
    if (!ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size())
        bytes.clear();
    CloseHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

ProgramResult RunConsoleProgram(const std::string& commandLine)
{
    ProgramResult result = {false, 0, ""};
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION started;
    std::string line = commandLine;
    const BOOL ok =
        CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
    CloseHandle(writeEnd);
    if (!ok) {
        CloseHandle(readEnd);
        result.Output = "could not start: " + commandLine;
        return result;
    }
    char buffer[4096];
    DWORD read;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        result.Output.append(buffer, read);
    CloseHandle(readEnd);
    Process process = {started.hProcess, started.hThread, started.dwProcessId};
    result.ExitCode = ExitCode(&process);
    result.Finished = result.ExitCode != STILL_ACTIVE;
    return result;
}

ProgramResult RunTool(const std::string& arguments) { return RunConsoleProgram(Quoted(AuthorToolPath()) + " " + arguments); }

bool MakeSaver(const std::string& saverPath, const std::string& options)
{
    const ProgramResult made = RunTool("create --runtime " + Quoted(RuntimePath()) + " --logo " +
                                       Quoted(TestLogoPath()) + " --out " + Quoted(saverPath) + " " + options);
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
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, suspended ? CREATE_SUSPENDED : 0, nullptr,
                        nullptr, &startup, &started))
        return {nullptr, nullptr, 0};
    return {started.hProcess, started.hThread, started.dwProcessId};
}

Process StartSaver(const std::string& saverPath, const std::string& arguments, bool suspended)
{
    return StartCommandLine(saverPath, Quoted(saverPath) + " " + arguments, suspended);
}

DWORD ExitCode(Process* process, DWORD timeout)
{
    DWORD exitCode = STILL_ACTIVE;
    // This thread's own windows keep answering while it waits.
    if (process->Handle && WaitUntil([&] { return WaitForSingleObject(process->Handle, 0) == WAIT_OBJECT_0; }, timeout))
        GetExitCodeProcess(process->Handle, &exitCode);
    EndProcess(process);
    return exitCode;
}

bool StillRunning(const Process& process)
{
    return !WaitUntil([&] { return WaitForSingleObject(process.Handle, 0) == WAIT_OBJECT_0; }, 1500);
}

void EndProcess(Process* process)
{
    if (process->Handle) {
        if (WaitForSingleObject(process->Handle, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process->Handle, 0xDEAD);
            WaitForSingleObject(process->Handle, Patience);
        }
        CloseHandle(process->Handle);
    }
    if (process->Thread)
        CloseHandle(process->Thread);
    *process = {nullptr, nullptr, 0};
}

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
    for (const char* address = nullptr; VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += region.RegionSize;
    return committed;
}

RunningSaver StartFullScreen(const std::string& saverPath)
{
    MoveMouseTo(500, 400);
    PumpMessagesFor(100);
    const Process process = StartSaver(saverPath, "/s");
    return {process, WaitForWindow(process.Id, "WindowsScreenSaverClass", "Screen Saver")};
}

bool EndsWithZero(RunningSaver* run) { return ExitCode(&run->Process) == 0; }

HWND FindTopWindow(DWORD processId, const char* className, const char* title)
{
    struct Query { DWORD ProcessId; const char *ClassName, *Title; HWND Found; } query = {processId, className, title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            Query* q = reinterpret_cast<Query*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if ((q->ProcessId && owner != q->ProcessId) || (q->ClassName && WindowClass(window) != q->ClassName) ||
                (q->Title && WindowText(window) != q->Title))
                return TRUE;
            q->Found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.Found;
}

HWND WaitForWindow(DWORD processId, const char* className, const char* title)
{
    HWND found = nullptr;
    // Found while it is still being created, it is not shown yet.
    WaitUntil([&] { return (found = FindTopWindow(processId, className, title)) && IsWindowVisible(found); });
    return found;
}

std::string WindowText(HWND window)
{
    char text[512] = "";
    // Asks the window itself, so it also reads controls of other processes.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, LPARAM(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::string WindowClass(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string AnswerMessageBox(const Process& process, const char* title)
{
    HWND box = WaitForWindow(process.Id, "#32770", title);
    std::string text;
    for (HWND child = box ? GetWindow(box, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowClass(child) == "Static" && !WindowText(child).empty())
            text += (text.empty() ? "" : "\n") + WindowText(child);
    if (box)
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

int WrongStaticPixels(COLORREF background, COLORREF transparent)
{
    const RECT screen = WholeScreen();
    const Capture shot = CaptureScreen(screen);
    const int left = (screen.right - 64) / 2, top = (screen.bottom - 48) / 2;
    int wrong = 0;
    for (int y = 0; y < screen.bottom; ++y)
        for (int x = 0; x < screen.right; ++x) {
            const int lx = x - left, ly = y - top;
            COLORREF expected = background;
            if (lx >= 0 && ly >= 0 && lx < 64 && ly < 48)
                expected = ly < 24 ? (lx < 32 ? RGB(255, 0, 0) : RGB(0, 255, 0)) : (lx < 32 ? RGB(0, 0, 255) : RGB(255, 255, 0));
            wrong += shot.At(x, y) != (expected == transparent ? background : expected);
        }
    return wrong;
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
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const uint32_t* source = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < size_t(width) * height; ++i)
            capture.Pixels.push_back(RGB((source[i] >> 16) & 0xFF, (source[i] >> 8) & 0xFF, source[i] & 0xFF));
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

void PressKey(WORD virtualKey)
{
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = virtualKey;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

void MoveMouseTo(int x, int y)
{
    INPUT move = {};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof(INPUT));
}

void ClickMouse(int x, int y)
{
    MoveMouseTo(x, y);
    INPUT buttons[2] = {};
    buttons[0].type = buttons[1].type = INPUT_MOUSE;
    buttons[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    buttons[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, buttons, sizeof(INPUT));
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

void DeleteUserKey(const std::string& key)
{
    const std::string path = key.back() == '\\' ? key.substr(0, key.size() - 1) : key;
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
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
