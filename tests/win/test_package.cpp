#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
// Reading packages from real files and settings from the real registry.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "package/bmp_format.h"
#include "package/package.h"
#include <doctest.h>

namespace {

std::string ScratchFile(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "glimmora-" + name;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::vector<uint8_t> TestLogo()
{
    std::vector<uint32_t> pixels(7 * 5);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint32_t>(i * 0x030507);
    return EncodeBmp24(7, 5, pixels.data());
}

SaverTrailer TestTrailer(const char* name, uint32_t id)
{
    SaverTrailer trailer = {};
    ApplyDefaultTrailer(&trailer);
    std::strcpy(trailer.SaverName, name);
    trailer.SaverId = id;
    trailer.BackgroundColor = 0x00332211;
    trailer.TransparentColor = 0x00FF00FF;
    trailer.Settings.BounceSpeed = 4;
    trailer.Settings.BounceGravity = 1;
    trailer.Settings.DripIntervalMs = 310;
    return trailer;
}

// Some runtime bytes, the logo, the trailer: what the authoring tool writes.
std::vector<uint8_t> PackageBytes(const std::vector<uint8_t>& logo, SaverTrailer trailer)
{
    if (!logo.empty())
        trailer.ImageSize = static_cast<int32_t>(logo.size());
    std::vector<uint8_t> bytes(300, 0x90);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes.insert(bytes.end(), logo.begin(), logo.end());
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&trailer);
    bytes.insert(bytes.end(), raw, raw + sizeof trailer);
    return bytes;
}

void ExpectDefaults()
{
    CHECK_EQ(Settings, &PackageTrailer.Settings);
    CHECK_EQ(Settings->BounceSpeed, 3);
    CHECK_EQ(Settings->BounceGravity, 9);
    CHECK_EQ(Settings->EnabledModes, 255);
    CHECK_EQ(PackageTrailer.BackgroundColor, 0u);
    CHECK_EQ(PackageTrailer.TransparentColor, 0);
    CHECK(TrailerMagicValid(PackageTrailer));
}

}  // namespace

TEST_CASE("sound package gives its logo and normalised settings")
{
    const std::vector<uint8_t> logo = TestLogo();
    const std::string path = ScratchFile("sound.scr");
    WriteBytes(path, PackageBytes(logo, TestTrailer("Sound", 1)));
    ResetSettings();
    REQUIRE(ReadPackage(path.c_str()) == 0);
    REQUIRE(PackageImage != nullptr);
    CHECK_EQ(PackageTrailer.ImageSize, static_cast<int32_t>(logo.size()));
    CHECK(std::memcmp(PackageImage, logo.data(), logo.size()) == 0);
    CHECK_EQ(Settings->BounceGravity, 12);
    CHECK_EQ(Settings->DripIntervalMs, 310);
    CHECK_EQ(PackageTrailer.BackgroundColor, 0x00332211u);
    CHECK_EQ(std::string(PackageTrailer.SaverName), "Sound");
    FreePackageImage();
    CHECK(PackageImage == nullptr);
    CHECK(DeleteFileA(path.c_str()));
}

TEST_CASE("damaged packages are refused with defaults and the file closed")
{
    struct Row { const char* Name; void (*Damage)(std::vector<uint8_t>&); };
    const Row rows[] = {
        {"wrong magic", [](std::vector<uint8_t>& b) { b[b.size() - 5] = 'X'; }},
        {"shorter than a trailer", [](std::vector<uint8_t>& b) { b.resize(200); }},
        {"empty file", [](std::vector<uint8_t>& b) { b.clear(); }},
        {"image reaching before the file",
         [](std::vector<uint8_t>& b) {
             const int32_t size = static_cast<int32_t>(b.size() - TrailerSize + 1);
             std::memcpy(&b[b.size() - TrailerSize + 4], &size, 4);
         }},
        {"largest image size",
         [](std::vector<uint8_t>& b) {
             const int32_t size = INT32_MAX;
             std::memcpy(&b[b.size() - TrailerSize + 4], &size, 4);
         }},
    };
    for (const Row& row : rows) {
        INFO((row.Name));
        std::vector<uint8_t> bytes = PackageBytes(TestLogo(), TestTrailer("Damaged", 2));
        row.Damage(bytes);
        const std::string path = ScratchFile("damaged.scr");
        WriteBytes(path, bytes);
        ResetSettings();
        CHECK_EQ(ReadPackage(path.c_str()), -1);
        CHECK(PackageImage == nullptr);
        ExpectDefaults();
        CHECK(DeleteFileA(path.c_str()));  // fails while the reader holds the file
    }
}

