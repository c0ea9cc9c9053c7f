// The host window: full screen over the virtual screen, or a child of the
// control panel's preview window; and the policy that input closes it.
#include "shell/host.h"

#include "engine/engine.h"
#include "shell/input_policy.h"
#include "shell/library_entry.h"
#include "shell/shell.h"
#include "shell/system_entries.h"
#include "shell/window_messages.h"

static_assert(Msg::Create == WM_CREATE && Msg::Destroy == WM_DESTROY && Msg::SetText == WM_SETTEXT &&
                  Msg::Paint == WM_PAINT && Msg::Close == WM_CLOSE && Msg::ShowWindow == WM_SHOWWINDOW &&
                  Msg::SetCursor == WM_SETCURSOR && Msg::Power == WM_POWER && Msg::Help == WM_HELP &&
                  Msg::ContextMenu == WM_CONTEXTMENU && Msg::KeyDown == WM_KEYDOWN &&
                  Msg::SysKeyDown == WM_SYSKEYDOWN && Msg::SysCommand == WM_SYSCOMMAND && Msg::Timer == WM_TIMER &&
                  Msg::MouseMove == WM_MOUSEMOVE && Msg::LeftButtonDown == WM_LBUTTONDOWN &&
                  Msg::LeftButtonUp == WM_LBUTTONUP && Msg::RightButtonDown == WM_RBUTTONDOWN &&
                  Msg::RightButtonUp == WM_RBUTTONUP && Msg::MiddleButtonDown == WM_MBUTTONDOWN &&
                  Msg::MiddleButtonUp == WM_MBUTTONUP && Msg::PowerBroadcast == WM_POWERBROADCAST &&
                  Msg::VerifyPasswordRequest == WM_APP,
              "message numbers");
static_assert(SysCommand::NextWindow == SC_NEXTWINDOW && SysCommand::PrevWindow == SC_PREVWINDOW &&
                  SysCommand::ScreenSave == SC_SCREENSAVE && SysCommand::MonitorPower == SC_MONITORPOWER,
              "system command numbers");
static_assert(sizeof(WNDCLASSA) == (sizeof(void*) == 4 ? 40 : 72), "window class record");

static constexpr char HostClassName[] = "WindowsScreenSaverClass";
static constexpr char FullScreenTitle[] = "Screen Saver";

HostState Host = {nullptr, FALSE, FALSE, {false, {0, 0}}, 255, 0, nullptr, nullptr};
BOOL ControlPanelPreview;

using AssociateContextEntry = HIMC(WINAPI*)(HWND, HIMC);
static AssociateContextEntry ImmAssociateContextEntry;

static BYTE ReadAcLineStatus()
{
    // Windows NT 4.0 cannot tell: unknown, as when the query fails.
    SYSTEM_POWER_STATUS status;
    const auto query = OptionalSystemEntries().GetSystemPowerStatus;
    return query && query(&status) ? status.ACLineStatus : 255;
}

static void PostClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

static void TakeCursorBaseline()
{
    POINT cursor = {};
    Host.Cursor.Known = GetCursorPos(&cursor) != FALSE;
    Host.Cursor.At = {cursor.x, cursor.y};
}

// The input method stays out of the saver's way: its composition window
// would otherwise show over the logo. It is used only if already loaded.
static void DetachInputMethod(HWND window)
{
    Host.ImeLibrary = GetModuleHandleA("IMM32.DLL");
    if (!Host.ImeLibrary)
        return;
    ImmAssociateContextEntry = FindLibraryEntry<AssociateContextEntry>(Host.ImeLibrary, "ImmAssociateContext");
    if (ImmAssociateContextEntry)
        Host.SavedImeContext = ImmAssociateContextEntry(window, nullptr);
}

