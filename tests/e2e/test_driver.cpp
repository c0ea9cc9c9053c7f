// The driver itself against a window of known colour: if these fail, no
// end-to-end result can be trusted.
#include "e2e/driver.h"
#include "testkit.h"

namespace {

constexpr COLORREF WindowColour = RGB(12, 200, 77);
WPARAM LastKey;
LPARAM LastClick;
int Clicks;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
        LastKey = wParam;
        return 0;
    case WM_LBUTTONDOWN:
        LastClick = lParam;
        ++Clicks;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND ShowProbeWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ProbeWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = CreateSolidBrush(WindowColour);
    windowClass.lpszClassName = "GlimmoraProbe";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "GlimmoraProbe", "Probe", WS_POPUP | WS_VISIBLE, 100, 80, 200, 150,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(window);
    e2e::PumpMessagesFor(300);
    return window;
}

}  // namespace

TEST_CASE(windows_are_found_by_class_and_title)
{
    HWND window = ShowProbeWindow();
    CHECK_EQ(e2e::WaitForWindow(GetCurrentProcessId(), "GlimmoraProbe", "Probe"), window);
    CHECK(e2e::FindTopWindow(GetCurrentProcessId(), "GlimmoraProbe", "Other") == nullptr);
    CHECK_EQ(e2e::WindowText(window), "Probe");
    DestroyWindow(window);
}

TEST_CASE(screen_pixels_are_read_back_exactly)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::printf("    screen %d x %d\n", width, height);
    CHECK(width >= 640 && height >= 480);
    HWND window = ShowProbeWindow();
    const e2e::Capture inside = e2e::CaptureScreen({100, 80, 300, 230});
    REQUIRE(inside.Pixels.size() == 200u * 150u);
    CHECK_EQ(inside.Count(WindowColour), 200 * 150);
    const e2e::Capture around = e2e::CaptureScreen({90, 70, 310, 240});
    const RECT extent = around.Extent(around.At(90, 70));
    CHECK_EQ(extent.left, 100L);
    CHECK_EQ(extent.top, 80L);
    CHECK_EQ(extent.right, 300L);
    CHECK_EQ(extent.bottom, 230L);
    CHECK(e2e::ScreenPixel(99, 79) != WindowColour);
    CHECK(e2e::ScreenPixel(300, 230) != WindowColour);
    DestroyWindow(window);
}

TEST_CASE(keys_and_clicks_reach_the_foreground_window)
{
    HWND window = ShowProbeWindow();
    LastKey = 0;
    Clicks = 0;
    e2e::PressKey('Q');
    e2e::PumpMessagesFor(300);
    CHECK_EQ(LastKey, static_cast<WPARAM>('Q'));
    e2e::ClickMouse(150, 100);
    e2e::PumpMessagesFor(300);
    CHECK_EQ(Clicks, 1);
    CHECK_EQ(LOWORD(LastClick), 50);   // client coordinates
    CHECK_EQ(HIWORD(LastClick), 20);
    DestroyWindow(window);
}

TEST_CASE(registry_values_round_trip)
{
    const std::string key = "Software\\Glimmora\\Driver Test\\";
    const uint8_t bytes[] = {1, 2, 3, 250};
    REQUIRE(e2e::WriteUserValue(key, "Bytes", REG_BINARY, bytes, sizeof bytes));
    DWORD type = 0;
    std::vector<uint8_t> read;
    REQUIRE(e2e::ReadUserValue(key, "Bytes", &type, &read));
    CHECK_EQ(type, static_cast<DWORD>(REG_BINARY));
    CHECK(read == std::vector<uint8_t>(bytes, bytes + sizeof bytes));
    e2e::DeleteUserKey(key);
    CHECK(!e2e::ReadUserValue(key, "Bytes", &type, &read));
}

TEST_MAIN()
