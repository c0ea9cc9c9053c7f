#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
// The help control's loader in this process: finding the control where it
// is registered, loading it once, giving up for good after a failure. A test
// help control (a DLL of this test suite with ordinal 14) stands in for the
// real one and records every request in the registry. Wine's own control is
// switched off for this program, so that loading "by name" fails when the
// tests need it to.
#include <windows.h>
#include <htmlhelp.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/help_popup.h"
#include <doctest.h>

namespace {

const char* const ControlKey = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const char* const RecordKey = "Software\\Glimmora\\Tests\\HelpControl";

std::string WindowsPath(const char* unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string TestControlPath() { return WindowsPath(GLIMMORA_HELP_TEST_CONTROL); }

// The registration as Wine made it, put back when the program ends.
struct SavedRegistration {
    bool Present;
    DWORD Type;
    std::vector<BYTE> Data;
    SavedRegistration()
    {
        HKEY key;
        Present = false;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ControlKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        if (RegQueryValueExA(key, nullptr, nullptr, &Type, nullptr, &size) == ERROR_SUCCESS) {
            Data.resize(size);
            Present = RegQueryValueExA(key, nullptr, nullptr, &Type, Data.data(), &size) == ERROR_SUCCESS;
        }
        RegCloseKey(key);
    }
    ~SavedRegistration()
    {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ControlKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        if (Present)
            RegSetValueExA(key, nullptr, 0, Type, Data.data(), static_cast<DWORD>(Data.size()));
        else
            RegDeleteValueA(key, nullptr);
        RegCloseKey(key);
    }
};
SavedRegistration OriginalRegistration;

void Register(DWORD type, const std::string& text)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ControlKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

void Unregister()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ControlKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, nullptr);
    RegCloseKey(key);
}

// Forgets the loaded control, as a fresh process would.
void FreshHelpState()
{
    if (HelpControl.HelpControlLibrary)
        FreeLibrary(HelpControl.HelpControlLibrary);
    HelpControl = {};
    RegDeleteTreeA(HKEY_CURRENT_USER, RecordKey);
}

