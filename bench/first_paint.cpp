// The floor for the saver's start: a minimal Win32 window program, one
// full-screen window that paints itself in one colour. scripts/bench.sh times
// its start to its first paint beside the saver's start to its first frame.
#include <windows.h>

constexpr COLORREF FirstPaintColour = RGB(0x31, 0x41, 0x59);

static LRESULT CALLBACK FirstPaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FirstPaintProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = CreateSolidBrush(FirstPaintColour);
    windowClass.lpszClassName = "FirstPaint";
    RegisterClassA(&windowClass);
    CreateWindowExA(WS_EX_TOPMOST, "FirstPaint", "", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                    GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
