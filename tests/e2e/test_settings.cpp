// The settings sheet of the real saver, driven from this process. The About link opens through a test handler
// of http addresses and help goes to a test help control, both registered in the prefix for the time of a test.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
#include <commctrl.h>
#include <algorithm>
#include <climits>
#include <cstring>
#include "e2e/driver.h"
#include "settings_ui/page_map.h"

static const char* const Name = "Settings Test";
static const std::string Key = "Software\\Glimmora\\Savers\\Settings Test.5e", HelpKey = "Software\\Glimmora\\Tests\\HelpControl";
static const std::vector<std::string> AllPages = {"General", "Static", "Plain", "Bounce", "Many", "Fade", "Drip", "Falling", "About"};

static std::string MakeSettingsSaver(const std::string& options = "")  // its user settings start empty
{
    REQUIRE(e2e::MakeSaver(e2e::WorkFolder() + "settings.scr", "--name \"Settings Test\" --saver-id 0x5e --background #203040 " + options));
    e2e::DeleteUserKey(Key);
    return e2e::WorkFolder() + "settings.scr";
}
static void Store(const SaverSettings& record) { e2e::WriteUserValue(Key, "Settings", REG_BINARY, &record, sizeof record); }
static void ExpectStored(const SaverSettings& expected)
{
    const std::string record = e2e::UserValue(Key, "Settings");
    REQUIRE_EQ(record.size(), sizeof expected);
    for (const SettingsField& field : SettingsFields) {
        INFO(field.Name);
        CHECK_EQ(ReadSettingsAt(*reinterpret_cast<const SaverSettings*>(record.data()), field.Offset), ReadSettingsField(expected, field));
    }
}

struct Sheet {
    e2e::Process Process;
    HWND Window;
    explicit Sheet(const std::string& saver, const char* title = Name)
        : Process(e2e::StartSaver(saver, "/c")), Window(e2e::WaitForWindow(Process.Id, "#32770", title)) {}
    bool Close(int button) { e2e::PressDialogButton(Window, button); return e2e::ExitCode(&Process) == 0; }
    HWND Show(const std::string& title) const  // when no page is hidden
    {
        SendMessageA(Window, PSM_SETCURSEL, WPARAM(std::find(AllPages.begin(), AllPages.end(), title) - AllPages.begin()), 0);
        return HWND(SendMessageA(Window, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    std::vector<std::string> Tabs() const  // read through memory of the saver's process
    {
        std::vector<std::string> titles;
        HWND tabs = FindWindowExA(Window, nullptr, "SysTabControl32", nullptr);
        char* remote = static_cast<char*>(VirtualAllocEx(Process.Handle, nullptr, sizeof(TCITEMA) + 64, MEM_COMMIT, PAGE_READWRITE));
        struct Item32 { UINT Mask; DWORD State, StateMask, Text; int TextMax, Image; DWORD Param; };  // a 32-bit saver's TCITEMA
        BOOL is32 = FALSE;
        IsWow64Process(Process.Handle, &is32);
        for (int i = 0; tabs && remote && i < SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0); ++i) {
            TCITEMA item = {TCIF_TEXT, 0, 0, remote + sizeof item, 64, 0, 0};
            const Item32 item32 = {TCIF_TEXT, 0, 0, DWORD(uintptr_t(remote + sizeof item)), 64, 0, 0};
            char text[65] = "";
            WriteProcessMemory(Process.Handle, remote, is32 ? static_cast<const void*>(&item32) : &item, is32 ? sizeof item32 : sizeof item,
                               nullptr);
            SendMessageA(tabs, TCM_GETITEMA, WPARAM(i), LPARAM(remote));
            ReadProcessMemory(Process.Handle, remote + sizeof item, text, 64, nullptr);
            titles.push_back(text);
        }
        VirtualFreeEx(Process.Handle, remote, 0, MEM_RELEASE);
        return titles;
    }
};

struct ClassesValue {  // a default value of HKEY_CLASSES_ROOT, replaced for a test and put back after it
    const std::string Key;
    char Before[512] = "";
    ClassesValue(const std::string& key, const std::string& value) : Key(key)
    {
        DWORD size = sizeof Before;
        RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, Before, &size);
        Set(value.c_str());
    }
    ~ClassesValue() { Set(Before); }
    void Set(const char* value) const { RegSetKeyValueA(HKEY_CLASSES_ROOT, Key.c_str(), nullptr, REG_SZ, value, DWORD(strlen(value) + 1)); }
};

TEST_CASE("the sheet is named after the saver with its pages in order, hidden pages left out; Cancel stores nothing")
{
    // The package's setting, the tabs shown (none: the dialog is switched off and the About box shows alone).
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"HiddenPages=0", AllPages}, {"HiddenPages=34", {"General", "Plain", "Bounce", "Many", "Drip", "Falling", "About"}},
        {"HiddenPages=768", AllPages}, {"HiddenPages=255", {"About"}}, {"SettingsDialogEnabled=0", {}},
    };
    for (const auto& [setting, tabs] : rows) {
        CAPTURE(setting);
        const std::string saver = MakeSettingsSaver("--allow-out-of-range --set " + std::string(setting));
        Sheet sheet(saver, tabs.empty() ? "About Glimmora Screensaver" : Name);
        CHECK(sheet.Tabs() == tabs);
        CHECK(sheet.Close(tabs.empty() ? 1029 : IDCANCEL));
        CHECK(e2e::UserValue(Key, "Settings").empty());
    }
}

