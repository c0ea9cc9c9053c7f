// The authoring tool's Windows build and what it makes: a PNG logo's
// transparency on the real screen, and the display name as Windows reads it.
#include <cstring>

#include "e2e/driver.h"
#include "package/saver_trailer.h"
#include "testkit.h"
#include "tool/sample_files.h"

namespace {

constexpr COLORREF Background = RGB(0x20, 0x30, 0x40);
constexpr int LogoWidth = 60, LogoHeight = 40;

// Three bands, left to right: fully transparent (its colour must not matter),
// red at half alpha, opaque blue; a magenta border row shows that the key
// the tool picks is not magenta when the logo uses it.
std::string WritePngLogo()
{
    std::vector<samples::Rgba> pixels;
    for (int y = 0; y < LogoHeight; ++y)
        for (int x = 0; x < LogoWidth; ++x)
            pixels.push_back(y == 0                      ? samples::Rgba{255, 0, 255, 255}
                             : x < LogoWidth / 3         ? samples::Rgba{0, 255, 0, 0}
                             : x < 2 * LogoWidth / 3     ? samples::Rgba{255, 0, 0, 128}
                                                         : samples::Rgba{0, 0, 255, 255});
    const std::string path = e2e::WorkFolder() + "logo.png";
    e2e::WriteWholeFile(path, samples::EncodePng(LogoWidth, LogoHeight, pixels));
    return path;
}

e2e::ProgramResult RunTool(const std::string& arguments)
{
    return e2e::RunConsoleProgram("\"" + e2e::AuthorToolPath() + "\" " + arguments);
}

bool CreateSaver(const std::string& saver, const std::string& logo, const std::string& options)
{
    const e2e::ProgramResult made = RunTool("create --runtime \"" + e2e::RuntimePath() + "\" --logo \"" + logo +
                                            "\" --out \"" + saver + "\" " + options);
    if (made.ExitCode != 0)
        std::printf("    %s\n", made.Output.c_str());
    return made.Finished && made.ExitCode == 0;
}

COLORREF ExpectedPixel(int x, int y, int left, int top)
{
    if (x < left || y < top || x >= left + LogoWidth || y >= top + LogoHeight)
        return Background;
    x -= left, y -= top;
    if (y == 0)
        return RGB(255, 0, 255);
    if (x < LogoWidth / 3)
        return Background;
    // Half red over the background, each channel rounded: (255·128 + 0x20·127) / 255 and so on.
    return x < 2 * LogoWidth / 3 ? RGB(144, 24, 32) : RGB(0, 0, 255);
}

}  // namespace

TEST_CASE(a_png_logo_shows_the_background_through_its_transparent_and_half_transparent_pixels)
{
    const std::string logo = WritePngLogo();
    const char* const rows[] = {"", "--transparent none", "--transparent #00FF00"};
    for (const char* options : rows) {
        TEST_ROW(*options ? options : "key picked by the tool");
        const std::string saver = e2e::WorkFolder() + "png.scr";
        REQUIRE(CreateSaver(saver, logo, std::string("--background #203040 --set EnabledModes=2 ") + options));

        e2e::MoveMouseTo(500, 400);
        e2e::PumpMessagesFor(100);
        e2e::Process process = e2e::StartSaver(saver, "/s");
        REQUIRE(e2e::WaitForSaverWindow(process.Id) != nullptr);
        const RECT screen = e2e::WholeScreen();
        const int left = (screen.right - LogoWidth) / 2, top = (screen.bottom - LogoHeight) / 2;
        struct Probe { int X, Y; } probe = {left + LogoWidth - 1, top + LogoHeight - 1};
        CHECK(e2e::WaitFor([](void* p) { auto* at = static_cast<Probe*>(p); return e2e::ScreenPixel(at->X, at->Y) == RGB(0, 0, 255); },
                           &probe));
        const e2e::Capture shot = e2e::CaptureScreen(screen);
        int wrong = 0;
        for (int y = screen.top; y < screen.bottom; ++y)
            for (int x = screen.left; x < screen.right; ++x)
                if (shot.At(x, y) != ExpectedPixel(x, y, left, top) && wrong++ == 0)
                    std::printf("    first wrong pixel (%d, %d): %06lx, expected %06lx\n", x, y, shot.At(x, y),
                                ExpectedPixel(x, y, left, top));
        CHECK_EQ(wrong, 0);
        CHECK_EQ(shot.Count(RGB(0, 255, 0)), 0);
        e2e::PressKey(VK_SPACE);
        DWORD exitCode = STILL_ACTIVE;
        CHECK(e2e::WaitForExit(process, &exitCode));
        e2e::EndProcess(&process);
    }
}

