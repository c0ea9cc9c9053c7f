// The Windows 9x password guard of the real saver, under Wine's Windows 98
// emulation, with stand-ins for the system's PASSWORD.CPL and MPR.DLL that
// answer as the test says and record how they were called.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>

#include "e2e/driver.h"
#include "e2e/fixtures/fixture_record.h"

namespace {

using namespace fixture;
const DWORD On = 1, Off = 0;

// A saver in a folder of its own, with the stand-in libraries beside it or
// not. Wine settings go by file name: the reported version, and MPR.DLL taken
// only from the saver's folder (Wine's own would answer otherwise).
std::string MakeSaverIn(const char* folderName, const char* fileName, bool libraries, bool windows98)
{
    const std::string folder = e2e::WorkFolder() + folderName + "\\", saver = folder + fileName;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* library : {"PASSWORD.CPL", "MPR.DLL"})
        if (libraries)
            CopyFileA(e2e::WindowsPath((GLIMMORA_FIXTURE_FOLDER "/" + std::string(library)).c_str()).c_str(),
                      (folder + library).c_str(), FALSE);
    REQUIRE(e2e::MakeSaver(saver, "--background #203040 --set EnabledModes=4 --allow-out-of-range --set PlainDelayMs=250"));
    e2e::EmulateWindowsVersion(fileName, windows98 ? "win98" : nullptr);
    e2e::WriteUserValue(std::string("Software\\Wine\\AppDefaults\\") + fileName + "\\DllOverrides", "mpr", REG_SZ, "native", 7);
    return saver;
}

const std::string& Guarded() { static const std::string s = MakeSaverIn("libraries", "guarded.scr", true, true); return s; }
const std::string& Bare() { static const std::string s = MakeSaverIn("bare", "bare.scr", false, true); return s; }
const std::string& NotNineX() { static const std::string s = MakeSaverIn("libraries", "not-nine-x.scr", true, false); return s; }

// The user's "password protected" choice (null: never made), put back as it was afterwards.
struct UsePassword {
    const char* Key = "Control Panel\\Desktop";
    std::vector<uint8_t> Before;
    DWORD Type = 0;
    bool Had = e2e::ReadUserValue(Key, "ScreenSaveUsePassword", &Before, &Type);
    explicit UsePassword(const DWORD* value) { Set(REG_DWORD, value, sizeof *value); }
    ~UsePassword() { Set(Type, Had ? Before.data() : nullptr, DWORD(Before.size())); }
    void Set(DWORD type, const void* data, DWORD size)
    {
        if (!data || !e2e::WriteUserValue(Key, "ScreenSaveUsePassword", type, data, size))
            RegDeleteKeyValueA(HKEY_CURRENT_USER, Key, "ScreenSaveUsePassword");
    }
};

uint64_t Recorded(const char* name) { return ReadNumber(name); }

}  // namespace

TEST_CASE("a refused password keeps the saver drawing, input while the prompt is up closes nothing, the right one ends it")
{
    UsePassword protect(&On);
    e2e::DeleteUserKey(RecordKey);
    WriteDword(Answer, 0);
    WriteDword(HoldPrompt, 1);

    e2e::RunningSaver run = e2e::StartFullScreen(Guarded());
    REQUIRE(run.Window);
    e2e::PressKey('A');
    REQUIRE(e2e::WaitUntil([] { return Recorded(PromptShowing) == 1; }));
    e2e::PressKey('B');
    e2e::ClickMouse(300, 300);
    e2e::MoveMouseTo(700, 500);
    e2e::PumpMessagesFor(500);
    WriteDword(Dismissed, 1);
    CHECK(e2e::WaitUntil([] { return Recorded(PromptShowing) == 0; }));
    CHECK(e2e::StillRunning(run.Process));
    CHECK_EQ(Recorded(ClosesWhileHeld), 0u);
    CHECK_EQ(Recorded(VerifyCalls), 1u);
    CHECK_EQ(Recorded(VerifyOwner), uintptr_t(run.Window));
    const e2e::Capture first = e2e::CaptureScreen(e2e::WholeScreen());
    CHECK(e2e::WaitUntil([&] { return e2e::CaptureScreen(e2e::WholeScreen()).Pixels != first.Pixels; }));

    WriteDword(HoldPrompt, 0);
    WriteDword(Answer, 1);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
    CHECK_EQ(Recorded(VerifyCalls), 2u);
    e2e::DeleteUserKey(RecordKey);
}

TEST_CASE("without a password the first key ends the run")
{
    struct Row { const char* Name; std::string Saver; const DWORD* Protection; };
    const Row rows[] = {
        {"protection off", Guarded(), &Off},
        {"protection never chosen", Guarded(), nullptr},
        {"no PASSWORD.CPL", Bare(), &On},
        {"not Windows 9x", NotNineX(), &On},
    };
    for (const Row& row : rows) {
        INFO(std::string(row.Name));
        UsePassword protect(row.Protection);
        e2e::DeleteUserKey(RecordKey);
        e2e::RunningSaver run = e2e::StartFullScreen(row.Saver);
        REQUIRE(run.Window);
        e2e::PressKey(VK_SPACE);
        CHECK(e2e::EndsWithZero(&run));
        CHECK_EQ(Recorded(VerifyCalls), 0u);
    }
}

TEST_CASE("/a opens the system's change dialog on Windows 9x; without MPR it ends 0, elsewhere -1")
{
    const auto window = [](const char* title) {
        return CreateWindowExA(0, "Static", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 160, 120, nullptr, nullptr, nullptr, nullptr);
    };
    HWND named = window("named owner"), front = window("foreground");
    SetForegroundWindow(front);
    e2e::PumpMessagesFor(100);
    REQUIRE(GetForegroundWindow() == front);
    uintptr_t gone = 1234;  // a number that is no window now
    while (IsWindow(reinterpret_cast<HWND>(gone)))
        gone += 4;
    struct Row { std::string Saver, Arguments; DWORD ExitCode; HWND Owner; };
    const Row rows[] = {
        {Guarded(), "/a " + std::to_string(gone), 0, front},
        {Guarded(), "/a " + std::to_string(reinterpret_cast<uintptr_t>(named)), 0, named},
        {Bare(), "/a", 0, nullptr},
        {NotNineX(), "/a", DWORD(-1), nullptr},
    };
    for (const Row& row : rows) {
        CAPTURE(row.Saver);
        CAPTURE(row.Arguments);
        e2e::DeleteUserKey(RecordKey);
        CHECK_EQ(e2e::RunSaver(row.Saver, row.Arguments), row.ExitCode);
        CHECK_EQ(Recorded(ChangeCalls), row.Owner ? 1u : 0u);
        CHECK_EQ(e2e::UserText(RecordKey, ChangeKeyName), row.Owner ? "SCRSAVE" : "");
        CHECK_EQ(Recorded(ChangeOwner), uintptr_t(row.Owner));
        CHECK_EQ(Recorded(ChangeThird) + Recorded(ChangeFourth), 0u);
    }
    DestroyWindow(named);
    DestroyWindow(front);
    e2e::DeleteUserKey(RecordKey);
    for (const char* saver : {"guarded.scr", "bare.scr", "not-nine-x.scr"})
        e2e::EmulateWindowsVersion(saver, nullptr);
}
