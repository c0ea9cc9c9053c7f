// The command line, the package trailer, the settings record and the BMP checks.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include "native/tables.h"
#include "package/bmp_format.h"
#include "package/saver_trailer.h"
#include "shell/command_line.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

TEST_CASE("the program name is skipped with the blanks after it, by whole characters")
{
    const char* rows[][2] = {{"saver.scr /s", "/s"}, {"saver.scr\t \x01/p 12", "/p 12"}, {"\"C:\\My Saver.scr\" /c:5", "/c:5"},
        {"\"C:\\My Saver.scr\"/s", "/s"}, {"\"unterminated quote /s", ""}, {"  C:\\saver.scr /s", "C:\\saver.scr /s"},
        {"saver.scr", ""}, {"", ""}, {"saver.scr   ", ""}, {"\"\" /s", "/s"}, {"saver.scr\xA0/s", ""}};
    for (auto& row : rows)
        CHECK(std::string(SkipProgramName(row[0], [](const char* t) { return t + 1; })) == row[1]);
    // A double-byte character whose second byte is a quote does not end the name.
    CHECK(std::string(SkipProgramName("\"ab\x81\"cd\" /s", [](const char* t) { return t + (*t == '\x81' ? 2 : 1); })) == "/s");
}

TEST_CASE("decimal handles wrap and stop at the first non-digit")
{
    const std::pair<const char*, uint32_t> rows[] = {{"", 0}, {"abc", 0}, {"0", 0}, {"1234", 1234}, {"12x4", 12},
        {" 12", 0}, {"-5", 0}, {"4294967295", 4294967295u}, {"4294967296", 0}, {"12345678901", 3755744309u}, {"7\xB9", 7}};
    for (auto& [text, value] : rows)
        CHECK(std::tuple(text, ParseDecimal(text)) == std::tuple(text, value));
}

TEST_CASE("verbs choose their road, window and exit code")
{
    const VerbRoad C = VerbRoad::Configure, R = VerbRoad::Run, P = VerbRoad::Preview, X = VerbRoad::Exit, A = VerbRoad::ChangePassword;
    const std::tuple<const char*, bool, VerbRoad, uint32_t, bool> rows[] = {{"", 0, C, 0, 0}, {" -/-/ ", 0, C, 0, 0},
        {"c", 0, C, 0, 1}, {"/C:1234", 0, C, 1234, 0}, {"/c:0", 0, C, 0, 1}, {"/c:", 0, C, 0, 1}, {"/c:999", 0, C, 0, 1},
        {"/c 1234", 0, C, 0, 1}, {"C:\\saver.scr /s", 0, C, 0, 1}, {"s", 0, R, 0, 0}, {"-s", 0, R, 0, 0}, {"/S", 0, R, 0, 0},
        {"-/ -/s", 0, R, 0, 0}, {"screensaver please", 0, R, 0, 0}, {"/p 1234", 0, P, 1234, 0}, {"/p    77", 0, P, 77, 0},
        {"/l 1234", 0, P, 1234, 0}, {"/L77", 0, P, 77, 0}, {"/p", 0, X, 0, 0}, {"/p 0", 0, X, 0, 0}, {"/p 999", 0, X, 0, 0},
        {"/p:1234", 0, X, 0, 0}, {"/p\t1234", 0, X, 0, 0}, {"/p 4294968530", 0, P, 1234, 0}, {"/a", 0, X, 0, 0},
        {"/a 1234", 0, X, 0, 0}, {"/a 1234", 1, A, 1234, 0}, {"/A", 1, A, 0, 1}, {"/a 999", 1, A, 0, 1}, {"/x", 0, X, 0, 0},
        {"?", 0, X, 0, 0}, {"\t/s", 0, X, 0, 0}, {"\xE9", 0, X, 0, 0}};
    for (auto& [tail, on9x, road, window, foreground] : rows) {
        const VerbDecision v = DecideVerb(tail, on9x, [](uint32_t w) { return w == 1234 || w == 77; });
        CHECK(std::tuple(tail, on9x, v.Road, v.Window, v.ForegroundOwner, v.ExitCode) ==
              std::tuple(tail, on9x, road, window, foreground, road == X ? -1 : 0));
    }
}

