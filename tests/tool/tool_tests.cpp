// The authoring tool: its walk through a Windows program, then the built tool run as a user would, on files in a scratch directory.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include "installer/msi_package.h"
#include "native/tables.h"
#include "images/bmp_layouts.h"
#include "package/bmp_format.h"
#include "package/saver_trailer.h"
#include "saver/saver_fields.h"
#include "saver/string_resource.h"
#include "package/pe_headers.h"
#include "signing/authenticode.h"
#include "tool/sample_files.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

using samples::Bytes;
using samples::MakeProgram;

static ProgramFault Walk(const Bytes& file, DisplayNameSlots* slots = nullptr)  // over an exact heap copy, for the sanitizer
{
    DisplayNameSlots unused;
    std::unique_ptr<uint8_t[]> copy(new uint8_t[file.size() + 1]);
    std::copy(file.begin(), file.end(), copy.get());
    return FindDisplayNameSlots(copy.get(), file.size(), slots ? slots : &unused);
}
TEST_CASE("the walk finds string 1 of every language, tells apart programs without a sound one, and never reads past a cut one") {
    // Machine, languages, strings before string 1, its length, resource type; the machine found.
    for (auto [shape, machine] : {std::pair{samples::ProgramShape{}, ProgramMachine::X86}, {{0x8664, 2, 7, 60, 6}, ProgramMachine::X64},
                                  {{0x01C4, 1, 0, 60, 6}, ProgramMachine::Other}}) {
        std::vector<size_t> expected;
        DisplayNameSlots slots;
        const ProgramFault fault = Walk(MakeProgram(shape, &expected), &slots);
        CHECK_ROW((shape.Machine, shape.Languages), (fault, slots.Machine, slots.Offsets == expected), (ProgramFault::None, machine, true));
    }
    const Bytes sound = MakeProgram({});
    auto changed = [&sound](size_t at, uint32_t value) { Bytes file = sound; samples::Put(file, at, value); return file; };
    const size_t sections = 0x58 + 224, resources = samples::SectionFileOffset;
    const ProgramFault N = ProgramFault::NotProgram, D = ProgramFault::Damaged, U = ProgramFault::NoDisplayName;
    for (auto& [name, file, fault] : {std::tuple{"empty", Bytes{}, N}, {"MZ without PE", Bytes(sound.begin(), sound.begin() + 0x40), N},
             {"PE pointer past the end", changed(0x3C, 0x7FFFFFF0), N}, {"section data past the end", changed(sections + 20, 0x10000), D},
             {"resources beyond the section's data", changed(sections + 16, 0x40), D},
             {"type entry outside", changed(resources + 20, 0x80007000), D}, {"block size beyond", changed(resources + 76, 0x100000), D},
             {"no resource directory", changed(0x58 + 112, 0), U}, {"no string table", MakeProgram({0x014C, 1, 0, 60, 3}), U},
             {"string 1 of 59", MakeProgram({0x014C, 1, 0, 59, 6}), U}})
        CHECK_ROW((name), (Walk(file)), (fault));
    std::vector<size_t> slots;
    const Bytes program = MakeProgram({0x8664, 2, 3, 60, 6}, &slots);
    const size_t needed = slots.back() + 2 + 120 + 28;  // the whole last block: string 1, then 14 empty strings
    for (size_t size = 0; size < program.size(); ++size)
        CHECK_ROW((size), (Walk(Bytes(program.begin(), program.begin() + long(size))) == ProgramFault::None), (size >= needed));
}
TEST_CASE("SHA-1 and name-based UUIDs give the published values; a package's version and names are checked as Windows reads them") {
    auto hex = [](auto bytes) { std::string t; for (uint8_t b : bytes) t += "0123456789abcdef"[b >> 4], t += "0123456789abcdef"[b & 15]; return t; };
    for (auto [text, digest] : {std::pair{"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},  // one block, then two
             {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"}})
        CHECK_ROW((text), (hex(Sha1(reinterpret_cast<const uint8_t*>(text), std::strlen(text)))), (digest));
    const Uuid dns = {0x6b, 0xa7, 0xb8, 0x10, 0x9d, 0xad, 0x11, 0xd1, 0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};
    CHECK(FormatUuid(NameUuid(dns, "python.org")) == "{886313E1-3B8A-5372-9B90-0C9AEE199E5D}");
    for (auto [text, sound] : {std::pair{"1.0.0", true}, {"255.255.65535", true}, {"07.1.2", true}, {"256.0.0", false},
             {"1.256.0", false}, {"1.0.65536", false}, {"1.0", false}, {"1.0.0.0", false}, {"1..0", false}, {"+1.0.0", false},
             {"1.0.0 ", false}, {"1.0.x", false}, {"1.0.0000065535", false}}) {
        ProductVersion version;
        CHECK_ROW((text), (ParseProductVersion(text, &version) && FormatVersion(version) == (text[0] == '0' ? "7.1.2" : text)), (sound));
    }
    for (auto [name, sound] : {std::pair{"My Saver.scr", true}, {"a.SCR", true}, {".scr", false}, {"saver.exe", false},
             {"a:b.scr", false}, {"a\\b.scr", false}, {"a\tb.scr", false}})
        CHECK_ROW((name), (InstalledNameProblem(name).empty()), (sound));
    for (auto [text, sound] : {std::pair{"Caf\xC3\xA9 & <Co> $(x) \"q\"", true}, {"A ?> B", false}, {"", false}, {"\xE2\x86\x92", false}})
        CHECK_ROW((text), (PackageTextProblem(text).empty()), (sound));
}
namespace fs = std::filesystem;
static const std::string Scratch = GLIMMORA_TOOL_SCRATCH, Work = Scratch + "/work/", RuntimePath = Work + "runtime.exe",
                         LogoPath = Work + "logo.bmp", PngPath = Work + "logo.png";
static std::vector<size_t> Slots;  // where string 1 of the runtime starts: its length, then room for 60 characters
static std::string Text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }
static std::string Runtime() { return Text(MakeProgram({}, &Slots)); }
static std::string Png() { return Text(samples::EncodePng(3, 1, {{9, 9, 9, 0}, {1, 0, 0, 128}, {255, 0, 255, 255}})); }
static std::string Logo()  // 5 × 3, with padded rows
{ uint32_t p[15]; for (uint32_t i = 0; i < 15; ++i) p[i] = 0x102030u * (i + 1); return Text(EncodeBmp24(5, 3, p)); }
static void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
static std::string Read(const std::string& path) { std::ifstream in(path, std::ios::binary); return {std::istreambuf_iterator(in), {}}; }
static std::string NameAt(const std::string& file)  // string 1 as Windows reads it, and whether only zeros follow in its room
{
    const size_t length = uint8_t(file[Slots[0]]) | uint8_t(file[Slots[0] + 1]) << 8;
    std::string n;
    for (size_t i = 0; i < length; ++i) n += file[Slots[0] + 2 + 2 * i];
    return file.find_first_not_of('\0', Slots[0] + 2 + 2 * length) < Slots[0] + 150 ? n + " and more" : n;
}
static SaverTrailer TrailerOf(const std::string& file)
{ SaverTrailer t; std::memcpy(&t, file.data() + file.size() - TrailerSize, TrailerSize); return t; }
static std::set<std::string> ListWork()
{ std::set<std::string> names; for (auto& entry : fs::directory_iterator(Work)) names.insert(entry.path().filename()); return names; }
static void PrepareWork()
{ fs::remove_all(Work), fs::create_directories(Work), Write(RuntimePath, Runtime()), Write(LogoPath, Logo()), Write(PngPath, Png()); }
struct Run { int Exit; std::string Out, Err; };
static Run Tool(const std::vector<std::string>& arguments, const std::string& environment = "")
{
    std::string command = environment + " '" GLIMMORA_AUTHOR_TOOL "'";
    for (const std::string& argument : arguments) {
        command += " '";
        for (char c : argument) command += c == '\'' ? "'\\''" : std::string(1, c);
        command += "'";
    }
    const int status = std::system((command + " >'" + Scratch + "/out' 2>'" + Scratch + "/err'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(Scratch + "/out"), Read(Scratch + "/err")};
}
static std::vector<std::string> Create(const std::string& out, std::vector<std::string> options, const std::string& logo = LogoPath)
{ options.insert(options.begin(), {"create", "--runtime", RuntimePath, "--logo", logo, "--out", out}); return options; }
static bool Prints(const Run& run, const std::string& line) { return ("\n" + run.Out).find("\n" + line + "\n") != std::string::npos; }
// Throwaway signing material, made once a run (tests/tool/make-test-certificates.sh names the files).
static const std::string Keys = Scratch + "/certificates/";
static const std::vector<std::string> P12 = {"--pkcs12", Keys + "signer.p12", "--password-file", Keys + "password.txt"},
                                       Pem = {"--cert", Keys + "signer.pem", "--key", Keys + "signer.key"};
static bool MakeKeys()
{ static const int made = std::system(("'" GLIMMORA_SOURCE_DIR "/tests/tool/make-test-certificates.sh' '" + Keys + "' >/dev/null 2>&1").c_str()); return made == 0; }
static std::vector<std::string> Sign(const std::string& file, const std::vector<std::string>& with, const std::string& out = "")
{ std::vector<std::string> a = {"sign", file}; if (!out.empty()) a.insert(a.end(), {"--out", out}); a.insert(a.end(), with.begin(), with.end()); return a; }
static std::string Verified(const std::string& file)  // what osslsigncode says of the signature, "" when it refuses it
{ const int code = std::system(("osslsigncode verify -CAfile '" + Keys + "ca.pem' '" + file + "' >'" + Scratch + "/verify' 2>&1").c_str());
  return code == 0 ? Read(Scratch + "/verify") : ""; }
TEST_CASE("create then inspect and extract give back every field and the logo, options winning over the config file") {
    PrepareWork();
    const std::string out = Work + "Full Saver.scr", config = Work + "saver.conf", address(63, 'w'), name60(60, 'n');
    // A byte-order mark, comments and CRLF lines; the file's SaverName, too long to be stored, is never read: the option wins.
    Write(config, "\xEF\xBB\xBF# a comment\r\n\r\n  ; another\r\nSaverName = " + std::string(70, 'f') + "\n"
                  "Description = \"  Caf\xC3\xA9 \xE2\x80\x93 demo  \"\nBackgroundColor = #FFFFFF\nTransparentColor = #a0B0c0\n"
                  "BounceSpeed = 5\nFadeSpeed = 2\nDripTile = 1\n");
    const Run made = Tool(Create(out, {"--config", config, "--name", "Glimmora Demo", "--display-name", "Glimmora \xE2\x82\xAC Demo",
        "--web-address", address, "--saver-id", "0xDEADBEEF", "--background", "#102030", "--set", "DripIntervalMs=910", "--set",
        "IgnoreInput=Keys, clicks,Movement", "--set", "Reserved8=-2147483648", "--set", "FallingDirection=left,Right", "--set",
        "FallingLogoCount=99", "--set", "EnabledModes=0xFE", "--set", "HiddenPages=General,Drip", "--allow-out-of-range"}));
    // Bit fields by name or in hex; what the runtime would change, and a transparent colour the BMP does not use, are warned of.
    REQUIRE_EQ(std::tuple(made.Exit, made.Err), std::tuple(0, std::string("glimmora-author: warning: IgnoreInput 7 (Keys, Clicks, "
        "Movement) is stored as 6 (Clicks, Movement): a key press always ends the saver when both kinds of mouse input are ignored\n"
        "glimmora-author: warning: no pixel of the logo has the transparent colour #A0B0C0: nothing of it will be see-through\n")));
    CHECK(made.Out.find("32-bit saver \"Glimmora Demo\", id 0xdeadbeef") != std::string::npos);
    // The runtime is copied as it is but for string 1, the display name with its length (a euro sign: U+20AC, little-endian),
    // then the logo.
    const std::string runtime = Runtime(), saver = Read(out), tail = runtime.substr(Slots[0] + 122);
    CHECK_ROW((), (saver.substr(0, Slots[0]) == runtime.substr(0, Slots[0]), saver.substr(Slots[0] + 122, tail.size()) == tail,
                   saver.substr(runtime.size(), saver.size() - runtime.size() - TrailerSize), saver.substr(Slots[0], 2),
                   saver.substr(Slots[0] + 20, 2), NameAt(saver).size(), std::string(TrailerOf(saver).Description)),
              (true, true, Logo(), std::string("\x0F\x00", 2), "\xAC\x20", size_t{15}, "  Caf\xE9 \x96 demo  "));
    // Ties hold for values set by hand: gravity three times the speed, the fade's derived value, never every input ignored.
    CHECK(Tool({"inspect", out}).Out == "Runtime: 32-bit (x86)\nDisplayName: Glimmora \xE2\x82\xAC Demo\nSignature: none\nReserved0: 0\nImageSize: 102\n"
          "Logo: 5 x 3, 24-bit, 15 colours\nSettingsDialogEnabled: 1\nEnabledModes: 254 (Static, Plain, Bounce, Many, Fade, Drip, "
          "Falling)\nHiddenPages: 65 (General, Drip)\nChangeModeEnabled: 1\nChangeModeMinutes: 5\nIgnoreInput: 6 (Clicks, Movement)\nUseTransparency: 1\nPlainDelayMs: 5000\nReserved8: -2147483648\nBounceSpeed: 5\n"
          "BounceGravity: 15\nBounceWrapSides: 0\nManyDelayMs: 300\nFadeIntervalMs: 10\nFadeSpeed: 2\nFadeRandomPositions: 1\n"
          "FadeDerived: 1150\nDripIntervalMs: 910\nDripTile: 1\nFallingIntervalMs: 5\nFallingSpeed: 10\nFallingLogoCount: 99\n"
          "FallingSizeByDepth: 1\nFallingFadeInDistance: 1\nFallingDirection: 12 (Left, Right)\nSaverId: 0xdeadbeef\nBackgroundColor: #102030\n"
          "TransparentColor: #A0B0C0\nDescription:   Caf\xC3\xA9 \xE2\x80\x93 demo  \nSaverName: Glimmora Demo\nWebAddress: " + address +
          "\nMagic: zolvinar\nImageSlot: 0\n");
    CHECK(Tool({"inspect", "--json", out}).Out.find("\n  \"Runtime\": \"x86\",\n  \"DisplayName\"") != std::string::npos);
    const int exits = Tool({"extract", out, "--out", Work + "back.bmp"}).Exit + Tool({"extract", out, "--out", Work + "back.bmp"}).Exit +
                      Tool(Create(out, {"--name", name60})).Exit;  // extracted again over the same bytes
    CHECK_ROW((), (exits, Read(Work + "back.bmp"), NameAt(Read(out))), (0, Logo(), name60));  // 60 characters: its own display name
}
TEST_CASE("set changes the chosen field and what follows from it, keeps the file's mode, and can write elsewhere") {
    const size_t name = SIZE_MAX;  // string 1 of the runtime
    auto field = [](const char* n) { return std::pair{offsetof(SaverTrailer, Settings) + FindSettingsField(n)->Offset, size_t{4}}; };
    using Ranges = std::vector<std::pair<size_t, size_t>>;
    // The options; the byte ranges they change.
    for (auto& [options, changed] : {std::tuple{std::vector<std::string>{"--background", "#FFFFFF"},
                                                Ranges{{offsetof(SaverTrailer, BackgroundColor), 4}}},
             {{"--set", "FadeSpeed=4"}, {field("FadeSpeed"), field("FadeDerived")}},
             {{"--set", "BounceSpeed=7"}, {field("BounceSpeed"), field("BounceGravity")}},
             {{"--name", "Renamed"}, {{offsetof(SaverTrailer, SaverName), 64}, {name, 122}}},
             {{"--config", Work + "one.conf"}, {field("FallingSpeed")}}}) {
        PrepareWork();
        const std::string saver = Work + "made.scr";
        Write(Work + "one.conf", "FallingSpeed = 20\nDescription = \"\"\n");  // the description stays empty
        REQUIRE(Tool(Create(saver, {"--transparent", "#FF00FF"})).Exit == 0);
        std::string before = Read(saver);  // IgnoreInput 7, which create would have normalised, as a package from elsewhere may hold it
        before[before.size() - TrailerSize + field("IgnoreInput").first] = 7;
        Write(saver, before), fs::permissions(saver, fs::perms(0640));
        std::vector<std::string> arguments = {"set", saver};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const Run run = Tool(arguments);
        const std::string after = Read(saver);
        REQUIRE_EQ(std::tuple(options[0], run.Exit, run.Err, after.size(), int(fs::status(saver).permissions())),
                   std::tuple(options[0], 0, "", before.size(), 0640));
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
    std::string bytes = std::to_string(Read(copy).size());  // a thousand or more
    CHECK_ROW((), (run.Exit, Prints(run, "wrote " + copy + ": " + bytes.insert(bytes.size() - 3, ",") + " bytes, changed SaverName"),
                   Read(saver) == original, std::string(TrailerOf(Read(copy)).SaverName), NameAt(Read(copy))),
              (0, true, true, "New", "Shown Name"));
    // A new logo replaces the old one and moves the trailer. A PNG's is flattened onto the background, rounded, and as the logo
    // shows magenta, the first free colour, black, is its key; the BMP's reserved field keeps the background of the blend.
    const uint32_t flat[] = {0x000000, 0x010000, 0xFF00FF};
    std::string blended = Text(EncodeBmp24(3, 1, flat));
    blended[9] = '\xB1';
    const int exits = Tool({"set", copy, "--logo", PngPath}).Exit + Tool({"extract", copy, "--out", Work + "back.bmp"}).Exit;
    const std::string withPng = Read(copy);
    CHECK_ROW((), (exits, TrailerOf(withPng).TransparentColor, withPng.size(), Read(Work + "back.bmp")),
              (0, 0u, Runtime().size() + 54 + 12 + TrailerSize, blended));
}
TEST_CASE("a PNG packs smallest with the pixels of 24 bits; --repack repacks a BMP only when that is lossless; sizes are shown") {
    PrepareWork();
    std::vector<samples::Rgba> stripes;  // a colour a row, a transparent corner: the key is a 17th colour, which 4 bits cannot hold
    for (int i = 0; i < 64 * 16; ++i) stripes.push_back({uint8_t(i / 64 * 16), 0, 90, uint8_t(i ? 255 : 0)});
    const std::string png = Work + "stripes.png", small = Work + "small.scr", wide = Work + "wide.scr", bits16 = Work + "b16.bmp";
    Write(png, Text(samples::EncodePng(64, 16, stripes))), Write(bits16, Text(StartBmpFile(2, 1, 16, 0, 0, 4)));
    Write(LogoPath, Logo() + std::string(8 << 20, '\0'));  // a saver over 8 MB is written, with a warning
    const Run packed = Tool(Create(small, {"--name", "S"}, png)), as24 = Tool(Create(wide, {"--name", "S", "--layout", "24"}, png));
    const std::string smallest = Read(small), widest = Read(wide);  // the 24-bit saver repacked is the small one; 16 bits stay
    const Run repacked = Tool({"set", wide, "--repack"}), kept = Tool({"set", wide, "--logo", bits16, "--repack", "--out", small}),
              large = Tool(Create(Work + "large.scr", {}));
    const auto pixels = [](const std::string& file) {  // the logo's, decoded, and the transparent colour
        const Bytes logo(file.end() - TrailerSize - TrailerOf(file).ImageSize, file.end() - TrailerSize);
        std::vector<uint32_t> decoded;
        return std::tuple(DecodeBmpPixels(logo.data(), logo.size(), &decoded), decoded, TrailerOf(file).TransparentColor);
    };
    CHECK_ROW((), (packed.Exit + as24.Exit + repacked.Exit + kept.Exit + large.Exit, pixels(smallest) == pixels(widest),
                   std::get<1>(pixels(smallest)).size(), Read(wide) == smallest, Read(small).find(Read(bits16)) != std::string::npos,
                   Tool({"inspect", wide}).Out.find("\nLogo: 64 x 16, RLE8, 17 colours\n") != std::string::npos,
                   large.Err.find("warning: " + Work + "large.scr is 8,39") != std::string::npos), (0, true, 64u * 16, true, true, true, true));
    CHECK_ROW((), (Prints(packed, "logo: 64 x 16, 17 colours, packed as RLE8: 188 bytes; transparent pixels in the picked colour #FF00FF"),
                   Prints(as24, "logo: 64 x 16, 17 colours, packed as 24-bit: 3,126 bytes; transparent pixels in the picked colour #FF00FF"),
                   Prints(repacked, "logo: 64 x 16, 17 colours, repacked from 24-bit as RLE8: 188 bytes"),
                   Prints(kept, "logo: 2 x 1, kept as given, 16-bit (its pixels cannot be repacked: each display widens 16-bit colours to 24 "
                                "bits in its own way): 58 bytes")), (true, true, true, true));
}
TEST_CASE("signatures that osslsigncode accepts, on savers and their packages; inspect names the signer, set and create remove one") {
    PrepareWork();
    REQUIRE(MakeKeys());
    const std::string saver = Work + "Signed.scr", again = Work + "again.scr", msi = Work + "signed.msi", runtime = Work + "signed.exe",
                      signer = "CN=Glimmora Test Signer, O=Glimmora Tests", plain = Work + "plain.scr", same = Work + "same.scr";
    REQUIRE(Tool(Create(saver, {"--display-name", "Signed Saver", "--web-address", "www.example.com"})).Exit == 0);
    Write(plain, Read(saver));
    // The file, the credentials, where the signed file goes: in place; again, with the first signature replaced; the package.
    for (auto& [file, with, out] : {std::tuple{saver, P12, saver}, {saver, Pem, again}, {msi, Pem, msi}}) {
        if (file == msi) REQUIRE(Tool({"msi", again, "--out", msi, "--version", "1.0.0", "--manufacturer", "M"}).Exit == 0);
        const Run run = Tool(Sign(file, with, out == file ? "" : out));
        const std::string verified = Verified(out);
        CHECK_ROW((out), (run.Exit, Prints(run, "wrote " + out + ": signed by " + signer + ", described as \"Signed Saver\", www.example.com, "
                  "not timestamped"), verified.find("Text description: Signed Saver\n") != std::string::npos,
                  verified.find("URL description: www.example.com\n") != std::string::npos,
                  Prints(Tool({"inspect", out}), "Signature: by " + signer + ", matching the file")), (0, true, true, true, true));
    }
    // A changed byte; set, which removes the signature unless nothing changes; a runtime signed before it made a saver. Once
    // unsigned, each is what the same steps make of the unsigned file, but for the checksum that signing set.
    std::string tampered = Read(saver);
    Write(Work + "tampered.scr", tampered.replace(Runtime().size() + 60, 1, "?"));
    REQUIRE(std::system(("osslsigncode sign -certs " + Keys + "signer.pem -key " + Keys + "signer.key -in " + RuntimePath + " -out " +
                         runtime + " >/dev/null").c_str()) == 0);
    const Run changed = Tool({"set", saver, "--set", "BounceSpeed=9"}), kept = Tool({"set", again, "--set", "BounceSpeed=3", "--out", same}),
              made = Tool({"create", "--runtime", runtime, "--logo", LogoPath, "--out", Work + "from-signed.scr", "--name", "From"});
    const int exits = Tool({"set", plain, "--set", "BounceSpeed=9"}).Exit + Tool(Create(Work + "from.scr", {"--name", "From"})).Exit +
                      Tool({"extract", again, "--out", Work + "back.bmp"}).Exit;
    const auto unsignedAs = [](std::string file) { return file.replace(0x98, 4, 4, '\0'); };
    std::string keptSize = std::to_string(Read(same).size());  // a thousand or more
    keptSize.insert(keptSize.size() - 3, ",");
    CHECK_ROW((), (Tool({"inspect", Work + "tampered.scr"}).Out.find("Signature: by " + signer + ", which no longer matches the file\n") !=
                   std::string::npos, changed.Exit, Prints(changed, "removed the signature by " + signer + ": sign the changed saver again"),
                   Tool({"inspect", saver}).Out.find("\nSignature: none\n") != std::string::npos, Verified(saver),
                   unsignedAs(Read(saver)) == Read(plain), Prints(kept, "wrote " + same + ": " + keptSize + " bytes, nothing changed; the signature stays"),
                   Read(same) == Read(again), made.Out.find("the runtime's signature by " +
                   signer + " is left out") != std::string::npos, unsignedAs(Read(Work + "from-signed.scr")) == Read(Work + "from.scr"), exits,
                   Read(Work + "back.bmp")),
              (true, 0, true, true, "", true, true, true, true, true, 0, Logo()));
    const Run unsure = Tool(Sign(same, P12), "PATH=/nowhere");
    CHECK_ROW((), (unsure.Exit, unsure.Err), (3, "glimmora-author: osslsigncode, which signs, is not on PATH: install Debian's package osslsigncode\n"));
    // Every cut of a signature (DER: 30 82 and two bytes of length) is refused without reading past it.
    const std::string whole = Read(again);
    const size_t at = ReadLe32(reinterpret_cast<const uint8_t*>(&whole[0x58 + 96 + 32])) + 8;
    const size_t der = 4 + size_t(uint8_t(whole[at + 2]) << 8 | uint8_t(whole[at + 3]));
    for (size_t size = 0; size <= der; ++size) {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[size + 1]);
        std::copy(whole.begin() + long(at), whole.begin() + long(at + size), copy.get());
        SignatureFacts facts;
        CHECK_ROW((size), (ReadSignature(copy.get(), size, &facts).empty()), (size == der));
    }
}
TEST_CASE("refused inputs name the problem on one line, exit 1, 2 or 3, and leave nothing behind") {
    PrepareWork();
    const std::string saver = Work + "made.scr", text = Work + "logo.txt",
                      missing = Work + "missing.exe", other = Work + "other.exe", config = Work + "bad.conf", keyed = Work + "keyed.png",
                      out = Work + "out.scr", damaged = Work + "damaged.scr", bare = Work + "bare.scr", cutPng = Work + "cut.png",
                      keyedSaver = Work + "keyed.scr", pngInBmp = Work + "png-in.bmp", badIdat = Work + "bad-idat.png";
    REQUIRE((Tool(Create(saver, {})).Exit + Tool(Create(keyedSaver, {}, PngPath)).Exit == 0 && MakeKeys()));  // keyed black, blended onto black
    const std::string made = Read(saver), runtime = Read(RuntimePath), keyedMade = Read(keyedSaver);
    std::string oversized = made, badMagic = made, compressed = Logo(), crcFails = Png();
    compressed[30] = 5, crcFails[crcFails.size() - 13] ^= 1;  // BI_PNG; the IDAT chunk's CRC
    oversized[made.size() - TrailerSize + offsetof(SaverTrailer, ImageSize) + 3] = 0x7F;
    badMagic[made.size() - TrailerSize + offsetof(SaverTrailer, Magic)] = 'Z';
    for (auto& [path, bytes] : {std::pair{text, std::string(100, 't')},
             {cutPng, Png().substr(0, Png().size() - 20)}, {other, Text(MakeProgram({0x014C, 1, 0, 59, 6}))}, {damaged, oversized},
             {bare, badMagic}, {keyed, Text(samples::EncodePng(2, 1, {{0, 0, 0, 0}, {0, 255, 0, 255}}))}, {config, "bouncespeed = 4\n"},
             {pngInBmp, compressed}, {badIdat, crcFails}})
        Write(path, bytes);
    enum Target { Absent, OldFile, Directory };
    const auto runtimeIs = [&](const std::string& path)
    { return std::vector<std::string>{"create", "--runtime", path, "--logo", LogoPath, "--out", out}; };
    // The arguments; the exit code, a part of the message, the target beforehand.
    for (auto& [arguments, exit, message, target] : {std::tuple{std::vector<std::string>{}, 2, std::string("no command"), Absent},
             {{"create", "--runtime", RuntimePath, "--out", out}, 2, "--logo is required", Absent},
             {{"set", saver}, 2, "set needs something to change", Absent},
             {runtimeIs(missing), 1, "cannot read runtime " + missing + ": No such file or directory", Absent},
             {runtimeIs(text), 1, text + " is not a Windows program", Absent}, {runtimeIs(other), 1, " is not a Glimmora runtime", Absent},
             {runtimeIs(saver), 1, "already carries a saver package", Absent}, {Create(RuntimePath, {}), 1, "is the runtime", Absent},
             {Create(out, {"--name", "a\x7F"}), 1, "--name contains a control character", Absent},
             {Create(out, {"--description", "a \xE2\x86\x92 b"}), 1, "--description contains \xE2\x86\x92 (U+2192)", Absent},
             {Create(out, {}, text), 1, text + " is not a BMP or PNG file", Absent},
             {Create(out, {}, cutPng), 1, "is a damaged PNG file: the file ends inside its IDAT chunk", Absent},
             {Create(out, {"--transparent", "#00FF00"}, keyed), 1, "uses the transparent colour #00FF00 in 1 visible pixels", Absent},
             {Create(out, {"--name", std::string(64, 'n')}), 1, "--name is 64 characters long; at most 63 fit", Absent},
             {Create(out, {"--display-name", ""}), 1, "--display-name is empty", Absent},
             {Create(Work + std::string(64, 'f') + ".scr", {}), 1, "give one with --name", Absent},
             {Create(out, {"--set", "BounceSpeed=11"}), 1, "BounceSpeed must be from 1 to 10", Absent},
             {Create(out, {"--config", config}), 1, config + ", line 1: unknown key bouncespeed (did you mean BounceSpeed?)", Absent},
             {{"inspect", bare}, 1, "carries no saver package", Absent}, {{"inspect", damaged}, 1, "has a damaged saver package", Absent},
             {Create(Work + "nowhere/out.scr", {}), 3, "nowhere/out.scr", Absent},
             {Create(out, {"--layout", "8"}), 2, "--layout 8 is not one of smallest, 24", Absent},
             {Create(out, {"--background", "black"}), 1, "--background black", OldFile},
             {{"set", saver, "--set", "FadeSpeed=9", "--out", out}, 1, "FadeSpeed must be", OldFile},
             {Create(out, {"--name", "Acme\\Logo"}), 1, "--name holds a backslash", Absent},
             {Create(out, {"--display-name", "  "}), 1, "--display-name is only spaces", Absent},
             {Create(out, {"--set", "BounceSpeed = 5"}), 2, "has spaces around its =; write --set BounceSpeed=5", Absent},
             {Create(out, {"--set", "BounceSpeed="}), 1, "BounceSpeed needs a value, from 1 to 10", Absent},
             {Create(out, {"--set", "EnabledModes=Static,Bounse"}), 1, "\"Bounse\" is neither a number nor the name of one of its", Absent},
             {Create(out, {}, pngInBmp), 1, "is a BMP file that holds a PNG picture", Absent},
             {Create(out, {}, badIdat), 1, "its IDAT chunk (chunk 2) fails its CRC check", Absent},
             // The transparent colour and the background that a kept logo was packed for.
             {{"set", keyedSaver, "--transparent", "#FF00FF"}, 1, "has 1 pixels in the transparent colour #000000, which would show with #FF00FF", Absent},
             {{"set", keyedSaver, "--transparent", "none"}, 1, "would show with none; give the logo again with --logo", Absent},
             {{"set", keyedSaver, "--background", "#FFFFFF"}, 1, "blended onto the background #000000, which would show as a fringe on #FFFFFF", Absent},
             // Outputs that are someone's files, or inputs.
             {Create(out, {}), 1, "--out " + out + " exists and is not a saver; --force replaces it", OldFile},
             {{"set", saver, "--name", "x", "--out", out}, 1, "exists and is not a saver", OldFile},
             {{"extract", saver, "--out", out}, 1, "exists and is not this saver's logo; --force replaces it", OldFile},
             {Create(LogoPath, {"--force"}), 1, "is the logo itself", Absent}, {Create(out, {}), 1, out + " is a folder", Directory},
             {{"set", saver, "--name", "x", "--out", out, "--force"}, 1, out + " is a folder", Directory},
             {Sign(saver, {"--pkcs12", Keys + "signer.p12", "--password-file", text}, out), 3, "osslsigncode failed: ", Absent},
             {Sign(saver, {"--cert", Keys + "signer.pem", "--key", Keys + "other.key"}, out), 3, "osslsigncode failed: ", Absent},
             {Sign(saver, {"--cert", Keys + "expired.pem", "--key", Keys + "expired.key"}, out), 1, "the certificate of CN=Glimmora Test "
              "Signer, O=Glimmora Tests is valid from 2020-01-01 00:00:00 UTC to 2020-02-01 00:00:00 UTC, not now", Absent},
             {Sign(text, P12, out), 1, text + " is neither a saver nor an installer package made by glimmora-author", Absent},
             {Sign(saver, P12, out), 1, "--out " + out + " exists and is not a saver or a package made by glimmora-author; --force replaces it", OldFile},
             {Sign(saver, {"--cert", Keys + "signer.pem"}), 2, "sign needs --pkcs12, or --cert and --key", Absent}}) {
        fs::remove_all(out);
        if (target == OldFile) Write(out, "old");
        if (target == Directory) fs::create_directory(out);
        const std::set<std::string> before = ListWork();
        const Run run = Tool(arguments);
        // One line, in the form every message of the tool takes; the target as it was.
        CHECK_ROW((arguments.empty() ? "" : arguments[0], message),
                  (run.Exit, run.Err.find(message) != std::string::npos, run.Err.rfind("glimmora-author: ", 0),
                   run.Err.find('\n') + 1 == run.Err.size(), run.Out, target == OldFile ? Read(out) : "", fs::exists(out),
                   ListWork() == before),
                  (exit, true, 0u, true, "", target == OldFile ? "old" : "", target != Absent, true));
    }
    CHECK_ROW((), (Read(saver) == made, Read(RuntimePath) == runtime, Read(keyedSaver) == keyedMade, Read(LogoPath) == Logo()),
              (true, true, true, true));
}
TEST_CASE("--force replaces any output but an input, and what the runtime will change or not show is a warning") {
    PrepareWork();
    const std::string saver = Work + "made.scr", keyed = Work + "keyed.scr", out = Work + "out.scr", texted = Work + "texted.png";
    REQUIRE(Tool(Create(saver, {})).Exit + Tool(Create(keyed, {}, PngPath)).Exit == 0);
    std::string withText = Png();  // a tEXt chunk after IHDR, whose CRC is wrong
    Write(texted, withText.insert(33, std::string("\0\0\0\1tEXtx\0\0\0\0", 13)));
    // The arguments, what the output holds beforehand, the warning (empty: none).
    for (auto& [arguments, before, warning] : {std::tuple{Create(out, {"--force"}), std::string("notes"), std::string()},
             {{"set", keyed, "--transparent", "#010000", "--force", "--out", out}, "", keyed + ": its logo has 1 pixels in "
              "the transparent colour #000000, which would show with #010000"},
             {{"set", saver, "--transparent", "#102030", "--out", out}, "", ""},  // a BMP's own colour made see-through
             {Create(out, {"--set", "BounceGravity=5"}), "", "BounceGravity 5 is stored as 9: any value but 0 turns gravity on"},
             {Create(out, {"--set", "EnabledModes=1"}), "", "EnabledModes 1 (1) enables no mode: the saver shows only its background"},
             {Create(out, {"--set", "UseTransparency=0", "--transparent", "#102030"}), "", "UseTransparency 0 is ignored"},
             {Create(out, {}, texted), "", "logo " + texted + ": its tEXt chunk fails its CRC check and is left out"}}) {
        fs::remove(out);
        if (!before.empty()) Write(out, before);
        const Run run = Tool(arguments);
        CHECK_ROW((arguments[0], warning), (run.Exit, run.Err.find(warning), run.Err.empty(), Tool({"inspect", out}).Exit),
                  (0, warning.empty() ? 0 : run.Err.find("glimmora-author: warning: ") + 26, warning.empty(), 0));
    }
}
TEST_CASE("msi builds the same package twice, with a config file that create shares, and refuses what it cannot ship, writing nothing") {
    PrepareWork();
    const std::string temporary = Scratch + "/tmp", saver = Work + "Shipped Saver.scr", config = Work + "ship.conf", msi = Work + "ship.msi",
                      exe = Work + "Shipped.exe";
    fs::remove_all(temporary), fs::create_directories(temporary), setenv("TMPDIR", temporary.c_str(), 1);
    // create skips the package's keys and msi the saver's; the display name holds what wixl would read as its own.
    Write(config, "SaverName = Shipped\nManufacturer = Soci\xC3\xA9t\xC3\xA9 & Co\nVersion = 1.2.3\n");
    REQUIRE(Tool(Create(saver, {"--config", config, "--display-name", "A $(var.X) & <b> \"q\""})).Exit == 0);
    fs::copy_file(saver, exe);
    const Run first = Tool({"msi", saver, "--out", msi, "--config", config});
    const std::string built = Read(msi);
    const Run second = Tool({"msi", saver, "--out", msi, "--config", config});  // over its own package, the same bytes
    CHECK_ROW((), (first.Exit, first.Err, Prints(first, "wrote " + msi + ": " + std::to_string(built.size()) + " bytes, x86 package of "
                   "\"A $(var.X) & <b> \"q\"\" 1.2.3, upgrade code {4B045FED-8EB4-5729-B2B5-B87D1E4D1E6A}"), second.Exit, Read(msi) == built),
              (0, "", true, 0, true));
    // Texts in Windows-1252 throughout, as the summary (a VT_I2 property) and the string pool say; a short name before the long.
    const auto stream = [&built](const char16_t* name) {
        std::vector<size_t> at;
        std::string bytes;
        FindStream(Bytes(built.begin(), built.end()), name, &at);
        for (size_t i : at) bytes += built[i];
        return bytes;
    };
    const std::string summary = stream(u"\x05SummaryInformation"), pool = stream(u"\x4840\x3F3F\x4577\x446C\x3E6A\x44B2\x482F"),
                      strings = stream(u"\x4840\x3F3F\x4577\x446C\x3B6A\x45E4\x4824"), name = "|Shipped Saver.scr";
    const size_t bar = strings.find(name);
    CHECK_ROW((), (summary.find(std::string("\2\0\0\0\xE4\x04", 6)) < summary.size(), summary.find(std::string("Soci\xE9t\xE9 & Co\0", 13)) <
                   summary.size(), summary.find('\xC3'), pool.substr(0, 2), strings.find("Soci\xE9t\xE9 & Co") < strings.size(),
                   bar < strings.size() ? strings.substr(bar - 12, 5) + strings.substr(bar - 4, 4) : ""),
              (true, true, std::string::npos, "\xE4\x04", true, "SHIP~.SCR"));
    for (size_t size = 0; size <= built.size(); size += size < 2048 ? 1 : 61) {  // over exact heap copies, for the sanitizer
        const Bytes cut(built.begin(), built.begin() + long(size));
        CHECK_ROW((size), (MadeByThisTool(cut) || size < built.size()), (true));
    }
    const auto msiOf = [&](const std::string& from, const std::string& version, const std::string& manufacturer = "M")
    { return std::vector<std::string>{"msi", from, "--out", msi, "--version", version, "--manufacturer", manufacturer}; };
    // The arguments, what PATH is, the exit code, a part of the message; the output is there beforehand, another file.
    for (auto& [arguments, path, exit, message] : {std::tuple{msiOf(RuntimePath, "1.0.0"), "", 1, RuntimePath + " carries no saver package"},
             {msiOf(saver, "1.0"), "", 1, "version 1.0 is not three numbers"}, {msiOf(saver, "1.256.0"), "", 1, "up to 255.255.65535"},
             {msiOf(saver, "0.0.0"), "", 1, "version 0.0.0 is not a release"},
             {msiOf(saver, "1.0.0", "A ?> B"), "", 1, "the manufacturer contains ?>"},
             {msiOf(exe, "1.0.0"), "", 1, "the saver's file name, Shipped.exe, does not end in .scr"},
             {msiOf(saver, "1.0.0"), "", 1, "--out " + msi + " exists and is not a package made by glimmora-author"},
             {{"msi", saver, "--out", msi, "--manufacturer", "M"}, "", 2, "--version is required"},
             {msiOf(saver, "1.0.0"), "PATH=/nowhere", 3, "wixl, which builds the package, is not on PATH"}}) {
        Write(msi, exit == 1 && message[0] == '-' ? "old" : "");
        if (exit != 1 || message[0] != '-') fs::remove(msi);
        const std::set<std::string> before = ListWork();
        const Run run = Tool(arguments, path);
        CHECK_ROW((message), (run.Exit, run.Err.find(message) != std::string::npos, run.Out, ListWork() == before, Read(msi),
                               fs::is_empty(temporary)), (exit, true, "", true, exit == 1 && message[0] == '-' ? "old" : "", true));
    }
}
// Started as from a terminal, stopped while `midway` holds (its temporary file or wixl's folder exists), then sent the signal;
// a run that ended before it could be stopped there is started again. Its exit code, or -1 when it was never caught midway.
static int Interrupted(const std::vector<std::string>& arguments, int signal, bool (*midway)())
{
    std::vector<char*> argv = {const_cast<char*>(GLIMMORA_AUTHOR_TOOL)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    sigset_t every;
    posix_spawnattr_init(&attributes), sigfillset(&every), posix_spawnattr_setsigdefault(&attributes, &every);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    for (int attempt = 0; attempt < 20; ++attempt) {
        pid_t pid;
        int status = 0;
        REQUIRE(posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ) == 0);
        bool ended = false;
        while (!midway() && !(ended = waitpid(pid, &status, WNOHANG) == pid)) usleep(200);
        if (!ended && (kill(pid, SIGSTOP), waitpid(pid, &status, WUNTRACED), WIFSTOPPED(status))) {
            const bool caught = midway();
            kill(pid, caught ? signal : SIGCONT), kill(pid, SIGCONT), waitpid(pid, &status, 0);
            if (caught) return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        }
        fs::remove(*(std::find(arguments.begin(), arguments.end(), "--out") + 1));  // written whole: once more
    }
    return -1;
}
TEST_CASE("an interrupted create or msi removes its temporary file or folder, stops wixl, and exits 128 + the signal") {
    PrepareWork();
    const std::string big = Work + "big.bmp", saver = Work + "made.scr", temporary = Scratch + "/tmp", path = getenv("PATH");
    std::vector<uint32_t> pixels(4096 * 2048, 0x336699);  // 25 MB to write
    Write(big, Text(EncodeBmp24(4096, 2048, pixels.data())));
    // A wixl that starts and waits, in the package's folder.
    fs::create_directories(Work + "bin"), Write(Work + "bin/wixl", "#!/bin/sh\ntouch gsf-save '" + Work + "bin/started'\nexec sleep 600\n");
    fs::permissions(Work + "bin/wixl", fs::perms::owner_all);
    fs::remove_all(temporary), fs::create_directories(temporary), setenv("TMPDIR", temporary.c_str(), 1);
    setenv("PATH", (Work + "bin:" + path).c_str(), 1);
    REQUIRE(Tool(Create(saver, {})).Exit == 0);
    static const auto writing = [] { for (auto& e : fs::directory_iterator(Work)) if (e.path().string().find(".tmp-") != std::string::npos) return true; return false; };
    static const auto building = [] { return fs::exists(Work + "bin/started"); };
    const std::vector<std::string> msi = {"msi", saver, "--out", Work + "made.msi", "--manufacturer", "M", "--version", "1.0.0"};
    for (auto [arguments, signal, exit] : {std::tuple{Create(Work + "big.scr", {}, big), SIGINT, 130}, {msi, SIGTERM, 143}, {msi, SIGHUP, 129}}) {
        fs::remove(Work + "bin/started");
        const std::set<std::string> before = ListWork();
        const int code = Interrupted(arguments, signal, arguments[0] == "msi" ? +building : +writing);
        CHECK_ROW((arguments[0], signal), (code, ListWork() == before, fs::is_empty(temporary)), (exit, true, true));
    }
    setenv("PATH", path.c_str(), 1);
}