static void RestoreInputMethod(HWND window)
{
    if (Host.ImeLibrary && ImmAssociateContextEntry && Host.SavedImeContext)
        ImmAssociateContextEntry(window, Host.SavedImeContext);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        DetachInputMethod(window);
        TakeCursorBaseline();
        if (!ControlPanelPreview)
            SetCursor(nullptr);
        return SaverWindowProc(window, message, wParam, lParam);
    }
    if (message == WM_DESTROY) {
        RestoreInputMethod(window);
        PostQuitMessage(0);
        return SaverWindowProc(window, message, wParam, lParam);
    }

    switch (DecideHostMessage(message, wParam, Host.CloseConfirmed != FALSE, ControlPanelPreview != FALSE)) {
    case HostAction::AnswerZero:
        return 0;
    case HostAction::SystemDefaultOnly:
        return DefWindowProcA(window, message, wParam, lParam);
    case HostAction::HideCursorThenPassOn:
        SetCursor(nullptr);
        break;
    case HostAction::ForwardToParent: {
        HWND parent = GetParent(window);
        if (parent && IsWindow(parent))
            PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
        return 1;
    }
    case HostAction::PostCloseThenPassOn:
        PostClose(window);
        break;
    case HostAction::YieldThenPassOn:
        Sleep(0);
        break;
    case HostAction::PassOn:
        break;
    }
    return SaverWindowProc(window, message, wParam, lParam);
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const DefaultPolicyState state = {ControlPanelPreview != FALSE, Host.CloseConfirmed != FALSE,
                                      OnWindows9x != FALSE, Host.PasswordPromptActive != FALSE,
                                      Host.AutoPlayQueryMessage};
    switch (DecideDefaultInput(message, wParam, lParam, state)) {
    case DefaultAction::SystemDefault:
        break;
    case DefaultAction::CloseThenSystemDefault:
        PostClose(window);
        break;
    case DefaultAction::HideCursorThenSystemDefault:
        SetCursor(nullptr);
        break;
    case DefaultAction::HideCursorAnswerOne:
        SetCursor(nullptr);
        return 1;
    case DefaultAction::MovementTest: {
        POINT cursor = {};
        const bool read = GetCursorPos(&cursor) != FALSE;
        const ScreenPoint at = {cursor.x, cursor.y};
        if (MovementTestCloses(&Host.Cursor, read ? &at : nullptr))
            PostClose(window);
        break;
    }
    case DefaultAction::AcLineTest: {
        const BYTE before = Host.AcLineStatus;
        Host.AcLineStatus = ReadAcLineStatus();
        if (Host.AcLineStatus != before)
            PostClose(window);
        break;
    }
    case DefaultAction::VerifyPasswordClose:
        if (!VerifyPasswordOnClose(window)) {
            TakeCursorBaseline();
            return 0;
        }
        break;
    case DefaultAction::AnswerPasswordRequest:
        return VerifyScreenSavePwd ? VerifyScreenSavePwd(window) : 1;
    case DefaultAction::CancelAutoPlay:
        PostClose(window);
        return VerifyScreenSavePwd ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The virtual screen, or the screen's clip box where the system reports no size.
static RECT FullScreenRectangle()
{
    RECT area = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width == 0 || height == 0) {
        HDC screen = GetDC(nullptr);
        GetClipBox(screen, &area);
        ReleaseDC(nullptr, screen);
        return area;
    }
    area.right = area.left + width;
    area.bottom = area.top + height;
    return area;
}

int32_t RunSaverWindow(HWND parent)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = ModuleInstance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = HostClassName;

    RECT area;
    DWORD style, extendedStyle;
    const char* title;
    if (parent) {
        // A parent that is gone by now leaves nothing to show in.
        if (!GetClientRect(parent, &area))
            return -1;
        area.left = area.top = 0;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        extendedStyle = 0;
        title = "Preview";
        ControlPanelPreview = TRUE;
    } else {
        area = FullScreenRectangle();
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        extendedStyle = WS_EX_TOPMOST;
        title = FullScreenTitle;

        // One saver at a time: any saver of this kind counts.
        HWND running = FindWindowA(HostClassName, FullScreenTitle);
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        Host.AcLineStatus = ReadAcLineStatus();
        LoadPasswordSupport();
    }
    Host.AutoPlayQueryMessage = OnWindows9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    if (RegisterClassA(&windowClass))
        Host.HostWindow = CreateWindowExA(extendedStyle, HostClassName, title, style, area.left, area.top,
                                          area.right - area.left, area.bottom - area.top, parent, nullptr,
                                          ModuleInstance, nullptr);
    int32_t exitCode = 0;
    if (Host.HostWindow) {
        if (!ControlPanelPreview)
            SetForegroundWindow(Host.HostWindow);
        MSG message = {};
        BOOL got;
        while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        exitCode = MessageLoopExitCode(got, message.wParam);
    }
    UnloadPasswordSupport();
    return exitCode;
}
