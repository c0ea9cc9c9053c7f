// Runs the built glimmora-author on files it writes itself and checks the savers it makes.
#include "package/bmp_format.h"
#include "package/saver_trailer.h"
#include "testkit.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

static const std::string Scratch = GLIMMORA_TOOL_SCRATCH;
static const std::string Work = Scratch + "/work";        // the tool's inputs and outputs
static const std::string Capture = Scratch + "/capture";  // what the tool printed
static const std::string RuntimePath = Work + "/runtime.exe";
static const std::string LogoPath = Work + "/logo.bmp";

static void WriteFile(const std::string& path, const Bytes& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

static Bytes ReadFile(const std::string& path)
{
    Bytes bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    int byte;
    while ((byte = std::fgetc(file)) != EOF)
        bytes.push_back(static_cast<uint8_t>(byte));
    std::fclose(file);
    return bytes;
}

static std::string ReadText(const std::string& path)
{
    const Bytes bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

static bool PathExists(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0;
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

static Bytes RuntimeBytes()
{
    Bytes runtime = {'M', 'Z'};
    for (int i = 0; i < 300; ++i)
        runtime.push_back(static_cast<uint8_t>(i * 7));
    return runtime;
}

static Bytes LogoBytes()
{
    // An odd width, so that rows carry padding the tool must keep as it is.
    uint32_t pixels[5 * 3];
    for (int i = 0; i < 15; ++i)
        pixels[i] = 0x102030u * static_cast<uint32_t>(i + 1);
    return EncodeBmp24(5, 3, pixels);
}

// A fresh work directory holding the runtime and the logo.
static void PrepareWork()
{
    mkdir(Scratch.c_str(), 0777);
    mkdir(Capture.c_str(), 0777);
    mkdir(Work.c_str(), 0777);
    for (const std::string& name : ListWork())
        if (name != "." && name != "..")
            std::remove((Work + "/" + name).c_str());
    WriteFile(RuntimePath, RuntimeBytes());
    WriteFile(LogoPath, LogoBytes());
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
    RunResult result;
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Out = ReadText(Capture + "/stdout");
    result.Err = ReadText(Capture + "/stderr");
    return result;
}

static std::vector<std::string> Create(const std::string& out, const std::vector<std::string>& options)
{
    std::vector<std::string> arguments = {"create", "--runtime", RuntimePath, "--logo", LogoPath, "--out", out};
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

static bool SlotHolds(const char (&slot)[TrailerTextSize], const std::string& text)
{
    char expected[TrailerTextSize] = {};
    std::memcpy(expected, text.data(), text.size());
    return std::memcmp(slot, expected, TrailerTextSize) == 0;
}

static bool PrintsLine(const RunResult& result, const std::string& line)
{
    return ("\n" + result.Out).find("\n" + line + "\n") != std::string::npos;
}

struct ExpectedSetting {
    const char* Name;
    int32_t Value;
};

static void CheckSettings(const SaverSettings& settings, const std::vector<ExpectedSetting>& expected)
{
    for (const ExpectedSetting& row : expected) {
        TEST_ROW(row.Name);
        const SettingsField* field = FindSettingsField(row.Name);
        REQUIRE(field);
        CHECK_EQ(ReadSettingsField(settings, *field), row.Value);
    }
}

TEST_CASE(create_puts_runtime_logo_and_every_option_into_the_saver)
{
    PrepareWork();
    const std::string out = Work + "/Full Saver.scr";
    const std::string address(63, 'w');
    const RunResult made = RunTool(Create(out, {
        "--name", "Glimmora Demo", "--description", "A demo", "--web-address", address,
        "--saver-id", "0xDEADBEEF", "--background", "#102030", "--transparent", "#a0B0c0",
        "--set", "BounceSpeed=5", "--set", "FadeSpeed=2", "--set", "DripTile=1", "--set", "DripIntervalMs=910",
        "--set", "IgnoreInput=7", "--set", "Reserved8=-5", "--set", "FallingDirection=12",
        "--set", "FallingLogoCount=99", "--allow-out-of-range"}));
    CHECK_EQ(made.Err, "");
    REQUIRE(made.ExitCode == 0);

    const Bytes runtime = RuntimeBytes(), logo = LogoBytes(), file = ReadFile(out);
    REQUIRE(file.size() == runtime.size() + logo.size() + TrailerSize);
    CHECK(std::equal(runtime.begin(), runtime.end(), file.begin()));
    CHECK(std::equal(logo.begin(), logo.end(), file.begin() + runtime.size()));

    const SaverTrailer trailer = TrailerOf(file);
    CHECK_EQ(trailer.Reserved0, 0u);
    CHECK_EQ(trailer.ImageSize, static_cast<int32_t>(logo.size()));
    CHECK_EQ(trailer.SaverId, 0xDEADBEEFu);
    CHECK_EQ(trailer.BackgroundColor, 0x00302010u);
    CHECK_EQ(trailer.TransparentColor, 0x00C0B0A0);
    CHECK(SlotHolds(trailer.SaverName, "Glimmora Demo"));
    CHECK(SlotHolds(trailer.Description, "A demo"));
    CHECK(SlotHolds(trailer.WebAddress, address));
    CHECK(std::memcmp(trailer.Magic, "zolvinar", 8) == 0);
    CHECK_EQ(trailer.ImageSlot, 0u);
    // The settings dialog's ties hold even for values set by hand: gravity is
    // three times the speed, the fade's derived value follows its speed, and
    // all three kinds of input are never ignored together.
    CheckSettings(trailer.Settings, {
        {"SettingsDialogEnabled", 1}, {"EnabledModes", 255}, {"HiddenPages", 0}, {"ChangeModeEnabled", 1},
        {"ChangeModeMinutes", 5}, {"IgnoreInput", 6}, {"UseTransparency", 1}, {"PlainDelayMs", 5000},
        {"Reserved8", -5}, {"BounceSpeed", 5}, {"BounceGravity", 15}, {"BounceWrapSides", 0},
        {"ManyDelayMs", 300}, {"FadeIntervalMs", 10}, {"FadeSpeed", 2}, {"FadeRandomPositions", 1},
        {"FadeDerived", 1150}, {"DripIntervalMs", 910}, {"DripTile", 1}, {"FallingIntervalMs", 5},
        {"FallingSpeed", 10}, {"FallingLogoCount", 99}, {"FallingSizeByDepth", 1},
        {"FallingFadeInDistance", 1}, {"FallingDirection", 12}});

    const RunResult shown = RunTool({"inspect", out});
    CHECK_EQ(shown.ExitCode, 0);
    const std::string lines[] = {
        "ImageSize: " + std::to_string(logo.size()), "Logo: 5 x 3, 24 bits per pixel", "SaverId: 0xdeadbeef",
        "BackgroundColor: #102030", "TransparentColor: #A0B0C0", "SaverName: Glimmora Demo",
        "WebAddress: " + address, "BounceGravity: 15", "FallingDirection: 12"};
    for (const std::string& line : lines) {
        TEST_ROW(line);
        CHECK(PrintsLine(shown, line));
    }
}

TEST_CASE(create_without_options_names_the_saver_after_its_file)
{
    struct Row { const char* File; const char* Name; };
    const Row rows[] = {
        {"foobar.scr", "foobar"},
        {"Glimmora Demo.scr", "Glimmora Demo"},
        {"version 1.2.scr", "version 1.2"},
        {"no extension", "no extension"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.File);
        PrepareWork();
        const std::string out = Work + "/" + row.File;
        REQUIRE(RunTool(Create(out, {})).ExitCode == 0);
        const SaverTrailer trailer = TrailerOf(ReadFile(out));
        CHECK(SlotHolds(trailer.SaverName, row.Name));
        CHECK(SlotHolds(trailer.Description, ""));
        CHECK(SlotHolds(trailer.WebAddress, ""));
        CHECK_EQ(trailer.BackgroundColor, 0u);
        CHECK_EQ(trailer.TransparentColor, -1);
        CheckSettings(trailer.Settings, {{"DripIntervalMs", 410}, {"DripTile", 0}, {"BounceGravity", 9},
                                         {"FadeDerived", 950}, {"SettingsDialogEnabled", 1}});
    }
    // The id is FNV-1a of the name; "foobar" is one of that hash's published vectors.
    PrepareWork();
    REQUIRE(RunTool(Create(Work + "/foobar.scr", {})).ExitCode == 0);
    CHECK_EQ(TrailerOf(ReadFile(Work + "/foobar.scr")).SaverId, 0xbf9cf968u);
    const RunResult shown = RunTool({"inspect", Work + "/foobar.scr"});
    CHECK(PrintsLine(shown, "TransparentColor: none"));
    CHECK(PrintsLine(shown, "Description: "));
}

TEST_CASE(values_at_their_limits_are_stored_exactly)
{
    enum Slot { SaverId, Background, Transparent, Reserved8 };
    struct Row { const char* Option; const char* Value; Slot Where; uint32_t Stored; };
    const Row rows[] = {
        {"--saver-id", "4294967295", SaverId, 0xFFFFFFFFu},
        {"--saver-id", "0X1f", SaverId, 0x1Fu},
        {"--saver-id", "0", SaverId, 0u},
        {"--background", "#FFFFFF", Background, 0x00FFFFFFu},
        {"--background", "#0000ff", Background, 0x00FF0000u},
        {"--transparent", "#ff0000", Transparent, 0x000000FFu},
        {"--transparent", "#000000", Transparent, 0u},
        {"--set", "Reserved8=-2147483648", Reserved8, 0x80000000u},
        {"--set", "Reserved8=2147483647", Reserved8, 0x7FFFFFFFu},
    };
    for (const Row& row : rows) {
        TEST_ROW(std::string(row.Option) + " " + row.Value);
        PrepareWork();
        const std::string out = Work + "/edge.scr";
        REQUIRE(RunTool(Create(out, {row.Option, row.Value})).ExitCode == 0);
        const SaverTrailer trailer = TrailerOf(ReadFile(out));
        const uint32_t stored[] = {trailer.SaverId, trailer.BackgroundColor,
                                   static_cast<uint32_t>(trailer.TransparentColor),
                                   static_cast<uint32_t>(trailer.Settings.Reserved8)};
        CHECK_EQ(stored[row.Where], row.Stored);
    }
}

TEST_CASE(the_same_inputs_make_the_same_bytes)
{
    PrepareWork();
    const std::vector<std::string> options = {"--name", "Same", "--description", "twice", "--set", "FadeSpeed=4"};
    REQUIRE(RunTool(Create(Work + "/first.scr", options)).ExitCode == 0);
    REQUIRE(RunTool(Create(Work + "/second.scr", options)).ExitCode == 0);
    const Bytes first = ReadFile(Work + "/first.scr");
    CHECK(!first.empty());
    CHECK(first == ReadFile(Work + "/second.scr"));
}

TEST_CASE(refused_inputs_name_the_problem_and_leave_nothing_behind)
{
    PrepareWork();
    const std::string saver = Work + "/made.scr", notProgram = Work + "/archive.zip", notBmp = Work + "/logo.txt",
                      cutLogo = Work + "/cut.bmp", missing = Work + "/missing.exe";
    REQUIRE(RunTool(Create(saver, {})).ExitCode == 0);
    WriteFile(notProgram, {'P', 'K', 3, 4, 0, 0});
    const std::string text(100, 't');
    WriteFile(notBmp, Bytes(text.begin(), text.end()));
    Bytes logo = LogoBytes();
    logo.resize(logo.size() - 1);
    WriteFile(cutLogo, logo);

    const std::string out = Work + "/out.scr";
    enum Target { Absent, OldFile, Directory };
    struct Row { const char* Name; std::vector<std::string> Arguments; int Exit; std::string Message; Target Before; };
    const Row rows[] = {
        {"no command", {}, 2, "no command", Absent},
        {"unknown command", {"frobnicate"}, 2, "unknown command frobnicate", Absent},
        {"unknown option", Create(out, {"--colour", "#000000"}), 2, "unknown option --colour", Absent},
        {"missing logo", {"create", "--runtime", RuntimePath, "--out", out}, 2, "--logo is required", Absent},
        {"missing out", {"create", "--runtime", RuntimePath, "--logo", LogoPath}, 2, "--out is required", Absent},
        {"value missing", Create(out, {"--name"}), 2, "--name needs a value", Absent},
        {"option twice", Create(out, {"--name", "a", "--name", "b"}), 2, "--name is given twice", Absent},
        {"runtime missing", {"create", "--runtime", missing, "--logo", LogoPath, "--out", out}, 1, missing, Absent},
        {"runtime not a program", {"create", "--runtime", notProgram, "--logo", LogoPath, "--out", out}, 1,
         notProgram + " is not a Windows program", Absent},
        {"runtime already a saver", {"create", "--runtime", saver, "--logo", LogoPath, "--out", out}, 1,
         "already carries a saver package", Absent},
        {"logo not a BMP", {"create", "--runtime", RuntimePath, "--logo", notBmp, "--out", out}, 1,
         DescribeBmpFault(BmpFault::NotBmp), Absent},
        {"logo cut short", {"create", "--runtime", RuntimePath, "--logo", cutLogo, "--out", out}, 1,
         DescribeBmpFault(BmpFault::PixelsTruncated), Absent},
        {"name too long", Create(out, {"--name", std::string(70, 'n')}), 1,
         "--name is 70 characters long; at most 63 fit", Absent},
        {"address one too long", Create(out, {"--web-address", std::string(64, 'w')}), 1,
         "--web-address is 64 characters long", Absent},
        {"control character", Create(out, {"--description", "tab\there"}), 1,
         "--description contains a control character", Absent},
        {"file name too long for a name", Create(Work + "/" + std::string(64, 'f') + ".scr", {}), 1,
         "give one with --name", Absent},
        {"id above 32 bits", Create(out, {"--saver-id", "0x100000000"}), 1, "--saver-id 0x100000000", Absent},
        {"decimal id above 32 bits", Create(out, {"--saver-id", "4294967296"}), 1, "--saver-id", Absent},
        {"negative id", Create(out, {"--saver-id", "-1"}), 1, "--saver-id", Absent},
        {"id with trailing text", Create(out, {"--saver-id", "12abc"}), 1, "--saver-id", Absent},
        {"short colour", Create(out, {"--background", "#12345"}), 1, "--background #12345", Absent},
        {"colour without #", Create(out, {"--background", "102030"}), 1, "--background", Absent},
        {"colour by name", Create(out, {"--transparent", "red"}), 1, "--transparent red", Absent},
        {"unknown field", Create(out, {"--set", "Bogus=1"}), 1, "Bogus", Absent},
        {"field in other case", Create(out, {"--set", "bouncespeed=3"}), 1, "bouncespeed", Absent},
        {"setting without value", Create(out, {"--set", "BounceSpeed"}), 1, "Field=Value", Absent},
        {"setting not a number", Create(out, {"--set", "BounceSpeed=fast"}), 1, "not a whole number", Absent},
        {"setting above 32 bits", Create(out, {"--set", "Reserved8=2147483648", "--allow-out-of-range"}), 1,
         "not a whole number", Absent},
        {"setting out of range", Create(out, {"--set", "BounceSpeed=11"}), 1, "BounceSpeed must be from 1 to 10",
         Absent},
        {"setting not a choice", Create(out, {"--set", "FallingDirection=5"}), 1, "one of 1, 2, 4, 8, 12, 3, 15",
         Absent},
        {"output directory missing", Create(Work + "/nowhere/out.scr", {}), 3, "nowhere/out.scr", Absent},
        {"refused over an existing saver", Create(out, {"--background", "black"}), 1, "--background black", OldFile},
        {"output is a directory", Create(out, {}), 3, out, Directory},
    };
    const Bytes oldContents = {'o', 'l', 'd'};
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
        if (row.Before == OldFile)
            CHECK(ReadFile(out) == oldContents);
        if (row.Before == Absent)
            CHECK(!PathExists(out));
        CHECK(ListWork() == before);
    }
    rmdir(out.c_str());
}

TEST_CASE(inspect_refuses_files_without_a_sound_package)
{
    PrepareWork();
    const std::string saver = Work + "/made.scr";
    REQUIRE(RunTool(Create(saver, {})).ExitCode == 0);
    const Bytes made = ReadFile(saver);

    Bytes oversized = made;
    const int32_t tooLarge = static_cast<int32_t>(made.size());
    std::memcpy(oversized.data() + oversized.size() - TrailerSize + offsetof(SaverTrailer, ImageSize), &tooLarge, 4);
    Bytes badMagic = made;
    badMagic[badMagic.size() - TrailerSize + offsetof(SaverTrailer, Magic)] = 'Z';
    Bytes noImage = made;
    const int32_t zero = 0;
    std::memcpy(noImage.data() + noImage.size() - TrailerSize + offsetof(SaverTrailer, ImageSize), &zero, 4);

    struct Row { const char* Name; Bytes Contents; int Exit; const char* Output; };
    const Row rows[] = {
        {"runtime alone", RuntimeBytes(), 1, "carries no saver package"},
        {"shorter than a trailer", {'M', 'Z'}, 1, "carries no saver package"},
        {"wrong magic", badMagic, 1, "carries no saver package"},
        {"logo larger than the file", oversized, 1, "has a damaged saver package"},
        {"no logo", noImage, 0, "Logo: none"},
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