// Values that no control can show, as a registry editor may leave them. Each trackbar and the logo count store the
// nearest end of their range, the boxes 1 for a nonzero field; the minutes box and the direction keep what was stored.
TEST_CASE("Cancel leaves a stored record as it was; OK stores it normalised, values beyond every range as the range ends")
{
    const std::string saver = MakeSettingsSaver();
    for (const int32_t value : {INT32_MIN, INT32_MAX})
        for (const int button : {IDCANCEL, IDOK}) {
            CAPTURE(value);
            CAPTURE(button);
            SaverSettings written;
            for (const SettingsField& field : SettingsFields)
                WriteSettingsField(&written, field, value);
            written.SettingsDialogEnabled = 1, written.HiddenPages = 0, written.IgnoreInput = 7;  // never all three
            Store(written);
            Sheet sheet(saver);
            for (const std::string& page : AllPages)
                sheet.Show(page);
            CHECK(sheet.Close(button));
            SaverSettings expected = written;
            for (int i = 0; button == IDOK && i < PageBindingCount; ++i) {
                const ControlBinding& row = PageBindings[i];
                const int32_t first = row.Origin + row.Step * row.Minimum, last = row.Origin + row.Step * row.Maximum;
                if (row.Role == Binding::Slider)  // Drip's runs backwards
                    WriteBoundField(&expected, row, value < 0 ? std::min(first, last) : std::max(first, last));
                else if (row.Role == Binding::ArrowCount)
                    WriteBoundField(&expected, row, value < 0 ? row.Minimum : row.Maximum);
            }
            if (button == IDOK) {
                expected.ChangeModeEnabled = expected.BounceGravity = expected.FadeRandomPositions = expected.DripTile =
                    expected.FallingFadeInDistance = expected.BounceWrapSides = 1;  // the sides box shows checked unless 0
                NormaliseSettings(&expected);  // gravity three times the speed, and IgnoreInput 6
            }
            ExpectStored(expected);
        }
}

