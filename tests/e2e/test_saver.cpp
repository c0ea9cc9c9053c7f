// The real saver started as Windows starts it: verbs and exit codes, damaged
// packages, the full-screen picture, what input ends it, the preview window,
// and hostile stored settings.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <set>

#include "e2e/driver.h"
#include "engine/modes.h"
#include "package/saver_trailer.h"

namespace {

const DWORD Refused = DWORD(-1);

std::string Saver(const char* name, const std::string& options = "--set EnabledModes=2")
{
    const std::string path = e2e::WorkFolder() + name;
    REQUIRE(e2e::MakeSaver(path, "--background #203040 " + options));
    return path;
}

std::string Number(HWND window) { return std::to_string(reinterpret_cast<uintptr_t>(window)); }

HWND ParentWindow()  // like the control panel's preview box: a client area of 152 × 112
{
    RECT frame = {0, 0, 152, 112};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "Static", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(window);
    e2e::PumpMessagesFor(100);
    return window;
}

uint8_t* Trailer(std::vector<uint8_t>& bytes, size_t offset) { return &bytes[bytes.size() - TrailerSize + offset]; }

}  // namespace

TEST_CASE("verbs end with the exit codes of their roads, whatever the program name")
{
    const std::string saver = e2e::WorkFolder() + "with spaces\\My Saver.scr", quoted = "\"" + saver + "\"";
    CreateDirectoryA((e2e::WorkFolder() + "with spaces").c_str(), nullptr);
    REQUIRE(e2e::MakeSaver(saver, "--name \"Verbs Test\""));
    HWND parent = ParentWindow();
    uintptr_t gone = 0x7654320;  // a number that is no window now
    while (IsWindow(HWND(gone)))
        gone += 4;
    struct Row { std::string CommandLine; DWORD ExitCode; };
    const Row rows[] = {
        {quoted + " /x", Refused}, {quoted + "/x", Refused}, {quoted + " /?", Refused},
        {quoted + " /a", Refused},  // not Windows 9x
        {quoted + " /p", Refused}, {quoted + " /p 0", Refused}, {quoted + " /p " + std::to_string(gone), Refused},
        {quoted + " /p:" + Number(parent), Refused},
        {"\"" + saver + " /x", 0},  // an unterminated quote swallows the verb: the settings road
    };
    for (const Row& row : rows) {
        CAPTURE(row.CommandLine);
        e2e::Process process = e2e::StartCommandLine(saver, row.CommandLine);
        if (row.ExitCode == 0)
            e2e::PressDialogButton(e2e::WaitForWindow(process.Id, "#32770", "Verbs Test"), IDCANCEL);
        CHECK_EQ(e2e::ExitCode(&process), row.ExitCode);
    }
    DestroyWindow(parent);
}

TEST_CASE("a damaged, unreadable or logo-less package is reported and ends the run with 1; an escaping exception with -1")
{
    using Bytes = std::vector<uint8_t>;
    struct Row { const char* Name; const char* Title; const char* Message; void (*Damage)(Bytes&); };
    const Row rows[] = {
        {"first magic byte", "Screensaver", "This Screensaver is corrupt!", [](Bytes& b) { *Trailer(b, 312) = 'Z'; }},
        {"last magic byte", "Screensaver", "This Screensaver is corrupt!", [](Bytes& b) { *Trailer(b, 319) = 'R'; }},
        {"image larger than the file", "Screensaver", "This Screensaver is corrupt!",
         [](Bytes& b) { std::memcpy(Trailer(b, 4), "\xFF\xFF\xFF\x7F", 4); }},
        {"no image", "Glimmora Screensaver", "Unable to load logo", [](Bytes& b) { std::memset(Trailer(b, 4), 0, 4); }},
        {"7 bits a pixel", "Glimmora Screensaver", "Unable to load logo", [](Bytes& b) {
             int32_t imageSize;
             std::memcpy(&imageSize, Trailer(b, 4), 4);
             b[b.size() - TrailerSize - imageSize + 28] = 7;
         }},
        {"file moved away before it is read", "Screensaver", "Unable to read saver information", nullptr},
        {"a thread faults in the message box", "Screensaver", nullptr, [](Bytes& b) { *Trailer(b, 312) = 'Z'; }},
        {"/c", "Screensaver", "This Screensaver is corrupt!", [](Bytes& b) { *Trailer(b, 312) = 'Z'; }},
    };
    for (const Row& row : rows) {
        INFO(std::string(row.Name));
        const std::string saver = Saver("damaged.scr"), moved = e2e::WorkFolder() + "moved.scr";
        Bytes bytes = e2e::ReadWholeFile(saver);
        if (row.Damage) {
            row.Damage(bytes);
            REQUIRE(e2e::WriteWholeFile(saver, bytes));
        }
        e2e::Process process = e2e::StartSaver(saver, row.Name[0] == '/' ? row.Name : "/s", true);
        if (!row.Damage)
            REQUIRE(MoveFileExA(saver.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING));
        ResumeThread(process.Thread);
        if (!row.Message) {  // it must end through the crash guard, not the system's crash handling
            REQUIRE(e2e::WaitForWindow(process.Id, "#32770", row.Title));
            CloseHandle(CreateRemoteThread(process.Handle, nullptr, 0, LPTHREAD_START_ROUTINE(0x10), nullptr, 0, nullptr));
            CHECK_EQ(e2e::ExitCode(&process), Refused);
            continue;
        }
        CHECK_EQ(e2e::AnswerMessageBox(process, row.Title), row.Message);
        CHECK_EQ(e2e::ExitCode(&process), 1ul);
    }
}

