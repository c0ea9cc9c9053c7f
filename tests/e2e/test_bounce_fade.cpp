// Bounce and Fade full screen: what the screen shows while they run, with and
// without a transparent colour, and that a key still ends the run.
#include "e2e/driver.h"
#include "engine/fade_blend.h"
#include "testkit.h"

#include <set>
#include <utility>

namespace {

// The test logo's quarters, 32 × 24 each: red, green / blue, yellow.
constexpr COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255), Yellow = RGB(255, 255, 0);
constexpr COLORREF Background = RGB(0x20, 0x30, 0x40);
constexpr COLORREF NoTransparency = 0xFFFFFFFF;
constexpr int LogoWidth = 64, LogoHeight = 48;

std::string Saver(const char* name, const std::string& options)
{
    const std::string path = e2e::WorkFolder() + name;
    e2e::MakeSaver(path, "--background #203040 " + options);
    return path;
}

// The logo's pixel, with the transparent colour showing the background.
COLORREF LogoPixel(int dx, int dy, COLORREF transparent)
{
    const COLORREF colour =
        dy < LogoHeight / 2 ? (dx < LogoWidth / 2 ? Red : Green) : (dx < LogoWidth / 2 ? Blue : Yellow);
    return colour == transparent ? Background : colour;
}

COLORREF Faded(COLORREF colour, int32_t level)
{
    return RGB(BlendFadeComponent(GetRValue(colour), GetRValue(Background), level),
               BlendFadeComponent(GetGValue(colour), GetGValue(Background), level),
               BlendFadeComponent(GetBValue(colour), GetBValue(Background), level));
}

// True when the capture holds the background and one whole logo at `level`
// percent, nowhere else anything: then `at` is the logo's corner.
bool ShowsOneWholeLogo(const e2e::Capture& shot, COLORREF transparent, int32_t level, POINT* at)
{
    const RECT extent = shot.Extent(Background);
    if (extent.right - extent.left != LogoWidth || extent.bottom - extent.top != LogoHeight)
        return false;
    for (int y = shot.Area.top; y < shot.Area.bottom; ++y)
        for (int x = shot.Area.left; x < shot.Area.right; ++x) {
            const int dx = x - extent.left, dy = y - extent.top;
            const bool inLogo = dx >= 0 && dy >= 0 && dx < LogoWidth && dy < LogoHeight;
            if (shot.At(x, y) != (inLogo ? Faded(LogoPixel(dx, dy, transparent), level) : Background))
                return false;
        }
    *at = {extent.left, extent.top};
    return true;
}

// The level of the frame whose top-left quarter shows `topLeft`, or -1.
int32_t LevelOfRed(COLORREF topLeft)
{
    for (int32_t level = 0; level <= 100; ++level)
        if (Faded(Red, level) == topLeft)
            return level;
    return -1;
}

}  // namespace

TEST_CASE(bounce_shows_one_whole_logo_inside_the_screen_at_ever_new_places)
{
    struct Row { const char* Name; const char* Options; COLORREF Transparent; };
    const Row rows[] = {
        {"gravity", "", NoTransparency},
        {"gravity, transparent green", "--transparent #00FF00", Green},
        {"straight lines, transparent green", "--transparent #00FF00 --set BounceGravity=0", Green},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        e2e::RunningSaver run = e2e::StartFullScreen(Saver("bounce.scr", std::string("--set EnabledModes=8 ") + row.Options));
        REQUIRE(run.Window != nullptr);
        const RECT screen = e2e::WholeScreen();
        std::set<std::pair<LONG, LONG>> places;
        const DWORD start = GetTickCount();
        while (places.size() < 5 && GetTickCount() - start < e2e::Patience) {
            e2e::PumpMessagesFor(150);
            POINT at;
            // A capture that falls between two of the saver's copies is passed over.
            if (ShowsOneWholeLogo(e2e::CaptureScreen(screen), row.Transparent, 100, &at))
                places.insert({at.x, at.y});
        }
        CHECK_EQ(places.size(), size_t{5});
        e2e::PressKey(VK_SPACE);
        CHECK(e2e::EndsWithZero(&run));
    }
}

