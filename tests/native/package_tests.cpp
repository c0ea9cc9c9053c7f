// The command line, the package trailer, the settings record and the BMP checks.
#include "native/tables.h"
#include "package/bmp_format.h"
#include "package/package_location.h"
#include "package/saver_trailer.h"
#include "shell/command_line.h"
#include "tool/sample_files.h"

#include <climits>
#include <cstring>
#include <vector>

TEST_CASE("the program name is skipped with the blanks after it, by whole characters; decimals wrap and stop at a non-digit") {
    // The command line; what follows the program name.
    const char* rows[][2] = {{"saver.scr /s", "/s"}, {"saver.scr\t \x01/p 12", "/p 12"}, {"\"C:\\My Saver.scr\"/s", "/s"},
        {"\"unterminated quote /s", ""}, {"  C:\\saver.scr /s", "C:\\saver.scr /s"}, {"saver.scr", ""}, {"\"\" /s", "/s"},
        {"saver.scr\xA0/s", ""}};
    for (auto& row : rows)
        CHECK_ROW((row[0]), (std::string(SkipProgramName(row[0], [](const char* t) { return t + 1; }))), (row[1]));
    // A double-byte character whose second byte is a quote does not end the name.
    CHECK(std::string(SkipProgramName("\"ab\x81\"cd\" /s", [](const char* t) { return t + (*t == '\x81' ? 2 : 1); })) == "/s");
    for (auto [text, value] : {std::pair{"", 0u}, {"1234", 1234}, {"12x4", 12}, {"4294967295", 4294967295u}, {"4294967296", 0},
                               {"12345678901", 3755744309u}, {"7\xB9", 7}})
        CHECK_ROW((text), (ParseDecimal(text)), (value));
}
TEST_CASE("verbs choose their road, window and exit code") {
    const VerbRoad C = VerbRoad::Configure, R = VerbRoad::Run, P = VerbRoad::Preview, X = VerbRoad::Exit, A = VerbRoad::ChangePassword;
    // Arguments, on 9x; the road, the window, whether the foreground window owns a dialog.
    const std::tuple<const char*, bool, VerbRoad, uint32_t, bool> rows[] = {{"", 0, C, 0, 0}, {"c", 0, C, 0, 1}, {"/C:1234", 0, C, 1234, 0},
        {"/c:0", 0, C, 0, 1}, {"/c:999", 0, C, 0, 1}, {"/c 1234", 0, C, 0, 1}, {"C:\\saver.scr /s", 0, C, 0, 1}, {"s", 0, R, 0, 0},
        {"/S", 0, R, 0, 0}, {"-/ -/s", 0, R, 0, 0}, {"/p 1234", 0, P, 1234, 0}, {"/l 1234", 0, P, 1234, 0}, {"/p", 0, X, 0, 0},
        {"/p 999", 0, X, 0, 0}, {"/p:1234", 0, X, 0, 0}, {"/p\t1234", 0, X, 0, 0}, {"/p 4294968530", 0, P, 1234, 0},
        {"/a 1234", 0, X, 0, 0}, {"/a 1234", 1, A, 1234, 0}, {"/A", 1, A, 0, 1}, {"/a 999", 1, A, 0, 1}, {"/x", 0, X, 0, 0},
        {"\t/s", 0, X, 0, 0}, {"\xE9", 0, X, 0, 0}};
    for (auto& [tail, on9x, road, window, foreground] : rows) {
        const VerbDecision v = DecideVerb(tail, on9x, [](uint32_t w) { return w == 1234 || w == 77; });
        CHECK_ROW((tail, on9x), (v.Road, v.Window, v.ForegroundOwner, v.ExitCode), (road, window, foreground, road == X ? -1 : 0));
    }
}
TEST_CASE("package layout is judged from the file size, the trailer and every magic byte; the default trailer keeps the identity") {
    const PackageLayout S = PackageLayout::Sound, D = PackageLayout::Damaged, N = PackageLayout::NoImage;
    // Image size, file size; the layout, the image's offset. Then the default trailer with each magic byte changed in turn.
    const std::tuple<int32_t, uint64_t, PackageLayout, uint64_t> rows[] = {{1000, 50000, S, 50000 - 324 - 1000}, {1000, 1324, S, 0},
        {1001, 1324, D, 0}, {INT32_MAX, 5000, D, 0}, {0, 5000, N, 0}, {0, 323, D, 0}, {0, 324, N, 0}};
    for (size_t i = 0; i < std::size(rows) + TrailerMagicSize; ++i) {
        SaverTrailer trailer;
        auto [size, fileSize, layout, offset] = i < std::size(rows) ? rows[i] : std::tuple(10, uint64_t{10000}, D, uint64_t{0});
        uint64_t at = 0;
        ApplyDefaultTrailer(&trailer), trailer.ImageSize = size;
        trailer.Magic[(i - std::size(rows)) % TrailerMagicSize] ^= i < std::size(rows) ? 0 : 0x20;
        CHECK_ROW((i), (JudgePackage(trailer, fileSize, &at), at), (layout, offset));
    }
    SaverTrailer t = {0, 0, {}, 0xBEEF, 0x123456, 0xFF00FF, {}, "Demo", {}, {}, 0};
    t.Settings.DripIntervalMs = 210, ApplyDefaultTrailer(&t);
    CHECK_ROW((), (TrailerMagicValid(t), t.BackgroundColor, t.TransparentColor, t.Settings.SettingsDialogEnabled, t.Settings.DripIntervalMs,
                   std::string(t.SaverName), t.SaverId), (true, 0u, 0, 1, 210, "Demo", 0xBEEFu));
}
using Bytes = std::vector<uint8_t>;
static void Put(Bytes& file, size_t at, uint32_t value, int bytes = 4)
{ for (int i = 0; i < bytes; ++i) file[at + i] = uint8_t(value >> (8 * i)); }
// A saver of 32- or 64-bit headers, signed as signing does it: zeros to an 8-byte boundary (or `padding` of them; -1 none
// and no table), then a 16-byte certificate table; the directory given by `directory` from where the table and file end.
TEST_CASE("a signed saver's package ends before the padding and certificate table; a table reaching outside the file, or with no trailer right before it, is damage") {
    using D = std::pair<uint64_t, uint64_t>;
    struct Row { const char* Name; size_t Logo; uint32_t Slot; int Padding; D (*Directory)(uint64_t table, uint64_t size); bool Sound; };
    const auto signed8 = [](uint64_t table, uint64_t size) { return D{table, size - table}; };
    std::vector<Row> rows = {{"unsigned", 100, 0, -1, [](uint64_t, uint64_t) { return D{0, 0}; }, true},
        {"a table inside the file, the package after it", 100, 0, -1, [](uint64_t, uint64_t) { return D{0x200, 16}; }, true},
        {"eight zeros", 100, 0, 8, signed8, false}, {"a table of the whole file", 101, 0, 7, [](uint64_t, uint64_t n) { return D{0, n}; }, false},
        {"into the trailer", 100, 0, 0, [](uint64_t t, uint64_t n) { return D{t - 4, n - t + 4}; }, false},
        {"into the logo", 100, 0, 0, [](uint64_t t, uint64_t n) { return D{t - 400, n - t + 400}; }, false},
        {"one byte past the end", 102, 0, 6, [](uint64_t t, uint64_t n) { return D{t, n - t + 1}; }, false},
        {"unsigned, into the package and past the end", 100, 0, -1, [](uint64_t t, uint64_t) { return D{t - 50, 100}; }, false},
        {"past the end", 100, 0, 0, [](uint64_t, uint64_t n) { return D{n + 1, 16}; }, false},
        {"wrapping to the end in 32 bits", 100, 0, 0, [](uint64_t, uint64_t n) { return D{0xFFFFFFF0u, n + 0x10}; }, false}};
    for (size_t logo = 100; logo < 108; ++logo)  // every padding, with the trailer's last (ignored) bytes zero or not
        rows.push_back({"as signing pads", logo, logo % 2 ? 0u : ~0u, -2, signed8, true});
    for (uint16_t machine : {uint16_t(0x014C), uint16_t(0x8664)})
        for (const Row& row : rows) {
            Bytes file = samples::MakeProgram({machine});
            const size_t program = file.size(), entry = 0x58 + (machine == 0x8664 ? 112 : 96) + 32;
            SaverTrailer trailer;
            ApplyDefaultTrailer(&trailer), trailer.ImageSize = int32_t(row.Logo), trailer.ImageSlot = row.Slot;
            file.resize(program + row.Logo, 0x5A);
            file.insert(file.end(), reinterpret_cast<uint8_t*>(&trailer), reinterpret_cast<uint8_t*>(&trailer + 1));
            const uint64_t end = file.size();
            if (row.Padding != -1) {
                file.resize(file.size() + size_t(row.Padding == -2 ? -end & 7 : row.Padding), 0);
                file.resize(file.size() + 16, 0xAB);
            }
            const D directory = row.Directory(file.size() - (row.Padding == -1 ? 0 : 16), file.size());
            Put(file, entry, uint32_t(directory.first)), Put(file, entry + 4, uint32_t(directory.second));
            MemoryFile memory = {file.data(), file.size()};
            PackagePlace place = {};
            const PackageLayout layout = LocatePackage(ReadMemoryFile, &memory, file.size(), &trailer, &place);
            CHECK_ROW((machine, row.Name, row.Logo), (layout, row.Sound ? place.End : 0, row.Sound ? place.ImageOffset : 0),
                      (row.Sound ? PackageLayout::Sound : PackageLayout::Damaged, row.Sound ? end : 0, row.Sound ? program : 0));
        }
}
TEST_CASE("the settings key is formed from the name and the id in lower-case hex") {
    const std::string prefix = "Software\\Glimmora\\Savers\\", full(64, 'N');  // 64 characters leave no terminator
    for (auto& [name, id, size, key] : {std::tuple{std::string("Glimmora Demo"), 0x1A2Bu, 160, prefix + "Glimmora Demo.1a2b\\"},
             {full, ~0u, 100, prefix + full + ".ffffffff\\"}, {full, ~0u, 99, ""}}) {
        SaverTrailer trailer = {};
        std::memcpy(trailer.SaverName, name.data(), name.size());
        trailer.SaverId = id;
        char out[160];
        const bool made = FormatSettingsKey(trailer, out, size_t(size));
        CHECK_ROW((name, size), (made, std::string(out)), (!key.empty(), key));
    }
}
TEST_CASE("defaults are normalised, allowed, and leave the drip fields alone; each field is named once, in record order") {
    SaverSettings s;
    std::memset(&s, 0x5A, sizeof s);
    ApplyDefaultSettings(&s);
    for (auto [name, value] : {std::pair{"SettingsDialogEnabled", 1}, {"EnabledModes", 255}, {"ChangeModeMinutes", 5}, {"BounceSpeed", 3},
             {"BounceGravity", 9}, {"FadeDerived", 950}, {"FallingDirection", 2}, {"FallingLogoCount", 15}, {"DripIntervalMs", 0x5A5A5A5A},
             {"DripTile", 0x5A5A5A5A}})
        CHECK_ROW((name), (ReadSettingsField(s, *FindSettingsField(name))), (value));
    s.DripIntervalMs = 410, s.DripTile = 0;
    for (int i = 0; i < SettingsFieldCount; ++i) {
        const SettingsField& field = SettingsFields[i];
        CHECK_ROW((field.Name), (SettingsValueAllowed(field, ReadSettingsField(s, field)), field.Offset, FindSettingsField(field.Name)),
                  (true, size_t(i) * 4, &field));
    }
    WriteSettingsField(&s, *FindSettingsField("FallingLogoCount"), 42);
    CHECK_ROW((), (s.FallingLogoCount, FindSettingsField("bouncespeed")), (42, nullptr));
}
TEST_CASE("normalisation derives the fade value, triples gravity and never ignores every input; allowed values") {
    // FadeSpeed, BounceSpeed, BounceGravity, IgnoreInput; then FadeDerived, BounceGravity, IgnoreInput.
    const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t> rows[] = {{3, 4, 1, 0, 950, 12, 0},
        {3, 4, 12, 5, 950, 12, 5}, {5, 10, -3, 7, 550, 30, 6}, {0, -5, 1, 8, 1550, -15, 6},
        {INT32_MAX, INT32_MAX, 1, INT32_MAX, 1750, 2147483645, 6}, {INT32_MIN, INT32_MIN, 1, INT32_MIN, 1550, INT32_MIN, 6}};
    for (auto& [fade, bounce, gravity, ignore, derived, gravityOut, ignoreOut] : rows) {
        SaverSettings s = {};
        s.FadeSpeed = fade, s.BounceSpeed = bounce, s.BounceGravity = gravity, s.IgnoreInput = ignore;
        NormaliseSettings(&s);
        CHECK_ROW((fade, bounce, gravity, ignore), (s.FadeDerived, s.BounceGravity, s.IgnoreInput), (derived, gravityOut, ignoreOut));
    }
    for (auto [name, value, allowed] : {std::tuple{"BounceSpeed", 1, true}, {"BounceSpeed", 0, 0}, {"BounceSpeed", 11, 0},
             {"FallingLogoCount", 50, 1}, {"FallingLogoCount", 51, 0}, {"ManyDelayMs", 2600, 1}, {"ManyDelayMs", 2601, 0},
             {"FallingDirection", 12, 1}, {"FallingDirection", 5, 0}, {"Reserved8", INT32_MIN, 1}})
        CHECK_ROW((name, value), (SettingsValueAllowed(*FindSettingsField(name), value)), (allowed));
}
TEST_CASE("an encoded BMP is bottom-up with padded rows, and every truncation of it is refused without reading past it") {
    const uint32_t pixels[] = {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC, 0x00DDEEFF, 0x00010203};
    const Bytes file = EncodeBmp24(3, 2, pixels);
    CHECK(Bytes(file.begin() + 54, file.end()) == Bytes{0xCC, 0xBB, 0xAA, 0xFF, 0xEE, 0xDD, 3, 2, 1, 0, 0, 0, 0x33, 0x22, 0x11, 0x66, 0x55,
                                                        0x44, 0x99, 0x88, 0x77, 0, 0, 0});
    BmpInfo info = {};
    CHECK_ROW((), (CheckBmp(file.data(), file.size(), &info), info.Width, info.Height, info.BitCount, info.TopDown),
              (BmpFault::None, 3, 2, 24, false));
    for (size_t size = 0; size < file.size(); ++size)  // each copied exactly, for the sanitizer
        CHECK_ROW((size), (CheckBmp(Bytes(file.begin(), file.begin() + long(size)).data(), size, nullptr) != BmpFault::None), (true));
}
TEST_CASE("damaged headers, palettes and compression bounds are refused before decoding") {
    using F = BmpFault;
    const std::vector<uint32_t> pixels(20, 0x00FF8000);
    const Bytes sound = EncodeBmp24(5, 4, pixels.data());  // rows of 15 bytes padded to 16
    // Name, offset, value and its size in bytes, and a length to cut the file to; the fault.
    for (auto [name, at, value, size, cut, fault] : {std::tuple{"not BM", 0, 0x4142u, 2, 0, F::NotBmp},
             {"cut in the headers", 0, 0x4D42, 2, 30, F::TooShort}, {"header size", 14, 64, 4, 0, F::BadHeaderSize},
             {"header past the end", 14, 124, 4, 100, F::TooShort}, {"zero width", 18, 0, 4, 0, F::BadDimensions},
             {"most negative height", 22, 0x80000000, 4, 0, F::TooLarge}, {"huge", 18, 0x7FFFFFFF, 4, 0, F::TooLarge},
             {"two planes", 26, 2, 2, 0, F::BadPlanes}, {"7 bits", 28, 7, 2, 0, F::BadBitCount},
             {"JPEG inside", 30, 4, 4, 0, F::BadCompression}, {"pixels far past the end", 10, 0x7FFFFFFF, 4, 0, F::BadPixelOffset},
             {"pixels at the end", 10, 118, 4, 0, F::BadPixelOffset}, {"taller than its pixels", 22, 5, 4, 0, F::PixelsTruncated},
             {"top-down", 22, -4u, 4, 0, F::None}}) {
        Bytes file = sound;
        BmpInfo info = {};
        Put(file, size_t(at), value, size), file.resize(cut ? size_t(cut) : file.size());
        const BmpFault got = CheckBmp(file.data(), file.size(), &info);
        CHECK_ROW((name), (got, fault != F::None || (info.TopDown && info.Height == 4)), (fault, true));
    }
    // An 8-bit RLE logo with its palette (its full size may be stated): its pixels are bounded by the stored size only, never top-down.
    Bytes rle(14 + 40 + 256 * 4 + 4, 0);
    rle[0] = 'B', rle[1] = 'M';
    for (auto [at, value] : {std::pair{10, 14 + 40 + 1024}, {14, 40}, {18, 2000}, {22, 1000}, {26, 1}, {28, 8}, {30, 1}})
        Put(rle, at, value, at == 26 || at == 28 ? 2 : 4);
    BmpInfo info = {};
    for (auto [at, value, fault] : {std::tuple{34, 0u, F::BadCompressedSize}, {34, 4, F::None}, {22, -1000u, F::BadCompression},
             {22, 1000, F::None}, {46, 257, F::BadPalette}, {46, 256, F::None}, {46, 0, F::None}}) {
        Put(rle, size_t(at), value);
        CHECK_ROW((at, value), (CheckBmp(rle.data(), rle.size(), &info)), (fault));
    }
    CHECK_ROW((), (info.Compression, info.InfoSize, info.PixelOffset), (1u, 40u + 1024, 14u + 40 + 1024));
    rle.resize(14 + 40 + 100);
    CHECK_EQ(CheckBmp(rle.data(), rle.size(), nullptr), F::BadPalette);
}
