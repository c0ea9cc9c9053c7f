// Runs the built glimmora-author on files it writes itself and checks the savers it makes.
#include "tool/sample_files.h"

#include "package/bmp_format.h"
#include "package/saver_trailer.h"
#include "testkit.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <set>

using samples::Bytes;

static const std::string Scratch = GLIMMORA_TOOL_SCRATCH;
static const std::string Work = Scratch + "/work";        // the tool's inputs and outputs
static const std::string Capture = Scratch + "/capture";  // what the tool printed
static const std::string RuntimePath = Work + "/runtime.exe";
static const std::string LogoPath = Work + "/logo.bmp";
static const std::string PngPath = Work + "/logo.png";

static void WriteFile(const std::string& path, const Bytes& bytes)
{
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

static void WriteText(const std::string& path, const std::string& text) { WriteFile(path, Bytes(text.begin(), text.end())); }

static Bytes ReadFile(const std::string& path)
{
    Bytes bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        for (int byte; (byte = std::fgetc(file)) != EOF;)
            bytes.push_back(static_cast<uint8_t>(byte));
        std::fclose(file);
    }
    return bytes;
}

static std::set<std::string> ListWork()
{
    std::set<std::string> names;
    if (DIR* directory = opendir(Work.c_str())) {
        while (const dirent* entry = readdir(directory))
            names.insert(entry->d_name);
        closedir(directory);
    }
    return names;
}

static std::vector<size_t> RuntimeSlots;

static Bytes RuntimeBytes() { return samples::MakeProgram({}, &RuntimeSlots); }

static Bytes LogoBytes()
{
    // An odd width, so that rows carry padding the tool must keep as it is.
    uint32_t pixels[5 * 3];
    for (int i = 0; i < 15; ++i)
        pixels[i] = 0x102030u * static_cast<uint32_t>(i + 1);
    return EncodeBmp24(5, 3, pixels);
}

// Left to right: fully transparent, half red, opaque blue.
static Bytes PngBytes() { return samples::EncodePng(3, 1, {{9, 9, 9, 0}, {255, 0, 0, 128}, {0, 0, 255, 255}}); }

// A fresh work directory holding the runtime and the logos.
static void PrepareWork()
{
    mkdir(Scratch.c_str(), 0777);
    mkdir(Capture.c_str(), 0777);
    mkdir(Work.c_str(), 0777);
    for (const std::string& name : ListWork())
        if (name != "." && name != "..") {
            std::remove((Work + "/" + name).c_str());
            rmdir((Work + "/" + name).c_str());
        }
    WriteFile(RuntimePath, RuntimeBytes());
    WriteFile(LogoPath, LogoBytes());
    WriteFile(PngPath, PngBytes());
}

struct RunResult {
    int ExitCode;
    std::string Out;
    std::string Err;
};

static std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char character : text)
        quoted += character == '\'' ? std::string("'\\''") : std::string(1, character);
    return quoted + "'";
}

static RunResult RunTool(const std::vector<std::string>& arguments)
{
    std::string command = ShellQuote(GLIMMORA_AUTHOR_TOOL);
    for (const std::string& argument : arguments)
        command += " " + ShellQuote(argument);
    command += " >" + ShellQuote(Capture + "/stdout") + " 2>" + ShellQuote(Capture + "/stderr");
    const int status = std::system(command.c_str());
    const Bytes out = ReadFile(Capture + "/stdout"), err = ReadFile(Capture + "/stderr");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end()),
            std::string(err.begin(), err.end())};
}

static std::vector<std::string> Create(const std::string& out, const std::vector<std::string>& options,
                                       const std::string& logo = LogoPath)
{
    std::vector<std::string> arguments = {"create", "--runtime", RuntimePath, "--logo", logo, "--out", out};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return arguments;
}

static SaverTrailer TrailerOf(const Bytes& file)
{
    SaverTrailer trailer = {};
    if (file.size() >= TrailerSize)
        std::memcpy(&trailer, file.data() + file.size() - TrailerSize, TrailerSize);
    return trailer;
}

