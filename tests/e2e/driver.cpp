// The end-to-end driver: Win32 calls that a person's hands and eyes would make.
#include "e2e/driver.h"

#include <cstdio>
#include <climits>
#include <cstring>

#include "package/bmp_format.h"

namespace e2e {

namespace {

std::string ProgramName()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of("\\/") + 1);
    return name.substr(0, name.rfind('.'));
}

void RemoveFolderContents(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveFolderContents(folder + name + "\\");
            RemoveDirectoryA((folder + name).c_str());
        } else {
            DeleteFileA((folder + name).c_str());
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

}  // namespace

bool WaitFor(bool (*done)(void*), void* context, DWORD timeout)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (done(context))
            return true;
        if (GetTickCount() - start > timeout)
            return false;
        PumpMessagesFor(20);
    }
}

std::string WorkFolder()
{
    static std::string folder;
    if (folder.empty()) {
        const std::string root = WindowsPath(GLIMMORA_E2E_WORK);
        CreateDirectoryA(root.c_str(), nullptr);
        folder = root + "\\" + ProgramName() + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        RemoveFolderContents(folder);
    }
    return folder;
}

std::string WindowsPath(const char* unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string RuntimePath() { return WindowsPath(GLIMMORA_RUNTIME); }

std::string AuthorToolPath() { return WindowsPath(GLIMMORA_AUTHOR_TOOL); }

std::string TestLogoPath()
{
    const std::string path = WorkFolder() + "test-logo.bmp";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        constexpr int32_t width = 64, height = 48;
        std::vector<uint32_t> pixels(width * height);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                pixels[y * width + x] = y < height / 2 ? (x < width / 2 ? 0xFF0000 : 0x00FF00)
                                                       : (x < width / 2 ? 0x0000FF : 0xFFFF00);
        WriteWholeFile(path, EncodeBmp24(width, height, pixels.data()));
    }
    return path;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size;
    DWORD read = 0;
    if (GetFileSizeEx(file, &size)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
            bytes.clear();
    }
    CloseHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

ProgramResult RunConsoleProgram(const std::string& commandLine, DWORD timeout)
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
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process;
    std::string line = commandLine;
    const BOOL started =
        CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        result.Output = "could not start: " + commandLine;
        return result;
    }
    char buffer[4096];
    DWORD read;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        result.Output.append(buffer, read);
    CloseHandle(readEnd);
    result.Finished = WaitForSingleObject(process.hProcess, timeout) == WAIT_OBJECT_0;
    if (!result.Finished)
        TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &result.ExitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

bool MakeSaver(const std::string& saverPath, const std::string& options)
{
    const ProgramResult made = RunConsoleProgram("\"" + AuthorToolPath() + "\" create --runtime \"" +
                                                 RuntimePath() + "\" --logo \"" + TestLogoPath() + "\" --out \"" +
                                                 saverPath + "\" " + options);
    if (!made.Finished || made.ExitCode != 0) {
        std::printf("    authoring tool failed (%lu): %s\n", made.ExitCode, made.Output.c_str());
        return false;
    }
    return true;
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
    return StartCommandLine(saverPath, "\"" + saverPath + "\" " + arguments, suspended);
}

bool WaitForExit(const Process& process, DWORD* exitCode, DWORD timeout)
{
    if (!process.Handle)
        return false;
    const DWORD start = GetTickCount();
    // Keep this thread's own windows answering while the saver runs.
    while (WaitForSingleObject(process.Handle, 0) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeout)
            return false;
        PumpMessagesFor(20);
    }
    return GetExitCodeProcess(process.Handle, exitCode) != FALSE;
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
    DWORD exitCode = STILL_ACTIVE;
    if (!WaitForExit(process, &exitCode))
        exitCode = STILL_ACTIVE;
    EndProcess(&process);
    return exitCode;
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
    return {process, WaitForSaverWindow(process.Id)};
}

bool EndsWithZero(RunningSaver* run)
{
    DWORD exitCode = STILL_ACTIVE;
    const bool ended = WaitForExit(run->Process, &exitCode);
    EndProcess(&run->Process);
    return ended && exitCode == 0;
}

