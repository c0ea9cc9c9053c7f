// Starts Wine's own background processes by making a window; the test script runs it before ctest,
// so that these long-lived processes do not hold on to a test's output pipe.
#include <windows.h>

int main() { return DestroyWindow(CreateWindowExA(0, "Static", "warm-up", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, 0)) ? 0 : 1; }
