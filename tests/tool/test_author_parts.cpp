// The authoring tool's parts: the walk to string 1, PNG checks and
// flattening, config lines, texts, and the settings that set may touch.
#include "tool/sample_files.h"

#include <memory>

#include "config_file.h"
#include "logo_input.h"
#include "saver_fields.h"
#include "string_resource.h"
#include "testkit.h"
#include "text_encoding.h"

using samples::Bytes;

namespace {

// The walk over an exact heap copy, so that the sanitizer sees any read past the end.
ProgramFault Walk(const Bytes& file, DisplayNameSlots* slots)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[file.size() ? file.size() : 1]);
    if (!file.empty())
        std::memcpy(copy.get(), file.data(), file.size());
    return FindDisplayNameSlots(copy.get(), file.size(), slots);
}

}  // namespace

TEST_CASE(the_walk_finds_string_1_of_every_language)
{
    struct Row { const char* Name; samples::ProgramShape Shape; ProgramMachine Machine; };
    const Row rows[] = {
        {"32-bit, one language", {}, ProgramMachine::X86},
        {"64-bit, one language", {0x8664, 1, 0, 60, 6}, ProgramMachine::X64},
        {"three languages", {0x014C, 3, 0, 60, 6}, ProgramMachine::X86},
        {"after a non-empty string 0", {0x8664, 2, 7, 60, 6}, ProgramMachine::X64},
        {"another processor", {0x01C4, 1, 0, 60, 6}, ProgramMachine::Other},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        std::vector<size_t> expected;
        const Bytes program = samples::MakeProgram(row.Shape, &expected);
        DisplayNameSlots slots;
        CHECK_EQ(Walk(program, &slots), ProgramFault::None);
        CHECK_EQ(slots.Machine, row.Machine);
        CHECK(slots.Offsets == expected);
    }
}

TEST_CASE(programs_without_a_sound_string_1_are_told_apart)
{
    const Bytes sound = samples::MakeProgram({});
    const size_t sectionTable = 0x58 + 224, resources = samples::SectionFileOffset;
    struct Row { const char* Name; Bytes File; ProgramFault Fault; };
    auto changed = [&sound](size_t at, uint32_t value) {
        Bytes file = sound;
        samples::Put32(file, at, value);
        return file;
    };
    const Row rows[] = {
        {"empty", {}, ProgramFault::NotProgram},
        {"a zip file", {'P', 'K', 3, 4, 0, 0, 0, 0}, ProgramFault::NotProgram},
        {"MZ without a PE header", Bytes(sound.begin(), sound.begin() + 0x40), ProgramFault::NotProgram},
        {"PE header pointer past the end", changed(0x3C, 0x7FFFFFF0), ProgramFault::NotProgram},
        {"section data past the end", changed(sectionTable + 20, 0x10000), ProgramFault::Damaged},
        {"section count beyond the headers", changed(0x46, 0xFFFF), ProgramFault::Damaged},
        {"resources beyond the section's file data", changed(sectionTable + 16, 0x40), ProgramFault::Damaged},
        {"type entry pointing outside", changed(resources + 20, 0x80000000u | 0x7000), ProgramFault::Damaged},
        {"block size beyond the section", changed(resources + 64 + 8 + 4, 0x100000), ProgramFault::Damaged},
        {"no resource directory", changed(0x58 + 96 + 16, 0), ProgramFault::NoDisplayName},
        {"no string table", samples::MakeProgram({0x014C, 1, 0, 60, 3}), ProgramFault::NoDisplayName},
        {"string 1 of 59 characters", samples::MakeProgram({0x014C, 1, 0, 59, 6}), ProgramFault::NoDisplayName},
        {"string 1 of 61 characters", samples::MakeProgram({0x014C, 1, 0, 61, 6}), ProgramFault::NoDisplayName},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        DisplayNameSlots slots;
        CHECK_EQ(Walk(row.File, &slots), row.Fault);
    }
}

