// Against Wine's real registry and files: packages read from files, settings kept in the registry, the Windows 9x
// password routine loaded from a stand-in PASSWORD.CPL, and the help control's loader (a test control whose ordinal 14
// records each request in the registry stands in; Wine's own is off for this program, so loading it by name fails).
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <windows.h>
#include <doctest.h>
#include <htmlhelp.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "package/bmp_format.h"
#include "package/package.h"
#include "shell/help_popup.h"
#include "shell/host.h"
#include "shell/shell.h"

namespace {

using Bytes = std::vector<uint8_t>;

void SetImageSize(Bytes& b, int32_t size) { std::memcpy(&b[b.size() - TrailerSize + 4], &size, 4); }

void UseTestSaver(uint32_t id)
{
    ResetSettings();
    std::strcpy(PackageTrailer.SaverName, "Registry Test");
    PackageTrailer.SaverId = id;
}

const char* const ControlKey = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const char* const RecordKey = "Software\\Glimmora\\Tests\\HelpControl";
const std::string TestControl = [](std::string path) { return std::replace(path.begin(), path.end(), '/', '\\'), path; }(
    std::string("Z:") + GLIMMORA_HELP_TEST_CONTROL);

void Register(DWORD type, const std::string& text)
{
    RegSetKeyValueA(HKEY_CLASSES_ROOT, ControlKey, nullptr, type, text.c_str(), DWORD(text.size() + 1));
}

// The registration as Wine made it, put back when the program ends.
struct SavedRegistration {
    DWORD Type = 0, Size = 1024;
    char Path[1024] = "";
    SavedRegistration()
    {
        RegGetValueA(HKEY_CLASSES_ROOT, ControlKey, nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &Type, Path, &Size);
    }
    ~SavedRegistration() { Register(Type, Path); }
} Saved;

// Forgets the loaded control and its record, as a fresh process would.
void Fresh()
{
    FreeLibrary(HelpControl.HelpControlLibrary), RegDeleteTreeA(HKEY_CURRENT_USER, RecordKey);
    HelpControl = {};
}

uint64_t Recorded(const char* name)  // what the test control recorded; 0xDEADBEEF when nothing
{
    uint64_t value = 0xDEADBEEF;
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, RecordKey, name, RRF_RT_REG_DWORD | RRF_RT_REG_QWORD, nullptr, &value, &size);
    return value;
}

HWND Popup(HWND window, const char* file, UINT command, const char* text)
{
    HH_POPUP popup = {sizeof(HH_POPUP), nullptr, 0, text, {123, 456}, 0, 0, {}, nullptr};
    return ShowHelpPopup(window, file, command, reinterpret_cast<DWORD_PTR>(&popup));
}

}  // namespace