TEST_CASE("preview shows the page's mode full screen over the open sheet, the first key closing it alone; the About link opens")
{
    const std::string urlKey = "Software\\Glimmora\\Tests\\UrlHandler";
    const ClassesValue http("http\\shell\\open\\command", "\"" + e2e::WindowsPath(GLIMMORA_URL_HANDLER) + "\" \"%1\"");
    e2e::DeleteUserKey(urlKey);
    e2e::MoveMouseTo(1000, 700);
    Sheet sheet(MakeSettingsSaver("--web-address www.example.com"));
    SendDlgItemMessageA(sheet.Show("Static"), 1030, BM_CLICK, 0, 0);
    HWND preview = e2e::WaitForWindow(sheet.Process.Id, "WindowsScreenSaverClassPreview", nullptr);
    REQUIRE(preview);
    RECT shown, screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetWindowRect(preview, &shown);
    CHECK(EqualRect(&screen, &shown));
    CHECK_EQ(SendMessageA(preview, WM_KEYDOWN, VK_SPACE, 0), 1);  // within its first half second a key leaves it open
    CHECK(e2e::WaitUntil([] { return e2e::WrongPixels(64, 48) == 0; }));
    e2e::PumpMessagesFor(1000);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::WaitUntil([&] { return !IsWindow(preview); }));
    CHECK(e2e::StillRunning(sheet.Process));
    GetWindowRect(GetDlgItem(sheet.Show("About"), 1037), &shown);
    e2e::ClickMouse(shown.left + 3, shown.top + 4);
    CHECK(e2e::WaitUntil([&] { return e2e::UserValue(urlKey, "Address") == "http://www.example.com"; }));
    e2e::MoveMouseTo(1000, 700);
    CHECK(sheet.Close(IDCANCEL));
}

// Without a help control, Wine's own, which the saver would load by name, is switched off for it; then the sheet
// goes on alone: F1 opens nothing, the General page never ignores all three kinds of input, and OK stores.
TEST_CASE("F1 on a control asks the help control for its text; without a help control it does nothing")
{
    for (const bool control : {true, false}) {
        CAPTURE(control);
        const ClassesValue registration("CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32",
                                        control ? e2e::WindowsPath(GLIMMORA_HELP_TEST_CONTROL) : "C:\\nowhere\\missing.ocx");
        e2e::DeleteUserKey(HelpKey);
        SetEnvironmentVariableA("WINEDLLOVERRIDES", control ? nullptr : "mscoree,mshtml,hhctrl.ocx=");
        const std::string saver = MakeSettingsSaver();
        SaverSettings expected = {};
        ApplyDefaultSettings(&expected), NormaliseSettings(&expected), Store(expected);
        Sheet sheet(saver);
        SetEnvironmentVariableA("WINEDLLOVERRIDES", nullptr);
        HWND page = sheet.Show("Bounce"), slider = GetDlgItem(page, 1012);
        SendMessageA(page, WM_NEXTDLGCTL, WPARAM(slider), TRUE);
        e2e::PumpMessagesFor(200);
        e2e::PressKey(VK_F1);
        CHECK_EQ(e2e::WaitUntil([] { return e2e::UserNumber(HelpKey, "Command") == 14; }, control ? e2e::Patience : 1000), control);
        if (control) {
            CHECK_EQ(e2e::UserValue(HelpKey, "Text"), "This sets the speed that the logo will move");
            CHECK(sheet.Close(IDCANCEL));
            continue;
        }
        CHECK(e2e::Answers(sheet.Window, 5000));
        CHECK_EQ(e2e::WaitForWindow(sheet.Process.Id, nullptr, nullptr), sheet.Window);  // nothing shows over the sheet
        SendDlgItemMessageA(page, 1012, TBM_SETPOS, TRUE, 6);
        SendMessageA(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 6), LPARAM(slider));
        page = sheet.Show("General");
        for (int box : {1025, 1026, 1027})  // ignore keys, clicks, movement: the last unchecks the first
            SendDlgItemMessageA(page, box, BM_CLICK, 0, 0);
        CHECK_EQ(SendDlgItemMessageA(page, 1025, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        CHECK(sheet.Close(IDOK));
        expected.BounceSpeed = 6, expected.IgnoreInput = IgnoreClicks | IgnoreMovement;
        NormaliseSettings(&expected);
        ExpectStored(expected);
    }
}