TEST_CASE(the_walk_never_reads_past_a_cut_or_scrambled_program)
{
    std::vector<size_t> expected;
    const Bytes program = samples::MakeProgram({0x8664, 2, 3, 60, 6}, &expected);
    // The whole last block: string 1, then 14 empty strings.
    const size_t needed = expected.back() + 120 + 28;
    DisplayNameSlots slots;
    for (size_t size = 0; size < program.size(); ++size) {
        const ProgramFault fault = Walk(Bytes(program.begin(), program.begin() + static_cast<std::ptrdiff_t>(size)), &slots);
        if ((fault == ProgramFault::None) != (size >= needed))
            CHECK_EQ(size, needed);
    }
    // Every header and resource byte set to each of three telling values.
    for (size_t at = 0; at < needed; ++at)
        for (uint8_t value : {0x00, 0x80, 0xFF}) {
            Bytes scrambled = program;
            scrambled[at] = value;
            Walk(scrambled, &slots);
        }
}

TEST_CASE(a_png_must_be_whole_before_it_is_decoded)
{
    const std::vector<samples::Rgba> pixels(6, {10, 20, 30, 255});
    const Bytes sound = samples::EncodePng(3, 2, pixels);
    // Chunks: the signature, then IHDR at 8.
    Bytes badCrc = sound;
    badCrc[sound.size() - 20] ^= 1;
    Bytes wideHeader = sound;
    samples::Put32(wideHeader, 16, 0x409C0000);  // big-endian 40000
    samples::SealChunk(wideHeader, 8);
    Bytes zeroHeight = sound;
    samples::Put32(zeroHeight, 20, 0);
    samples::SealChunk(zeroHeight, 8);
    Bytes noHeader = sound;
    std::memcpy(&noHeader[12], "IHDX", 4);
    samples::SealChunk(noHeader, 8);
    Bytes afterEnd = sound;
    afterEnd.insert(afterEnd.end(), {'j', 'u', 'n', 'k'});

    struct Row { const char* Name; Bytes File; const char* Problem; };
    const Row rows[] = {
        {"sound", sound, ""},
        {"bytes after IEND", afterEnd, ""},
        {"cut inside a chunk", Bytes(sound.begin(), sound.end() - 20), "ends inside its IDAT chunk"},
        {"cut before IEND", Bytes(sound.begin(), sound.end() - 12), "ends before its IEND chunk"},
        {"changed byte", badCrc, "IDAT chunk (chunk 2) fails its CRC check"},
        {"40000 pixels wide", wideHeader, "too large"},
        {"no height", zeroHeight, "no width or no height"},
        {"no IHDR first", noHeader, "does not start with an IHDR chunk"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        const std::string problem = PngStructureProblem(row.File.data(), row.File.size());
        if (*row.Problem == '\0')
            CHECK_EQ(problem, "");
        else
            CHECK(problem.find(row.Problem) != std::string::npos);
    }

    // Sound chunks around pixel data that does not inflate.
    Bytes badData = sound;
    const size_t idat = 8 + 25;
    badData[idat + 8] = 0xFF;
    samples::SealChunk(badData, idat);
    CHECK_EQ(PngStructureProblem(badData.data(), badData.size()), "");
    RgbaPicture picture;
    std::string problem;
    CHECK(!DecodePng(badData.data(), badData.size(), &picture, &problem));
    CHECK(problem.find("does not decode") != std::string::npos);
}

TEST_CASE(empty_image_chunks_add_nothing_to_the_picture)
{
    std::vector<samples::Rgba> pixels;
    for (uint8_t i = 0; i < 6; ++i)
        pixels.push_back({i, static_cast<uint8_t>(2 * i), 200, static_cast<uint8_t>(40 * i)});
    const Bytes sound = samples::EncodePng(3, 2, pixels);
    Bytes emptyChunk;
    samples::AppendChunk(emptyChunk, "IDAT", {});
    // An empty IDAT first (the decoder once copied it to a null pointer), and
    // one after the real data.
    const size_t idat = 8 + 25, iend = sound.size() - 12;
    Bytes padded(sound.begin(), sound.begin() + idat);
    padded.insert(padded.end(), emptyChunk.begin(), emptyChunk.end());
    padded.insert(padded.end(), sound.begin() + idat, sound.begin() + iend);
    padded.insert(padded.end(), emptyChunk.begin(), emptyChunk.end());
    padded.insert(padded.end(), sound.begin() + iend, sound.end());

    CHECK_EQ(PngStructureProblem(padded.data(), padded.size()), "");
    RgbaPicture expected, picture;
    std::string problem;
    REQUIRE(DecodePng(sound.data(), sound.size(), &expected, &problem));
    REQUIRE(DecodePng(padded.data(), padded.size(), &picture, &problem));
    CHECK_EQ(picture.Width, 3);
    CHECK_EQ(picture.Height, 2);
    CHECK(picture.Rgba == expected.Rgba);
    CHECK_EQ(static_cast<int>(picture.Rgba[4 * 5 + 3]), 200);
}

namespace {

constexpr uint32_t Background = 0x00403020;  // #203040 as a COLORREF

RgbaPicture Picture(const std::vector<samples::Rgba>& pixels)
{
    RgbaPicture picture = {static_cast<int32_t>(pixels.size()), 1, {}};
    for (const samples::Rgba& p : pixels)
        picture.Rgba.insert(picture.Rgba.end(), {p.R, p.G, p.B, p.A});
    return picture;
}

}  // namespace

TEST_CASE(png_alpha_becomes_a_key_colour_and_blends_onto_the_background)
{
    const samples::Rgba clear = {1, 2, 3, 0}, red = {255, 0, 0, 255}, halfRed = {255, 0, 0, 128};
    const samples::Rgba magenta = {255, 0, 255, 255}, black = {0, 0, 0, 255}, green = {0, 255, 0, 255};
    const KeyChoice pick = {false, -1};
    struct Row {
        const char* Name;
        std::vector<samples::Rgba> Pixels;
        KeyChoice Key;
        std::vector<uint32_t> Flat;  // 0x00RRGGBB
        int32_t Transparent;         // COLORREF
        bool Picked;
    };
    const Row rows[] = {
        {"opaque needs no key", {red, green}, pick, {0xFF0000, 0x00FF00}, -1, false},
        {"magenta is the first pick", {clear, red}, pick, {0xFF00FF, 0xFF0000}, 0xFF00FF, true},
        {"a used magenta is passed over", {clear, magenta}, pick, {0x000000, 0xFF00FF}, 0x000000, true},
        {"then the lowest free colour", {clear, magenta, black}, pick, {0x000001, 0xFF00FF, 0x000000}, 0x010000, true},
        {"half alpha blends, rounded", {halfRed}, pick, {0x901820}, -1, false},
        {"alpha 1 is nearly background", {{255, 255, 255, 1}}, pick, {0x213141}, -1, false},
        {"a given key", {clear, red}, {true, 0x00FF0000}, {0x0000FF, 0xFF0000}, 0x00FF0000, false},
        {"none: the background shows", {clear, red}, {true, -1}, {0x203040, 0xFF0000}, -1, false},
        {"colours keep their order", {{0x12, 0x34, 0x56, 255}}, {true, 0x00FF00FF}, {0x123456}, 0x00FF00FF, false},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        FlatLogo logo;
        CHECK_EQ(FlattenPicture(Picture(row.Pixels), Background, row.Key, &logo), "");
        CHECK(logo.Pixels == row.Flat);
        CHECK_EQ(logo.TransparentColor, row.Transparent);
        CHECK_EQ(logo.KeyPicked, row.Picked);
    }
}

TEST_CASE(a_given_key_that_the_logo_shows_is_refused)
{
    struct Row { const char* Name; std::vector<samples::Rgba> Pixels; uint32_t Background; const char* Problem; };
    const Row rows[] = {
        {"opaque pixels", {{0, 255, 0, 255}, {0, 255, 0, 255}, {0, 0, 0, 0}}, Background, "#00FF00 in 2 visible pixels"},
        // Half green over green is green.
        {"a blended pixel", {{0, 0, 0, 0}, {0, 255, 0, 128}}, 0x0000FF00, "#00FF00 in 1 visible pixels"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        FlatLogo logo;
        const std::string problem = FlattenPicture(Picture(row.Pixels), row.Background, {true, 0x0000FF00}, &logo);
        CHECK(problem.find(row.Problem) != std::string::npos);
    }
}

TEST_CASE(config_lines_give_keys_and_values)
{
    struct Row { const char* Name; const char* Text; std::vector<std::pair<std::string, std::string>> Entries; };
    const Row rows[] = {
        {"comments and blanks", "# a comment\n\n  ; another\nSaverName = Demo\n", {{"SaverName", "Demo"}}},
        {"a colour is no comment", "BackgroundColor=#102030", {{"BackgroundColor", "#102030"}}},
        {"quotes keep spaces", "Description = \"  two  \"\r\n", {{"Description", "  two  "}}},
        {"byte order mark, CRLF", "\xEF\xBB\xBFSaverId = 0x10\r\nBounceSpeed = 4\r\n",
         {{"SaverId", "0x10"}, {"BounceSpeed", "4"}}},
        {"equals in the value", "WebAddress = http://x/?a=b", {{"WebAddress", "http://x/?a=b"}}},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        std::vector<ConfigEntry> entries;
        std::string problem;
        CHECK(ParseConfigText(row.Text, &entries, &problem));
        REQUIRE(entries.size() == row.Entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            CHECK_EQ(entries[i].Key, row.Entries[i].first);
            CHECK_EQ(entries[i].Value, row.Entries[i].second);
        }
    }

    struct Bad { const char* Text; const char* Problem; };
    const Bad bad[] = {
        {"SaverName = a\nBounceSpeed 4\n", "line 2: \"BounceSpeed 4\" is not of the form Key = Value"},
        {"= 4", "line 1: a value without a key"},
        {"Bounce Speed = 4", "line 1: \"Bounce Speed\" is not a key"},
        {"FadeSpeed = 1\n\nFadeSpeed = 2", "line 3: FadeSpeed is given twice (first on line 1)"},
    };
    for (const Bad& row : bad) {
        TEST_ROW(row.Text);
        std::vector<ConfigEntry> entries;
        std::string problem;
        CHECK(!ParseConfigText(row.Text, &entries, &problem));
        CHECK(problem.find(row.Problem) == 0);
    }
}

TEST_CASE(texts_are_stored_in_windows_1252)
{
    struct Row { const char* Name; std::string Utf8; std::string Ansi; const char* Problem; };
    const Row rows[] = {
        {"ASCII", "Glimmora Demo", "Glimmora Demo", ""},
        {"Latin-1", "Caf\xC3\xA9 \xC3\xBF", "Caf\xE9 \xFF", ""},
        {"the 0x80 row", "\xE2\x82\xAC \xC5\xA0 \xC5\xB8", "\x80 \x8A \x9F", ""},
        {"outside the set", "a \xE2\x86\x92 b", "", "contains \xE2\x86\x92 (U+2192)"},
        {"a lone Latin-1 byte", "Caf\xE9", "", "is not UTF-8 text"},
        {"an overlong slash", "\xC0\xAF", "", "is not UTF-8 text"},
        {"a tab", "a\tb", "", "contains a control character"},
        {"a C1 control", "a\xC2\x85", "", "contains a control character"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        std::string ansi, problem;
        const bool ok = Utf8ToWindows1252(row.Utf8, &ansi, &problem);
        CHECK_EQ(ok, *row.Problem == '\0');
        if (ok) {
            CHECK_EQ(ansi, row.Ansi);
            CHECK_EQ(Windows1252ToUtf8(ansi), row.Utf8);
        } else {
            CHECK(problem.find(row.Problem) == 0);
        }
    }
    // Every printable byte goes to UTF-8 and back unchanged.
    for (int byte = 0x20; byte < 0x100; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        std::string back, problem;
        const bool printable = byte != 0x7F && byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D;
        CHECK_EQ(Utf8ToWindows1252(Windows1252ToUtf8(one), &back, &problem) && back == one, printable);
    }
}

TEST_CASE(set_rewrites_only_the_fields_that_follow_a_chosen_one)
{
    const auto bit = [](const char* name) { return 1u << (FindSettingsField(name) - SettingsFields); };
    struct Row { const char* Name; uint32_t Given; int32_t FadeDerived, BounceGravity, IgnoreInput; };
    // Before: FadeSpeed 5 with FadeDerived 0, BounceSpeed 4 with gravity 1, IgnoreInput 7.
    const Row rows[] = {
        {"a field nothing follows", bit("ManyDelayMs"), 0, 1, 7},
        {"FadeSpeed", bit("FadeSpeed"), 550, 1, 7},
        {"BounceSpeed", bit("BounceSpeed"), 0, 12, 7},
        {"BounceGravity", bit("BounceGravity"), 0, 12, 7},
        {"IgnoreInput", bit("IgnoreInput"), 0, 1, 6},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        SaverSettings settings = {};
        settings.FadeSpeed = 5;
        settings.BounceSpeed = 4;
        settings.BounceGravity = 1;
        settings.IgnoreInput = 7;
        NormaliseChosenSettings(&settings, row.Given);
        CHECK_EQ(settings.FadeDerived, row.FadeDerived);
        CHECK_EQ(settings.BounceGravity, row.BounceGravity);
        CHECK_EQ(settings.IgnoreInput, row.IgnoreInput);
    }
}

TEST_MAIN()