TEST_CASE("a package file gives its logo and normalised settings, or is refused with defaults and closed")
{
    std::vector<uint32_t> pixels(7 * 5, 0x123456);
    const Bytes logo = EncodeBmp24(7, 5, pixels.data());
    // name, damage done to a sound file, ReadPackage's result, whether it gives an image (damaged ones: end-to-end), its start
    const struct { const char* Name; void (*Damage)(Bytes&); int Result; bool Image; int64_t Start = 0; } rows[] = {
        {"sound", [](Bytes&) {}, 0, true}, {"sound, after more than 4 GiB", [](Bytes&) {}, 0, true, int64_t{1} << 32},
        {"no image: defaults and black", [](Bytes& b) { b.erase(b.begin() + 300, b.end() - TrailerSize), SetImageSize(b, -20); }, 0, false},
        {"image reaching before the file", [](Bytes& b) { SetImageSize(b, static_cast<int32_t>(b.size() - TrailerSize + 1)); }, -1, false},
    };
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "glimmora-package.scr";
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        SaverTrailer trailer = {};
        ApplyDefaultTrailer(&trailer);
        trailer.BackgroundColor = 0x00332211, trailer.Settings.BounceSpeed = 4, trailer.Settings.BounceGravity = 1;
        trailer.ImageSize = static_cast<int32_t>(logo.size());
        // Some runtime bytes, the logo, the trailer: what the authoring tool writes.
        Bytes bytes(300, 0x90);
        bytes.insert(bytes.end(), logo.begin(), logo.end());
        bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(&trailer), reinterpret_cast<uint8_t*>(&trailer + 1));
        row.Damage(bytes);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        _fseeki64(file, row.Start, SEEK_SET), std::fwrite(bytes.data(), 1, bytes.size(), file), std::fclose(file);
        ResetSettings();
        CHECK_EQ(ReadPackage(path.c_str()), row.Result);
        REQUIRE_EQ(PackageImage != nullptr, row.Image);
        CHECK_EQ(Settings->BounceGravity, row.Image ? 12 : 9);
        CHECK_EQ(PackageTrailer.BackgroundColor, row.Image ? 0x00332211u : 0u);
        if (row.Image)
            CHECK(std::memcmp(PackageImage, logo.data(), logo.size()) == 0);
        FreePackageImage();
        CHECK(DeleteFileA(path.c_str()));  // fails while the reader holds the file
    }
    CHECK_EQ(ReadPackage(path.c_str()), 1);  // missing
}

TEST_CASE("settings are saved under the saver's key and apply only as exactly 100 binary bytes")
{
    const char* const SaverKey = "Software\\Glimmora\\Savers\\Registry Test.7a";
    RegDeleteKeyA(HKEY_CURRENT_USER, SaverKey);
    UseTestSaver(0x7a);
    Settings->BounceSpeed = 7, Settings->IgnoreInput = 7, Settings->FallingLogoCount = 33;
    SaveUserSettings();
    HKEY key;
    REQUIRE_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SaverKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    BYTE stored[101] = {};
    DWORD type = 0, size = sizeof stored;
    CHECK_EQ(RegQueryValueExA(key, "Settings", nullptr, &type, stored, &size), ERROR_SUCCESS);
    CHECK_EQ(type, DWORD{REG_BINARY});
    CHECK_EQ(size, 100ul);
    // name, stored type (REG_NONE: no value) and size, whether the stored settings apply
    const struct { const char* Name; DWORD Type, Size; bool Applied; } rows[] = {
        {"no value", REG_NONE, 0, false}, {"99 bytes", REG_BINARY, 99, false}, {"101 bytes", REG_BINARY, 101, false},
        {"100 bytes of text", REG_SZ, 100, false}, {"100 binary bytes", REG_BINARY, 100, true},
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        RegDeleteValueA(key, "Settings");
        if (row.Type != REG_NONE)
            RegSetValueExA(key, "Settings", 0, row.Type, stored, row.Size);
        UseTestSaver(0x7a);
        LoadUserSettings();
        CHECK_EQ(Settings->BounceSpeed, row.Applied ? 7 : 3);
        CHECK_EQ(Settings->IgnoreInput, row.Applied ? 6 : 0);  // whatever was read is normalised
        CHECK_EQ(Settings->FallingLogoCount, row.Applied ? 33 : 15);
    }
    RegCloseKey(key), RegDeleteKeyA(HKEY_CURRENT_USER, SaverKey);
}

