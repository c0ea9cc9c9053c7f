// Damaged and unreadable packages are reported to the user and end the run with 1.
#include <cstring>

#include "e2e/driver.h"
#include "package/saver_trailer.h"
#include "testkit.h"

namespace {

std::string FreshSaver(const char* name)
{
    const std::string path = e2e::WorkFolder() + name;
    e2e::MakeSaver(path, "--name \"Package Test\"");
    return path;
}

void ChangeTrailer(const std::string& saver, void (*change)(SaverTrailer*))
{
    std::vector<uint8_t> bytes = e2e::ReadWholeFile(saver);
    SaverTrailer trailer;
    std::memcpy(&trailer, &bytes[bytes.size() - TrailerSize], TrailerSize);
    change(&trailer);
    std::memcpy(&bytes[bytes.size() - TrailerSize], &trailer, TrailerSize);
    e2e::WriteWholeFile(saver, bytes);
}

// Waits for the error box, checks it, presses OK and returns the exit code.
DWORD ExpectErrorBox(e2e::Process& process, const char* text)
{
    HWND box = e2e::WaitForWindow(process.Id, "#32770", "Screensaver");
    CHECK(box != nullptr);
    DWORD exitCode = STILL_ACTIVE;
    if (box) {
        CHECK_EQ(e2e::MessageBoxText(box), text);
        e2e::PressDialogButton(box, IDOK);
        CHECK(e2e::WaitForExit(process, &exitCode));
    }
    e2e::EndProcess(&process);
    return exitCode;
}

}  // namespace

TEST_CASE(damaged_packages_say_corrupt_and_end_with_1)
{
    struct Row { const char* Name; void (*Damage)(SaverTrailer*); };
    const Row rows[] = {
        {"last magic byte", [](SaverTrailer* t) { t->Magic[7] = 'R'; }},
        {"first magic byte", [](SaverTrailer* t) { t->Magic[0] = 'Z'; }},
        {"image larger than the file", [](SaverTrailer* t) { t->ImageSize = 0x7FFFFFFF; }},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        const std::string saver = FreshSaver("damaged.scr");
        ChangeTrailer(saver, row.Damage);
        e2e::Process process = e2e::StartSaver(saver, "/s");
        CHECK_EQ(ExpectErrorBox(process, "This Screensaver is corrupt!"), 1ul);
    }
}

TEST_CASE(an_unreadable_saver_file_says_so_and_ends_with_1)
{
    // The saver starts from its file, which then moves away before it reads its package.
    const std::string saver = FreshSaver("moving.scr");
    const std::string moved = e2e::WorkFolder() + "moved.scr";
    e2e::Process process = e2e::StartSaver(saver, "/s", true);
    REQUIRE(process.Handle != nullptr);
    REQUIRE(MoveFileA(saver.c_str(), moved.c_str()));
    ResumeThread(process.Thread);
    CHECK_EQ(ExpectErrorBox(process, "Unable to read saver information"), 1ul);
}

TEST_CASE(a_logo_that_is_missing_or_does_not_decode_ends_the_run_with_1)
{
    struct Row { const char* Name; void (*Damage)(std::vector<uint8_t>&); };
    const Row rows[] = {
        // An empty package: a trailer whose image size is 0 holds no logo.
        {"no image", [](std::vector<uint8_t>& b) { std::memset(&b[b.size() - TrailerSize + 4], 0, 4); }},
        // The logo's bits per pixel (offset 28 of the BMP) made 7.
        {"undecodable logo",
         [](std::vector<uint8_t>& b) {
             int32_t imageSize;
             std::memcpy(&imageSize, &b[b.size() - TrailerSize + 4], 4);
             b[b.size() - TrailerSize - imageSize + 28] = 7;
         }},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        const std::string saver = FreshSaver("no-logo.scr");
        std::vector<uint8_t> bytes = e2e::ReadWholeFile(saver);
        row.Damage(bytes);
        REQUIRE(e2e::WriteWholeFile(saver, bytes));
        e2e::Process process = e2e::StartSaver(saver, "/s");
        HWND box = e2e::WaitForWindow(process.Id, "#32770", "Glimmora Screensaver");
        CHECK(box != nullptr);
        DWORD exitCode = STILL_ACTIVE;
        if (box) {
            CHECK_EQ(e2e::MessageBoxText(box), "Unable to load logo");
            e2e::PressDialogButton(box, IDOK);
            CHECK(e2e::WaitForExit(process, &exitCode));
        }
        CHECK_EQ(exitCode, 1ul);
        e2e::EndProcess(&process);
    }
}

TEST_MAIN()
