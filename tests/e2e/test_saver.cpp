// The full-screen saver: what it shows, and what ends it.
#include <cstring>

#include "e2e/driver.h"
#include "engine/modes.h"
#include "testkit.h"

namespace {

// The test logo's quarters, 32 × 24 each: red, green / blue, yellow.
constexpr COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255), Yellow = RGB(255, 255, 0);
constexpr COLORREF Background = RGB(0x20, 0x30, 0x40);
constexpr int LogoWidth = 64, LogoHeight = 48;
const char* const BackgroundOption = "--background #203040 ";

std::string Saver(const char* name, const std::string& options)
{
    const std::string path = e2e::WorkFolder() + name;
    e2e::MakeSaver(path, BackgroundOption + options);
    return path;
}

// Successive small steps, as a hand moves a mouse.
void MoveMouseBy(int dx, int dy)
{
    POINT at;
    GetCursorPos(&at);
    for (int step = 1; step <= 4; ++step) {
        e2e::MoveMouseTo(at.x + dx * step / 4, at.y + dy * step / 4);
        e2e::PumpMessagesFor(50);
    }
}

COLORREF ExpectedStaticPixel(int x, int y, int left, int top, COLORREF transparent)
{
    if (x < left || y < top || x >= left + LogoWidth || y >= top + LogoHeight)
        return Background;
    const bool rightHalf = x - left >= LogoWidth / 2, lowerHalf = y - top >= LogoHeight / 2;
    const COLORREF logo = lowerHalf ? (rightHalf ? Yellow : Blue) : (rightHalf ? Green : Red);
    return logo == transparent ? Background : logo;
}

}  // namespace