TEST_CASE("the verification routine is loaded only when the user asked for a password")
{
    REQUIRE(SetDllDirectoryA((std::string("Z:") + GLIMMORA_FIXTURE_FOLDER).c_str()));  // holds a stand-in PASSWORD.CPL
    VerifyScreenSavePwd = nullptr;
    const BYTE one[] = {1, 0, 0, 0}, zero[4] = {}, high[] = {0, 0, 0, 1}, eight[] = {1, 0, 0, 0, 0, 0, 0, 0};
    // Windows 9x, stored type, bytes and size (none: no value), whether the routine is loaded
    const struct { bool On9x; DWORD Type; const BYTE* Data; DWORD Size; bool Loaded; } rows[] = {
        {true, REG_DWORD, nullptr, 0, false}, {true, REG_DWORD, zero, 4, false}, {true, REG_DWORD, one, 4, true},
        {true, REG_BINARY, high, 4, true}, {true, REG_BINARY, eight, 8, false}, {false, REG_DWORD, one, 4, false},
    };
    HKEY key;
    REQUIRE_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), 0);
    for (const auto& row : rows) {
        CAPTURE(row.Size);
        RegDeleteValueA(key, "ScreenSaveUsePassword");
        if (row.Data)
            RegSetValueExA(key, "ScreenSaveUsePassword", 0, row.Type, row.Data, row.Size);
        OnWindows9x = row.On9x;
        LoadPasswordSupport();
        LoadPasswordSupport();  // a second load replaces the first
        CHECK_EQ(VerifyScreenSavePwd != nullptr, row.Loaded);
        UnloadPasswordSupport();
        CHECK(!GetModuleHandleA("PASSWORD.CPL"));
    }
    RegDeleteValueA(key, "ScreenSaveUsePassword"), RegCloseKey(key), SetDllDirectoryA(nullptr);
    OnWindows9x = FALSE;
}

TEST_CASE("CopyBounded copies, cuts or refuses")
{
    // capacity, source, status, the buffer after
    const struct { size_t Capacity; const char* Source; int32_t Status; const char* Result; } rows[] = {
        {4, "abc", 0, "abc"}, {3, "abc", CopyBoundedCut, "ab"}, {1, "", 0, ""}, {1, "a", CopyBoundedCut, ""},
        {2147483647, "xy", 0, "xy"}, {0, "abc", CopyBoundedBadCapacity, "untouched"},
        {2147483648u, "abc", CopyBoundedBadCapacity, "untouched"},
    };
    for (const auto& row : rows) {
        CAPTURE(row.Capacity);
        char buffer[16] = "untouched";
        CHECK_EQ(CopyBounded(buffer, row.Capacity, row.Source), row.Status);
        CHECK_EQ(std::string(buffer), row.Result);
    }
}

TEST_CASE("the help control is found where registered and loaded once; one that fails is not tried again")
{
    REQUIRE(!LoadLibraryA("hhctrl.ocx"));  // Wine's own control is off for this program
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    for (const std::string& path : {std::string("C:\\nowhere\\missing.ocx"), std::string(system) + "\\msimg32.dll"}) {
        INFO(path);  // missing, and without entry 14
        Fresh();
        Register(REG_SZ, path);
        CHECK(!Popup(nullptr, nullptr, HH_DISPLAY_TEXT_POPUP, "lost"));
        Register(REG_SZ, TestControl);
        CHECK(!Popup(nullptr, nullptr, HH_DISPLAY_TEXT_POPUP, "lost"));
        CHECK_EQ(Recorded("Calls"), 0xDEADBEEFu);
    }
    Fresh();
    const std::string folder = TestControl.substr(0, TestControl.find_last_of('\\'));
    SetEnvironmentVariableA("GLIMMORA_HELP_FOLDER", folder.c_str());
    Register(REG_EXPAND_SZ, "%GLIMMORA_HELP_FOLDER%" + TestControl.substr(folder.size()));
    CHECK(Popup(GetDesktopWindow(), "some.chm", HH_DISPLAY_TEXT_POPUP, "first") == reinterpret_cast<HWND>(0x5150));
    Register(REG_SZ, "C:\\nowhere\\missing.ocx");  // later requests neither read the registration nor load again
    Popup(nullptr, nullptr, 99, "second");
    CHECK_EQ(Recorded("Calls"), 2u);
    CHECK_EQ(Recorded("Command"), 99u);
    Fresh();
}

TEST_CASE("a control panel window that is gone before the preview starts ends the run with -1 and no window")
{
    HWND gone = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 100, 80, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    CHECK_EQ(RunSaverWindow(gone), -1);
    CHECK_EQ(ControlPanelPreview, FALSE);
}