TEST_CASE(fade_shows_the_logo_between_background_and_full_colour)
{
    struct Row { const char* Name; const char* Options; COLORREF Transparent; bool Centred; };
    const Row rows[] = {
        {"centred", "--set FadeRandomPositions=0", NoTransparency, true},
        {"random places, transparent green", "--transparent #00FF00", Green, false},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        e2e::RunningSaver run = e2e::StartFullScreen(Saver("fade.scr", std::string("--set EnabledModes=32 ") + row.Options));
        REQUIRE(run.Window != nullptr);
        const RECT screen = e2e::WholeScreen();
        std::set<int32_t> levels;
        std::set<std::pair<LONG, LONG>> places;
        int misplaced = 0;
        const DWORD start = GetTickCount();
        while ((levels.size() < 3 || (!row.Centred && places.size() < 2)) && GetTickCount() - start < e2e::Patience) {
            e2e::PumpMessagesFor(70);
            const e2e::Capture shot = e2e::CaptureScreen(screen);
            const RECT extent = shot.Extent(Background);
            if (extent.right - extent.left != LogoWidth)
                continue;
            const int32_t level = LevelOfRed(shot.At(extent.left, extent.top));
            POINT at;
            // Only frames part of the way are counted: neither the background nor the logo itself.
            if (level <= 0 || level >= 100 || !ShowsOneWholeLogo(shot, row.Transparent, level, &at))
                continue;
            levels.insert(level);
            places.insert({at.x, at.y});
            misplaced += row.Centred && (at.x != (screen.right - LogoWidth) / 2 || at.y != (screen.bottom - LogoHeight) / 2);
        }
        std::printf("    %zu levels part of the way seen, at %zu places\n", levels.size(), places.size());
        CHECK(levels.size() >= 3);
        CHECK_EQ(misplaced, 0);
        if (!row.Centred)
            CHECK(places.size() >= 2);
        e2e::PressKey(VK_SPACE);
        CHECK(e2e::EndsWithZero(&run));
    }
}

TEST_CASE(speeds_and_intervals_far_out_of_range_keep_the_saver_answering)
{
    struct Row { const char* Name; const char* Options; };
    const Row rows[] = {
        {"bounce, highest speed", "--set EnabledModes=8 --set BounceSpeed=2147483647 --set BounceGravity=0"},
        {"bounce, lowest speed, gravity, wrapping",
         "--set EnabledModes=8 --set BounceSpeed=-2147483648 --set BounceWrapSides=1"},
        {"bounce, no speed", "--set EnabledModes=8 --set BounceSpeed=0"},
        {"fade, lowest step, no interval", "--set EnabledModes=32 --set FadeSpeed=-2147483648 --set FadeIntervalMs=0"},
        {"fade, highest step, negative interval",
         "--set EnabledModes=32 --set FadeSpeed=2147483647 --set FadeIntervalMs=-5"},
        {"fade, no step", "--set EnabledModes=32 --set FadeSpeed=0 --set FadeIntervalMs=1"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        e2e::RunningSaver run = e2e::StartFullScreen(Saver("extreme.scr", std::string("--allow-out-of-range ") + row.Options));
        REQUIRE(run.Window != nullptr);
        e2e::PumpMessagesFor(1500);
        DWORD exitCode;
        CHECK(!e2e::WaitForExit(run.Process, &exitCode, 0));
        DWORD_PTR answer;
        CHECK(SendMessageTimeoutA(run.Window, WM_NULL, 0, 0, SMTO_NORMAL, e2e::Patience, &answer) != 0);
        e2e::PressKey(VK_SPACE);
        CHECK(e2e::EndsWithZero(&run));
    }
}

TEST_MAIN()
