// The Windows 9x password guard of the real saver, under Wine's Windows 98 emulation, with stand-ins for the
// system's PASSWORD.CPL and MPR.DLL that answer as the test says and record how they were called.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
#include "e2e/driver.h"

static const DWORD On = 1, Off = 0;
static const std::string RecordKey = "Software\\Glimmora\\Tests\\Password";  // what the stand-ins are told and record
static uint64_t Recorded(const char* name) { return e2e::UserNumber(RecordKey, name); }
static void Tell(const char* name, DWORD value) { e2e::WriteUserValue(RecordKey, name, REG_DWORD, &value, sizeof value); }

// A saver in a folder of its own, with the stand-in libraries beside it or not. Wine settings go by file name:
// the reported version, and MPR.DLL taken only from the saver's folder (Wine's own would answer otherwise).
static std::string MakeSaverIn(const char* folderName, const char* fileName, bool libraries, bool windows98)
{
    const std::string folder = e2e::WorkFolder() + folderName + "\\", saver = folder + fileName;
    const std::string settings = std::string("Software\\Wine\\AppDefaults\\") + fileName;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string library : {"PASSWORD.CPL", "MPR.DLL"})
        if (libraries)
            CopyFileA(e2e::WindowsPath((GLIMMORA_FIXTURE_FOLDER "/" + library).c_str()).c_str(), (folder + library).c_str(), FALSE);
    REQUIRE(e2e::MakeSaver(saver, "--background #203040 --set EnabledModes=4 --allow-out-of-range --set PlainDelayMs=250"));
    e2e::DeleteUserKey(settings);
    if (windows98)
        e2e::WriteUserValue(settings, "Version", REG_SZ, "win98", 6);
    e2e::WriteUserValue(settings + "\\DllOverrides", "mpr", REG_SZ, "native", 7);
    return saver;
}
static const std::string& Guarded() { static const std::string s = MakeSaverIn("libraries", "guarded.scr", true, true); return s; }
static const std::string& Bare() { static const std::string s = MakeSaverIn("bare", "bare.scr", false, true); return s; }
static const std::string& NotNineX() { static const std::string s = MakeSaverIn("libraries", "not-nine-x.scr", true, false); return s; }
static void UsePassword(const DWORD* choice)  // the user's "password protected" choice; null: never made
{
    if (!choice || !e2e::WriteUserValue("Control Panel\\Desktop", "ScreenSaveUsePassword", REG_DWORD, choice, sizeof *choice))
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword");
}

TEST_CASE("a refused password keeps the saver drawing, input while the prompt is up closes nothing; without one a key ends it")
{
    UsePassword(&On);
    e2e::DeleteUserKey(RecordKey);
    Tell("HoldPrompt", 1);
    e2e::RunningSaver run = e2e::StartFullScreen(Guarded());
    REQUIRE(run.Window);
    e2e::PressKey('A');
    REQUIRE(e2e::WaitUntil([] { return Recorded("PromptShowing") == 1; }));
    e2e::PressKey('B'), e2e::ClickMouse(300, 300), e2e::MoveMouseTo(700, 500), e2e::PumpMessagesFor(500);
    Tell("Dismissed", 1);
    CHECK(e2e::WaitUntil([] { return Recorded("PromptShowing") == 0; }));
    CHECK(e2e::StillRunning(run.Process));
    CHECK_EQ(Recorded("ClosesWhileHeld"), 0u);
    CHECK_EQ(Recorded("VerifyCalls"), 1u);
    CHECK_EQ(Recorded("VerifyOwner"), uintptr_t(run.Window));
    const std::vector<COLORREF> first = e2e::ScreenPixels();
    CHECK(e2e::WaitUntil([&] { return e2e::ScreenPixels() != first; }));
    Tell("HoldPrompt", 0), Tell("Answer", 1);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
    CHECK_EQ(Recorded("VerifyCalls"), 2u);
    // Without a password the first key ends the run.
    struct Row { const char* Name; std::string Saver; const DWORD* Protection; };
    const Row rows[] = {
        {"protection off", Guarded(), &Off}, {"protection never chosen", Guarded(), nullptr},
        {"no PASSWORD.CPL", Bare(), &On}, {"not Windows 9x", NotNineX(), &On},
    };
    for (const Row& row : rows) {
        INFO(std::string(row.Name));
        UsePassword(row.Protection);
        e2e::DeleteUserKey(RecordKey);
        run = e2e::StartFullScreen(row.Saver);
        REQUIRE(run.Window);
        e2e::PressKey(VK_SPACE);
        CHECK(e2e::EndsWithZero(&run));
        CHECK_EQ(Recorded("VerifyCalls"), 0u);
    }
}

TEST_CASE("/a opens the system's change dialog on Windows 9x, owned by the window named; without MPR it ends 0")
{
    HWND named = CreateWindowExA(0, "Static", "named", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 160, 120, nullptr, nullptr, nullptr, 0);
    // The saver, its arguments, the owner that the dialog gets (null: no dialog).
    const std::tuple<std::string, std::string, HWND> rows[] = {
        {Guarded(), "/a " + std::to_string(uintptr_t(named)), named}, {Bare(), "/a", nullptr},
    };
    for (const auto& [saver, arguments, owner] : rows) {
        CAPTURE(saver);
        CAPTURE(arguments);
        e2e::DeleteUserKey(RecordKey);
        e2e::Process process = e2e::StartSaver(saver, arguments);
        CHECK_EQ(e2e::ExitCode(&process), 0ul);
        CHECK_EQ(Recorded("ChangeCalls"), owner ? 1u : 0u);
        CHECK_EQ(e2e::UserValue(RecordKey, "ChangeKeyName"), owner ? "SCRSAVE" : "");
        CHECK_EQ(Recorded("ChangeOwner"), uintptr_t(owner));
    }
    DestroyWindow(named);
}