DWORD RecordedNumber(const char* name)
{
    DWORD value = 0xDEADBEEF, size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, RecordKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

std::string RecordedText(const char* name)
{
    char text[512] = "";
    DWORD size = sizeof text;
    RegGetValueA(HKEY_CURRENT_USER, RecordKey, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

uint64_t RecordedWindow()
{
    uint64_t value = 0;
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, RecordKey, "Window", RRF_RT_REG_QWORD, nullptr, &value, &size);
    return value;
}

std::string Expanded(const char* text)
{
    char out[1024];
    ExpandEnvironmentStringsA(text, out, sizeof out);
    return out;
}

HH_POPUP SamplePopup(const char* text)
{
    HH_POPUP popup = {};
    popup.cbStruct = sizeof popup;
    popup.pszText = text;
    popup.pt = {123, 456};
    return popup;
}

}  // namespace

TEST_CASE("copy bounded copies cuts or refuses")
{
    struct Row { size_t Capacity; const char* Source; int32_t Status; const char* Result; };
    const Row rows[] = {
        {4, "abc", 0, "abc"},
        {3, "abc", CopyBoundedCut, "ab"},
        {10, "", 0, ""},
        {1, "", 0, ""},
        {1, "a", CopyBoundedCut, ""},
        {2147483647, "xy", 0, "xy"},
        {0, "abc", CopyBoundedBadCapacity, "untouched"},
        {2147483648u, "abc", CopyBoundedBadCapacity, "untouched"},
        {static_cast<size_t>(-1), "abc", CopyBoundedBadCapacity, "untouched"},
    };
    for (const Row& row : rows) {
        INFO((std::to_string(row.Capacity) + " \"" + row.Source + "\""));
        char buffer[16] = "untouched";
        CHECK_EQ(CopyBounded(buffer, row.Capacity, row.Source), row.Status);
        CHECK_EQ(std::string(buffer), row.Result);
    }
    CHECK(CopyBoundedBadCapacity < 0);
    CHECK(CopyBoundedCut < 0);
}

TEST_CASE("help control path is read from its registration")
{
    SetEnvironmentVariableA("GLIMMORA_LONG", std::string(300, 'L').c_str());
    const std::string longest = "C:\\" + std::string(256, 'p');   // 259 characters
    struct Row { const char* Case; DWORD Type; std::string Stored; bool Found; std::string Path; };
    const Row rows[] = {
        {"plain", REG_SZ, "C:\\windows\\system32\\hhctrl.ocx", true, "C:\\windows\\system32\\hhctrl.ocx"},
        {"expandable", REG_EXPAND_SZ, "%SystemRoot%\\system32\\hhctrl.ocx", true,
         Expanded("%SystemRoot%\\system32\\hhctrl.ocx")},
        {"references in a plain value stay", REG_SZ, "%SystemRoot%\\hh.ocx", true, "%SystemRoot%\\hh.ocx"},
        {"259 characters", REG_SZ, longest, true, longest},
        {"longer than the buffer", REG_SZ, longest + "xx", false, ""},
        {"expanding beyond the buffer", REG_EXPAND_SZ, "C:\\%GLIMMORA_LONG%", false, ""},
    };
    for (const Row& row : rows) {
        INFO((row.Case));
        Register(row.Type, row.Stored);
        char path[MAX_PATH] = "";
        CHECK_EQ(GetHelpControlPath(path) != FALSE, row.Found);
        if (row.Found)
            CHECK_EQ(std::string(path), row.Path);
    }
    Unregister();
    char path[MAX_PATH];
    CHECK(!GetHelpControlPath(path));
}

TEST_CASE("help control is loaded once and passes requests unchanged")
{
    FreshHelpState();
    const std::string dll = TestControlPath();
    const std::string folder = dll.substr(0, dll.find_last_of('\\'));
    SetEnvironmentVariableA("GLIMMORA_HELP_FOLDER", folder.c_str());
    Register(REG_EXPAND_SZ, "%GLIMMORA_HELP_FOLDER%" + dll.substr(folder.size()));

    HWND window = GetDesktopWindow();
    HH_POPUP popup = SamplePopup("first");
    const HWND answer = ShowHelpPopup(window, "some.chm", HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
    CHECK(answer == reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5150)));
    CHECK_EQ(RecordedNumber("Calls"), 1ul);
    CHECK_EQ(RecordedNumber("Command"), 14ul);
    CHECK_EQ(RecordedNumber("FileGiven"), 1ul);
    CHECK_EQ(RecordedText("Text"), "first");
    CHECK_EQ(RecordedNumber("X"), 123ul);
    CHECK_EQ(RecordedNumber("Y"), 456ul);
    CHECK_EQ(RecordedWindow(), static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window)));
    CHECK(HelpControl.HelpControlLibrary == GetModuleHandleA("help_test_control.dll"));

    // Later requests neither read the registration nor load anything again.
    Register(REG_SZ, "C:\\nowhere\\missing.ocx");
    popup = SamplePopup("second");
    ShowHelpPopup(window, nullptr, 99, reinterpret_cast<DWORD_PTR>(&popup));
    CHECK_EQ(RecordedNumber("Calls"), 2ul);
    CHECK_EQ(RecordedNumber("Command"), 99ul);
    CHECK_EQ(RecordedNumber("FileGiven"), 0ul);
    CHECK(!HelpControl.HelpLoadFailed);
    FreshHelpState();
}

TEST_CASE("a help control that does not load is not tried again")
{
    REQUIRE(LoadLibraryA("hhctrl.ocx") == nullptr);  // Wine's own control is off for this program
    FreshHelpState();
    Register(REG_SZ, "C:\\nowhere\\missing.ocx");
    HH_POPUP popup = SamplePopup("lost");
    CHECK(ShowHelpPopup(nullptr, nullptr, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup)) == nullptr);
    CHECK(HelpControl.HelpLoadFailed);

    Register(REG_SZ, TestControlPath());
    CHECK(ShowHelpPopup(nullptr, nullptr, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup)) == nullptr);
    CHECK(GetModuleHandleA("help_test_control.dll") == nullptr);
    CHECK_EQ(RecordedNumber("Calls"), 0xDEADBEEFul);

    // Nothing registered at all: the same quiet failure.
    FreshHelpState();
    Unregister();
    CHECK(ShowHelpPopup(nullptr, nullptr, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup)) == nullptr);
    CHECK(HelpControl.HelpLoadFailed);
    FreshHelpState();
}

TEST_CASE("a help control without its entry is not tried again")
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string library = std::string(system) + "\\msimg32.dll";
    HMODULE check = LoadLibraryA(library.c_str());
    REQUIRE(check != nullptr);
    REQUIRE(!GetProcAddress(check, MAKEINTRESOURCEA(14)));

    FreshHelpState();
    Register(REG_SZ, library);
    HH_POPUP popup = SamplePopup("no entry");
    CHECK(ShowHelpPopup(nullptr, nullptr, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup)) == nullptr);
    CHECK(HelpControl.HelpLoadFailed);
    CHECK(HelpControl.HelpControlLibrary == check);
    Register(REG_SZ, TestControlPath());
    CHECK(ShowHelpPopup(nullptr, nullptr, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup)) == nullptr);
    CHECK(GetModuleHandleA("help_test_control.dll") == nullptr);
    FreshHelpState();
    FreeLibrary(check);
}