static bool PrintsLine(const RunResult& result, const std::string& line)
{
    return ("\n" + result.Out).find("\n" + line + "\n") != std::string::npos;
}

TEST_CASE(create_then_inspect_gives_back_every_field)
{
    PrepareWork();
    const std::string out = Work + "/Full Saver.scr", config = Work + "/saver.conf";
    const std::string address(63, 'w');
    // The options win: the file's SaverName, too long to be stored, is never read.
    WriteText(config, "# every kind of key\n"
                      "SaverName = " + std::string(70, 'f') + "\n"
                      "Description = \"  Caf\xC3\xA9 demo  \"\n"
                      "BackgroundColor = #FFFFFF\n"
                      "TransparentColor = #a0B0c0\n"
                      "BounceSpeed = 5\n"
                      "FadeSpeed = 2\n"
                      "DripTile = 1\n");
    // The options win over the file's BackgroundColor and SaverName.
    const RunResult made = RunTool(Create(out, {
        "--config", config, "--name", "Glimmora Demo", "--display-name", "Glimmora \xE2\x82\xAC Demo",
        "--web-address", address, "--saver-id", "0xDEADBEEF", "--background", "#102030",
        "--set", "DripIntervalMs=910", "--set", "IgnoreInput=7", "--set", "Reserved8=-5",
        "--set", "FallingDirection=12", "--set", "FallingLogoCount=99", "--allow-out-of-range"}));
    CHECK_EQ(made.Err, "");
    REQUIRE(made.ExitCode == 0);
    CHECK(made.Out.find("32-bit saver \"Glimmora Demo\", id 0xdeadbeef") != std::string::npos);

    const Bytes runtime = RuntimeBytes(), logo = LogoBytes(), file = ReadFile(out);
    REQUIRE(file.size() == runtime.size() + logo.size() + TrailerSize);
    // The runtime is copied as it is but for string 1, which holds the display name.
    CHECK(std::equal(runtime.begin(), runtime.begin() + static_cast<std::ptrdiff_t>(RuntimeSlots[0]), file.begin()));
    CHECK(std::equal(runtime.begin() + static_cast<std::ptrdiff_t>(RuntimeSlots[0] + 120), runtime.end(),
                     file.begin() + static_cast<std::ptrdiff_t>(RuntimeSlots[0] + 120)));
    CHECK(std::equal(logo.begin(), logo.end(), file.begin() + static_cast<std::ptrdiff_t>(runtime.size())));
    CHECK_EQ(file[RuntimeSlots[0] + 18], 0xAC);  // the euro sign, U+20AC, little-endian
    CHECK_EQ(file[RuntimeSlots[0] + 19], 0x20);

    const RunResult shown = RunTool({"inspect", out});
    CHECK_EQ(shown.ExitCode, 0);
    // The settings dialog's ties hold even for values set by hand: gravity is
    // three times the speed, the fade's derived value follows its speed, and
    // all three kinds of input are never ignored together.
    const std::string expected =
        "Runtime: 32-bit (x86)\n"
        "DisplayName: Glimmora \xE2\x82\xAC Demo\n"
        "Reserved0: 0\n"
        "ImageSize: " + std::to_string(logo.size()) + "\n"
        "Logo: 5 x 3, 24 bits per pixel\n"
        "SettingsDialogEnabled: 1\nEnabledModes: 255\nHiddenPages: 0\nChangeModeEnabled: 1\nChangeModeMinutes: 5\n"
        "IgnoreInput: 6\nUseTransparency: 1\nPlainDelayMs: 5000\nReserved8: -5\nBounceSpeed: 5\nBounceGravity: 15\n"
        "BounceWrapSides: 0\nManyDelayMs: 300\nFadeIntervalMs: 10\nFadeSpeed: 2\nFadeRandomPositions: 1\n"
        "FadeDerived: 1150\nDripIntervalMs: 910\nDripTile: 1\nFallingIntervalMs: 5\nFallingSpeed: 10\n"
        "FallingLogoCount: 99\nFallingSizeByDepth: 1\nFallingFadeInDistance: 1\nFallingDirection: 12\n"
        "SaverId: 0xdeadbeef\n"
        "BackgroundColor: #102030\n"
        "TransparentColor: #A0B0C0\n"
        "Description:   Caf\xC3\xA9 demo  \n"
        "SaverName: Glimmora Demo\n"
        "WebAddress: " + address + "\n"
        "Magic: zolvinar\n"
        "ImageSlot: 0\n";
    CHECK_EQ(shown.Out, expected);
    // Stored in Windows-1252: é is one byte.
    CHECK_EQ(std::string(TrailerOf(file).Description), "  Caf\xE9 demo  ");

    const RunResult json = RunTool({"inspect", "--json", out});
    CHECK_EQ(json.ExitCode, 0);
    const std::string jsonLines[] = {"  \"Runtime\": \"x86\",", "    \"BounceGravity\": 15,", "  \"SaverId\": 3735928559,",
                                     "  \"TransparentColor\": \"#A0B0C0\",", "  \"Description\": \"  Caf\xC3\xA9 demo  \",",
                                     "  \"ImageSlot\": 0"};
    for (const std::string& line : jsonLines) {
        TEST_ROW(line);
        CHECK(PrintsLine(json, line));
    }
    CHECK_EQ(json.Out.compare(0, 2, "{\n"), 0);
    CHECK_EQ(json.Out.substr(json.Out.size() - 2), "}\n");
}

