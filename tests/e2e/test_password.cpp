// The Windows 9x password guard of the real saver, under Wine's Windows 98
// emulation, with stand-ins for the system's PASSWORD.CPL and MPR.DLL that
// answer as the test says and record how they were called.
#include "e2e/driver.h"
#include "e2e/fixtures/fixture_record.h"
#include "testkit.h"

namespace {

constexpr COLORREF Background = RGB(0x20, 0x30, 0x40);
constexpr int LogoWidth = 64, LogoHeight = 48;
constexpr DWORD RepromptPauseMs = 200;
constexpr char Desktop[] = "Control Panel\\Desktop";

std::string FixturePath(const char* fileName)
{
    std::string path = std::string("Z:") + GLIMMORA_FIXTURE_FOLDER + "/" + fileName;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// A saver in a folder of its own, with the stand-in libraries beside it or
// not. Wine settings go by file name: the reported version, and MPR.DLL taken
// only from the saver's folder (Wine's own would answer otherwise).
std::string MakeSaverIn(const char* folderName, const char* fileName, bool libraries, bool windows98)
{
    const std::string folder = e2e::WorkFolder() + folderName + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    if (libraries) {
        CopyFileA(FixturePath("PASSWORD.CPL").c_str(), (folder + "PASSWORD.CPL").c_str(), FALSE);
        CopyFileA(FixturePath("MPR.DLL").c_str(), (folder + "MPR.DLL").c_str(), FALSE);
    }
    const std::string saver = folder + fileName;
    if (!e2e::MakeSaver(saver, "--background #203040 --set EnabledModes=4 --allow-out-of-range --set PlainDelayMs=250"))
        return "";
    e2e::EmulateWindowsVersion(fileName, nullptr);
    if (windows98)
        e2e::EmulateWindowsVersion(fileName, "win98");
    const std::string overrides = std::string("Software\\Wine\\AppDefaults\\") + fileName + "\\DllOverrides";
    e2e::WriteUserValue(overrides, "mpr", REG_SZ, "native", 7);
    return saver;
}

std::string GuardedSaver()
{
    static const std::string saver = MakeSaverIn("libraries", "guarded.scr", true, true);
    return saver;
}

std::string BareSaver()
{
    static const std::string saver = MakeSaverIn("bare", "bare.scr", false, true);
    return saver;
}

std::string NotNineXSaver()
{
    static const std::string saver = MakeSaverIn("libraries", "not-nine-x.scr", true, false);
    return saver;
}

// The user's "password protected" choice, put back as it was afterwards.
struct UsePassword {
    bool HadValue;
    DWORD Type;
    std::vector<uint8_t> Before;

    explicit UsePassword(const DWORD* value)
    {
        HadValue = e2e::ReadUserValue(Desktop, "ScreenSaveUsePassword", &Type, &Before);
        Set(value ? REG_DWORD : 0, value, sizeof *value);
    }
    ~UsePassword() { Set(Type, HadValue ? Before.data() : nullptr, static_cast<DWORD>(Before.size())); }

    static void Set(DWORD type, const void* data, DWORD size)
    {
        if (data) {
            e2e::WriteUserValue(Desktop, "ScreenSaveUsePassword", type, data, size);
            return;
        }
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Desktop, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "ScreenSaveUsePassword");
            RegCloseKey(key);
        }
    }
};

const DWORD On = 1, Off = 0;

void ResetRecord() { e2e::DeleteUserKey(fixture::RecordKey); }

uint64_t Recorded(const char* name) { return fixture::ReadNumber(name, 0); }

bool WaitForRecord(const char* name, uint64_t value)
{
    struct Wanted { const char* Name; uint64_t Value; } wanted = {name, value};
    return e2e::WaitFor([](void* w) { auto* want = static_cast<Wanted*>(w); return Recorded(want->Name) == want->Value; },
                        &wanted);
}

// Plain mode shows the whole logo at a new place every tick: two different
// places prove that the saver draws on.
bool LogoMovesOn()
{
    const RECT screen = e2e::WholeScreen();
    const RECT inside = {1, 1, screen.right - 1, screen.bottom - 1};
    POINT first = {-1, -1};
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < e2e::Patience) {
        e2e::PumpMessagesFor(60);
        const RECT logo = e2e::CaptureScreen(inside).Extent(Background);
        if (logo.right - logo.left != LogoWidth || logo.bottom - logo.top != LogoHeight)
            continue;
        if (first.x < 0)
            first = {logo.left, logo.top};
        else if (first.x != logo.left || first.y != logo.top)
            return true;
    }
    return false;
}

}  // namespace

TEST_CASE(a_refused_password_keeps_the_saver_drawing_until_the_right_one)
{
    REQUIRE(!GuardedSaver().empty());
    UsePassword protect(&On);
    ResetRecord();
    fixture::WriteDword(fixture::Answer, 0);
    fixture::WriteDword(fixture::CloseAgain, 1);   // one more close straight after the prompt

    e2e::RunningSaver run = e2e::StartFullScreen(GuardedSaver());
    REQUIRE(run.Window != nullptr);
    e2e::PressKey(VK_SPACE);
    CHECK(WaitForRecord(fixture::VerifyCalls, 1));
    CHECK(e2e::StillRunning(run));
    CHECK(reinterpret_cast<HWND>(static_cast<uintptr_t>(Recorded(fixture::VerifyOwner))) == run.Window);
    CHECK_EQ(Recorded(fixture::CloseAgain), 0u);
    // The close that followed the refusal at once raised no prompt; a second
    // prompt is right only if the saver was held up past the pause.
    CHECK(fixture::ReadNumber(fixture::ShortestPause, UINT32_MAX) >= RepromptPauseMs);
    CHECK(LogoMovesOn());

    const uint64_t promptsBefore = Recorded(fixture::VerifyCalls);
    fixture::WriteDword(fixture::Answer, 1);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
    CHECK_EQ(Recorded(fixture::VerifyCalls), promptsBefore + 1);
    ResetRecord();
}

