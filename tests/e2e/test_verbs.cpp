// The verbs of the real saver, judged by their exit codes.
#include "e2e/driver.h"
#include "testkit.h"

namespace {

const DWORD Refused = static_cast<DWORD>(-1);

std::string SoundSaver()
{
    static std::string path;
    if (path.empty()) {
        path = e2e::WorkFolder() + "verbs.scr";
        e2e::MakeSaver(path, "--name \"Verbs Test\"");
    }
    return path;
}

// A window of this test, to name as the preview parent.
HWND HostWindow()
{
    static HWND window;
    if (!window)
        window = CreateWindowExA(0, "Static", "host", WS_OVERLAPPEDWINDOW, 0, 0, 152, 112, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    return window;
}

std::string Number(HWND window) { return std::to_string(reinterpret_cast<uintptr_t>(window)); }

// A number that is no window now.
std::string NoWindow()
{
    uintptr_t candidate = 0x7654320;
    while (IsWindow(reinterpret_cast<HWND>(candidate)))
        candidate += 4;
    return std::to_string(candidate);
}

}  // namespace

TEST_CASE(verbs_end_with_the_exit_codes_of_their_roads)
{
    REQUIRE(!SoundSaver().empty());
    struct Row { std::string Arguments; DWORD ExitCode; };
    const Row rows[] = {
        {"/x", Refused},
        {"/?", Refused},
        {"/a", Refused},                  // not Windows 9x
        {"/a " + Number(HostWindow()), Refused},
        {"/p", Refused},
        {"/p 0", Refused},
        {"/p " + NoWindow(), Refused},
        {"/p:" + Number(HostWindow()), Refused},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Arguments);
        CHECK_EQ(e2e::RunSaver(SoundSaver(), row.Arguments), row.ExitCode);
    }
}

// Whatever the spelling, these show the saver until it is told to close.
TEST_CASE(run_and_preview_verbs_show_the_saver)
{
    struct Row { std::string Arguments; const char* Title; };
    const Row rows[] = {
        {"/s", "Screen Saver"}, {"-s", "Screen Saver"}, {"s", "Screen Saver"}, {"/-/S", "Screen Saver"},
        {"/p " + Number(HostWindow()), "Preview"}, {"/l   " + Number(HostWindow()), "Preview"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Arguments);
        e2e::Process process = e2e::StartSaver(SoundSaver(), row.Arguments);
        HWND saver = nullptr;
        const DWORD start = GetTickCount();
        while (!saver && GetTickCount() - start < e2e::Patience) {
            saver = row.Title[0] == 'P' ? FindWindowExA(HostWindow(), nullptr, "WindowsScreenSaverClass", "Preview")
                                        : e2e::FindTopWindow(process.Id, "WindowsScreenSaverClass", row.Title);
            e2e::PumpMessagesFor(20);
        }
        CHECK(saver != nullptr);
        PostMessageA(saver, WM_CLOSE, 0, 0);
        DWORD exitCode = STILL_ACTIVE;
        CHECK(e2e::WaitForExit(process, &exitCode));
        CHECK_EQ(exitCode, 0ul);
        e2e::EndProcess(&process);
    }
}

TEST_CASE(program_names_with_spaces_are_skipped_whole)
{
    const std::string folder = e2e::WorkFolder() + "with spaces\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string saver = folder + "My Saver.scr";
    REQUIRE(CopyFileA(SoundSaver().c_str(), saver.c_str(), FALSE));

    struct Row { std::string CommandLine; bool Settings; DWORD ExitCode; };
    const Row rows[] = {
        {"\"" + saver + "\" /x", false, Refused},
        {"\"" + saver + "\"/x", false, Refused},
        {"\"" + saver + "\" /p 0", false, Refused},
        {"\"" + saver + " /x", true, 0},   // an unterminated quote swallows the verb: the settings road
    };
    for (const Row& row : rows) {
        TEST_ROW(row.CommandLine);
        e2e::Process process = e2e::StartCommandLine(saver, row.CommandLine);
        if (row.Settings) {
            HWND sheet = e2e::WaitForWindow(process.Id, "#32770", "Verbs Test");
            CHECK(sheet != nullptr);
            if (sheet)
                e2e::PressDialogButton(sheet, IDCANCEL);
        }
        DWORD exitCode = STILL_ACTIVE;
        CHECK(e2e::WaitForExit(process, &exitCode));
        CHECK_EQ(exitCode, row.ExitCode);
        e2e::EndProcess(&process);
    }
}

TEST_CASE(password_change_runs_only_where_windows_9x_is_reported)
{
    const std::string saver = e2e::WorkFolder() + "nine-x.scr";
    REQUIRE(CopyFileA(SoundSaver().c_str(), saver.c_str(), FALSE));
    e2e::EmulateWindowsVersion("nine-x.scr", "win98");
    CHECK_EQ(e2e::RunSaver(saver, "/a"), 0ul);
    CHECK_EQ(e2e::RunSaver(saver, "/a " + Number(HostWindow())), 0ul);
    CHECK_EQ(e2e::RunSaver(saver, "/x"), Refused);
    e2e::EmulateWindowsVersion("nine-x.scr", nullptr);
    CHECK_EQ(e2e::RunSaver(saver, "/a"), Refused);
}

TEST_CASE(an_exception_that_escapes_ends_the_run_with_minus_one)
{
    // A damaged package keeps the saver waiting in its message box; a thread
    // that faults there must end the process through the crash guard, not
    // through the system's crash handling.
    const std::string saver = e2e::WorkFolder() + "crash.scr";
    REQUIRE(CopyFileA(SoundSaver().c_str(), saver.c_str(), FALSE));
    std::vector<uint8_t> bytes = e2e::ReadWholeFile(saver);
    bytes[bytes.size() - 12] ^= 1;   // the magic
    REQUIRE(e2e::WriteWholeFile(saver, bytes));

    e2e::Process process = e2e::StartSaver(saver, "/s");
    REQUIRE(e2e::WaitForWindow(process.Id, "#32770", "Screensaver") != nullptr);
    HANDLE faulting = CreateRemoteThread(process.Handle, nullptr, 0,
                                         reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<uintptr_t>(0x10)),
                                         nullptr, 0, nullptr);
    CHECK(faulting != nullptr);
    DWORD exitCode = STILL_ACTIVE;
    CHECK(e2e::WaitForExit(process, &exitCode));
    CHECK_EQ(exitCode, Refused);
    if (faulting)
        CloseHandle(faulting);
    e2e::EndProcess(&process);
}

TEST_MAIN()
