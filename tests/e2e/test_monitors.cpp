// The saver over two monitors side by side, the primary on the right and the other left of it, from x = -1024:
// scripts/two-monitors.sh makes Wine see that layout in a prefix of its own and runs this program there.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>

#include "e2e/driver.h"

using namespace e2e;

TEST_CASE("over two monitors the saver covers both, centres Static's logo across the seam and closes on movement on the left one")
{
    const RECT both = {-1024, 0, 1024, 768};
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    REQUIRE_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    REQUIRE_EQ(std::pair(left, width), std::pair(-1024, 2048));
    const std::string saver = WorkFolder() + "two-monitors.scr";
    REQUIRE(MakeSaver(saver, "--background #203040 --set EnabledModes=2"));
    RunningSaver run = StartFullScreen(saver);
    REQUIRE(run.Window);
    RECT window = {};
    GetWindowRect(run.Window, &window);
    CHECK(EqualRect(&window, &both));

    // The 64 × 48 logo from (-32, 360), half on each monitor, and background around it.
    CHECK(WaitUntil([] {
        const std::vector<COLORREF> shot = ScreenPixels(-40, 352, 80, 64);
        for (int i = 0; i < 80 * 64; ++i) {
            const int x = i % 80 - 8, y = i / 80 - 8;
            if (shot[i] != (x >= 0 && y >= 0 && x < 64 && y < 48 ? TestLogoAt(x, y) : Background))
                return false;
        }
        return true;
    }));

    // The cursor from the primary's (500, 400) to (-600, 300), on the left monitor.
    INPUT input = {INPUT_MOUSE, {}};
    input.mi = {MulDiv(-600 - left, 65535, width - 1), MulDiv(300, 65535, 767), 0,
                MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK, 0, 0};
    SendInput(1, &input, sizeof input);
    CHECK(EndsWithZero(&run));
}
