// The authoring tool: its parts one by one, then the built tool run as a user would, on files in a scratch directory.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include "native/tables.h"
#include "tool/sample_files.h"

#include "config_file.h"
#include "logo_input.h"
#include "package/bmp_format.h"
#include "package/saver_trailer.h"
#include "saver_fields.h"
#include "string_resource.h"
#include "text_encoding.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

using samples::Bytes;
using samples::MakeProgram;
using samples::Rgba;

static ProgramFault Walk(const Bytes& file, DisplayNameSlots* slots = nullptr)  // over an exact heap copy, for the sanitizer
{
    DisplayNameSlots unused;
    std::unique_ptr<uint8_t[]> copy(new uint8_t[file.size() + 1]);
    std::copy(file.begin(), file.end(), copy.get());
    return FindDisplayNameSlots(copy.get(), file.size(), slots ? slots : &unused);
}
TEST_CASE("the walk finds string 1 of every language, tells apart programs without a sound one, and never reads past a cut one") {
    for (auto [shape, machine] : {std::pair{samples::ProgramShape{}, ProgramMachine::X86}, {{0x8664, 1, 0, 60, 6}, ProgramMachine::X64},
             {{0x014C, 3, 0, 60, 6}, ProgramMachine::X86}, {{0x8664, 2, 7, 60, 6}, ProgramMachine::X64}, {{0x01C4, 1, 0, 60, 6}, ProgramMachine::Other}}) {
        std::vector<size_t> expected;
        DisplayNameSlots slots;
        const ProgramFault fault = Walk(MakeProgram(shape, &expected), &slots);
        CHECK_ROW((shape.Machine, shape.Languages), (fault, slots.Machine, slots.Offsets == expected), (ProgramFault::None, machine, true));
    }
    const Bytes sound = MakeProgram({});
    auto changed = [&sound](size_t at, uint32_t value) { Bytes file = sound; samples::Put(file, at, value); return file; };
    const size_t sections = 0x58 + 224, resources = samples::SectionFileOffset;
    const ProgramFault N = ProgramFault::NotProgram, D = ProgramFault::Damaged, U = ProgramFault::NoDisplayName;
    for (auto& [name, file, fault] : {std::tuple{"empty", Bytes{}, N}, {"a zip file", {'P', 'K', 3, 4, 0, 0, 0, 0}, N},
             {"MZ without PE", Bytes(sound.begin(), sound.begin() + 0x40), N}, {"PE pointer past the end", changed(0x3C, 0x7FFFFFF0), N},
             {"section data past the end", changed(sections + 20, 0x10000), D}, {"section count beyond the headers", changed(0x46, 0xFFFF), D},
             {"resources beyond the section's data", changed(sections + 16, 0x40), D}, {"type entry outside", changed(resources + 20, 0x80007000), D},
             {"block size beyond the section", changed(resources + 76, 0x100000), D}, {"no resource directory", changed(0x58 + 112, 0), U},
             {"no string table", MakeProgram({0x014C, 1, 0, 60, 3}), U}, {"string 1 of 59", MakeProgram({0x014C, 1, 0, 59, 6}), U},
             {"string 1 of 61", MakeProgram({0x014C, 1, 0, 61, 6}), U}})
        CHECK_ROW((name), (Walk(file)), (fault));
    std::vector<size_t> slots;
    const Bytes program = MakeProgram({0x8664, 2, 3, 60, 6}, &slots);
    const size_t needed = slots.back() + 120 + 28;  // the whole last block: string 1, then 14 empty strings
    for (size_t size = 0; size < program.size(); ++size)
        CHECK_ROW((size), (Walk(Bytes(program.begin(), program.begin() + long(size))) == ProgramFault::None), (size >= needed));
    for (size_t at = 0; at < needed; ++at)  // every header and resource byte scrambled three ways
        for (uint8_t value : {0x00, 0x80, 0xFF}) {
            Bytes scrambled = program;
            scrambled[at] = value, Walk(scrambled);
        }
}
TEST_CASE("a PNG must be whole before it is decoded, and empty image chunks add nothing") {
    std::vector<Rgba> pixels;
    for (uint8_t i = 0; i < 6; ++i) pixels.push_back({i, uint8_t(2 * i), 200, uint8_t(40 * i)});
    const Bytes sound = samples::EncodePng(3, 2, pixels);
    const size_t idat = 8 + 25, iend = sound.size() - 12;
    auto edited = [&sound](size_t chunk, size_t at, std::vector<uint8_t> bytes) {
        Bytes png = sound;
        std::copy(bytes.begin(), bytes.end(), png.begin() + long(at));
        return chunk ? samples::SealChunk(png, chunk) : png;
    };
    Bytes padded(sound.begin(), sound.begin() + idat), emptyChunk;  // an empty IDAT before the data and one after it
    samples::AppendChunk(emptyChunk, "IDAT", {});
    for (auto [from, to] : {std::pair{idat, iend}, {iend, sound.size()}})
        padded.insert(padded.end(), emptyChunk.begin(), emptyChunk.end()), padded.insert(padded.end(), sound.begin() + long(from), sound.begin() + long(to));
    for (auto& [name, png, problem] : {std::tuple{"sound", sound, ""}, {"padded", padded, ""}, {"bytes after IEND", edited(0, 0, {}), ""},
             {"cut inside a chunk", Bytes(sound.begin(), sound.end() - 20), "ends inside its IDAT chunk"},
             {"cut before IEND", Bytes(sound.begin(), sound.begin() + long(iend)), "ends before its IEND chunk"},
             {"changed byte", edited(0, sound.size() - 20, {1}), "IDAT chunk (chunk 2) fails its CRC check"},
             {"40000 pixels wide", edited(8, 16, {0, 0, 0x9C, 0x40}), "too large"}, {"no height", edited(8, 20, {0, 0, 0, 0}), "no width or no height"},
             {"no IHDR first", edited(8, 12, {'I', 'H', 'D', 'X'}), "does not start with an IHDR chunk"},
             {"pixel data that does not inflate", edited(idat, idat + 8, {0xFF}), ""}}) {
        const std::string got = PngStructureProblem(png.data(), png.size());
        CHECK_ROW((name), (got.find(problem) != std::string::npos, *problem || got.empty()), (true, true));
    }
    RgbaPicture expected, picture;
    std::string problem;
    REQUIRE(DecodePng(sound.data(), sound.size(), &expected, &problem));
    REQUIRE(DecodePng(padded.data(), padded.size(), &picture, &problem));
    CHECK_ROW((), (picture.Width, picture.Height, picture.Rgba == expected.Rgba, +picture.Rgba[23]), (3, 2, true, 200));
    const Bytes badData = edited(idat, idat + 8, {0xFF});
    const bool decoded = DecodePng(badData.data(), badData.size(), &picture, &problem);
    CHECK_ROW((), (decoded, problem.find("does not decode") != std::string::npos), (false, true));
}
static RgbaPicture Picture(const std::vector<Rgba>& pixels)
{ RgbaPicture picture = {int32_t(pixels.size()), 1, {}}; for (const Rgba& p : pixels) picture.Rgba.insert(picture.Rgba.end(), {p.R, p.G, p.B, p.A}); return picture; }
TEST_CASE("PNG alpha becomes a key colour and blends onto the background, rounded; a given key the logo shows is refused") {
    const Rgba clear = {1, 2, 3, 0}, red = {255, 0, 0, 255}, magenta = {255, 0, 255, 255}, black = {0, 0, 0, 255};
    const KeyChoice pick = {false, -1};
    // Pixels, key choice; flat pixels as 0xRRGGBB, transparent COLORREF, picked. The background is #203040.
    for (auto& [row, pixels, key, flat, transparent, picked] : {std::tuple{0, std::vector<Rgba>{red, {0, 255, 0, 255}}, pick,
             std::vector<uint32_t>{0xFF0000, 0x00FF00}, -1, false}, {1, {clear, red}, pick, {0xFF00FF, 0xFF0000}, 0xFF00FF, 1},
             {2, {clear, magenta}, pick, {0x000000, 0xFF00FF}, 0, 1}, {3, {clear, magenta, black}, pick, {1, 0xFF00FF, 0}, 0x010000, 1},
             {4, {{255, 0, 0, 128}}, pick, {0x901820}, -1, 0}, {5, {{255, 255, 255, 1}}, pick, {0x213141}, -1, 0},
             {6, {clear, red}, {true, 0xFF0000}, {0x0000FF, 0xFF0000}, 0xFF0000, 0}, {7, {clear, red}, {true, -1}, {0x203040, 0xFF0000}, -1, 0},
             {8, {{0x12, 0x34, 0x56, 255}}, {true, 0xFF00FF}, {0x123456}, 0xFF00FF, 0}}) {
        FlatLogo logo;
        const std::string problem = FlattenPicture(Picture(pixels), 0x403020, key, &logo);
        CHECK_ROW((row), (problem, logo.Pixels == flat, logo.TransparentColor, logo.KeyPicked), ("", true, transparent, picked));
    }
    FlatLogo logo;  // half green over green is green
    for (auto [pixels, background, count] : {std::tuple{std::vector<Rgba>{{0, 255, 0, 255}, {0, 255, 0, 255}, clear}, 0x403020u, "2"},
                                             {std::vector<Rgba>{clear, {0, 255, 0, 128}}, 0xFF00u, "1"}})
        CHECK_ROW((count), (FlattenPicture(Picture(pixels), background, {true, 0xFF00}, &logo).find("#00FF00 in " + std::string(count) + " visible") != std::string::npos), (true));
}
TEST_CASE("config lines give keys and values, or the line and its problem") {
    using E = std::vector<std::pair<std::string, std::string>>;
    for (auto& [text, entries, problem] : {std::tuple{"# a comment\n\n  ; another\nSaverName = Demo\n", E{{"SaverName", "Demo"}}, ""},
             {"BackgroundColor=#102030", {{"BackgroundColor", "#102030"}}, ""}, {"Description = \"  two  \"\r\n", {{"Description", "  two  "}}, ""},
             {"Description = \"\"", {{"Description", ""}}, ""}, {"WebAddress = http://x/?a=b", {{"WebAddress", "http://x/?a=b"}}, ""},
             {"\xEF\xBB\xBFSaverId = 0x10\r\nBounceSpeed = 4\r\n", {{"SaverId", "0x10"}, {"BounceSpeed", "4"}}, ""},
             {"SaverName = a\nBounceSpeed 4\n", {}, "line 2: \"BounceSpeed 4\" is not of the form Key = Value"}, {"= 4", {}, "line 1: a value without a key"},
             {"Bounce Speed = 4", {}, "line 1: \"Bounce Speed\" is not a key"}, {"FadeSpeed = 1\n\nFadeSpeed = 2", {}, "line 3: FadeSpeed is given twice (first on line 1)"}}) {
        std::vector<ConfigEntry> got;
        std::string why;
        const bool parsed = ParseConfigText(text, &got, &why);
        E pairs;
        for (const ConfigEntry& entry : got) pairs.emplace_back(entry.Key, entry.Value);
        CHECK_ROW((text), (parsed, why.find(problem), !parsed || pairs == entries), (!*problem, 0u, true));
    }
}
TEST_CASE("texts are stored in Windows-1252 and every printable byte goes there and back") {
    for (auto& [utf8, ansi, problem] : {std::tuple{std::string("Glimmora Demo"), std::string("Glimmora Demo"), ""}, {"Caf\xC3\xA9 \xC3\xBF", "Caf\xE9 \xFF", ""},
             {"\xE2\x82\xAC \xC5\xA0 \xC5\xB8 \xE2\x80\x93\xE2\x80\x94", "\x80 \x8A \x9F \x96\x97", ""}, {"a \xE2\x86\x92 b", "", "contains \xE2\x86\x92 (U+2192)"},
             {"Caf\xE9", "", "is not UTF-8 text"}, {"\xC0\xAF", "", "is not UTF-8 text"}, {"a\tb", "", "contains a control character"},
             {"a\xC2\x85", "", "contains a control character"}}) {
        std::string got, why;
        const bool ok = Utf8ToWindows1252(utf8, &got, &why);
        CHECK_ROW((utf8), (ok, ok ? got : "", why.find(problem), ok ? Windows1252ToUtf8(got) : utf8), (!*problem, ansi, 0u, utf8));
    }
    for (int byte = 0x20; byte < 0x100; ++byte) {
        const std::string one(1, char(byte));
        std::string back, why;
        const bool printable = byte != 0x7F && byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D;
        CHECK_ROW((byte), (Utf8ToWindows1252(Windows1252ToUtf8(one), &back, &why) && back == one), (printable));
    }
}
TEST_CASE("set rewrites only the fields that follow a chosen one") {
    // From FadeSpeed 5 with FadeDerived 0, BounceSpeed 4 with gravity 1, IgnoreInput 7.
    for (auto [name, derived, gravity, ignore] : {std::tuple{"ManyDelayMs", 0, 1, 7}, {"FadeSpeed", 550, 1, 7}, {"BounceSpeed", 0, 12, 7},
                                                  {"BounceGravity", 0, 12, 7}, {"IgnoreInput", 0, 1, 6}}) {
        SaverSettings s = {};
        s.FadeSpeed = 5, s.BounceSpeed = 4, s.BounceGravity = 1, s.IgnoreInput = 7;
        NormaliseChosenSettings(&s, 1u << (FindSettingsField(name) - SettingsFields));
        CHECK_ROW((name), (s.FadeDerived, s.BounceGravity, s.IgnoreInput), (derived, gravity, ignore));
    }
}
namespace fs = std::filesystem;
static const std::string Scratch = GLIMMORA_TOOL_SCRATCH, Work = Scratch + "/work/", RuntimePath = Work + "runtime.exe", LogoPath = Work + "logo.bmp",
                         PngPath = Work + "logo.png";
