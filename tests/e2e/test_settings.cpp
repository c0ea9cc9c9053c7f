// The settings sheet of the real saver, driven from this process. The About
// link opens through a test handler of http addresses and help goes to a test
// help control, both registered in the prefix for the time of a test.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "e2e/driver.h"
#include "package/saver_trailer.h"
#include "settings_ui/page_map.h"

namespace {

const char* const Name = "Settings Test";
const char* const HelpKey = "Software\\Glimmora\\Tests\\HelpControl";
const char* const UrlKey = "Software\\Glimmora\\Tests\\UrlHandler";
const char* const HelpControlClass = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const std::vector<std::string> AllPages = {"General", "Static", "Plain", "Bounce", "Many", "Fade", "Drip", "Falling", "About"};

struct Saver {
    std::string Path, Key;
    SaverSettings Defaults;  // the package's record, as the saver loads it
    std::vector<uint8_t> Record() const
    {
        std::vector<uint8_t> data;
        e2e::ReadUserValue(Key, "Settings", &data);
        return data;
    }
    void Store(const SaverSettings& record) const { e2e::WriteUserValue(Key, "Settings", REG_BINARY, &record, sizeof record); }
    void ExpectStored(SaverSettings expected) const
    {
        const std::vector<uint8_t> record = Record();
        REQUIRE_EQ(record.size(), sizeof expected);
        for (const SettingsField& field : SettingsFields) {
            INFO(std::string(field.Name));
            CHECK_EQ(ReadSettingsAt(*reinterpret_cast<const SaverSettings*>(record.data()), field.Offset), ReadSettingsField(expected, field));
        }
    }
};

Saver MakeSettingsSaver(const std::string& options = "")  // its user settings start empty
{
    Saver saver = {e2e::WorkFolder() + "settings.scr", "Software\\Glimmora\\Savers\\Settings Test.5e\\", {}};
    REQUIRE(e2e::MakeSaver(saver.Path, std::string("--name \"") + Name + "\" --saver-id 0x5e --description \"Shows the settings\" --background #203040 " + options));
    const std::vector<uint8_t> bytes = e2e::ReadWholeFile(saver.Path);
    std::memcpy(&saver.Defaults, &bytes[bytes.size() - TrailerSize + offsetof(SaverTrailer, Settings)], sizeof saver.Defaults);
    NormaliseSettings(&saver.Defaults);
    e2e::DeleteUserKey(saver.Key);
    return saver;
}

struct Sheet {
    e2e::Process Process;
    HWND Window;
    Sheet(const Saver& saver, const std::string& arguments = "/c", const char* title = Name)
        : Process(e2e::StartSaver(saver.Path, arguments)), Window(e2e::WaitForWindow(Process.Id, "#32770", title)) {}
    bool Close(int button) { e2e::PressDialogButton(Window, button); return e2e::ExitCode(&Process) == 0; }
    HWND Page() const { return HWND(SendMessageA(Window, PSM_GETCURRENTPAGEHWND, 0, 0)); }
    HWND Show(int index) const
    {
        SendMessageA(Window, PSM_SETCURSEL, WPARAM(index), 0);
        return Page();
    }
    HWND Show(const char* title) const
    {
        const std::vector<std::string> tabs = Tabs();
        return Show(int(std::find(tabs.begin(), tabs.end(), title) - tabs.begin()));
    }
    std::vector<std::string> Tabs() const  // read through memory of the saver's process
    {
        std::vector<std::string> titles;
        HWND tabs = FindWindowExA(Window, nullptr, "SysTabControl32", nullptr);
        char* remote = static_cast<char*>(VirtualAllocEx(Process.Handle, nullptr, sizeof(TCITEMA) + 64, MEM_COMMIT, PAGE_READWRITE));
        for (int i = 0; tabs && remote && i < SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0); ++i) {
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = remote + sizeof item;
            item.cchTextMax = 64;
            char text[65] = "";
            WriteProcessMemory(Process.Handle, remote, &item, sizeof item, nullptr);
            SendMessageA(tabs, TCM_GETITEMA, WPARAM(i), LPARAM(remote));
            ReadProcessMemory(Process.Handle, remote + sizeof item, text, 64, nullptr);
            titles.push_back(text);
        }
        VirtualFreeEx(Process.Handle, remote, 0, MEM_RELEASE);
        return titles;
    }
};