TEST_CASE(the_readme_shows_the_sample_config_and_it_makes_a_saver)
{
    PrepareWork();
    const Bytes config = ReadFile(GLIMMORA_SOURCE_DIR "/tools/samples/glimmora-demo.conf");
    const Bytes readme = ReadFile(GLIMMORA_SOURCE_DIR "/README.md");
    REQUIRE(!config.empty());
    CHECK(std::search(readme.begin(), readme.end(), config.begin(), config.end()) != readme.end());
    const std::string out = Work + "/demo.scr";
    REQUIRE(RunTool(Create(out, {"--config", GLIMMORA_SOURCE_DIR "/tools/samples/glimmora-demo.conf"}, PngPath)).ExitCode == 0);
    const RunResult shown = RunTool({"inspect", out});
    for (const char* line : {"DisplayName: Glimmora Demo", "SaverId: 0x6c6d6d69", "EnabledModes: 254", "BounceGravity: 12",
                             "FallingDirection: 2", "TransparentColor: #FF00FF"})
        CHECK(PrintsLine(shown, line));
}

TEST_CASE(create_without_options_names_the_saver_after_its_file)
{
    struct Row { const char* File; const char* Name; uint32_t Id; };
    const Row rows[] = {
        // The id is FNV-1a of the name; "foobar" is one of that hash's published vectors.
        {"foobar.scr", "foobar", 0xbf9cf968u},
        {"version 1.2.scr", "version 1.2", 0},
        {"no extension", "no extension", 0},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.File);
        PrepareWork();
        const std::string out = Work + "/" + row.File;
        REQUIRE(RunTool(Create(out, {})).ExitCode == 0);
        const Bytes file = ReadFile(out);
        const SaverTrailer trailer = TrailerOf(file);
        CHECK_EQ(std::string(trailer.SaverName), row.Name);
        CHECK_EQ(samples::NameAt(file, RuntimeSlots[0]), (row.Name + std::string(60, ' ')).substr(0, 60));
        if (row.Id)
            CHECK_EQ(trailer.SaverId, row.Id);
        const RunResult shown = RunTool({"inspect", out});
        for (const char* line : {"TransparentColor: none", "Description: ", "WebAddress: ", "BackgroundColor: #000000",
                                 "DripIntervalMs: 410", "DripTile: 0", "BounceGravity: 9", "FadeDerived: 950"})
            CHECK(PrintsLine(shown, line));
    }
}