namespace {

// String 1 as Windows itself loads it from the saver file.
std::string LoadDisplayName(const std::string& saver)
{
    HMODULE module = LoadLibraryExA(saver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return "(not loaded)";
    char text[256] = "";
    const int length = LoadStringA(module, 1, text, sizeof text);
    FreeLibrary(module);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string Padded(const std::string& name) { return (name + std::string(60, ' ')).substr(0, 60); }

std::string Row0x80()
{
    std::string row;
    for (int byte = 0x80; byte < 0xA0; ++byte)
        if (byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D)
            row += static_cast<char>(byte);
    return row;
}

}  // namespace

TEST_CASE(windows_loads_the_display_name_from_string_1)
{
    // The command line reaches the tool through the ANSI code page; 1252 holds é.
    const bool western = GetACP() == 1252;
    struct Row { const char* Name; std::string Options; std::string Expected; };
    const Row rows[] = {
        {"the saver name", "--name \"Glimmora Demo\"", Padded("Glimmora Demo")},
        {"sixty characters", "--name " + std::string(60, 'x'), std::string(60, 'x')},
        {"a display name of its own", "--name Other --display-name \"Shown Name\"", Padded("Shown Name")},
        {"a Western letter", western ? "--name Caf\xE9" : "", Padded("Caf\xE9")},
        // Every assigned byte of Windows-1252's 0x80 row, which Windows maps for itself.
        {"the 0x80 row", western ? "--name \"" + Row0x80() + "\"" : "", Padded(Row0x80())},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        if (row.Options.empty()) {
            std::printf("    skipped: the ANSI code page is %u, not 1252\n", GetACP());
            continue;
        }
        const std::string saver = e2e::WorkFolder() + "named.scr";
        REQUIRE(e2e::MakeSaver(saver, row.Options));
        CHECK_EQ(LoadDisplayName(saver), row.Expected);
    }

    const std::string saver = e2e::WorkFolder() + "renamed.scr";
    REQUIRE(e2e::MakeSaver(saver, "--name \"A Longer First Name\""));
    const e2e::ProgramResult changed = RunTool("set \"" + saver + "\" --name Renamed");
    CHECK_EQ(changed.ExitCode, 0ul);
    CHECK_EQ(LoadDisplayName(saver), Padded("Renamed"));
    // The runtime still runs from the changed file.
    e2e::Process process = e2e::StartSaver(saver, "/s");
    CHECK(e2e::WaitForSaverWindow(process.Id) != nullptr);
    e2e::PressKey(VK_SPACE);
    DWORD exitCode = STILL_ACTIVE;
    CHECK(e2e::WaitForExit(process, &exitCode));
    CHECK_EQ(exitCode, 0ul);
    e2e::EndProcess(&process);
}

TEST_CASE(the_windows_build_takes_paths_beyond_ascii)
{
    if (GetACP() != 1252) {
        std::printf("    skipped: the ANSI code page is %u, not 1252\n", GetACP());
        return;
    }
    const std::string saver = e2e::WorkFolder() + "D\xE9mo.scr";
    REQUIRE(e2e::MakeSaver(saver, ""));
    const std::vector<uint8_t> file = e2e::ReadWholeFile(saver);
    REQUIRE(file.size() > TrailerSize);
    SaverTrailer trailer;
    std::memcpy(&trailer, &file[file.size() - TrailerSize], TrailerSize);
    CHECK_EQ(std::string(trailer.SaverName), "D\xE9mo");

    const e2e::ProgramResult refused = RunTool("set \"" + saver + "\" --background blue");
    CHECK_EQ(refused.ExitCode, 1ul);
    CHECK_EQ(refused.Output, "glimmora-author: --background blue is not a colour of the form #RRGGBB\r\n");
    CHECK(e2e::ReadWholeFile(saver) == file);
}

TEST_MAIN()