static std::vector<size_t> Slots;  // where string 1 of the runtime starts
static std::string Text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }
static std::string Runtime() { return Text(MakeProgram({}, &Slots)); }
static std::string Png() { return Text(samples::EncodePng(3, 1, {{9, 9, 9, 0}, {255, 0, 0, 128}, {0, 0, 255, 255}})); }
static std::string Logo() { uint32_t p[15]; for (uint32_t i = 0; i < 15; ++i) p[i] = 0x102030u * (i + 1); return Text(EncodeBmp24(5, 3, p)); }  // padded rows
static void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
static std::string Read(const std::string& path) { std::ifstream in(path, std::ios::binary); return {std::istreambuf_iterator<char>(in), {}}; }
static std::string NameAt(const std::string& file) { std::string name; for (size_t i = 0; i < 60; ++i) name += file[Slots[0] + 2 * i]; return name; }
static SaverTrailer TrailerOf(const std::string& file) { SaverTrailer t; std::memcpy(&t, file.data() + file.size() - TrailerSize, TrailerSize); return t; }
static std::set<std::string> ListWork() { std::set<std::string> names; for (auto& entry : fs::directory_iterator(Work)) names.insert(entry.path().filename()); return names; }
static void PrepareWork() { fs::remove_all(Work), fs::create_directories(Work), Write(RuntimePath, Runtime()), Write(LogoPath, Logo()), Write(PngPath, Png()); }
struct Run { int Exit; std::string Out, Err; };
static Run Tool(const std::vector<std::string>& arguments)
{
    std::string command = "'" GLIMMORA_AUTHOR_TOOL "'";
    for (const std::string& argument : arguments) {
        command += " '";
        for (char c : argument) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
        command += "'";
    }
    const int status = std::system((command + " >'" + Scratch + "/out' 2>'" + Scratch + "/err'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(Scratch + "/out"), Read(Scratch + "/err")};
}
static std::vector<std::string> Create(const std::string& out, std::vector<std::string> options, const std::string& logo = LogoPath)
{ options.insert(options.begin(), {"create", "--runtime", RuntimePath, "--logo", logo, "--out", out}); return options; }
static bool Prints(const Run& run, const std::string& line) { return ("\n" + run.Out).find("\n" + line + "\n") != std::string::npos; }
TEST_CASE("create then inspect gives back every field, options winning over the config file") {
    PrepareWork();
    const std::string out = Work + "Full Saver.scr", config = Work + "saver.conf", address(63, 'w'), name60(60, 'n');
    // The file's SaverName, too long to be stored, is never read: the option wins.
    Write(config, "SaverName = " + std::string(70, 'f') + "\nDescription = \"  Caf\xC3\xA9 demo  \"\nBackgroundColor = #FFFFFF\n"
                  "TransparentColor = #a0B0c0\nBounceSpeed = 5\nFadeSpeed = 2\nDripTile = 1\n");
    const Run made = Tool(Create(out, {"--config", config, "--name", "Glimmora Demo", "--display-name", "Glimmora \xE2\x82\xAC Demo", "--web-address",
        address, "--saver-id", "0xDEADBEEF", "--background", "#102030", "--set", "DripIntervalMs=910", "--set", "IgnoreInput=7", "--set",
        "Reserved8=-2147483648", "--set", "FallingDirection=12", "--set", "FallingLogoCount=99", "--allow-out-of-range"}));
    REQUIRE_EQ(std::tuple(made.Exit, made.Err), std::tuple(0, std::string()));
    CHECK(made.Out.find("32-bit saver \"Glimmora Demo\", id 0xdeadbeef") != std::string::npos);
    // The runtime is copied as it is but for string 1, the display name (a euro sign: U+20AC, little-endian), then the logo.
    const std::string runtime = Runtime(), saver = Read(out);
    CHECK_ROW((), (saver.substr(0, Slots[0]) == runtime.substr(0, Slots[0]), saver.substr(Slots[0] + 120, runtime.size() - Slots[0] - 120) ==
                   runtime.substr(Slots[0] + 120), saver.substr(runtime.size(), saver.size() - runtime.size() - TrailerSize), saver.substr(Slots[0] + 18, 2),
                   std::string(TrailerOf(saver).Description)), (true, true, Logo(), "\xAC\x20", "  Caf\xE9 demo  "));
    // The settings dialog's ties hold for values set by hand: gravity three times the speed, the fade's derived value, and never
    // all three kinds of input ignored.
    CHECK(Tool({"inspect", out}).Out == "Runtime: 32-bit (x86)\nDisplayName: Glimmora \xE2\x82\xAC Demo\nReserved0: 0\nImageSize: 102\n"
          "Logo: 5 x 3, 24 bits per pixel\nSettingsDialogEnabled: 1\nEnabledModes: 255\nHiddenPages: 0\nChangeModeEnabled: 1\nChangeModeMinutes: 5\n"
          "IgnoreInput: 6\nUseTransparency: 1\nPlainDelayMs: 5000\nReserved8: -2147483648\nBounceSpeed: 5\nBounceGravity: 15\nBounceWrapSides: 0\n"
          "ManyDelayMs: 300\nFadeIntervalMs: 10\nFadeSpeed: 2\nFadeRandomPositions: 1\nFadeDerived: 1150\nDripIntervalMs: 910\nDripTile: 1\n"
          "FallingIntervalMs: 5\nFallingSpeed: 10\nFallingLogoCount: 99\nFallingSizeByDepth: 1\nFallingFadeInDistance: 1\nFallingDirection: 12\n"
          "SaverId: 0xdeadbeef\nBackgroundColor: #102030\nTransparentColor: #A0B0C0\nDescription:   Caf\xC3\xA9 demo  \nSaverName: Glimmora Demo\n"
          "WebAddress: " + address + "\nMagic: zolvinar\nImageSlot: 0\n");
    const Run json = Tool({"inspect", "--json", out});
    for (const char* line : {"{", "  \"Runtime\": \"x86\",", "    \"BounceGravity\": 15,", "  \"SaverId\": 3735928559,", "  \"TransparentColor\": \"#A0B0C0\",",
                             "  \"Description\": \"  Caf\xC3\xA9 demo  \",", "  \"ImageSlot\": 0", "}"}) CHECK_ROW((line), (json.Exit, Prints(json, line)), (0, true));
    const int exit = Tool(Create(out, {"--name", name60})).Exit;  // a name of exactly 60 characters is its own display name
    CHECK_ROW((), (exit, NameAt(Read(out))), (0, name60));
}
TEST_CASE("the README's sample config makes a saver from a PNG; without options a saver is named after its file; same inputs, same bytes") {
    PrepareWork();
    const std::string config = GLIMMORA_SOURCE_DIR "/tools/samples/glimmora-demo.conf", out = Work + "demo.scr";
    CHECK_ROW((), (Read(config).size() > 500, Read(GLIMMORA_SOURCE_DIR "/README.md").find(Read(config)) != std::string::npos,
                   Tool(Create(out, {"--config", config}, PngPath)).Exit), (true, true, 0));
    const Run demo = Tool({"inspect", out});
    for (const char* line : {"DisplayName: Glimmora Demo", "SaverId: 0x6c6d6d69", "EnabledModes: 254", "BounceGravity: 12", "FallingDirection: 2",
                             "TransparentColor: #FF00FF"})
        CHECK_ROW((line), (Prints(demo, line)), (true));
    // The id is FNV-1a of the name; "foobar" is one of that hash's published vectors.
    for (auto [file, name, id] : {std::tuple{"foobar.scr", "foobar", 0xbf9cf968u}, {"version 1.2.scr", "version 1.2", 0u}, {"no extension", "no extension", 0u}}) {
        PrepareWork();
        REQUIRE(Tool(Create(Work + file, {})).Exit == 0);
        const std::string saver = Read(Work + file);
        CHECK_ROW((file), (std::string(TrailerOf(saver).SaverName), NameAt(saver), !id || TrailerOf(saver).SaverId == id),
                  (name, (name + std::string(60, ' ')).substr(0, 60), true));
        const Run shown = Tool({"inspect", Work + file});
        for (const char* line : {"TransparentColor: none", "Description: ", "WebAddress: ", "BackgroundColor: #000000", "DripIntervalMs: 410",
                                 "DripTile: 0", "BounceGravity: 9", "FadeDerived: 950", "FallingLogoCount: 15"})
            CHECK_ROW((file, line), (Prints(shown, line)), (true));
    }
    for (const std::string& logo : {LogoPath, PngPath}) {
        const std::vector<std::string> options = {"--name", "Same", "--description", "twice", "--set", "FadeSpeed=4"};
        const int exits = Tool(Create(Work + "first.scr", options, logo)).Exit + Tool(Create(Work + "second.scr", options, logo)).Exit;
        CHECK_ROW((logo), (exits, Read(Work + "first.scr").size() > TrailerSize, Read(Work + "first.scr") == Read(Work + "second.scr")), (0, true, true));
    }
}
TEST_CASE("extract gives back the packed BMP, which for a PNG is flattened onto the background") {
    const uint32_t picked[] = {0xFF00FF, 0x901820, 0x0000FF}, given[] = {0x00FF00, 0x901820, 0x0000FF}, none[] = {0, 0x800000, 0x0000FF};
    for (auto& [logo, options, packed, key] : {std::tuple{LogoPath, std::vector<std::string>{}, Logo(), "none"},
             {PngPath, {"--background", "#203040"}, Text(EncodeBmp24(3, 1, picked)), "#FF00FF"},
             {PngPath, {"--background", "#203040", "--transparent", "#00FF00"}, Text(EncodeBmp24(3, 1, given)), "#00FF00"},
             {PngPath, {"--transparent", "none"}, Text(EncodeBmp24(3, 1, none)), "none"}}) {
        PrepareWork();
        const int exits = Tool(Create(Work + "made.scr", options, logo)).Exit + Tool({"extract", Work + "made.scr", "--out", Work + "back.bmp"}).Exit;
        CHECK_ROW((key), (exits, Prints(Tool({"inspect", Work + "made.scr"}), std::string("TransparentColor: ") + key), Read(Work + "back.bmp")),
                  (0, true, packed));
    }
}
TEST_CASE("set changes the chosen field and what follows from it, keeps the file's mode, and can write elsewhere") {
    const size_t settings = offsetof(SaverTrailer, Settings), name = SIZE_MAX;  // `name`: string 1 of the runtime
    auto field = [](const char* n) { return std::pair{offsetof(SaverTrailer, Settings) + FindSettingsField(n)->Offset, size_t{4}}; };
    using Ranges = std::vector<std::pair<size_t, size_t>>;
    for (auto& [options, changed] : {std::tuple{std::vector<std::string>{"--background", "#FFFFFF"}, Ranges{{offsetof(SaverTrailer, BackgroundColor), 4}}},
             {{"--set", "ManyDelayMs=1000"}, {field("ManyDelayMs")}}, {{"--set", "BounceSpeed=7"}, {field("BounceSpeed"), field("BounceGravity")}},
             {{"--transparent", "none"}, {{offsetof(SaverTrailer, TransparentColor), 4}}}, {{"--description", "Changed"}, {{offsetof(SaverTrailer, Description), 64}}},
             {{"--name", "Renamed"}, {{offsetof(SaverTrailer, SaverName), 64}, {name, 120}}}, {{"--display-name", "Shown"}, {{name, 120}}},
             {{"--config", Work + "one.conf"}, {field("FallingSpeed")}}}) {
        PrepareWork();
        const std::string saver = Work + "made.scr";
        Write(Work + "one.conf", "FallingSpeed = 20\n");
        REQUIRE(Tool(Create(saver, {"--transparent", "#FF00FF", "--set", "ManyDelayMs=2000"})).Exit == 0);
        std::string before = Read(saver);  // IgnoreInput 7, which create would have normalised, as a package from elsewhere may hold it
        before[before.size() - TrailerSize + settings + offsetof(SaverSettings, IgnoreInput)] = 7;
        Write(saver, before), fs::permissions(saver, fs::perms(0640));
        std::vector<std::string> arguments = {"set", saver};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const Run run = Tool(arguments);
        const std::string after = Read(saver);
        REQUIRE_EQ(std::tuple(options[0], run.Exit, run.Err, after.size(), int(fs::status(saver).permissions())), std::tuple(options[0], 0, "", before.size(), 0640));
        std::string expected = before;  // every byte as it was but in the ranges that may change, each of which does
        for (auto [start, size] : changed) {
            const size_t at = start == name ? Slots[0] : before.size() - TrailerSize + start;
            CHECK_ROW((options[0], start), (expected.replace(at, size, after, at, size).compare(at, size, before, at, size) != 0), (true));
        }
        CHECK_ROW((options[0]), (after == expected), (true));
    }
    const std::string saver = Work + "kept.scr", copy = Work + "copy.scr";
    REQUIRE(Tool(Create(saver, {"--name", "Old", "--display-name", "Shown Name"})).Exit == 0);
    const std::string original = Read(saver);
    const Run run = Tool({"set", saver, "--name", "New", "--out", copy});
    CHECK_ROW((), (run.Exit, Prints(run, "wrote " + copy + ": changed SaverName"), Read(saver) == original, std::string(TrailerOf(Read(copy)).SaverName),
                   NameAt(Read(copy))), (0, true, true, "New", "Shown Name" + std::string(50, ' ')));
    const int exit = Tool({"set", copy, "--logo", PngPath}).Exit;  // a new logo replaces the old one and moves the trailer
    const std::string withPng = Read(copy);
    CHECK_ROW((), (exit, TrailerOf(withPng).ImageSize, TrailerOf(withPng).TransparentColor, withPng.size()),
              (0, 54 + 12, 0xFF00FF, Runtime().size() + 54 + 12 + TrailerSize));
}
TEST_CASE("refused inputs name the problem on one line, exit 1, 2 or 3, and leave nothing behind") {
    PrepareWork();
    const std::string saver = Work + "made.scr", zip = Work + "archive.zip", text = Work + "logo.txt", cutBmp = Work + "cut.bmp", cutPng = Work + "cut.png",
                      missing = Work + "missing.exe", other = Work + "other.exe", config = Work + "bad.conf", keyed = Work + "keyed.png",
                      out = Work + "out.scr", damaged = Work + "damaged.scr", bare = Work + "bare.scr";
    REQUIRE(Tool(Create(saver, {})).Exit == 0);
    const std::string made = Read(saver), runtime = Read(RuntimePath);
    std::string oversized = made, badMagic = made;
    oversized[made.size() - TrailerSize + offsetof(SaverTrailer, ImageSize) + 3] = 0x7F;
    badMagic[made.size() - TrailerSize + offsetof(SaverTrailer, Magic)] = 'Z';
    for (auto& [path, bytes] : {std::pair{zip, std::string("PK\3\4\0\0", 6)}, {text, std::string(100, 't')}, {cutBmp, Logo().substr(0, 101)},
             {cutPng, Png().substr(0, Png().size() - 20)}, {other, Text(MakeProgram({0x014C, 1, 0, 59, 6}))}, {damaged, oversized}, {bare, badMagic},
             {keyed, Text(samples::EncodePng(2, 1, {{0, 0, 0, 0}, {0, 255, 0, 255}}))}, {config, "bouncespeed = 4\n"}})
        Write(path, bytes);
    enum Target { Absent, OldFile, Directory };
    const auto runtimeIs = [&](const std::string& path) { return std::vector<std::string>{"create", "--runtime", path, "--logo", LogoPath, "--out", out}; };
    for (auto& [arguments, exit, message, target] : {std::tuple{std::vector<std::string>{}, 2, std::string("no command"), Absent},
             {{"frobnicate"}, 2, "unknown command frobnicate", Absent}, {Create(out, {"--colour", "#000000"}), 2, "unknown option --colour", Absent},
             {{"create", "--runtime", RuntimePath, "--out", out}, 2, "--logo is required", Absent}, {{"inspect"}, 2, "", Absent},
             {Create(out, {"--name", "a", "--name", "b"}), 2, "--name is given twice", Absent}, {{"set", saver}, 2, "set needs something to change", Absent},
             {Create(out, {"--set", "FadeSpeed=1", "--set", "FadeSpeed=2"}), 2, "--set FadeSpeed is given twice", Absent},
             {runtimeIs(missing), 1, "cannot read runtime " + missing + ": No such file or directory", Absent},
             {runtimeIs(zip), 1, zip + " is not a Windows program", Absent}, {runtimeIs(other), 1, other + " is not a Glimmora runtime", Absent},
             {runtimeIs(saver), 1, "already carries a saver package", Absent}, {Create(RuntimePath, {}), 1, "is the runtime itself", Absent},
             {Create(out, {}, text), 1, text + " is not a BMP or PNG file", Absent},
             {Create(out, {}, cutBmp), 1, "is a damaged BMP file: the file ends before its last row", Absent},
             {Create(out, {}, cutPng), 1, "is a damaged PNG file: the file ends inside its IDAT chunk", Absent},
             {Create(out, {"--transparent", "#00FF00"}, keyed), 1, "uses the transparent colour #00FF00 in 1 visible pixels", Absent},
             {Create(out, {"--name", std::string(64, 'n')}), 1, "--name is 64 characters long; at most 63 fit", Absent},
             {Create(out, {"--name", std::string(61, 'n')}), 1, "give a shorter --display-name", Absent},
             {Create(out, {"--display-name", std::string(61, 'n')}), 1, "--display-name is 61 characters long; at most 60 fit", Absent},
             {Create(out, {"--description", "tab\there"}), 1, "--description contains a control character", Absent},
             {Create(out, {"--name", "\xE2\x86\x92"}), 1, "--name contains", Absent}, {Create(out, {"--name", ""}), 1, "--name is empty", Absent},
             {Create(Work + std::string(64, 'f') + ".scr", {}), 1, "give one with --name", Absent},
             {Create(out, {"--saver-id", "0x100000000"}), 1, "--saver-id 0x100000000 is not a 32-bit number", Absent},
             {Create(out, {"--transparent", "red"}), 1, "--transparent red is not a colour", Absent},
             {Create(out, {"--set", "Bogus=1"}), 1, "--set Bogus=1: there is no settings field Bogus", Absent},
             {Create(out, {"--set", "BounceSpeed=fast"}), 1, "BounceSpeed fast is not a whole number", Absent},
             {Create(out, {"--set", "BounceSpeed=11"}), 1, "BounceSpeed must be from 1 to 10", Absent},
             {Create(out, {"--set", "FallingDirection=5"}), 1, "one of 1, 2, 4, 8, 12, 3, 15", Absent},
             {Create(out, {"--config", config}), 1, config + ", line 1: unknown key bouncespeed (did you mean BounceSpeed?)", Absent},
             {{"inspect", RuntimePath}, 1, "carries no saver package", Absent}, {{"inspect", bare}, 1, "carries no saver package", Absent},
             {{"inspect", damaged}, 1, "has a damaged saver package", Absent}, {{"inspect", missing}, 1, missing, Absent},
             {Create(Work + "nowhere/out.scr", {}), 3, "nowhere/out.scr", Absent}, {Create(out, {"--background", "black"}), 1, "--background black", OldFile},
             {{"set", saver, "--set", "FadeSpeed=9", "--out", out}, 1, "FadeSpeed must be", OldFile}, {Create(out, {}), 3, out, Directory},
             {{"set", saver, "--name", "x", "--out", out}, 3, out, Directory}}) {
        fs::remove_all(out);
        if (target == OldFile) Write(out, "old");
        if (target == Directory) fs::create_directory(out);
        const std::set<std::string> before = ListWork();
        const Run run = Tool(arguments);
        // One line, in the form every message of the tool takes; the target as it was.
        CHECK_ROW((arguments.empty() ? "" : arguments[0], message), (run.Exit, run.Err.find(message) != std::string::npos, run.Err.rfind("glimmora-author: ", 0),
                  run.Err.find('\n') + 1 == run.Err.size(), run.Out, target == OldFile ? Read(out) : "", fs::exists(out), ListWork() == before),
                  (exit, true, 0u, true, "", target == OldFile ? "old" : "", target != Absent, true));
    }
    CHECK_ROW((), (Read(saver) == made, Read(RuntimePath) == runtime), (true, true));
    // A package without a logo, and one on a program that is not a Windows program, are still shown.
    std::string noImage = made, foreign = made;
    std::memset(&noImage[made.size() - TrailerSize + offsetof(SaverTrailer, ImageSize)], 0, 4), std::memset(&foreign[0], 0, 2);
    for (auto& [bytes, line] : {std::pair{noImage, "Logo: none"}, {foreign, "Runtime: unknown: the program is not a Windows program"}}) {
        Write(bare, bytes);
        const Run run = Tool({"inspect", bare});
        CHECK_ROW((line), (run.Exit, Prints(run, line)), (0, true));
    }
}