TEST_CASE(extract_gives_back_the_packed_bmp_which_for_a_png_is_flattened)
{
    const uint32_t picked[] = {0xFF00FF, 0x901820, 0x0000FF}, given[] = {0x00FF00, 0x901820, 0x0000FF},
                   none[] = {0x000000, 0x800000, 0x0000FF};
    struct Row { const char* Name; std::string Logo; std::vector<std::string> Options; Bytes Packed; const char* Key; };
    const Row rows[] = {
        {"BMP, byte for byte", LogoPath, {}, LogoBytes(), "none"},
        {"PNG, key picked", PngPath, {"--background", "#203040"}, EncodeBmp24(3, 1, picked), "#FF00FF"},
        {"PNG, key given", PngPath, {"--background", "#203040", "--transparent", "#00FF00"}, EncodeBmp24(3, 1, given), "#00FF00"},
        {"PNG, no key: background", PngPath, {"--transparent", "none"}, EncodeBmp24(3, 1, none), "none"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        PrepareWork();
        const std::string out = Work + "/made.scr", extracted = Work + "/back.bmp";
        REQUIRE(RunTool(Create(out, row.Options, row.Logo)).ExitCode == 0);
        CHECK(PrintsLine(RunTool({"inspect", out}), std::string("TransparentColor: ") + row.Key));
        REQUIRE(RunTool({"extract", out, "--out", extracted}).ExitCode == 0);
        CHECK(ReadFile(extracted) == row.Packed);
    }
}

TEST_CASE(set_changes_the_chosen_field_and_nothing_else)
{
    constexpr size_t Settings = offsetof(SaverTrailer, Settings);
    struct Range { size_t Start, Size; bool InTrailer; };
    const auto setting = [](const char* name) {
        return Range{Settings + FindSettingsField(name)->Offset, 4, true};
    };
    const Range name = {0, 120, false};  // string 1 of the runtime
    struct Row { const char* Name; std::vector<std::string> Options; std::vector<Range> Changed; };
    const Row rows[] = {
        {"background", {"--background", "#FFFFFF"}, {{offsetof(SaverTrailer, BackgroundColor), 4, true}}},
        {"a setting", {"--set", "ManyDelayMs=1000"}, {setting("ManyDelayMs")}},
        {"a setting another follows", {"--set", "BounceSpeed=7"}, {setting("BounceSpeed"), setting("BounceGravity")}},
        {"transparent colour", {"--transparent", "none"}, {{offsetof(SaverTrailer, TransparentColor), 4, true}}},
        {"description", {"--description", "Changed"}, {{offsetof(SaverTrailer, Description), 64, true}}},
        {"name and the display name with it", {"--name", "Renamed"}, {{offsetof(SaverTrailer, SaverName), 64, true}, name}},
        {"display name alone", {"--display-name", "Shown"}, {name}},
        {"from a config file", {"--config", Work + "/one.conf"}, {setting("FallingSpeed")}},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        PrepareWork();
        WriteText(Work + "/one.conf", "FallingSpeed = 20\n");
        const std::string saver = Work + "/made.scr";
        REQUIRE(RunTool(Create(saver, {"--transparent", "#FF00FF", "--set", "ManyDelayMs=2000"})).ExitCode == 0);
        // A value that create would have normalised, as a package from elsewhere may hold it.
        Bytes before = ReadFile(saver);
        const int32_t allInput = 7;
        std::memcpy(&before[before.size() - TrailerSize + Settings + offsetof(SaverSettings, IgnoreInput)], &allInput, 4);
        WriteFile(saver, before);
        std::vector<std::string> arguments = {"set", saver};
        arguments.insert(arguments.end(), row.Options.begin(), row.Options.end());
        const RunResult result = RunTool(arguments);
        CHECK_EQ(result.Err, "");
        CHECK_EQ(result.ExitCode, 0);
        const Bytes after = ReadFile(saver);
        REQUIRE(after.size() == before.size());
        std::vector<bool> allowed(before.size(), false), touched(row.Changed.size(), false);
        for (size_t r = 0; r < row.Changed.size(); ++r) {
            const Range& range = row.Changed[r];
            const size_t start = range.InTrailer ? before.size() - TrailerSize + range.Start : RuntimeSlots[0];
            for (size_t i = start; i < start + range.Size; ++i) {
                allowed[i] = true;
                touched[r] = touched[r] || before[i] != after[i];
            }
        }
        size_t strays = 0;
        for (size_t i = 0; i < before.size(); ++i)
            strays += before[i] != after[i] && !allowed[i];
        CHECK_EQ(strays, 0u);
        CHECK(std::find(touched.begin(), touched.end(), false) == touched.end());
    }
}

TEST_CASE(set_keeps_a_display_name_given_apart_and_can_write_elsewhere)
{
    PrepareWork();
    const std::string saver = Work + "/made.scr", copy = Work + "/copy.scr";
    REQUIRE(RunTool(Create(saver, {"--name", "Old", "--display-name", "Shown Name"})).ExitCode == 0);
    const Bytes original = ReadFile(saver);
    const RunResult result = RunTool({"set", saver, "--name", "New", "--out", copy});
    CHECK_EQ(result.ExitCode, 0);
    CHECK(PrintsLine(result, "wrote " + copy + ": changed SaverName"));
    CHECK(ReadFile(saver) == original);
    const Bytes changed = ReadFile(copy);
    CHECK_EQ(std::string(TrailerOf(changed).SaverName), "New");
    CHECK_EQ(samples::NameAt(changed, RuntimeSlots[0]), "Shown Name" + std::string(50, ' '));

    // A new logo replaces the old one and moves the trailer.
    REQUIRE(RunTool({"set", copy, "--logo", PngPath}).ExitCode == 0);
    const Bytes withPng = ReadFile(copy);
    CHECK_EQ(TrailerOf(withPng).ImageSize, 54 + 12);
    CHECK_EQ(TrailerOf(withPng).TransparentColor, 0xFF00FF);
    CHECK_EQ(withPng.size(), RuntimeBytes().size() + 54 + 12 + TrailerSize);
}

TEST_CASE(the_same_inputs_make_the_same_bytes)
{
    for (const std::string& logo : {LogoPath, PngPath}) {
        TEST_ROW(logo);
        PrepareWork();
        const std::vector<std::string> options = {"--name", "Same", "--description", "twice", "--set", "FadeSpeed=4"};
        REQUIRE(RunTool(Create(Work + "/first.scr", options, logo)).ExitCode == 0);
        REQUIRE(RunTool(Create(Work + "/second.scr", options, logo)).ExitCode == 0);
        const Bytes first = ReadFile(Work + "/first.scr");
        CHECK(!first.empty());
        CHECK(first == ReadFile(Work + "/second.scr"));
    }
}

TEST_CASE(refused_inputs_name_the_problem_and_leave_nothing_behind)
{
    PrepareWork();
    const std::string saver = Work + "/made.scr", notProgram = Work + "/archive.zip", notLogo = Work + "/logo.txt",
                      cutLogo = Work + "/cut.bmp", cutPng = Work + "/cut.png", missing = Work + "/missing.exe",
                      otherProgram = Work + "/other.exe", config = Work + "/bad.conf", keyed = Work + "/keyed.png";
    REQUIRE(RunTool(Create(saver, {})).ExitCode == 0);
    WriteFile(notProgram, {'P', 'K', 3, 4, 0, 0});
    WriteText(notLogo, std::string(100, 't'));
    Bytes logo = LogoBytes();
    logo.resize(logo.size() - 1);
    WriteFile(cutLogo, logo);
    const Bytes png = PngBytes();
    WriteFile(cutPng, Bytes(png.begin(), png.end() - 20));
    WriteFile(otherProgram, samples::MakeProgram({0x014C, 1, 0, 59, 6}));
    WriteText(config, "SaverName = fine\nbouncespeed = 4\n");
    WriteFile(keyed, samples::EncodePng(2, 1, {{0, 0, 0, 0}, {0, 255, 0, 255}}));

    const std::string out = Work + "/out.scr";
    enum Target { Absent, OldFile, Directory };
    struct Row { const char* Name; std::vector<std::string> Arguments; int Exit; std::string Message; Target Before; };
    const Row rows[] = {
        {"no command", {}, 2, "no command", Absent},
        {"unknown option", Create(out, {"--colour", "#000000"}), 2, "unknown option --colour", Absent},
        {"missing logo", {"create", "--runtime", RuntimePath, "--out", out}, 2, "--logo is required", Absent},
        {"option twice", Create(out, {"--name", "a", "--name", "b"}), 2, "--name is given twice", Absent},
        {"setting twice", Create(out, {"--set", "FadeSpeed=1", "--set", "FadeSpeed=2"}), 2, "--set FadeSpeed is given twice", Absent},
        {"set without a change", {"set", saver}, 2, "set needs something to change", Absent},
        {"runtime missing", {"create", "--runtime", missing, "--logo", LogoPath, "--out", out}, 1,
         "cannot read runtime " + missing + ": No such file or directory", Absent},
        {"runtime not a program", {"create", "--runtime", notProgram, "--logo", LogoPath, "--out", out}, 1,
         notProgram + " is not a Windows program", Absent},
        {"runtime not ours", {"create", "--runtime", otherProgram, "--logo", LogoPath, "--out", out}, 1,
         otherProgram + " is not a Glimmora runtime", Absent},
        {"runtime already a saver", {"create", "--runtime", saver, "--logo", LogoPath, "--out", out}, 1,
         "already carries a saver package", Absent},
        {"logo neither BMP nor PNG", Create(out, {}, notLogo), 1, notLogo + " is not a BMP or PNG file", Absent},
        {"BMP cut short", Create(out, {}, cutLogo), 1, "is a damaged BMP file: the file ends before its last row", Absent},
        {"PNG cut short", Create(out, {}, cutPng), 1, "is a damaged PNG file: the file ends inside its IDAT chunk", Absent},
        {"PNG showing its key", Create(out, {"--transparent", "#00FF00"}, keyed), 1,
         "uses the transparent colour #00FF00 in 1 visible pixels", Absent},
        {"name too long", Create(out, {"--name", std::string(64, 'n')}), 1, "--name is 64 characters long; at most 63 fit", Absent},
        {"name too long to display", Create(out, {"--name", std::string(61, 'n')}), 1, "give a shorter --display-name", Absent},
        {"display name too long", Create(out, {"--display-name", std::string(61, 'n')}), 1,
         "--display-name is 61 characters long; at most 60 fit", Absent},
        {"control character", Create(out, {"--description", "tab\there"}), 1, "--description contains a control character", Absent},
        {"not Windows-1252", Create(out, {"--name", "\xE2\x86\x92"}), 1, "--name contains", Absent},
        {"empty name", Create(out, {"--name", ""}), 1, "--name is empty", Absent},
        {"file name too long for a name", Create(Work + "/" + std::string(64, 'f') + ".scr", {}), 1, "give one with --name", Absent},
        {"id above 32 bits", Create(out, {"--saver-id", "0x100000000"}), 1, "--saver-id 0x100000000 is not a 32-bit number", Absent},
        {"colour by name", Create(out, {"--transparent", "red"}), 1, "--transparent red is not a colour", Absent},
        {"unknown field", Create(out, {"--set", "Bogus=1"}), 1, "--set Bogus=1: there is no settings field Bogus", Absent},
        {"setting not a number", Create(out, {"--set", "BounceSpeed=fast"}), 1, "BounceSpeed fast is not a whole number", Absent},
        {"setting out of range", Create(out, {"--set", "BounceSpeed=11"}), 1, "BounceSpeed must be from 1 to 10", Absent},
        {"setting not a choice", Create(out, {"--set", "FallingDirection=5"}), 1, "one of 1, 2, 4, 8, 12, 3, 15", Absent},
        {"config key in the wrong case", Create(out, {"--config", config}), 1,
         config + ", line 2: unknown key bouncespeed (did you mean BounceSpeed?)", Absent},
        {"output is the runtime", {"create", "--runtime", RuntimePath, "--logo", LogoPath, "--out", RuntimePath}, 1,
         "is the runtime itself", Absent},
        {"output directory missing", Create(Work + "/nowhere/out.scr", {}), 3, "nowhere/out.scr", Absent},
        {"refused over an existing saver", Create(out, {"--background", "black"}), 1, "--background black", OldFile},
        {"set refused on an existing saver", {"set", saver, "--set", "FadeSpeed=9", "--out", out}, 1, "FadeSpeed must be", OldFile},
        {"output is a directory", Create(out, {}), 3, out, Directory},
    };
    const Bytes oldContents = {'o', 'l', 'd'};
    const Bytes madeBefore = ReadFile(saver), runtimeBefore = ReadFile(RuntimePath);
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        std::remove(out.c_str());
        rmdir(out.c_str());
        if (row.Before == OldFile)
            WriteFile(out, oldContents);
        if (row.Before == Directory)
            mkdir(out.c_str(), 0777);
        const std::set<std::string> before = ListWork();

        const RunResult result = RunTool(row.Arguments);
        CHECK_EQ(result.ExitCode, row.Exit);
        CHECK(result.Err.find(row.Message) != std::string::npos);
        // One line, in the form every message of the tool takes.
        CHECK_EQ(result.Err.compare(0, 17, "glimmora-author: "), 0);
        CHECK_EQ(result.Err.find('\n'), result.Err.size() - 1);
        CHECK_EQ(result.Out, "");
        if (row.Before == OldFile)
            CHECK(ReadFile(out) == oldContents);
        if (row.Before == Absent)
            CHECK(access(out.c_str(), F_OK) != 0);
        CHECK(ListWork() == before);
    }
    CHECK(ReadFile(saver) == madeBefore);
    CHECK(ReadFile(RuntimePath) == runtimeBefore);
    rmdir(out.c_str());
}