TEST_CASE("package layout is judged from the file size, the trailer and every magic byte")
{
    const PackageLayout S = PackageLayout::Sound, D = PackageLayout::Damaged, N = PackageLayout::NoImage;
    const std::tuple<int32_t, uint64_t, PackageLayout, uint64_t> rows[] = {{1000, 50000, S, 50000 - 324 - 1000},
        {1000, 1324, S, 0}, {1001, 1324, D, 0}, {INT32_MAX, 5000, D, 0}, {0, 5000, N, 0}, {-7, 5000, N, 0}, {0, 323, D, 0},
        {0, 324, N, 0}};
    for (size_t i = 0; i < std::size(rows) + TrailerMagicSize; ++i) {
        SaverTrailer trailer = {};
        ApplyDefaultTrailer(&trailer);
        auto [size, fileSize, layout, offset] = i < std::size(rows) ? rows[i] : std::tuple(10, uint64_t{10000}, D, uint64_t{0});
        trailer.ImageSize = size;
        if (i >= std::size(rows))
            trailer.Magic[i - std::size(rows)] ^= 0x20;
        uint64_t at = 0;
        CHECK(std::tuple(i, JudgePackage(trailer, fileSize, &at), at) == std::tuple(i, layout, offset));
    }
}

TEST_CASE("the default trailer keeps the identity and clears the colours")
{
    SaverTrailer t = {};
    std::strcpy(t.SaverName, "Demo");
    t.SaverId = 0xBEEF, t.BackgroundColor = 0x123456, t.TransparentColor = 0xFF00FF, t.Settings.DripIntervalMs = 210;
    ApplyDefaultTrailer(&t);
    CHECK(TrailerMagicValid(t));
    CHECK(std::tuple(t.BackgroundColor, t.TransparentColor, t.Settings.SettingsDialogEnabled, t.Settings.DripIntervalMs,
                     std::string(t.SaverName), t.SaverId) == std::tuple(0u, 0, 1, 210, std::string("Demo"), 0xBEEFu));
}

TEST_CASE("the settings key is formed from the name and the id in lower-case hex")
{
    const std::string prefix = "Software\\Glimmora\\Savers\\", full(64, 'N');
    const std::tuple<std::string, uint32_t, size_t, std::string> rows[] = {{"Glimmora Demo", 0x1A2B, 160, prefix +
        "Glimmora Demo.1a2b\\"}, {"", 0, 160, prefix + ".0\\"}, {full, ~0u, 160, prefix + full + ".ffffffff\\"}, {full, ~0u, 40, ""}};
    for (auto& [name, id, size, key] : rows) {
        SaverTrailer trailer = {};
        std::memcpy(trailer.SaverName, name.data(), name.size());  // 64 characters leave no terminator
        trailer.SaverId = id;
        char out[160];
        const bool made = FormatSettingsKey(trailer, out, size);
        CHECK(std::tuple(made, std::string(out)) == std::tuple(!key.empty(), key));
    }
}

TEST_CASE("defaults are normalised, allowed, and leave the drip fields alone")
{
    SaverSettings settings;
    std::memset(&settings, 0x5A, sizeof settings);
    ApplyDefaultSettings(&settings);
    const std::pair<const char*, int32_t> rows[] = {{"SettingsDialogEnabled", 1}, {"EnabledModes", 255},
        {"ChangeModeMinutes", 5}, {"BounceSpeed", 3}, {"BounceGravity", 9}, {"FadeDerived", 950}, {"FallingDirection", 2},
        {"FallingLogoCount", 15}, {"DripIntervalMs", 0x5A5A5A5A}, {"DripTile", 0x5A5A5A5A}};
    for (auto& [name, value] : rows)
        CHECK(std::tuple(name, ReadSettingsField(settings, *FindSettingsField(name))) == std::tuple(name, value));
    settings.DripIntervalMs = 410, settings.DripTile = 0;
    for (const SettingsField& field : SettingsFields)
        CHECK(std::tuple(field.Name, SettingsValueAllowed(field, ReadSettingsField(settings, field))) == std::tuple(field.Name, true));
}

