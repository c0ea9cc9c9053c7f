// Drip and Falling in the real full-screen saver: what the screen shows after
// a few seconds, settings far outside what the dialog allows, and a key that
// still ends the run.
#include <set>
#include <string>
#include <vector>

#include "e2e/driver.h"
#include "testkit.h"

namespace {

// The test logo's quarters, 32 × 24 each: red, green / blue, yellow.
constexpr COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255), Yellow = RGB(255, 255, 0);
constexpr COLORREF Background = RGB(0x20, 0x30, 0x40);
constexpr int LogoWidth = 64, LogoHeight = 48;

e2e::RunningSaver StartFullScreen(const char* name, const std::string& options)
{
    const std::string path = e2e::WorkFolder() + name;
    e2e::MakeSaver(path, "--background #203040 " + options);
    return e2e::StartFullScreen(path);
}

bool Answers(const e2e::RunningSaver& run)
{
    DWORD_PTR answer;
    return SendMessageTimeoutA(run.Window, WM_NULL, 0, 0, SMTO_NORMAL, e2e::Patience, &answer) != 0;
}

// A key, then the exit code 0 within the deadline.
bool KeyEndsWithZero(e2e::RunningSaver& run)
{
    e2e::PressKey(VK_SPACE);
    return e2e::EndsWithZero(&run);
}

COLORREF LogoPixel(int x, int y, COLORREF transparent)
{
    const COLORREF colour = y < LogoHeight / 2 ? (x < LogoWidth / 2 ? Red : Green) : (x < LogoWidth / 2 ? Blue : Yellow);
    return colour == transparent ? Background : colour;
}

// Column x of the screen as the picture `original` (top-down rows, from row
// `top`, `height` high, background around) slid down by some whole number of
// pixels with background above: how far, or -1 when it is not.
int SlideOf(const e2e::Capture& shot, int x, int top, int height, COLORREF (*original)(int x, int row, void* context),
            void* context)
{
    const int rows = shot.Area.bottom - shot.Area.top;
    int firstOriginal = -1, firstShown = -1;
    for (int row = 0; row < height && firstOriginal < 0; ++row)
        if (original(x, row, context) != Background)
            firstOriginal = top + row;
    for (int y = 0; y < rows && firstShown < 0; ++y)
        if (shot.At(x, y) != Background)
            firstShown = y;
    if (firstOriginal < 0 || firstShown < 0)
        return firstOriginal < 0 && firstShown < 0 ? 0 : -1;
    const int slide = firstShown - firstOriginal;
    if (slide < 0)
        return -1;
    for (int y = 0; y < rows; ++y) {
        const int row = y - top - slide;
        if (shot.At(x, y) != (row >= 0 && row < height ? original(x, row, context) : Background))
            return -1;
    }
    return slide;
}

struct LogoContext {
    int Left;
    COLORREF Transparent;
    bool Tiled;
};

COLORREF OriginalPixel(int x, int row, void* context)
{
    const LogoContext& logo = *static_cast<LogoContext*>(context);
    if (logo.Tiled)
        return LogoPixel(x % LogoWidth, row % LogoHeight, logo.Transparent);
    const int column = x - logo.Left;
    return column >= 0 && column < LogoWidth ? LogoPixel(column, row, logo.Transparent) : Background;
}

}  // namespace

TEST_CASE(drip_melts_the_centred_logo_down_in_whole_columns)
{
    struct Row { const char* Name; const char* Options; COLORREF Transparent; };
    const Row rows[] = {
        {"opaque", "", CLR_INVALID},
        {"green transparent", "--transparent #00FF00", Green},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        e2e::RunningSaver run = StartFullScreen("drip.scr", std::string("--set EnabledModes=64 --set DripIntervalMs=10 ") +
                                                      row.Options);
        REQUIRE(run.Window != nullptr);
        const RECT screen = e2e::WholeScreen();
        const int width = screen.right - screen.left, height = screen.bottom - screen.top;
        const int left = (width - LogoWidth) / 2, top = (height - LogoHeight) / 2;
        // Blue and yellow below the logo's bottom edge can only have dripped there.
        struct Below { RECT Area; } below = {{left, top + LogoHeight + 20, left + LogoWidth, top + LogoHeight + 21}};
        CHECK(e2e::WaitFor(
            [](void* p) {
                const e2e::Capture strip = e2e::CaptureScreen(static_cast<Below*>(p)->Area);
                return strip.Count(Blue) + strip.Count(Yellow) >= 8;
            },
            &below));
        e2e::PumpMessagesFor(500);
        const e2e::Capture shot = e2e::CaptureScreen(screen);

        LogoContext logo = {left, row.Transparent, false};
        int slid = 0;
        for (int x = 0; x < width; ++x) {
            const int slide = SlideOf(shot, x, top, LogoHeight, OriginalPixel, &logo);
            const bool logoColumn = x >= left && x < left + LogoWidth;
            // The logo's columns slide whole; the columns beside it never change.
            const bool whole = logoColumn ? slide >= 0 : slide == 0;
            if (!whole) {
                std::printf("    column %d does not show a whole slid column\n", x);
                CHECK(whole);
            }
            slid += logoColumn && slide > 0;
        }
        std::printf("    %s: %d of %d logo columns slid\n", row.Name, slid, LogoWidth);
        CHECK(slid > LogoWidth / 2);
        if (row.Transparent != CLR_INVALID)
            CHECK_EQ(shot.Count(row.Transparent), 0);

        CHECK(Answers(run));
        CHECK(KeyEndsWithZero(run));
    }
}