TEST_CASE(inspect_refuses_files_without_a_sound_package)
{
    PrepareWork();
    const std::string saver = Work + "/made.scr";
    REQUIRE(RunTool(Create(saver, {})).ExitCode == 0);
    const Bytes made = ReadFile(saver);
    const size_t trailer = made.size() - TrailerSize;

    Bytes oversized = made;
    const int32_t tooLarge = static_cast<int32_t>(made.size());
    std::memcpy(&oversized[trailer + offsetof(SaverTrailer, ImageSize)], &tooLarge, 4);
    Bytes badMagic = made;
    badMagic[trailer + offsetof(SaverTrailer, Magic)] = 'Z';
    Bytes noImage = made;
    std::memset(&noImage[trailer + offsetof(SaverTrailer, ImageSize)], 0, 4);
    Bytes foreign = made;
    std::memset(foreign.data(), 0, 2);

    struct Row { const char* Name; Bytes Contents; int Exit; const char* Output; };
    const Row rows[] = {
        {"runtime alone", RuntimeBytes(), 1, "carries no saver package"},
        {"wrong magic", badMagic, 1, "carries no saver package"},
        {"logo larger than the file", oversized, 1, "has a damaged saver package"},
        {"no logo", noImage, 0, "Logo: none"},
        {"not our program", foreign, 0, "Runtime: unknown: the program is not a Windows program"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        const std::string path = Work + "/inspected.scr";
        WriteFile(path, row.Contents);
        const RunResult result = RunTool({"inspect", path});
        CHECK_EQ(result.ExitCode, row.Exit);
        CHECK((row.Exit == 0 ? result.Out : result.Err).find(row.Output) != std::string::npos);
    }
    CHECK_EQ(RunTool({"inspect", Work + "/missing.scr"}).ExitCode, 1);
    CHECK_EQ(RunTool({"inspect"}).ExitCode, 2);
}

TEST_MAIN()