TEST_CASE("normalisation derives the fade value, triples gravity and never ignores every input")
{
    // FadeSpeed, BounceSpeed, BounceGravity, IgnoreInput in; FadeDerived, BounceGravity, IgnoreInput out.
    const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t> rows[] = {{3, 4, 1, 0, 950, 12, 0},
        {3, 4, 12, 5, 950, 12, 5}, {1, 4, 0, 6, 1350, 0, 6}, {5, 10, -3, 7, 550, 30, 6}, {0, -5, 1, 8, 1550, -15, 6},
        {-3, 0, 7, -1, 2150, 0, 6}, {INT32_MAX, INT32_MAX, 1, INT32_MAX, 1750, 2147483645, 6},
        {INT32_MIN, INT32_MIN, 1, INT32_MIN, 1550, INT32_MIN, 6}};
    for (auto& [fade, bounce, gravity, ignore, derived, gravityOut, ignoreOut] : rows) {
        SaverSettings s = {};
        s.FadeSpeed = fade, s.BounceSpeed = bounce, s.BounceGravity = gravity, s.IgnoreInput = ignore;
        NormaliseSettings(&s);
        CHECK(std::tuple(fade, bounce, s.FadeDerived, s.BounceGravity, s.IgnoreInput) ==
              std::tuple(fade, bounce, derived, gravityOut, ignoreOut));
    }
}

TEST_CASE("the field table names every field once in record order, with its allowed values")
{
    for (int i = 0; i < SettingsFieldCount; ++i)
        CHECK(std::tuple(SettingsFields[i].Offset, FindSettingsField(SettingsFields[i].Name)) ==
              std::tuple(size_t(i) * 4, &SettingsFields[i]));
    CHECK(FindSettingsField("bouncespeed") == nullptr);
    SaverSettings settings = {};
    WriteSettingsField(&settings, *FindSettingsField("FallingLogoCount"), 42);
    CHECK_EQ(settings.FallingLogoCount, 42);
    const std::tuple<const char*, int32_t, bool> rows[] = {{"BounceSpeed", 1, 1}, {"BounceSpeed", 10, 1},
        {"BounceSpeed", 0, 0}, {"BounceSpeed", 11, 0}, {"FallingLogoCount", 50, 1}, {"FallingLogoCount", 51, 0},
        {"ManyDelayMs", 2600, 1}, {"ManyDelayMs", 2601, 0}, {"ManyDelayMs", 99, 0}, {"FallingDirection", 12, 1},
        {"FallingDirection", 3, 1}, {"FallingDirection", 5, 0}, {"FallingDirection", 0, 0}, {"Reserved8", INT32_MIN, 1}};
    for (auto& [name, value, allowed] : rows)
        CHECK(std::tuple(name, value, SettingsValueAllowed(*FindSettingsField(name), value)) == std::tuple(name, value, allowed));
}

using Bytes = std::vector<uint8_t>;
static void Put(Bytes& file, size_t at, uint32_t value, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i)
        file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST_CASE("an encoded BMP is bottom-up with padded rows")
{
    const uint32_t pixels[] = {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC, 0x00DDEEFF, 0x00010203};
    const Bytes file = EncodeBmp24(3, 2, pixels);
    CHECK(Bytes(file.begin() + 54, file.end()) == Bytes{0xCC, 0xBB, 0xAA, 0xFF, 0xEE, 0xDD, 3, 2, 1, 0, 0, 0, 0x33, 0x22,
                                                        0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0, 0, 0});
    BmpInfo info = {};
    CHECK(std::tuple(CheckBmp(file.data(), file.size(), &info), info.Width, info.Height, info.BitCount, info.TopDown) ==
          std::tuple(BmpFault::None, 3, 2, 24, false));
}

