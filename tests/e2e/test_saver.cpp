// The real saver started as Windows starts it: verbs and exit codes, damaged packages, the full-screen picture,
// what input ends it, the preview window, hostile stored settings; and what the authoring tool's Windows build
// makes, as Windows sees it: the display name through LoadString, paths beyond ASCII, a PNG logo on screen.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include "e2e/driver.h"
#include "engine/falling_depth.h"
#include "engine/modes.h"
#include "package/saver_trailer.h"
#include "tool/sample_files.h"

static const DWORD Refused = DWORD(-1);
static std::string Saver(const char* name, const std::string& options = "--set EnabledModes=2")
{
    REQUIRE(e2e::MakeSaver(e2e::WorkFolder() + name, "--background #203040 " + options));
    return e2e::WorkFolder() + name;
}

static uint8_t* Trailer(std::vector<uint8_t>& bytes, size_t offset) { return &bytes[bytes.size() - TrailerSize + offset]; }

TEST_CASE("verbs end with the exit codes of their roads, whatever the program name; the preview fills its parent")
{
    const std::string saver = e2e::WorkFolder() + "with spaces\\My Saver.scr", quoted = "\"" + saver + "\"";
    CreateDirectoryA((e2e::WorkFolder() + "with spaces").c_str(), nullptr);
    REQUIRE(e2e::MakeSaver(saver, "--name \"Verbs Test\""));
    // The command line, the exit code; 0 is the settings road, left with Cancel.
    const std::pair<std::string, DWORD> rows[] = {
        {quoted + " /x", Refused}, {quoted + " /a", Refused} /* not Windows 9x */, {quoted + " /p 0", Refused},
        {"\"" + saver + " /x", 0},  // an unterminated quote swallows the verb
    };
    for (const auto& [commandLine, exitCode] : rows) {
        CAPTURE(commandLine);
        e2e::Process process = e2e::StartCommandLine(saver, commandLine);
        if (exitCode == 0)
            e2e::PressDialogButton(e2e::WaitForWindow(process.Id, "#32770", "Verbs Test"), IDCANCEL);
        CHECK_EQ(e2e::ExitCode(&process), exitCode);
    }
    // /p <window>: Wine does not show what a child of another process's window draws, so the Wine unit tests check
    // the preview's picture; here it fills its parent, ignores input and ends with 0 on WM_CLOSE.
    RECT area = {0, 0, 152, 112}, placed;  // like the control panel's preview box
    AdjustWindowRectEx(&area, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND parent = CreateWindowExA(WS_EX_TOPMOST, "Static", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, area.right - area.left,
                                  area.bottom - area.top, nullptr, nullptr, nullptr, nullptr), child = nullptr;
    SetForegroundWindow(parent);
    e2e::Process process = e2e::StartSaver(saver, "/p " + std::to_string(uintptr_t(parent)));
    REQUIRE(e2e::WaitUntil([&] { return IsWindowVisible(child = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", "Preview")); }));
    area = {0, 0, 152, 112};
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&area), 2);
    GetWindowRect(child, &placed);
    CHECK(EqualRect(&placed, &area));
    e2e::ClickMouse(area.left + 20, area.top + 20);
    e2e::PressKey('K');
    e2e::MoveMouseTo(area.left + 100, area.top + 90);
    CHECK(e2e::StillRunning(process));
    PostMessageA(child, WM_CLOSE, 0, 0);
    CHECK_EQ(e2e::ExitCode(&process), 0ul);
    DestroyWindow(parent);
}

TEST_CASE("a damaged, unreadable or logo-less package is reported and ends the run with 1; an escaping exception with -1")
{
    using Bytes = std::vector<uint8_t>;
    const auto corrupt = [](Bytes& b) { *Trailer(b, 312) = 'Z'; };  // the first magic byte
    // The verb, the message box's title and message (null: a thread faults instead), the damage (null: the file moves away).
    struct Row { const char* Verb; const char* Title; const char* Message; void (*Damage)(Bytes&); };
    const Row rows[] = {
        {"/s", "Screensaver", "This Screensaver is corrupt!", corrupt}, {"/c", "Screensaver", "This Screensaver is corrupt!", corrupt},
        {"/s", "Glimmora Screensaver", "Unable to load logo", [](Bytes& b) { std::memset(Trailer(b, 4), 0, 4); }},  // no image
        {"/s", "Screensaver", "Unable to read saver information", nullptr}, {"/s", "Screensaver", nullptr, corrupt},
    };
    for (const Row& row : rows) {
        CAPTURE(row.Verb);
        INFO((row.Message ? row.Message : "a thread faults in the message box"));
        // A saver of its own for each row: the tool replaces only a sound saver, and Wine may hold the last one a moment longer.
        const std::string name = "damaged" + std::to_string(&row - rows) + ".scr";
        DeleteFileA((e2e::WorkFolder() + name).c_str());
        const std::string saver = Saver(name.c_str());
        Bytes bytes = e2e::ReadWholeFile(saver);
        if (row.Damage)
            row.Damage(bytes);
        REQUIRE(e2e::WriteWholeFile(saver, bytes));
        e2e::Process process = e2e::StartSaver(saver, row.Verb, true);
        if (!row.Damage)
            REQUIRE(MoveFileExA(saver.c_str(), (saver + ".moved").c_str(), MOVEFILE_REPLACE_EXISTING));
        ResumeThread(process.Thread);
        if (!row.Message) {  // it must end through the crash guard, not the system's crash handling
            REQUIRE(e2e::WaitForWindow(process.Id, "#32770", row.Title));
            CloseHandle(CreateRemoteThread(process.Handle, nullptr, 0, LPTHREAD_START_ROUTINE(0x10), nullptr, 0, nullptr));
        } else
            CHECK_EQ(e2e::AnswerMessageBox(process, row.Title), row.Message);
        CHECK_EQ(e2e::ExitCode(&process), row.Message ? 1ul : Refused);
    }
}

// Logos of every kind, packed by the tool in their smallest layouts: noise of 2, 16 and 256 colours, 40 colours in runs
// between rows of noise, a photograph's thousands.
static COLORREF Noisy(int x, int y, uint32_t colours)
{
    const uint32_t c = samples::NthColour(samples::Scatter(uint32_t(y * 45 + x)) % colours);
    return RGB(c >> 16, c >> 8 & 255, c & 255);
}

// The PNG logo has three bands, left to right: fully transparent (its colour must not matter), red at half alpha, opaque
// blue; a magenta top row shows that the key the tool picks is not magenta when the logo uses it.
TEST_CASE("static mode fills the screen with the logo centred in any layout, the background showing through its transparent pixels")
{
    std::vector<samples::Rgba> pixels;
    for (int i = 0; i < 60 * 40; ++i)
        pixels.push_back(i < 60 ? samples::Rgba{255, 0, 255, 255} : i % 60 < 20 ? samples::Rgba{0, 255, 0, 0}
                                  : i % 60 < 40 ? samples::Rgba{255, 0, 0, 128} : samples::Rgba{0, 0, 255, 255});
    const std::string png = e2e::WorkFolder() + "logo.png";
    REQUIRE(e2e::WriteWholeFile(png, samples::EncodePng(60, 40, pixels)));
    // The logo (none: a PNG of the expected pixels), its size, its colour at each place, its layout in bits and compression.
    // Half red over the background has each channel rounded: (255·128 + 0x20·127) / 255 and so on.
    struct Row { std::string Logo; int Width, Height; COLORREF (*Expected)(int x, int y); uint16_t Bits; uint32_t Compression; };
    const Row rows[] = {
        {e2e::TestLogoPath(), 64, 48, [](int x, int y) { return x >= 32 && y < 24 ? e2e::Background : e2e::TestLogoAt(x, y); }, 24, 0},
        {png, 60, 40, [](int x, int y) {
             return y == 0 ? RGB(255, 0, 255) : x < 20 ? e2e::Background : x < 40 ? RGB(144, 24, 32) : RGB(0, 0, 255);
         }, 4, 2},
        {"", 45, 35, [](int x, int y) { return Noisy(x, y, 2); }, 1, 0}, {"", 45, 35, [](int x, int y) { return Noisy(x, y, 16); }, 4, 0},
        {"", 45, 35, [](int x, int y) { return Noisy(x, y, 256); }, 8, 0},
        {"", 45, 35, [](int x, int y) { return y % 2 ? Noisy(x, y, 40) : Noisy((x / 3 + y * 7) % 45, 0, 40); }, 8, 1},
        {"", 45, 35, [](int x, int y) { return RGB(x * 5, y * 7, x * y % 256); }, 24, 0},
    };
    for (const Row& row : rows) {
        std::string logo = row.Logo;
        if (logo.empty()) {
            std::vector<samples::Rgba> opaque;
            for (int i = 0; i < row.Width * row.Height; ++i) {
                const COLORREF c = row.Expected(i % row.Width, i / row.Width);
                opaque.push_back({GetRValue(c), GetGValue(c), GetBValue(c), 255});
            }
            REQUIRE(e2e::WriteWholeFile(logo = e2e::WorkFolder() + "kind.png", samples::EncodePng(row.Width, row.Height, opaque)));
        }
        INFO(row.Bits << " bits, compression " << row.Compression);
        const std::string saver = e2e::WorkFolder() + "static.scr";
        const char* transparent = row.Width == 64 ? " --transparent #00FF00" : "";
        REQUIRE(e2e::MakeSaver(saver, std::string("--background #203040 --set EnabledModes=2") + transparent, logo));
        std::vector<uint8_t> file = e2e::ReadWholeFile(saver);
        const uint8_t* header = Trailer(file, 0) - *reinterpret_cast<int32_t*>(Trailer(file, 4)) + 14;
        CHECK_EQ(std::pair(uint16_t(header[14] | header[15] << 8), uint32_t(header[16])), std::pair(row.Bits, row.Compression));
        e2e::RunningSaver run = e2e::StartFullScreen(saver);  // of class "WindowsScreenSaverClass", titled "Screen Saver"
        REQUIRE(run.Window);
        e2e::WaitUntil([&] { return e2e::WrongPixels(row.Width, row.Height, row.Expected) == 0; });
        CHECK_EQ(e2e::WrongPixels(row.Width, row.Height, row.Expected), 0);
        e2e::Process second = e2e::StartSaver(saver, "/s");  // while one shows, another ends at once, without a window
        const DWORD secondId = second.Id;
        CHECK_EQ(e2e::ExitCode(&second), 0ul);
        CHECK(!e2e::WaitForWindow(secondId, nullptr, nullptr, 0));
        // Again on two monitors, the primary on the right (scripts/two-monitors.sh): across the seam, moved on the left.
        const int monitors = std::getenv("GLIMMORA_MONITORS") ? 2 : 1;
        CHECK_EQ(std::pair(GetSystemMetrics(SM_CMONITORS), GetSystemMetrics(SM_XVIRTUALSCREEN)), std::pair(monitors, monitors == 2 ? -1024 : 0));
        e2e::MoveMouseTo(GetSystemMetrics(SM_XVIRTUALSCREEN) + 100, 300);
        CHECK(e2e::EndsWithZero(&run));
    }
}

// Top-left corners of same-coloured rectangles with nothing but background around them: whole copies, none hidden.
static std::vector<RECT> LoneRectangles(const std::vector<COLORREF>& screen, int width, int height)
{
    const auto at = [&](int x, int y) { return screen[size_t(y) * width + x]; };
    const auto all = [&](int x0, int y0, int x1, int y1, COLORREF colour) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (at(x, y) != colour) return false;
        return true;
    };
    std::vector<RECT> found;
    for (int y = 1; y + 1 < height; ++y)
        for (int x = 1; x + 1 < width; ++x) {
            const COLORREF c = at(x, y);
            if (c == e2e::Background || at(x - 1, y) != e2e::Background || at(x, y - 1) != e2e::Background) continue;
            int r = x, b = y;
            while (r + 1 < width && at(r, y) == c) ++r;
            while (b + 1 < height && at(x, b) == c) ++b;
            if (all(x, y, r, b, c) && all(x - 1, y - 1, r + 1, y, e2e::Background) && all(x - 1, b, r + 1, b + 1, e2e::Background) &&
                all(x - 1, y, x, b, e2e::Background) && all(r, y, r + 1, b, e2e::Background))
                found.push_back({x, y, r, b});
        }
    return found;
}

// Fifty white copies of an 88 × 54 logo stand still, each sized and darkened by its depth: a lone copy's grey tells its
// depth, and its size must be the logo's divided by that depth in double precision. At depths 1.1, 1.6, 1.8, 2.2, 2.7,
// 3.6, 4.4, 5.4 and 8.8 the quotient is a whole number that the x87 unit's extended precision puts one lower, so the
// runs go on until a copy at one of them has been measured.
TEST_CASE("Falling copies take the size and shade of their depth in double precision")
{
    const std::string png = e2e::WorkFolder() + "white.png", saver = e2e::WorkFolder() + "falling.scr";
    REQUIRE(e2e::WriteWholeFile(png, samples::EncodePng(88, 54, std::vector<samples::Rgba>(88 * 54, {255, 255, 255, 255}))));
    REQUIRE(e2e::MakeSaver(saver, "--background #203040 --allow-out-of-range --set EnabledModes=128 --set FallingSpeed=0 --set FallingLogoCount=50 "
                                  "--set FallingSizeByDepth=1 --set FallingFadeInDistance=1", png));
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    int measured = 0, telling = 0;
    for (int run = 0; run < 3 && telling == 0; ++run) {
        e2e::RunningSaver falling = e2e::StartFullScreen(saver);
        REQUIRE(falling.Window);
        std::vector<COLORREF> screen, before;
        e2e::WaitUntil([&] {  // drawn, and standing still
            before = std::move(screen), screen = e2e::ScreenPixels();
            return screen == before && std::count(screen.begin(), screen.end(), e2e::Background) < width * height;
        });
        for (const RECT& copy : LoneRectangles(screen, width, height)) {
            const COLORREF grey = screen[size_t(copy.top) * width + copy.left];
            int depth = 10;  // in tenths
            for (uint8_t shade[256]; depth < 100; ++depth)
                if (DarkeningTable(depth / 10.0, shade), RGB(shade[255], shade[255], shade[255]) == grey) break;
            int32_t copyWidth = 0, copyHeight = 0;
            FallingCopySize(88, 54, depth / 10.0, true, &copyWidth, &copyHeight);
            CAPTURE(depth);
            CHECK_EQ(std::pair{int32_t(copy.right - copy.left), int32_t(copy.bottom - copy.top)}, std::pair{copyWidth, copyHeight});
            constexpr int Telling[] = {11, 16, 18, 22, 27, 36, 44, 54, 88};
            measured += 1, telling += int(std::count(std::begin(Telling), std::end(Telling), depth));
        }
        e2e::PressKey(VK_SPACE);
        CHECK(e2e::EndsWithZero(&falling));
    }
    INFO("copies measured: " << measured);
    CHECK(telling > 0);
}

TEST_CASE("a key, a click or a movement beyond four ends the run, unless ignored; keys always close when all is ignored")
{
    const std::string key = "Software\\Glimmora\\Savers\\Input Test.51";
    const auto press = [] { e2e::PressKey('B'); };
    const auto click = [] { e2e::ClickMouse(500, 400); };  // where the cursor is
    // The first movement only notes the cursor; then 4 from where the run began, then 5.
    const auto move4 = [] { e2e::MoveMouseTo(501, 400), e2e::PumpMessagesFor(100), e2e::MoveMouseTo(502, 402); };
    const auto move5 = [] { e2e::MoveMouseTo(503, 402); };
    const auto move = [] { e2e::MoveMouseTo(501, 400), e2e::PumpMessagesFor(100), e2e::MoveMouseTo(540, 440); };
    // IgnoreInput, whether the user's record sets it (else the package), input that is swallowed, input that closes.
    struct Row { int32_t IgnoreInput; bool Stored; void (*Ignored)(); void (*Closes)(); };
    const Row rows[] = {
        {0, false, move4, move5}, {IgnoreKeys, false, press, click}, {IgnoreClicks, false, click, press},
        {IgnoreMovement, false, move, press}, {7, false, move, press}, {IgnoreKeys, true, press, click},
    };
    for (const Row& row : rows) {
        CAPTURE(row.IgnoreInput);
        CAPTURE(row.Stored);
        e2e::DeleteUserKey(key);
        SaverSettings stored = {};
        ApplyDefaultSettings(&stored), stored.EnabledModes = ModeStatic, stored.IgnoreInput = row.IgnoreInput;
        if (row.Stored)
            REQUIRE(e2e::WriteUserValue(key, "Settings", REG_BINARY, &stored, sizeof stored));
        const std::string ignore = row.Stored ? "" : " --allow-out-of-range --set IgnoreInput=" + std::to_string(row.IgnoreInput);
        auto run = e2e::StartFullScreen(Saver("input.scr", "--name \"Input Test\" --saver-id 0x51 --set EnabledModes=2" + ignore));
        REQUIRE(run.Window);
        e2e::PumpMessagesFor(300);  // the saver takes in where the cursor is
        row.Ignored();
        CHECK(e2e::StillRunning(run.Process));
        row.Closes();
        CHECK(e2e::EndsWithZero(&run));
    }
}

TEST_CASE("mode changes and whatever is stored leave every mode answering, with flat memory, and a key ends it with 0")
{
    e2e::RunningSaver run = e2e::StartFullScreen(Saver("changes.scr", "--set EnabledModes=254 --transparent #00FF00"));
    REQUIRE(run.Window);
    e2e::PumpMessagesFor(300);
    const SIZE_T before = e2e::CommittedMemory(run.Process.Handle);
    for (int change = 0; change < 300; ++change) {
        PostMessageA(run.Window, WM_TIMER, 7, 0);
        REQUIRE(e2e::Answers(run.Window));  // it has dealt with everything posted so far
    }
    CHECK(before > 0);
    CHECK(e2e::CommittedMemory(run.Process.Handle) < before + 2 * 1024 * 1024);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
    // As a registry editor may leave them: every field holds the same hostile value, or the one just beyond its range,
    // and one mode is enabled, or none (bit 0 alone).
    const std::string key = "Software\\Glimmora\\Savers\\Hostile.4d";
    const std::string saver = Saver("hostile.scr", "--name Hostile --saver-id 0x4d --transparent #00FF00");
    std::vector<e2e::Process> ended;
    for (const int64_t value : {int64_t(-1), int64_t(INT32_MIN), int64_t(INT32_MAX), INT64_MAX /* one beyond */})
        for (const int32_t enabled : {2, 4, 8, 16, 32, 64, 128, 1}) {
            CAPTURE(value);
            CAPTURE(enabled);
            SaverSettings settings;
            for (const SettingsField& field : SettingsFields)
                WriteSettingsField(&settings, field, int32_t(value == INT64_MAX ? std::min(field.Maximum + 1ll, 0x7FFFFFFFll) : value));
            settings.EnabledModes = enabled;
            REQUIRE(e2e::WriteUserValue(key, "Settings", REG_BINARY, &settings, sizeof settings));
            const e2e::RunningSaver shown = e2e::StartFullScreen(saver);
            REQUIRE(shown.Window);
            for (int probe = 0; probe < 3; ++probe, e2e::PumpMessagesFor(100))
                CHECK(e2e::Answers(shown.Window, 1000));
            e2e::PressKey(VK_SPACE);
            CHECK(e2e::WaitUntil([&] { return !IsWindow(shown.Window); }));  // the process ends a while later
            ended.push_back(shown.Process);
        }
    for (e2e::Process& process : ended)
        CHECK_EQ(e2e::ExitCode(&process), 0ul);
}

TEST_CASE("Windows loads the display name from string 1; the tool's Windows build takes paths beyond ASCII")
{
    REQUIRE_MESSAGE(GetACP() == 1252, "the command line reaches the tool through the ANSI code page");
    const std::string saver = e2e::WorkFolder() + "D\xE9mo.scr";
    // The tool's options, the name as string 1 holds it: exactly, with its own length.
    const std::pair<std::string, std::string> rows[] = {
        {"", "D\xE9mo"},  // named after its file
        {"--name " + std::string(60, 'x'), std::string(60, 'x')}, {"--name Other --display-name \"Shown Name\"", "Shown Name"},
        {"--name \"\x80\x8C\x9F\"", "\x80\x8C\x9F"},  // from the 0x80 row, which Windows maps for itself
    };
    for (const char* runtime : {static_cast<const char*>(nullptr), GLIMMORA_RUNTIME32})  // either kind loads as data
        for (const auto& row : rows) {
            CAPTURE(runtime ? runtime : "64-bit");
            CAPTURE(row.first);
            REQUIRE(e2e::MakeSaver(saver, row.first, e2e::TestLogoPath(), runtime));
            HMODULE module = LoadLibraryExA(saver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
            char text[256] = "";
            const int length = module ? LoadStringA(module, 1, text, sizeof text) : 0;
            FreeLibrary(module);
            CHECK_EQ(std::string(text, size_t(std::max(length, 0))), row.second);
        }
}