TEST_CASE("package without image loads with defaults and black")
{
    SaverTrailer trailer = TestTrailer("Empty", 3);
    trailer.ImageSize = -20;
    const std::string path = ScratchFile("empty.scr");
    WriteBytes(path, PackageBytes({}, trailer));
    ResetSettings();
    CHECK_EQ(ReadPackage(path.c_str()), 0);
    CHECK(PackageImage == nullptr);
    CHECK_EQ(PackageTrailer.ImageSize, 0);
    ExpectDefaults();
    CHECK_EQ(std::string(PackageTrailer.SaverName), "Empty");
    CHECK(DeleteFileA(path.c_str()));
}

TEST_CASE("missing file is unreadable")
{
    ResetSettings();
    CHECK_EQ(ReadPackage(ScratchFile("no-such-file.scr").c_str()), 1);
    CHECK(PackageImage == nullptr);
}

namespace {

const char* const TestKey = "Software\\Glimmora\\Savers\\Registry Test.77\\";

void UseTestSaver()
{
    ResetSettings();
    std::strcpy(PackageTrailer.SaverName, "Registry Test");
    PackageTrailer.SaverId = 0x77;
}

void StoreValue(DWORD type, const void* data, DWORD size)
{
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, "Settings", 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void ForgetTestSaver() { RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Glimmora\\Savers\\Registry Test.77"); }

}  // namespace

TEST_CASE("stored settings apply only as exactly 100 binary bytes")
{
    uint8_t stored[101];
    SaverSettings wanted = {};
    ApplyDefaultSettings(&wanted);
    wanted.BounceSpeed = 7;
    wanted.IgnoreInput = 7;
    wanted.FadeSpeed = 1;
    wanted.FadeDerived = 12345;
    std::memcpy(stored, &wanted, sizeof wanted);
    stored[100] = 0;

    struct Row { const char* Name; DWORD Type; DWORD Size; bool Applied; };
    const Row rows[] = {
        {"no value", REG_NONE, 0, false},
        {"99 bytes", REG_BINARY, 99, false},
        {"101 bytes", REG_BINARY, 101, false},
        {"a DWORD", REG_DWORD, 4, false},
        {"100 bytes of another type", REG_SZ, 100, false},
        {"100 binary bytes", REG_BINARY, 100, true},
    };
    for (const Row& row : rows) {
        INFO((row.Name));
        ForgetTestSaver();
        if (row.Type != REG_NONE)
            StoreValue(row.Type, stored, row.Size);
        UseTestSaver();
        LoadUserSettings();
        CHECK_EQ(Settings->BounceSpeed, row.Applied ? 7 : 3);
        // Whatever was read is normalised.
        CHECK_EQ(Settings->IgnoreInput, row.Applied ? 6 : 0);
        CHECK_EQ(Settings->FadeDerived, row.Applied ? 1350 : 950);
        CHECK_EQ(Settings->BounceGravity, row.Applied ? 21 : 9);
    }
    ForgetTestSaver();
}

TEST_CASE("saved settings reload unchanged under the saver key")
{
    ForgetTestSaver();
    UseTestSaver();
    Settings->BounceSpeed = 4;
    NormaliseSettings(Settings);
    Settings->FallingLogoCount = 33;
    SaveUserSettings();

    HKEY key;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, KEY_READ, &key) == ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    CHECK(RegQueryValueExA(key, "Settings", nullptr, &type, nullptr, &size) == ERROR_SUCCESS);
    CHECK_EQ(type, static_cast<DWORD>(REG_BINARY));
    CHECK_EQ(size, 100ul);
    RegCloseKey(key);

    UseTestSaver();
    LoadUserSettings();
    CHECK_EQ(Settings->BounceGravity, 12);
    CHECK_EQ(Settings->FallingLogoCount, 33);

    // Another id is another saver, with settings of its own.
    ResetSettings();
    std::strcpy(PackageTrailer.SaverName, "Registry Test");
    PackageTrailer.SaverId = 0x78;
    LoadUserSettings();
    CHECK_EQ(Settings->FallingLogoCount, 15);
    ForgetTestSaver();
}