TEST_CASE(tiled_drip_slides_whole_columns_across_the_screen)
{
    struct Row { const char* Name; const char* Options; COLORREF Transparent; };
    const Row rows[] = {
        {"opaque", "", CLR_INVALID},
        {"green transparent", "--transparent #00FF00", Green},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        e2e::RunningSaver run = StartFullScreen(
            "drip-tiled.scr", std::string("--set EnabledModes=64 --set DripTile=1 --set DripIntervalMs=10 ") + row.Options);
        REQUIRE(run.Window != nullptr);
        const RECT screen = e2e::WholeScreen();
        const int width = screen.right - screen.left;
        // The tiles reach the bottom-right corner first; then they drip.
        CHECK(e2e::WaitFor([](void*) { return e2e::ScreenPixel(10, 10) == Red; }, nullptr));
        e2e::PumpMessagesFor(3000);
        const e2e::Capture shot = e2e::CaptureScreen(screen);

        LogoContext tiles = {0, row.Transparent, true};
        int wrong = 0, slidLeft = 0, slidRight = 0;
        for (int x = 0; x < width; ++x) {
            const int slide = SlideOf(shot, x, 0, screen.bottom - screen.top, OriginalPixel, &tiles);
            wrong += slide < 0;
            slidLeft += slide > 0 && x < width / 3;
            slidRight += slide > 0 && x >= 2 * width / 3;
        }
        std::printf("    %s: %d columns slid on the left third, %d on the right third\n", row.Name, slidLeft,
                    slidRight);
        CHECK_EQ(wrong, 0);
        CHECK(slidLeft > 10);
        CHECK(slidRight > 10);
        CHECK(KeyEndsWithZero(run));
    }
}

namespace {

// Solid rectangles of one colour: 4-connected areas that fill their bounding box.
std::vector<RECT> SolidAreas(const e2e::Capture& shot, COLORREF colour)
{
    const int width = shot.Area.right - shot.Area.left, height = shot.Area.bottom - shot.Area.top;
    std::vector<char> seen(static_cast<size_t>(width) * height, 0);
    std::vector<RECT> areas;
    std::vector<POINT> stack;
    for (int y0 = 0; y0 < height; ++y0)
        for (int x0 = 0; x0 < width; ++x0) {
            if (seen[y0 * width + x0] || shot.At(x0, y0) != colour)
                continue;
            RECT box = {x0, y0, x0 + 1, y0 + 1};
            int count = 0;
            stack.push_back({x0, y0});
            seen[y0 * width + x0] = 1;
            while (!stack.empty()) {
                const POINT at = stack.back();
                stack.pop_back();
                ++count;
                box.left = at.x < box.left ? at.x : box.left;
                box.top = at.y < box.top ? at.y : box.top;
                box.right = at.x + 1 > box.right ? at.x + 1 : box.right;
                box.bottom = at.y + 1 > box.bottom ? at.y + 1 : box.bottom;
                const POINT next[] = {{at.x - 1, at.y}, {at.x + 1, at.y}, {at.x, at.y - 1}, {at.x, at.y + 1}};
                for (const POINT& n : next)
                    if (n.x >= 0 && n.y >= 0 && n.x < width && n.y < height && !seen[n.y * width + n.x] &&
                        shot.At(n.x, n.y) == colour) {
                        seen[n.y * width + n.x] = 1;
                        stack.push_back(n);
                    }
            }
            if (count == (box.right - box.left) * (box.bottom - box.top))
                areas.push_back(box);
        }
    return areas;
}

}  // namespace