TEST_CASE(input_while_the_prompt_is_up_closes_nothing)
{
    REQUIRE(!GuardedSaver().empty());
    UsePassword protect(&On);
    ResetRecord();
    fixture::WriteDword(fixture::Answer, 0);
    fixture::WriteDword(fixture::HoldPrompt, 1);

    e2e::RunningSaver run = e2e::StartFullScreen(GuardedSaver());
    REQUIRE(run.Window != nullptr);
    e2e::PressKey('A');
    REQUIRE(WaitForRecord(fixture::PromptShowing, 1));
    e2e::PressKey('B');
    e2e::ClickMouse(300, 300);
    e2e::MoveMouseTo(700, 500);
    e2e::PumpMessagesFor(500);
    fixture::WriteDword(fixture::Dismissed, 1);
    CHECK(WaitForRecord(fixture::PromptShowing, 0));
    CHECK(e2e::StillRunning(run));
    CHECK_EQ(Recorded(fixture::ClosesWhileHeld), 0u);
    CHECK_EQ(Recorded(fixture::VerifyCalls), 1u);

    fixture::WriteDword(fixture::HoldPrompt, 0);
    fixture::WriteDword(fixture::Answer, 1);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
    ResetRecord();
}

TEST_CASE(without_a_password_the_first_key_ends_the_run)
{
    REQUIRE(!GuardedSaver().empty() && !BareSaver().empty() && !NotNineXSaver().empty());
    struct Row { const char* Name; std::string Saver; const DWORD* Protection; };
    const Row rows[] = {
        {"protection off", GuardedSaver(), &Off},
        {"protection never chosen", GuardedSaver(), nullptr},
        {"no PASSWORD.CPL", BareSaver(), &On},
        {"not Windows 9x", NotNineXSaver(), &On},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        UsePassword protect(row.Protection);
        ResetRecord();
        fixture::WriteDword(fixture::Answer, 0);
        e2e::RunningSaver run = e2e::StartFullScreen(row.Saver);
        REQUIRE(run.Window != nullptr);
        e2e::PressKey(VK_SPACE);
        CHECK(e2e::EndsWithZero(&run));
        CHECK_EQ(Recorded(fixture::VerifyCalls), 0u);
    }
    ResetRecord();
}

namespace {

std::string Number(HWND window) { return std::to_string(reinterpret_cast<uintptr_t>(window)); }

std::string NoWindow()
{
    uintptr_t candidate = 1234;
    while (IsWindow(reinterpret_cast<HWND>(candidate)))
        candidate += 4;
    return std::to_string(candidate);
}

HWND TestWindow(const char* title)
{
    HWND window = CreateWindowExA(0, "Static", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 160, 120, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    e2e::PumpMessagesFor(50);
    return window;
}

std::string RecordedKeyName()
{
    DWORD type;
    std::vector<uint8_t> data;
    if (!e2e::ReadUserValue(fixture::RecordKey, fixture::ChangeKeyName, &type, &data) || data.empty())
        return "";
    return std::string(data.begin(), data.end() - 1);
}

}  // namespace

TEST_CASE(the_change_verb_opens_the_systems_change_password_dialog)
{
    REQUIRE(!GuardedSaver().empty());
    HWND named = TestWindow("named owner");
    HWND front = TestWindow("foreground");
    REQUIRE(named != nullptr && front != nullptr);
    SetForegroundWindow(front);
    e2e::PumpMessagesFor(50);
    REQUIRE(GetForegroundWindow() == front);

    struct Row { std::string Arguments; HWND Owner; };
    const Row rows[] = {
        {"/a " + NoWindow(), front},
        {"/a " + Number(named), named},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Arguments);
        ResetRecord();
        CHECK_EQ(e2e::RunSaver(GuardedSaver(), row.Arguments), 0ul);
        CHECK_EQ(Recorded(fixture::ChangeCalls), 1u);
        CHECK_EQ(RecordedKeyName(), "SCRSAVE");
        CHECK(reinterpret_cast<HWND>(static_cast<uintptr_t>(Recorded(fixture::ChangeOwner))) == row.Owner);
        CHECK_EQ(Recorded(fixture::ChangeThird), 0u);
        CHECK_EQ(Recorded(fixture::ChangeFourth), 0u);
    }
    DestroyWindow(named);
    DestroyWindow(front);
    ResetRecord();
}

TEST_CASE(the_change_verb_ends_with_zero_without_mpr_and_with_minus_one_off_windows_9x)
{
    REQUIRE(!BareSaver().empty() && !NotNineXSaver().empty());
    struct Row { const char* Name; std::string Saver; DWORD ExitCode; };
    const Row rows[] = {
        {"MPR.DLL cannot be loaded", BareSaver(), 0},
        {"not Windows 9x", NotNineXSaver(), static_cast<DWORD>(-1)},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        ResetRecord();
        CHECK_EQ(e2e::RunSaver(row.Saver, "/a"), row.ExitCode);
        CHECK_EQ(Recorded(fixture::ChangeCalls), 0u);
    }
    ResetRecord();
    for (const char* saver : {"guarded.scr", "bare.scr", "not-nine-x.scr"})
        e2e::EmulateWindowsVersion(saver, nullptr);
}

TEST_MAIN()