TEST_CASE("static mode fills the screen with the logo centred, the background showing through its transparent colour")
{
    const std::string saver = Saver("static.scr", "--set EnabledModes=2 --transparent #00FF00");
    e2e::RunningSaver run = e2e::StartFullScreen(saver);  // of class "WindowsScreenSaverClass", titled "Screen Saver"
    REQUIRE(run.Window);
    const auto logo = [](int x, int y) { return e2e::TestLogoAt(x, y) == RGB(0, 255, 0) ? e2e::Background : e2e::TestLogoAt(x, y); };
    e2e::WaitUntil([&] { return e2e::WrongPixels(64, 48, logo) == 0; });
    CHECK_EQ(e2e::WrongPixels(64, 48, logo), 0);
    // A second run while this one shows ends at once, without a window.
    e2e::Process second = e2e::StartSaver(saver, "/s");
    const DWORD secondId = second.Id;
    CHECK_EQ(e2e::ExitCode(&second), 0ul);
    CHECK(!e2e::FindTopWindow(secondId, nullptr, nullptr));
    CHECK(e2e::StillRunning(run.Process));
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
}

// Each row: the setting by package or by the user's stored record, input that is swallowed, input that closes.
TEST_CASE("a key, a click or a movement beyond four ends the run, unless ignored; keys always close when all is ignored")
{
    const std::string key = "Software\\Glimmora\\Savers\\Input Test.51";
    const auto press = [] { e2e::PressKey('B'); };
    const auto click = [] { e2e::ClickMouse(500, 400); };  // where the cursor is
    const auto move4 = [] {  // the first movement only notes the cursor; then 4 from where the run began
        e2e::MoveMouseTo(501, 400);
        e2e::PumpMessagesFor(100);
        e2e::MoveMouseTo(502, 402);
    };
    const auto move5 = [] { e2e::MoveMouseTo(503, 402); };
    const auto move = [] {
        for (int step = 1; step <= 4; ++step, e2e::PumpMessagesFor(50))
            e2e::MoveMouseTo(500 + 8 * step, 400 + 8 * step);
    };
    struct Row { const char* Name; int32_t IgnoreInput; bool Stored; void (*Ignored)(); void (*Closes)(); };
    const Row rows[] = {
        {"key", 0, false, nullptr, press},
        {"click", 0, false, nullptr, click},
        {"movement of four, then five", 0, false, move4, move5},
        {"keys ignored", IgnoreKeys, false, press, click},
        {"clicks ignored", IgnoreClicks, false, click, press},
        {"movement ignored", IgnoreMovement, false, move, press},
        {"everything asked for", 7, false, move, press},
        {"keys ignored by the user's record", IgnoreKeys, true, press, click},
    };
    for (const Row& row : rows) {
        INFO(std::string(row.Name));
        e2e::DeleteUserKey(key);
        SaverSettings stored = {};
        ApplyDefaultSettings(&stored);
        stored.EnabledModes = ModeStatic;
        stored.IgnoreInput = row.IgnoreInput;
        if (row.Stored)
            REQUIRE(e2e::WriteUserValue(key, "Settings", REG_BINARY, &stored, sizeof stored));
        const std::string ignore = row.Stored ? "" : " --allow-out-of-range --set IgnoreInput=" + std::to_string(row.IgnoreInput);
        e2e::RunningSaver run = e2e::StartFullScreen(Saver("input.scr", "--name \"Input Test\" --saver-id 0x51 --set EnabledModes=2" + ignore));
        REQUIRE(run.Window);
        e2e::PumpMessagesFor(300);  // the saver takes in where the cursor is
        if (row.Ignored) {
            row.Ignored();
            CHECK(e2e::StillRunning(run.Process));
        }
        row.Closes();
        CHECK(e2e::EndsWithZero(&run));
    }
    e2e::DeleteUserKey(key);
}

