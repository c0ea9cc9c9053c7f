// Packages read from real files, and settings kept in the real registry.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <windows.h>

#include <doctest.h>

#include <cstring>
#include <string>
#include <vector>

#include "package/bmp_format.h"
#include "package/package.h"

namespace {

using Bytes = std::vector<uint8_t>;

void SetImageSize(Bytes& b, int32_t size) { std::memcpy(&b[b.size() - TrailerSize + 4], &size, 4); }

const char* const SaverKey = "Software\\Glimmora\\Savers\\Registry Test.7a";

void UseTestSaver(uint32_t id)
{
    ResetSettings();
    std::strcpy(PackageTrailer.SaverName, "Registry Test");
    PackageTrailer.SaverId = id;
}

}  // namespace

TEST_CASE("a package file gives its logo and normalised settings, or is refused with defaults and closed")
{
    std::vector<uint32_t> pixels(7 * 5);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint32_t>(i * 0x030507);
    const Bytes logo = EncodeBmp24(7, 5, pixels.data());
    const struct { const char* Name; void (*Damage)(Bytes&); int Result; bool Image; } rows[] = {
        {"sound", [](Bytes&) {}, 0, true},
        {"no image: defaults and black", [](Bytes& b) { b.erase(b.begin() + 300, b.end() - TrailerSize), SetImageSize(b, -20); }, 0, false},
        {"wrong magic", [](Bytes& b) { b[b.size() - 5] = 'X'; }, -1, false},
        {"shorter than a trailer", [](Bytes& b) { b.resize(200); }, -1, false},
        {"empty", [](Bytes& b) { b.clear(); }, -1, false},
        {"image reaching before the file", [](Bytes& b) { SetImageSize(b, static_cast<int32_t>(b.size() - TrailerSize + 1)); }, -1, false},
        {"largest image size", [](Bytes& b) { SetImageSize(b, INT32_MAX); }, -1, false},
    };
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "glimmora-package.scr";
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        SaverTrailer trailer = {};
        ApplyDefaultTrailer(&trailer);
        std::strcpy(trailer.SaverName, "Sound");
        trailer.BackgroundColor = 0x00332211, trailer.TransparentColor = 0x00FF00FF;
        trailer.Settings.BounceSpeed = 4, trailer.Settings.BounceGravity = 1, trailer.Settings.DripIntervalMs = 310;
        trailer.ImageSize = static_cast<int32_t>(logo.size());
        // Some runtime bytes, the logo, the trailer: what the authoring tool writes.
        Bytes bytes(300, 0x90);
        bytes.insert(bytes.end(), logo.begin(), logo.end());
        bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(&trailer), reinterpret_cast<uint8_t*>(&trailer + 1));
        row.Damage(bytes);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ResetSettings();
        CHECK_EQ(ReadPackage(path.c_str()), row.Result);
        REQUIRE_EQ(PackageImage != nullptr, row.Image);
        CHECK(Settings == &PackageTrailer.Settings);
        if (row.Image) {
            CHECK_EQ(PackageTrailer.ImageSize, static_cast<int32_t>(logo.size()));
            CHECK(std::memcmp(PackageImage, logo.data(), logo.size()) == 0);
            CHECK_EQ(Settings->BounceGravity, 12);
            CHECK_EQ(Settings->DripIntervalMs, 310);
            CHECK_EQ(PackageTrailer.BackgroundColor, 0x00332211u);
        } else {
            CHECK_EQ(Settings->BounceSpeed, 3);
            CHECK_EQ(Settings->BounceGravity, 9);
            CHECK_EQ(Settings->EnabledModes, 255);
            CHECK_EQ(PackageTrailer.BackgroundColor, 0u);
            CHECK_EQ(PackageTrailer.TransparentColor, 0);
            CHECK(TrailerMagicValid(PackageTrailer));
        }
        if (row.Result == 0 && !row.Image)
            CHECK_EQ(PackageTrailer.ImageSize, 0);
        FreePackageImage();
        CHECK(PackageImage == nullptr);
        CHECK(DeleteFileA(path.c_str()));  // fails while the reader holds the file
    }
    CHECK_EQ(ReadPackage(path.c_str()), 1);  // missing
    CHECK(PackageImage == nullptr);
}

TEST_CASE("settings are saved under the saver's key and apply only as exactly 100 binary bytes")
{
    RegDeleteKeyA(HKEY_CURRENT_USER, SaverKey);
    UseTestSaver(0x7a);
    Settings->BounceSpeed = 7, Settings->IgnoreInput = 7, Settings->FadeSpeed = 1, Settings->FadeDerived = 12345;
    Settings->FallingLogoCount = 33;
    SaveUserSettings();
    HKEY key;
    REQUIRE_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SaverKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    BYTE stored[101] = {};
    DWORD type = 0, size = sizeof stored;
    CHECK_EQ(RegQueryValueExA(key, "Settings", nullptr, &type, stored, &size), ERROR_SUCCESS);
    CHECK_EQ(type, DWORD{REG_BINARY});
    CHECK_EQ(size, 100ul);
    UseTestSaver(0x7b);  // another id is another saver, with settings of its own
    LoadUserSettings();
    CHECK_EQ(Settings->FallingLogoCount, 15);
    const struct { const char* Name; DWORD Type, Size; bool Applied; } rows[] = {
        {"no value", REG_NONE, 0, false}, {"99 bytes", REG_BINARY, 99, false}, {"101 bytes", REG_BINARY, 101, false},
        {"a DWORD", REG_DWORD, 4, false}, {"100 bytes of text", REG_SZ, 100, false}, {"100 binary bytes", REG_BINARY, 100, true},
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        RegDeleteValueA(key, "Settings");
        if (row.Type != REG_NONE)
            RegSetValueExA(key, "Settings", 0, row.Type, stored, row.Size);
        UseTestSaver(0x7a);
        LoadUserSettings();
        // Whatever was read is normalised.
        CHECK_EQ(Settings->BounceSpeed, row.Applied ? 7 : 3);
        CHECK_EQ(Settings->IgnoreInput, row.Applied ? 6 : 0);
        CHECK_EQ(Settings->FadeDerived, row.Applied ? 1350 : 950);
        CHECK_EQ(Settings->BounceGravity, row.Applied ? 21 : 9);
        CHECK_EQ(Settings->FallingLogoCount, row.Applied ? 33 : 15);
    }
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_CURRENT_USER, SaverKey);
}