TEST_CASE(falling_shows_copies_of_several_sizes_drifting_down)
{
    struct Row { const char* Name; const char* Options; COLORREF Transparent; };
    const Row rows[] = {
        {"opaque", "", CLR_INVALID},
        {"green transparent", "--transparent #00FF00", Green},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        e2e::RunningSaver run = StartFullScreen(
            "falling.scr", std::string("--set EnabledModes=128 --set FallingFadeInDistance=0 ") + row.Options);
        REQUIRE(run.Window != nullptr);
        const RECT screen = e2e::WholeScreen();
        e2e::PumpMessagesFor(1500);
        const e2e::Capture first = e2e::CaptureScreen(screen);
        e2e::PumpMessagesFor(300);
        const e2e::Capture second = e2e::CaptureScreen(screen);

        // The red quarters of copies that lie on the background, each a solid
        // rectangle as wide as its copy's half.
        std::set<LONG> widths;
        for (const RECT& area : SolidAreas(first, Red))
            widths.insert(area.right - area.left);
        std::printf("    %s: %zu widths of red quarters, %d to %d pixels\n", row.Name, widths.size(),
                    widths.empty() ? 0 : static_cast<int>(*widths.begin()),
                    widths.empty() ? 0 : static_cast<int>(*widths.rbegin()));
        CHECK(widths.size() >= 3);
        CHECK(widths.empty() || *widths.rbegin() <= LogoWidth / 2);
        if (row.Transparent != CLR_INVALID)
            CHECK_EQ(first.Count(row.Transparent), 0);
        CHECK(first.Pixels != second.Pixels);
        CHECK(KeyEndsWithZero(run));
    }
}

TEST_CASE(falling_darkens_farther_copies)
{
    e2e::RunningSaver run = StartFullScreen("falling-dark.scr", "--set EnabledModes=128 --set FallingLogoCount=30");
    REQUIRE(run.Window != nullptr);
    e2e::PumpMessagesFor(1500);
    const e2e::Capture shot = e2e::CaptureScreen(e2e::WholeScreen());
    // Full red darkens to 237 for the nearest copy and less for farther ones.
    std::set<int> reds;
    for (COLORREF pixel : shot.Pixels)
        if (GetGValue(pixel) == 0 && GetBValue(pixel) == 0 && GetRValue(pixel) > 0)
            reds.insert(GetRValue(pixel));
    std::printf("    %zu shades of red, the brightest %d\n", reds.size(), reds.empty() ? 0 : *reds.rbegin());
    CHECK_EQ(shot.Count(Red), 0);
    CHECK(reds.size() >= 3);
    CHECK(!reds.empty() && *reds.rbegin() <= 237);
    CHECK(KeyEndsWithZero(run));
}

TEST_CASE(intervals_speeds_and_counts_far_out_of_range_keep_the_saver_answering)
{
    struct Row { const char* Name; const char* Settings; bool BackgroundOnly; };
    const Row rows[] = {
        {"Drip every 0 ms", "EnabledModes=64 --set DripIntervalMs=0", false},
        {"Drip every -1 ms", "EnabledModes=64 --set DripIntervalMs=-1", false},
        {"Drip every 2147483647 ms", "EnabledModes=64 --set DripIntervalMs=2147483647", false},
        {"Falling every 0 ms at the largest speed, a thousand copies",
         "EnabledModes=128 --set FallingIntervalMs=0 --set FallingSpeed=2147483647 --set FallingLogoCount=1000", false},
        {"Falling every -1 ms at the most negative speed",
         "EnabledModes=128 --set FallingIntervalMs=-1 --set FallingSpeed=-2147483648", false},
        {"Falling backwards", "EnabledModes=128 --set FallingSpeed=-25 --set FallingDirection=15", false},
        {"Falling with no copies", "EnabledModes=128 --set FallingLogoCount=0", true},
        {"Falling with a negative count", "EnabledModes=128 --set FallingLogoCount=-5", true},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        e2e::RunningSaver run = StartFullScreen("extreme.scr", std::string("--allow-out-of-range --set ") + row.Settings);
        REQUIRE(run.Window != nullptr);
        CHECK(e2e::StillRunning(run));
        CHECK(Answers(run));
        if (row.BackgroundOnly) {
            const RECT screen = e2e::WholeScreen();
            const e2e::Capture shot = e2e::CaptureScreen(screen);
            CHECK_EQ(shot.Count(Background), static_cast<int>(shot.Pixels.size()));
        }
        CHECK(KeyEndsWithZero(run));
    }
}

TEST_MAIN()