TEST_CASE("hundreds of mode changes keep memory flat and the saver answering")
{
    e2e::RunningSaver run = e2e::StartFullScreen(Saver("changes.scr", "--set EnabledModes=254 --transparent #00FF00"));
    REQUIRE(run.Window);
    e2e::PumpMessagesFor(300);
    const SIZE_T before = e2e::CommittedMemory(run.Process.Handle);
    for (int change = 0; change < 300; ++change) {
        PostMessageA(run.Window, WM_TIMER, 7, 0);
        REQUIRE(e2e::Answers(run.Window));  // it has dealt with everything posted so far
    }
    const SIZE_T after = e2e::CommittedMemory(run.Process.Handle);
    MESSAGE("committed memory: " << before / 1024 << " KiB before, " << after / 1024 << " KiB after");
    CHECK(before > 0);
    CHECK(after < before + 2 * 1024 * 1024);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
}

// Wine does not show what a child of another process's window draws: the
// preview's picture is checked in process by the Wine unit tests.
TEST_CASE("the control panel's preview fills its parent, ignores input and ends with 0 on WM_CLOSE")
{
    HWND parent = ParentWindow(), child = nullptr;
    e2e::Process process = e2e::StartSaver(Saver("preview.scr"), "/p " + Number(parent));
    REQUIRE(e2e::WaitUntil([&] { return (child = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", "Preview")) && IsWindowVisible(child); }));
    RECT area, placed;
    GetClientRect(parent, &area);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&area), 2);
    GetWindowRect(child, &placed);
    CHECK(EqualRect(&placed, &area));
    CHECK_EQ(area.right - area.left, 152);
    CHECK_EQ(area.bottom - area.top, 112);
    CHECK_EQ(GetWindowLongA(child, GWL_STYLE) & WS_CHILD, WS_CHILD);
    e2e::ClickMouse(area.left + 20, area.top + 20);
    e2e::PressKey('K');
    e2e::MoveMouseTo(area.left + 100, area.top + 90);
    CHECK(e2e::StillRunning(process));
    PostMessageA(child, WM_CLOSE, 0, 0);
    CHECK_EQ(e2e::ExitCode(&process), 0ul);
    DestroyWindow(parent);
}

namespace {

std::set<std::string> TempFiles()
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((std::string(folder) + "*").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry))
        names.insert(entry.cFileName);
    FindClose(search);
    return names;
}

}  // namespace

// As a registry editor may leave them: every field of the record holds the
// same hostile value, or the one just beyond its range, and one mode is enabled.
TEST_CASE("whatever is stored, every mode keeps answering and a key ends it with 0, leaving no file behind")
{
    const std::string key = "Software\\Glimmora\\Savers\\Hostile.4d";
    const std::string saver = Saver("hostile.scr", "--name Hostile --saver-id 0x4d --transparent #00FF00");
    struct Run { std::string Name; SaverSettings Settings; e2e::Process Process; };
    std::vector<Run> runs;
    for (const int64_t value : {int64_t(0), int64_t(-1), int64_t(INT32_MIN), int64_t(INT32_MAX), INT64_MAX})
        for (const int32_t enabled : {2, 4, 8, 16, 32, 64, 128, value == 0 ? 0 : 1, value == 0 ? -1 : INT32_MIN}) {
            SaverSettings settings;  // the last two: no mode at all
            for (const SettingsField& field : SettingsFields)
                WriteSettingsField(&settings, field, int32_t(value == INT64_MAX ? std::min<int64_t>(field.Maximum + int64_t(1), INT32_MAX) : value));
            settings.EnabledModes = enabled;
            runs.push_back({(value == INT64_MAX ? "one beyond each range" : std::to_string(value)) + ", modes " + std::to_string(enabled), settings, {}});
        }
    const std::set<std::string> tempFiles = TempFiles();
    for (Run& run : runs) {
        CAPTURE(run.Name);
        REQUIRE(e2e::WriteUserValue(key, "Settings", REG_BINARY, &run.Settings, sizeof run.Settings));
        const e2e::RunningSaver shown = e2e::StartFullScreen(saver);
        run.Process = shown.Process;
        REQUIRE(shown.Window);
        for (int probe = 0; probe < 3; ++probe, e2e::PumpMessagesFor(100))
            CHECK(e2e::Answers(shown.Window, 1000));
        e2e::PressKey(VK_SPACE);
        // Wine ends a process a while after its window: the next run starts meanwhile.
        CHECK(e2e::WaitUntil([&] { return !IsWindow(shown.Window); }));
    }
    for (Run& run : runs) {
        CAPTURE(run.Name);
        CHECK_EQ(e2e::ExitCode(&run.Process), 0ul);
    }
    CHECK(TempFiles() == tempFiles);
    e2e::DeleteUserKey(key);
}