TEST_CASE(static_mode_shows_the_logo_centred_with_the_background_through_its_transparent_colour)
{
    e2e::RunningSaver run = e2e::StartFullScreen(Saver("static.scr", "--set EnabledModes=2 --transparent #00FF00"));
    REQUIRE(run.Window != nullptr);
    CHECK_EQ(e2e::WindowClass(run.Window), "WindowsScreenSaverClass");
    CHECK_EQ(e2e::WindowText(run.Window), "Screen Saver");

    const RECT screen = e2e::WholeScreen();
    const int left = (screen.right - LogoWidth) / 2, top = (screen.bottom - LogoHeight) / 2;
    // The logo is drawn at the first tick; wait until it is there.
    struct Probe { int X, Y; } probe = {left + 1, top + 1};
    CHECK(e2e::WaitFor([](void* p) { auto* at = static_cast<Probe*>(p); return e2e::ScreenPixel(at->X, at->Y) == Red; },
                       &probe));
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(run.Process.Handle, &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    std::printf("    first frame on screen %llu ms after the process started\n",
                static_cast<unsigned long long>((ticks(now) - ticks(created)) / 10000));
    const e2e::Capture shot = e2e::CaptureScreen(screen);
    int wrong = 0;
    for (int y = screen.top; y < screen.bottom; ++y)
        for (int x = screen.left; x < screen.right; ++x)
            wrong += shot.At(x, y) != ExpectedStaticPixel(x, y, left, top, Green);
    CHECK_EQ(wrong, 0);
    CHECK_EQ(shot.Count(Green), 0);

    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
}

TEST_CASE(a_key_a_click_or_a_movement_ends_the_run)
{
    const std::string saver = Saver("closing.scr", "--set EnabledModes=2");
    struct Row { const char* Name; void (*Act)(); };
    const Row rows[] = {
        {"key", [] { e2e::PressKey('A'); }},
        {"click", [] { e2e::ClickMouse(500, 400); }},
        {"movement", [] { MoveMouseBy(12, 0); }},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        e2e::RunningSaver run = e2e::StartFullScreen(saver);
        REQUIRE(run.Window != nullptr);
        row.Act();
        CHECK(e2e::EndsWithZero(&run));
    }
}

TEST_CASE(movement_closes_only_beyond_four_pixels_in_total)
{
    e2e::RunningSaver run = e2e::StartFullScreen(Saver("threshold.scr", "--set EnabledModes=2"));
    REQUIRE(run.Window != nullptr);
    e2e::MoveMouseTo(501, 400);   // the saver's first movement only notes the cursor
    e2e::PumpMessagesFor(100);
    e2e::MoveMouseTo(502, 402);   // 4 from where the run began
    CHECK(e2e::StillRunning(run));
    e2e::MoveMouseTo(503, 402);   // 5
    CHECK(e2e::EndsWithZero(&run));
}

TEST_CASE(ignored_input_is_swallowed_and_keys_always_close_when_all_is_ignored)
{
    struct Row {
        const char* Name;
        int32_t IgnoreInput;
        bool ThroughRegistry;
        void (*Ignored)();
        void (*Closes)();
    };
    const auto key = [] { e2e::PressKey('B'); };
    const auto click = [] { e2e::ClickMouse(300, 300); };
    const auto move = [] { MoveMouseBy(30, 30); };
    const Row rows[] = {
        {"keys ignored", IgnoreKeys, false, key, click},
        {"clicks ignored", IgnoreClicks, false, click, key},
        {"movement ignored", IgnoreMovement, false, move, key},
        {"everything asked for", 7, false, move, key},
        {"keys ignored by the user's stored settings", IgnoreKeys, true, key, click},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        std::string options = "--name \"Ignore Test\" --saver-id 0x51 --set EnabledModes=2";
        const std::string registryKey = "Software\\Glimmora\\Savers\\Ignore Test.51\\";
        e2e::DeleteUserKey(registryKey);
        if (row.ThroughRegistry) {
            SaverSettings stored = {};
            ApplyDefaultSettings(&stored);
            stored.EnabledModes = ModeStatic;
            stored.IgnoreInput = row.IgnoreInput;
            REQUIRE(e2e::WriteUserValue(registryKey, "Settings", REG_BINARY, &stored, sizeof stored));
        } else {
            options += " --allow-out-of-range --set IgnoreInput=" + std::to_string(row.IgnoreInput);
        }
        e2e::RunningSaver run = e2e::StartFullScreen(Saver("ignore.scr", options));
        REQUIRE(run.Window != nullptr);
        row.Ignored();
        CHECK(e2e::StillRunning(run));
        row.Closes();
        CHECK(e2e::EndsWithZero(&run));
        e2e::DeleteUserKey(registryKey);
    }
}

TEST_CASE(a_second_run_while_one_is_showing_ends_at_once_without_a_window)
{
    const std::string saver = Saver("single.scr", "--set EnabledModes=2");
    e2e::RunningSaver first = e2e::StartFullScreen(saver);
    REQUIRE(first.Window != nullptr);
    e2e::Process second = e2e::StartSaver(saver, "/s");
    DWORD exitCode = STILL_ACTIVE;
    CHECK(e2e::WaitForExit(second, &exitCode));
    CHECK_EQ(exitCode, 0ul);
    CHECK(e2e::FindTopWindow(second.Id, nullptr, nullptr) == nullptr);
    e2e::EndProcess(&second);
    CHECK(e2e::StillRunning(first));
    e2e::PressKey(VK_ESCAPE);
    CHECK(e2e::EndsWithZero(&first));
}

TEST_CASE(hundreds_of_mode_changes_keep_memory_flat_and_the_saver_answering)
{
    e2e::RunningSaver run = e2e::StartFullScreen(Saver("changes.scr", "--set EnabledModes=22 --transparent #00FF00"));
    REQUIRE(run.Window != nullptr);
    e2e::PumpMessagesFor(300);
    const SIZE_T before = e2e::CommittedMemory(run.Process.Handle);
    for (int change = 0; change < 300; ++change) {
        PostMessageA(run.Window, WM_TIMER, 7, 0);
        // Waits until the saver has dealt with everything posted so far.
        DWORD_PTR answer;
        CHECK(SendMessageTimeoutA(run.Window, WM_NULL, 0, 0, SMTO_NORMAL, e2e::Patience, &answer) != 0);
    }
    const SIZE_T after = e2e::CommittedMemory(run.Process.Handle);
    std::printf("    saver's committed memory: %zu KiB before, %zu KiB after 300 mode changes\n", before / 1024,
                after / 1024);
    CHECK(before > 0);
    CHECK(after < before + 2 * 1024 * 1024);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
}

TEST_CASE(plain_shows_exactly_one_logo_at_a_new_place_each_tick)
{
    e2e::RunningSaver run =
        e2e::StartFullScreen(Saver("plain.scr", "--set EnabledModes=4 --allow-out-of-range --set PlainDelayMs=250"));
    REQUIRE(run.Window != nullptr);
    const RECT screen = e2e::WholeScreen();
    std::vector<POINT> places;
    const DWORD start = GetTickCount();
    while (places.size() < 3 && GetTickCount() - start < e2e::Patience) {
        e2e::PumpMessagesFor(60);
        const e2e::Capture shot = e2e::CaptureScreen(screen);
        // A whole logo and nothing else: each quarter exactly once.
        if (shot.Count(Red) != 32 * 24 || shot.Count(Yellow) != 32 * 24)
            continue;
        const RECT inside = {1, 1, screen.right - 1, screen.bottom - 1};
        const e2e::Capture middle = e2e::CaptureScreen(inside);
        const RECT logo = middle.Extent(Background);
        if (logo.right - logo.left != LogoWidth || logo.bottom - logo.top != LogoHeight)
            continue;
        if (places.empty() || places.back().x != logo.left || places.back().y != logo.top)
            places.push_back({logo.left, logo.top});
    }
    CHECK_EQ(places.size(), 3u);
    // Erasing with the context's black pen leaves a black frame along the edges.
    CHECK_EQ(e2e::ScreenPixel(0, 0), RGB(0, 0, 0));
    CHECK_EQ(e2e::ScreenPixel(screen.right - 1, screen.bottom / 2), RGB(0, 0, 0));
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
}

TEST_CASE(many_piles_logos_up)
{
    e2e::RunningSaver run = e2e::StartFullScreen(Saver("many.scr", "--set EnabledModes=16 --set ManyDelayMs=100"));
    REQUIRE(run.Window != nullptr);
    const RECT screen = e2e::WholeScreen();
    int logoPixels = 0;
    const DWORD start = GetTickCount();
    // Ten logos' worth of pixels can only come from logos that stayed.
    while (logoPixels < 10 * LogoWidth * LogoHeight && GetTickCount() - start < e2e::Patience) {
        e2e::PumpMessagesFor(200);
        const e2e::Capture shot = e2e::CaptureScreen(screen);
        logoPixels = static_cast<int>(shot.Pixels.size()) - shot.Count(Background);
    }
    CHECK(logoPixels >= 10 * LogoWidth * LogoHeight);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
}

TEST_MAIN()
