// The help control's loader in this process: found where it is registered,
// loaded once, given up for good after a failure. A test control (ordinal 14
// records each request in the registry) stands in for the real one, and
// Wine's own control is off for this program, so that loading it by name fails.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <windows.h>

#include <doctest.h>
#include <htmlhelp.h>

#include <string>
#include <vector>

#include "shell/help_popup.h"

namespace {

const char* const ControlKey = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const char* const RecordKey = "Software\\Glimmora\\Tests\\HelpControl";

std::string TestControl()
{
    std::string path = std::string("Z:") + GLIMMORA_HELP_TEST_CONTROL;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

// Registers the control at this path; a null type deletes the registration.
void Register(DWORD type, const std::string& text)
{
    HKEY key;
    RegCreateKeyExA(HKEY_CLASSES_ROOT, ControlKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (type)
        RegSetValueExA(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(text.data()), DWORD(text.size() + 1));
    else
        RegDeleteValueA(key, nullptr);
    RegCloseKey(key);
}

// The registration as Wine made it, put back when the program ends.
struct SavedRegistration {
    DWORD Type = 0, Size = 1024;
    char Path[1024] = "";
    SavedRegistration() { RegGetValueA(HKEY_CLASSES_ROOT, ControlKey, nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &Type, Path, &Size); }
    ~SavedRegistration() { Register(Type, Path); }
} Saved;

// Forgets the loaded control and its record, as a fresh process would.
void Fresh()
{
    if (HelpControl.HelpControlLibrary)
        FreeLibrary(HelpControl.HelpControlLibrary);
    HelpControl = {};
    RegDeleteTreeA(HKEY_CURRENT_USER, RecordKey);
}

uint64_t Recorded(const char* name)
{
    uint64_t value = 0xDEADBEEF;
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, RecordKey, name, RRF_RT_REG_DWORD | RRF_RT_REG_QWORD, nullptr, &value, &size);
    return value;
}

HWND Popup(HWND window, const char* file, UINT command, const char* text)
{
    HH_POPUP popup = {};
    popup.cbStruct = sizeof popup, popup.pszText = text, popup.pt = {123, 456};
    return ShowHelpPopup(window, file, command, reinterpret_cast<DWORD_PTR>(&popup));
}

}  // namespace

TEST_CASE("CopyBounded copies, cuts or refuses")
{
    const struct { size_t Capacity; const char* Source; int32_t Status; const char* Result; } rows[] = {
        {4, "abc", 0, "abc"}, {3, "abc", CopyBoundedCut, "ab"}, {10, "", 0, ""}, {1, "", 0, ""},
        {1, "a", CopyBoundedCut, ""}, {2147483647, "xy", 0, "xy"}, {0, "abc", CopyBoundedBadCapacity, "untouched"},
        {2147483648u, "abc", CopyBoundedBadCapacity, "untouched"}, {size_t(-1), "abc", CopyBoundedBadCapacity, "untouched"},
    };
    for (const auto& row : rows) {
        CAPTURE(row.Capacity);
        char buffer[16] = "untouched";
        CHECK_EQ(CopyBounded(buffer, row.Capacity, row.Source), row.Status);
        CHECK_EQ(std::string(buffer), row.Result);
    }
}

TEST_CASE("the help control's path is read from its registration")
{
    SetEnvironmentVariableA("GLIMMORA_LONG", std::string(300, 'L').c_str());
    char expanded[MAX_PATH];
    ExpandEnvironmentStringsA("%SystemRoot%\\system32\\hhctrl.ocx", expanded, MAX_PATH);
    const std::string longest = "C:\\" + std::string(256, 'p');  // 259 characters
    const struct { const char* Name; DWORD Type; std::string Stored, Path; } rows[] = {
        {"plain", REG_SZ, "C:\\windows\\hh.ocx", "C:\\windows\\hh.ocx"},
        {"expandable", REG_EXPAND_SZ, "%SystemRoot%\\system32\\hhctrl.ocx", expanded},
        {"references in a plain value stay", REG_SZ, "%SystemRoot%\\hh.ocx", "%SystemRoot%\\hh.ocx"},
        {"259 characters", REG_SZ, longest, longest},
        {"longer than the buffer", REG_SZ, longest + "xx", ""},
        {"expanding beyond the buffer", REG_EXPAND_SZ, "C:\\%GLIMMORA_LONG%", ""},
        {"not registered", 0, "", ""},
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        Register(row.Type, row.Stored);
        char path[MAX_PATH] = "";
        CHECK_EQ(GetHelpControlPath(path) ? std::string(path) : "not found", row.Path.empty() ? "not found" : row.Path);
    }
}

TEST_CASE("the help control is loaded once and passes requests unchanged")
{
    Fresh();
    const std::string dll = TestControl(), folder = dll.substr(0, dll.find_last_of('\\'));
    SetEnvironmentVariableA("GLIMMORA_HELP_FOLDER", folder.c_str());
    Register(REG_EXPAND_SZ, "%GLIMMORA_HELP_FOLDER%" + dll.substr(folder.size()));
    HWND window = GetDesktopWindow();
    CHECK(Popup(window, "some.chm", HH_DISPLAY_TEXT_POPUP, "first") == reinterpret_cast<HWND>(0x5150));
    const struct { const char* Name; uint64_t Value; } first[] = {{"Calls", 1}, {"Command", 14}, {"FileGiven", 1},
        {"X", 123}, {"Y", 456}, {"Window", reinterpret_cast<uintptr_t>(window)}};
    for (const auto& row : first)
        CHECK_EQ(Recorded(row.Name), row.Value);
    char text[64] = "";
    DWORD size = sizeof text;
    RegGetValueA(HKEY_CURRENT_USER, RecordKey, "Text", RRF_RT_REG_SZ, nullptr, text, &size);
    CHECK_EQ(std::string(text), "first");
    // Later requests neither read the registration nor load anything again.
    Register(REG_SZ, "C:\\nowhere\\missing.ocx");
    Popup(window, nullptr, 99, "second");
    CHECK_EQ(Recorded("Calls"), 2u);
    CHECK_EQ(Recorded("Command"), 99u);
    CHECK_EQ(Recorded("FileGiven"), 0u);
    CHECK(HelpControl.HelpControlLibrary == GetModuleHandleA("help_test_control.dll"));
    Fresh();
}

TEST_CASE("a help control that does not load or lacks its entry is not tried again")
{
    REQUIRE(!LoadLibraryA("hhctrl.ocx"));  // Wine's own control is off for this program
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    HMODULE entryless = LoadLibraryA((std::string(system) + "\\msimg32.dll").c_str());
    REQUIRE(!GetProcAddress(entryless, MAKEINTRESOURCEA(14)));
    const struct { const char* Name; DWORD Type; std::string Path; HMODULE Kept; } rows[] = {
        {"missing file", REG_SZ, "C:\\nowhere\\missing.ocx", nullptr},
        {"nothing registered", 0, "", nullptr},
        {"no entry 14", REG_SZ, std::string(system) + "\\msimg32.dll", entryless},
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        Fresh();
        Register(row.Type, row.Path);
        CHECK(!Popup(nullptr, nullptr, HH_DISPLAY_TEXT_POPUP, "lost"));
        CHECK(HelpControl.HelpLoadFailed);
        CHECK(HelpControl.HelpControlLibrary == row.Kept);
        Register(REG_SZ, TestControl());
        CHECK(!Popup(nullptr, nullptr, HH_DISPLAY_TEXT_POPUP, "lost"));
        CHECK(!GetModuleHandleA("help_test_control.dll"));
        CHECK_EQ(Recorded("Calls"), 0xDEADBEEFu);
    }
    Fresh();
    FreeLibrary(entryless);
}