TEST_CASE("damaged headers, palettes and compression bounds are refused before decoding")
{
    using F = BmpFault;
    const std::vector<uint32_t> pixels(16, 0x00FF8000);
    const Bytes sound = EncodeBmp24(4, 4, pixels.data());
    struct Row { const char* Name; void (*Damage)(Bytes&); F Fault; };
    const Row rows[] = {{"not BM", [](Bytes& f) { f[1] = 'A'; }, F::NotBmp},
        {"cut inside the headers", [](Bytes& f) { f.resize(30); }, F::TooShort},
        {"unknown header size", [](Bytes& f) { Put(f, 14, 64); }, F::BadHeaderSize},
        {"header larger than the file", [](Bytes& f) { Put(f, 14, 124), f.resize(100); }, F::TooShort},
        {"zero width", [](Bytes& f) { Put(f, 18, 0); }, F::BadDimensions},
        {"negative width", [](Bytes& f) { Put(f, 18, 0xFFFFFFF0); }, F::BadDimensions},
        {"zero height", [](Bytes& f) { Put(f, 22, 0); }, F::BadDimensions},
        {"most negative height", [](Bytes& f) { Put(f, 22, 0x80000000); }, F::TooLarge},
        {"huge picture", [](Bytes& f) { Put(f, 18, 30000), Put(f, 22, 30000); }, F::TooLarge},
        {"two planes", [](Bytes& f) { Put(f, 26, 2, 2); }, F::BadPlanes},
        {"7 bits per pixel", [](Bytes& f) { Put(f, 28, 7, 2); }, F::BadBitCount},
        {"JPEG inside", [](Bytes& f) { Put(f, 30, 4); }, F::BadCompression},
        {"RLE8 with 24 bits", [](Bytes& f) { Put(f, 30, 1); }, F::BadCompression},
        {"pixel offset far past the end", [](Bytes& f) { Put(f, 10, 0x7FFFFFFF); }, F::BadPixelOffset},
        {"pixel offset at the end", [](Bytes& f) { Put(f, 10, static_cast<uint32_t>(f.size())); }, F::BadPixelOffset},
        {"pixel offset inside the header", [](Bytes& f) { Put(f, 10, 20); }, F::BadPixelOffset},
        {"taller than its pixels", [](Bytes& f) { Put(f, 22, 9); }, F::PixelsTruncated}};
    for (const Row& row : rows) {
        Bytes file = sound;
        row.Damage(file);
        CHECK(std::tuple(row.Name, CheckBmp(file.data(), file.size(), nullptr)) == std::tuple(row.Name, row.Fault));
    }
    Bytes topDown = sound;
    Put(topDown, 22, static_cast<uint32_t>(-4));
    BmpInfo info = {};
    CHECK(std::tuple(CheckBmp(topDown.data(), topDown.size(), &info), info.TopDown, info.Height) == std::tuple(F::None, true, 4));

    // An 8-bit RLE logo with its palette: its pixels are bounded by the stored size only.
    Bytes rle(14 + 40 + 256 * 4 + 4, 0);
    rle[0] = 'B', rle[1] = 'M';
    for (auto [at, value] : {std::pair{10, 14 + 40 + 1024}, {14, 40}, {18, 2000}, {22, 1000}, {26, 1}, {28, 8}, {30, 1}})
        Put(rle, at, value, at == 26 || at == 28 ? 2 : 4);
    const std::tuple<size_t, uint32_t, F> edits[] = {{34, 0, F::BadCompressedSize}, {34, 5, F::BadCompressedSize},
        {34, 4, F::None}, {22, uint32_t(-1000), F::BadCompression}, {22, 1000, F::None}, {46, 257, F::BadPalette},
        {46, 0, F::None}};
    for (auto [at, value, fault] : edits) {
        Put(rle, at, value);
        CHECK(std::tuple(at, value, CheckBmp(rle.data(), rle.size(), &info)) == std::tuple(at, value, fault));
    }
    CHECK(std::tuple(info.Compression, info.InfoSize, info.PixelOffset) == std::tuple(1u, 40u + 1024, 14u + 40 + 1024));
    rle.resize(14 + 40 + 100);
    CHECK_EQ(CheckBmp(rle.data(), rle.size(), nullptr), F::BadPalette);

    // The 12-byte OS/2 header: 16-bit sizes, 3-byte palette entries, and no 16 or 32 bits.
    Bytes core(14 + 12 + 2 * 3 + 4 * 4, 0);
    core[0] = 'B', core[1] = 'M';
    for (auto [at, value] : {std::pair{10, 14 + 12 + 6}, {14, 12}, {18, 4}, {20, 4}, {22, 1}, {24, 1}})
        Put(core, at, value, at == 10 || at == 14 ? 4 : 2);
    CHECK(std::tuple(CheckBmp(core.data(), core.size(), &info), info.Width) == std::tuple(F::None, 4));
    for (uint32_t bits : {16u, 32u}) {
        Put(core, 24, bits, 2);
        CHECK_EQ(CheckBmp(core.data(), core.size(), nullptr), F::BadBitCount);
    }
}

TEST_CASE("every truncation of a sound file with padded rows is refused without reading past it")
{
    const std::vector<uint32_t> pixels(15, 0x00FF8000);
    const Bytes file = EncodeBmp24(5, 3, pixels.data());
    for (size_t size = 0; size < file.size(); ++size) {
        Bytes cut(file.begin(), file.begin() + static_cast<long>(size));  // exact, for ASan
        CHECK(std::tuple(size, CheckBmp(cut.data(), cut.size(), nullptr) != BmpFault::None) == std::tuple(size, true));
    }
}
