// What the authoring tool's Windows build makes, as Windows sees it: the
// display name through LoadString, paths beyond ASCII, a PNG logo on screen.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>

#include "e2e/driver.h"
#include "tool/sample_files.h"

namespace {

std::string DisplayName(const std::string& saver)  // string 1, as Windows loads it
{
    HMODULE module = LoadLibraryExA(saver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char text[256] = "";
    const int length = module ? LoadStringA(module, 1, text, sizeof text) : 0;
    FreeLibrary(module);
    return std::string(text, length > 0 ? size_t(length) : 0);
}

std::string Padded(const std::string& name) { return (name + std::string(60, ' ')).substr(0, 60); }

}  // namespace

// Three bands, left to right: fully transparent (its colour must not matter),
// red at half alpha, opaque blue; a magenta top row shows that the key the
// tool picks is not magenta when the logo uses it.
TEST_CASE("a PNG logo shows the background through its transparent and half-transparent pixels")
{
    std::vector<samples::Rgba> pixels;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            pixels.push_back(y == 0 ? samples::Rgba{255, 0, 255, 255} : x < 20 ? samples::Rgba{0, 255, 0, 0}
                                      : x < 40 ? samples::Rgba{255, 0, 0, 128} : samples::Rgba{0, 0, 255, 255});
    const std::string logo = e2e::WorkFolder() + "logo.png", saver = e2e::WorkFolder() + "png.scr";
    REQUIRE(e2e::WriteWholeFile(logo, samples::EncodePng(60, 40, pixels)));
    // Half red over the background, each channel rounded: (255·128 + 0x20·127) / 255 and so on.
    const auto expected = [](int x, int y) { return y == 0 ? RGB(255, 0, 255) : x < 20 ? e2e::Background : x < 40 ? RGB(144, 24, 32) : RGB(0, 0, 255); };
    for (const char* options : {"", "--transparent none", "--transparent #00FF00"}) {
        INFO(std::string(options));
        REQUIRE_EQ(e2e::RunTool("create --runtime \"" + e2e::RuntimePath() + "\" --logo \"" + logo + "\" --out \"" + saver +
                                "\" --background #203040 --set EnabledModes=2 " + options).ExitCode, 0ul);
        e2e::RunningSaver run = e2e::StartFullScreen(saver);
        REQUIRE(run.Window);
        e2e::WaitUntil([&] { return e2e::WrongPixels(60, 40, expected) == 0; });
        CHECK_EQ(e2e::WrongPixels(60, 40, expected), 0);
        e2e::PressKey(VK_SPACE);
        CHECK(e2e::EndsWithZero(&run));
    }
}

TEST_CASE("Windows loads the display name from string 1; the tool's Windows build takes paths beyond ASCII")
{
    REQUIRE_MESSAGE(GetACP() == 1252, "the command line reaches the tool through the ANSI code page");
    std::string row80;  // every assigned byte of Windows-1252's 0x80 row, which Windows maps for itself
    for (int byte = 0x80; byte < 0xA0; ++byte)
        if (byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D)
            row80 += char(byte);
    struct Row { const char* Name; std::string Options, Expected; };
    const Row rows[] = {
        {"the saver name", "--name \"Glimmora Demo\"", Padded("Glimmora Demo")},
        {"sixty characters", "--name " + std::string(60, 'x'), std::string(60, 'x')},
        {"a display name of its own", "--name Other --display-name \"Shown Name\"", Padded("Shown Name")},
        {"the 0x80 row", "--name \"" + row80 + "\"", Padded(row80)},
    };
    const std::string saver = e2e::WorkFolder() + "D\xE9mo.scr";
    for (const Row& row : rows) {
        INFO(std::string(row.Name));
        REQUIRE(e2e::MakeSaver(saver, row.Options));
        CHECK_EQ(DisplayName(saver), row.Expected);
    }
    REQUIRE(e2e::MakeSaver(saver));  // named after its file
    CHECK_EQ(DisplayName(saver), Padded("D\xE9mo"));
    CHECK_EQ(e2e::RunTool("set \"" + saver + "\" --name Renamed").ExitCode, 0ul);
    CHECK_EQ(DisplayName(saver), Padded("Renamed"));
    const std::vector<uint8_t> file = e2e::ReadWholeFile(saver);
    const e2e::ProgramResult refused = e2e::RunTool("set \"" + saver + "\" --background blue");
    CHECK_EQ(refused.ExitCode, 1ul);
    CHECK_EQ(refused.Output, "glimmora-author: --background blue is not a colour of the form #RRGGBB\r\n");
    CHECK(e2e::ReadWholeFile(saver) == file);
    // The runtime still runs from the changed file.
    e2e::RunningSaver run = e2e::StartFullScreen(saver);
    CHECK(run.Window);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
}