void MoveSlider(HWND page, int id, int position)
{
    SendDlgItemMessageA(page, id, TBM_SETPOS, TRUE, position);
    SendMessageA(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), LPARAM(GetDlgItem(page, id)));
}

RECT Area(HWND window)
{
    RECT area = {};
    GetWindowRect(window, &area);
    return area;
}

// A default value of HKEY_CLASSES_ROOT, replaced for a test and put back after it.
struct ClassesValue {
    std::string Key, Before = std::string(512, '\0');
    DWORD Size = 512;
    bool Had;
    ClassesValue(const std::string& key, const std::string& value)
        : Key(key), Had(!RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, &Before[0], &Size))
    {
        RegSetKeyValueA(HKEY_CLASSES_ROOT, Key.c_str(), nullptr, REG_SZ, value.c_str(), DWORD(value.size() + 1));
    }
    ~ClassesValue()
    {
        if (Had)
            RegSetKeyValueA(HKEY_CLASSES_ROOT, Key.c_str(), nullptr, REG_SZ, Before.c_str(), Size);
        else
            RegDeleteKeyValueA(HKEY_CLASSES_ROOT, Key.c_str(), nullptr);
    }
};

}  // namespace

TEST_CASE("the sheet is named after the saver with its pages in order, hidden pages left out; Cancel stores nothing")
{
    HWND owner = CreateWindowExA(0, "Static", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    struct Row { std::string Arguments, Options; std::vector<std::string> Tabs; int FirstControl; };
    const Row rows[] = {
        {"/c", "", AllPages, 1021}, {"", "", AllPages, 1021}, {"/c:" + std::to_string(uintptr_t(owner)), "", AllPages, 1021},
        {"/c", "HiddenPages=1", {AllPages.begin() + 1, AllPages.end()}, 1014},
        {"/c", "HiddenPages=34", {"General", "Plain", "Bounce", "Many", "Drip", "Falling", "About"}, 1021},
        {"/c", "HiddenPages=768", AllPages, 1021}, {"/c", "HiddenPages=255", {"About"}, 1035},
        {"/c", "SettingsDialogEnabled=0", {}, 1035},  // the About box alone
    };
    for (const Row& row : rows) {
        CAPTURE(row.Arguments);
        CAPTURE(row.Options);
        const Saver saver = MakeSettingsSaver("--web-address www.example.com --allow-out-of-range --set " + (row.Options.empty() ? "HiddenPages=0" : row.Options));
        const bool aboutBox = row.Tabs.empty();
        Sheet sheet(saver, row.Arguments, aboutBox ? "About Glimmora Screensaver" : Name);
        CHECK(sheet.Tabs() == row.Tabs);
        HWND page = aboutBox ? sheet.Window : sheet.Page();
        CHECK(GetDlgItem(page, row.FirstControl));
        CHECK(!IsWindowVisible(GetDlgItem(sheet.Window, 0x3021)));  // no Apply button
        // The sheet belongs to the hidden host, which the verb's window owns.
        CHECK(GetWindow(GetWindow(sheet.Window, GW_OWNER), GW_OWNER) == (row.Arguments.size() > 2 ? owner : nullptr));
        if (row.FirstControl == 1014)  // the Static page: its text and no slider
            CHECK((!GetDlgItem(page, 1012) && !GetDlgItem(page, 1017)));
        if (row.FirstControl == 1035) {
            CHECK(!e2e::FindTopWindow(sheet.Process.Id, "#32770", aboutBox ? Name : "About Glimmora Screensaver"));
            CHECK_EQ(e2e::WindowText(GetDlgItem(page, 1035)), Name);
            CHECK_EQ(e2e::WindowText(GetDlgItem(page, 1036)), "Shows the settings");
            CHECK_EQ(e2e::WindowText(GetDlgItem(page, 1037)), "www.example.com");
            CHECK_EQ(IsWindowVisible(GetDlgItem(page, 1029)), aboutBox);  // the About page has no OK of its own
        }
        CHECK(sheet.Close(aboutBox ? 1029 : IDCANCEL));
        CHECK(saver.Record().empty());
    }
    DestroyWindow(owner);
}

TEST_CASE("Cancel leaves a stored record as it was; OK stores it normalised")
{
    const Saver saver = MakeSettingsSaver();
    SaverSettings written = saver.Defaults;
    written.BounceSpeed = 4;
    written.BounceGravity = 1;  // stored as three times the speed
    written.IgnoreInput = 7;    // never all three
    written.FadeSpeed = 2;
    written.FadeDerived = 0;  // follows the speed
    written.PlainDelayMs = 9000;
    saver.Store(written);
    for (int button : {IDCANCEL, IDOK}) {
        Sheet sheet(saver);
        CHECK(sheet.Close(button));
        if (button == IDOK)
            NormaliseSettings(&written);
        saver.ExpectStored(written);
    }
    CHECK_EQ(written.BounceGravity, 12);
}

// Values that no control can show, as a registry editor may leave them: every
// field but the three that decide which pages show holds the same number.
// Each trackbar and the logo count show the nearest end of their range and OK
// stores it; the minutes box keeps the number as typed, and a direction that
// no item has keeps the stored one.
TEST_CASE("the sheet opens over values beyond every range and OK stores the range ends")
{
    const Saver saver = MakeSettingsSaver();
    SheetPage pages[MaximumSheetPages];
    const int pageCount = BuildSheetPages(0, pages);
    for (const int32_t value : {INT32_MIN, -5, 0, 100000, INT32_MAX}) {
        CAPTURE(value);
        SaverSettings written;
        for (const SettingsField& field : SettingsFields)
            WriteSettingsField(&written, field, value);
        written.SettingsDialogEnabled = 1;
        written.HiddenPages = written.IgnoreInput = 0;
        saver.Store(written);
        Sheet sheet(saver);
        SaverSettings expected = written;
        for (int index = 0; index < pageCount; ++index) {
            HWND page = sheet.Show(index);
            for (int i = 0; i < PageBindingCount; ++i) {
                const ControlBinding& row = PageBindings[i];
                if (!BindingServesPage(row, pages[index].Kind))
                    continue;
                INFO(std::string(pages[index].Title));
                CAPTURE(row.ControlId);
                const int32_t stored = ReadBoundField(written, row);
                if (row.Role == Binding::Slider) {  // Drip's runs backwards
                    const int32_t first = row.Origin + row.Step * row.Minimum, last = row.Origin + row.Step * row.Maximum;
                    const int32_t nearest = stored < std::min(first, last) ? std::min(first, last) : std::max(first, last);
                    CHECK_EQ(SendDlgItemMessageA(page, row.ControlId, TBM_GETPOS, 0, 0), (nearest - row.Origin) / row.Step);
                    WriteBoundField(&expected, row, nearest);
                } else if (row.Role == Binding::ArrowCount) {
                    const int32_t end = stored < row.Minimum ? row.Minimum : row.Maximum;
                    CHECK_EQ(int32_t(LOWORD(SendDlgItemMessageA(page, row.ControlId, UDM_GETPOS, 0, 0))), end);
                    WriteBoundField(&expected, row, end);
                } else if (row.Role == Binding::NumberText) {
                    CHECK_EQ(e2e::WindowText(GetDlgItem(page, row.ControlId)), std::to_string(uint32_t(stored)));
                } else if (row.Role == Binding::DirectionList) {
                    CHECK_EQ(SendDlgItemMessageA(page, row.ControlId, CB_GETCURSEL, 0, 0), CB_ERR);
                }
            }
        }
        CHECK(sheet.Close(IDOK));
        // The boxes store 1 or 0 for a nonzero or zero field; the sides box is checked only for 0.
        expected.ChangeModeEnabled = expected.BounceGravity = expected.FadeRandomPositions = expected.DripTile =
            expected.FallingFadeInDistance = value != 0;
        expected.BounceWrapSides = 1;
        NormaliseSettings(&expected);
        saver.ExpectStored(expected);
    }
}

TEST_CASE("a moved bounce speed is stored with gravity three times it; the general page never ignores all input")
{
    const Saver saver = MakeSettingsSaver();
    Sheet sheet(saver);
    HWND page = sheet.Page();
    for (int box : {1025, 1026})
        SendDlgItemMessageA(page, box, BM_CLICK, 0, 0);
    CHECK_EQ(SendDlgItemMessageA(page, 1025, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendDlgItemMessageA(page, 1027, BM_CLICK, 0, 0);
    CHECK_EQ(SendDlgItemMessageA(page, 1025, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    page = sheet.Show("Bounce");
    CHECK_EQ(SendDlgItemMessageA(page, 1012, TBM_GETPOS, 0, 0), 3);
    MoveSlider(page, 1012, 8);
    CHECK(sheet.Close(IDOK));
    SaverSettings expected = saver.Defaults;
    expected.BounceSpeed = 8;
    expected.BounceGravity = 24;
    expected.IgnoreInput = IgnoreClicks | IgnoreMovement;
    saver.ExpectStored(expected);
}

TEST_CASE("preview shows the page's mode full screen over the open sheet, and a cancelled change is not stored")
{
    const Saver saver = MakeSettingsSaver();
    SaverSettings before = saver.Defaults;
    before.EnabledModes = 255;
    NormaliseSettings(&before);
    saver.Store(before);
    e2e::MoveMouseTo(1000, 700);
    Sheet sheet(saver);
    for (const char* title : {"Static", "Bounce"}) {
        INFO(std::string(title));
        HWND page = sheet.Show(title);
        if (title[0] == 'S')
            SendDlgItemMessageA(page, 1014, BM_CLICK, 0, 0);  // unchecked and not applied: the preview still shows Static
        else
            MoveSlider(page, 1012, 9);
        SendDlgItemMessageA(page, 1030, BM_CLICK, 0, 0);
        HWND preview = e2e::FindTopWindow(sheet.Process.Id, "WindowsScreenSaverClassPreview", nullptr);
        REQUIRE(preview);
        const RECT screen = e2e::WholeScreen(), shown = Area(preview);
        CHECK(EqualRect(&screen, &shown));
        if (title[0] == 'S') {
            CHECK_EQ(SendMessageA(preview, WM_KEYDOWN, VK_SPACE, 0), 1);  // within its first half second a key leaves it open
            CHECK(IsWindow(preview));
            CHECK(e2e::WaitUntil([] { return e2e::WrongPixels(64, 48) == 0; }));
        }
        e2e::PumpMessagesFor(1000);
        title[0] == 'S' ? e2e::PressKey(VK_SPACE) : e2e::ClickMouse(500, 400);
        CHECK(e2e::WaitUntil([&] { return !IsWindow(preview); }));  // it alone closes
        CHECK(e2e::StillRunning(sheet.Process));
    }
    CHECK(sheet.Close(IDCANCEL));
    saver.ExpectStored(before);
}

TEST_CASE("the About link opens its address through the shell")
{
    const std::string handler = "\"" + e2e::WindowsPath(GLIMMORA_URL_HANDLER) + "\" \"%1\"";
    const ClassesValue http("http\\shell\\open\\command", handler), https("https\\shell\\open\\command", handler);
    const std::pair<const char*, const char*> rows[] = {  // the address shown, and opened
        {"www.example.com", "http://www.example.com"},
        {"http://Example.org/page", "http://Example.org/page"},
        {"HTTPS://secure.example.net", "HTTPS://secure.example.net"},
    };
    for (const auto& row : rows) {
        INFO(std::string(row.first));
        e2e::DeleteUserKey(UrlKey);
        Sheet sheet(MakeSettingsSaver(std::string("--web-address \"") + row.first + "\""));
        HWND label = GetDlgItem(sheet.Show("About"), 1037);
        CHECK_EQ(e2e::WindowText(label), row.first);
        const RECT area = Area(label);
        e2e::ClickMouse(area.left + 3, area.top + 4);
        CHECK(e2e::WaitUntil([] { return e2e::UserNumber(UrlKey, "Calls") == 1; }));
        CHECK_EQ(e2e::UserText(UrlKey, "Address"), row.second);
        e2e::MoveMouseTo(1000, 700);
        CHECK(sheet.Close(IDCANCEL));
    }
    e2e::DeleteUserKey(UrlKey);
}

// Without one, Wine's own, which the saver would load by name, is switched off for it.
TEST_CASE("F1 on a control asks the help control for its text below it; without a help control it does nothing")
{
    struct Row { bool Control; const char* Page; int Id; const char* Text; };
    const Row rows[] = {
        {true, "Bounce", 1012, "This sets the speed that the logo will move"},
        {true, "Falling", 1012, "This sets how fast the logos will move"},
        {true, "General", 1025, "When checked, the screensaver will ignore any key presses and continue to run."},
        {false, "Bounce", 1012, nullptr},
    };
    for (const Row& row : rows) {
        INFO(std::string(row.Page));
        CAPTURE(row.Control);
        const ClassesValue registration(HelpControlClass, row.Control ? e2e::WindowsPath(GLIMMORA_HELP_TEST_CONTROL) : "C:\\nowhere\\missing.ocx");
        e2e::DeleteUserKey(HelpKey);
        SetEnvironmentVariableA("WINEDLLOVERRIDES", row.Control ? nullptr : "mscoree,mshtml,hhctrl.ocx=");
        const Saver saver = MakeSettingsSaver();
        Sheet sheet(saver);
        SetEnvironmentVariableA("WINEDLLOVERRIDES", nullptr);
        HWND page = sheet.Show(row.Page), control = GetDlgItem(page, row.Id);
        SendMessageA(page, WM_NEXTDLGCTL, WPARAM(control), TRUE);
        e2e::PumpMessagesFor(200);
        e2e::PressKey(VK_F1);
        CHECK_EQ(e2e::WaitUntil([] { return e2e::UserNumber(HelpKey, "Calls") == 1; }, row.Control ? e2e::Patience : 1000), row.Control);
        if (!row.Control) {  // the sheet goes on, alone
            e2e::PressKey(VK_F1);
            CHECK(e2e::Answers(sheet.Window, 5000));
            int windows = 0;
            for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(top, &owner);
                windows += owner == sheet.Process.Id && IsWindowVisible(top);
            }
            CHECK_EQ(windows, 1);
            MoveSlider(page, 1012, 6);
            CHECK(sheet.Close(IDOK));
            SaverSettings expected = saver.Defaults;
            expected.BounceSpeed = 6;
            NormaliseSettings(&expected);
            saver.ExpectStored(expected);
            continue;
        }
        CHECK_EQ(e2e::UserNumber(HelpKey, "Command"), 14u);
        CHECK_EQ(e2e::UserNumber(HelpKey, "FileGiven"), 0u);
        CHECK_EQ(e2e::UserNumber(HelpKey, "Window"), uintptr_t(page));
        CHECK_EQ(e2e::UserText(HelpKey, "Text"), row.Text);
        const RECT area = Area(control);
        CHECK_EQ(LONG(e2e::UserNumber(HelpKey, "X")), area.left + (area.right - area.left) / 2);
        CHECK_EQ(LONG(e2e::UserNumber(HelpKey, "Y")), area.bottom + 10);
        CHECK(sheet.Close(IDCANCEL));
    }
    e2e::DeleteUserKey(HelpKey);
}
