// Starts Wine's own background processes (services, the desktop) by making
// and destroying a window. The test script runs it before ctest, so that
// these long-lived processes do not hold on to a test's output pipe.
#include <windows.h>

int main()
{
    HWND window = CreateWindowExA(0, "Static", "warm-up", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(window);
    return window ? 0 : 1;
}