bool StillRunning(const RunningSaver& run)
{
    DWORD exitCode;
    return !WaitForExit(run.Process, &exitCode, 1500);
}

namespace {

struct WindowQuery {
    DWORD ProcessId;
    const char* ClassName;
    const char* Title;
    HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    WindowQuery* query = reinterpret_cast<WindowQuery*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((query->ProcessId == 0 || owner == query->ProcessId) &&
        (!query->ClassName || WindowClass(window) == query->ClassName) &&
        (!query->Title || WindowText(window) == query->Title)) {
        query->Found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindTopWindow(DWORD processId, const char* className, const char* title)
{
    WindowQuery query = {processId, className, title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.Found;
}

HWND WaitForWindow(DWORD processId, const char* className, const char* title, DWORD timeout)
{
    WindowQuery query = {processId, className, title, nullptr};
    WaitFor(
        [](void* context) {
            WindowQuery* q = static_cast<WindowQuery*>(context);
            q->Found = FindTopWindow(q->ProcessId, q->ClassName, q->Title);
            return q->Found != nullptr && IsWindowVisible(q->Found) != FALSE;
        },
        &query, timeout);
    return query.Found;
}

HWND WaitForSaverWindow(DWORD processId, DWORD timeout)
{
    return WaitForWindow(processId, "WindowsScreenSaverClass", "Screen Saver", timeout);
}

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

std::string WindowText(HWND window)
{
    char text[512] = "";
    // Asks the window itself, so it also reads controls of other processes.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return text;
}

std::string WindowClass(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string MessageBoxText(HWND box)
{
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (WindowClass(child) != "Static")
            continue;
        const std::string part = WindowText(child);
        if (!part.empty())
            text += text.empty() ? part : "\n" + part;
    }
    return text;
}

void PressDialogButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int Capture::Count(COLORREF colour) const
{
    int count = 0;
    for (COLORREF pixel : Pixels)
        count += pixel == colour;
    return count;
}

RECT Capture::Extent(COLORREF background) const
{
    RECT extent = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (int y = Area.top; y < Area.bottom; ++y)
        for (int x = Area.left; x < Area.right; ++x)
            if (At(x, y) != background) {
                extent.left = x < extent.left ? x : extent.left;
                extent.top = y < extent.top ? y : extent.top;
                extent.right = x + 1 > extent.right ? x + 1 : extent.right;
                extent.bottom = y + 1 > extent.bottom ? y + 1 : extent.bottom;
            }
    if (extent.left == LONG_MAX)
        extent = {0, 0, 0, 0};
    return extent;
}

RECT WholeScreen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

Capture CaptureScreen(const RECT& area)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    Capture capture = {area, {}};
    std::vector<COLORREF>& pixels = capture.Pixels;
    if (width <= 0 || height <= 0)
        return capture;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const uint32_t* source = static_cast<const uint32_t*>(bits);
        pixels.resize(static_cast<size_t>(width) * height);
        for (size_t i = 0; i < pixels.size(); ++i) {
            const uint32_t bgra = source[i];
            pixels[i] = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

COLORREF ScreenPixel(int x, int y)
{
    const Capture pixel = CaptureScreen({x, y, x + 1, y + 1});
    return pixel.Pixels.empty() ? CLR_INVALID : pixel.Pixels[0];
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
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool ok =
        RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(handle);
    return ok;
}

bool ReadUserValue(const std::string& key, const char* name, DWORD* type, std::vector<uint8_t>* data)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(handle, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        data->resize(size);
        ok = RegQueryValueExA(handle, name, nullptr, type, data->data(), &size) == ERROR_SUCCESS;
        data->resize(size);
    }
    RegCloseKey(handle);
    return ok;
}

void DeleteUserKey(const std::string& key)
{
    std::string path = key;
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

void EmulateWindowsVersion(const std::string& programFileName, const char* version)
{
    const std::string key = "Software\\Wine\\AppDefaults\\" + programFileName;
    if (version)
        WriteUserValue(key, "Version", REG_SZ, version, static_cast<DWORD>(std::strlen(version) + 1));
    else
        DeleteUserKey(key);
}

}  // namespace e2e
