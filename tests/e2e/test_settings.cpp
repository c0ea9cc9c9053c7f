// The settings dialog of the real saver, driven from this process: the sheet
// and its pages, what OK and Cancel store, the Preview button, the About
// page's link and context help. The link opens through a test handler of
// http addresses, and help goes to a test help control, both registered in
// the prefix for the time of a test. Each page is saved as a picture in the
// work folder.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/driver.h"
#include "package/bmp_format.h"
#include "package/saver_trailer.h"
#include "settings_ui/page_map.h"
#include "testkit.h"

namespace {

constexpr COLORREF Background = RGB(0x20, 0x30, 0x40);
constexpr int LogoWidth = 64, LogoHeight = 48;
const char* const SaverName = "Settings Test";
const char* const HelpRecordKey = "Software\\Glimmora\\Tests\\HelpControl";
const char* const UrlRecordKey = "Software\\Glimmora\\Tests\\UrlHandler";
const char* const HelpControlKey = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

struct Saver {
    std::string Path;
    std::string SettingsKey;
    SaverSettings Defaults;  // the package's record, as the saver loads it
};

// A saver with the test logo on a known background; its user settings start empty.
Saver MakeSettingsSaver(const char* file, const std::string& options = "")
{
    Saver saver = {e2e::WorkFolder() + file, "", {}};
    if (!e2e::MakeSaver(saver.Path, std::string("--name \"") + SaverName +
                                        "\" --description \"Shows the settings\" --background #203040 " + options))
        return saver;
    const std::vector<uint8_t> bytes = e2e::ReadWholeFile(saver.Path);
    SaverTrailer trailer;
    std::memcpy(&trailer, &bytes[bytes.size() - TrailerSize], TrailerSize);
    char key[160];
    FormatSettingsKey(trailer, key, sizeof key);
    saver.SettingsKey = key;
    saver.Defaults = trailer.Settings;
    NormaliseSettings(&saver.Defaults);
    e2e::DeleteUserKey(saver.SettingsKey);
    return saver;
}

bool StoredRecord(const Saver& saver, SaverSettings* record)
{
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!e2e::ReadUserValue(saver.SettingsKey, "Settings", &type, &data) || type != REG_BINARY ||
        data.size() != sizeof(SaverSettings))
        return false;
    std::memcpy(record, data.data(), sizeof *record);
    return true;
}

void StoreRecord(const Saver& saver, const SaverSettings& record)
{
    e2e::WriteUserValue(saver.SettingsKey, "Settings", REG_BINARY, &record, sizeof record);
}

void ExpectRecord(const SaverSettings& actual, const SaverSettings& expected)
{
    for (const SettingsField& field : SettingsFields) {
        TEST_ROW(field.Name);
        CHECK_EQ(ReadSettingsField(actual, field), ReadSettingsField(expected, field));
    }
}

struct Sheet {
    e2e::Process Process;
    HWND Window;
};

Sheet OpenSheet(const Saver& saver, const std::string& arguments = "/c", const char* title = SaverName)
{
    Sheet sheet = {e2e::StartSaver(saver.Path, arguments), nullptr};
    sheet.Window = e2e::WaitForWindow(sheet.Process.Id, "#32770", title);
    return sheet;
}

// True when the process ended with that code within the deadline.
bool EndsWith(Sheet& sheet, DWORD expected)
{
    DWORD exitCode = STILL_ACTIVE;
    const bool ended = e2e::WaitForExit(sheet.Process, &exitCode);
    e2e::EndProcess(&sheet.Process);
    if (ended && exitCode != expected)
        std::printf("    exit code %lu\n", exitCode);
    return ended && exitCode == expected;
}

bool Close(Sheet& sheet, int button)
{
    e2e::PressDialogButton(sheet.Window, button);
    return EndsWith(sheet, 0);
}

// The tab captions, read through memory of the saver's process.
std::vector<std::string> TabTitles(const Sheet& sheet)
{
    std::vector<std::string> titles;
    HWND tabs = FindWindowExA(sheet.Window, nullptr, "SysTabControl32", nullptr);
    if (!tabs)
        return titles;
    const size_t textOffset = sizeof(TCITEMA);
    char* remote = static_cast<char*>(
        VirtualAllocEx(sheet.Process.Handle, nullptr, textOffset + 64, MEM_COMMIT, PAGE_READWRITE));
    if (!remote)
        return titles;
    const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = remote + textOffset;
        item.cchTextMax = 64;
        WriteProcessMemory(sheet.Process.Handle, remote, &item, sizeof item, nullptr);
        SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote));
        char text[65] = "";
        ReadProcessMemory(sheet.Process.Handle, remote + textOffset, text, 64, nullptr);
        titles.push_back(text);
    }
    VirtualFreeEx(sheet.Process.Handle, remote, 0, MEM_RELEASE);
    return titles;
}

HWND CurrentPage(const Sheet& sheet)
{
    return reinterpret_cast<HWND>(SendMessageA(sheet.Window, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND ShowPage(const Sheet& sheet, int index)
{
    SendMessageA(sheet.Window, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    e2e::PumpMessagesFor(200);
    return CurrentPage(sheet);
}

int PageIndex(const Sheet& sheet, const char* title)
{
    const std::vector<std::string> titles = TabTitles(sheet);
    for (size_t i = 0; i < titles.size(); ++i)
        if (titles[i] == title)
            return static_cast<int>(i);
    return -1;
}

bool Checked(HWND page, int id) { return SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }

void MoveSlider(HWND page, int id, int position)
{
    HWND slider = GetDlgItem(page, id);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
}

// Saves a part of the screen as a BMP file in the work folder.
void SaveScreenshot(const RECT& area, const std::string& name)
{
    const e2e::Capture shot = e2e::CaptureScreen(area);
    const int width = area.right - area.left, height = area.bottom - area.top;
    std::vector<uint32_t> pixels(shot.Pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (GetRValue(shot.Pixels[i]) << 16) | (GetGValue(shot.Pixels[i]) << 8) | GetBValue(shot.Pixels[i]);
    e2e::WriteWholeFile(e2e::WorkFolder() + name + ".bmp", EncodeBmp24(width, height, pixels.data()));
}

RECT WindowArea(HWND window)
{
    RECT area = {};
    GetWindowRect(window, &area);
    return area;
}

// A registry value of HKEY_CLASSES_ROOT, replaced for a test and put back after it.
struct ClassesValue {
    std::string Key;
    bool Present;
    DWORD Type;
    std::vector<BYTE> Data;

    explicit ClassesValue(const std::string& key) : Key(key), Present(false), Type(0)
    {
        HKEY handle;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, Key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        if (RegQueryValueExA(handle, nullptr, nullptr, &Type, nullptr, &size) == ERROR_SUCCESS) {
            Data.resize(size);
            Present = RegQueryValueExA(handle, nullptr, nullptr, &Type, Data.data(), &size) == ERROR_SUCCESS;
        }
        RegCloseKey(handle);
    }
    void Set(DWORD type, const std::string& text) const
    {
        HKEY handle;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, Key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegSetValueExA(handle, nullptr, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
        RegCloseKey(handle);
    }
    ~ClassesValue()
    {
        HKEY handle;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, Key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
            ERROR_SUCCESS)
            return;
        if (Present)
            RegSetValueExA(handle, nullptr, 0, Type, Data.data(), static_cast<DWORD>(Data.size()));
        else
            RegDeleteValueA(handle, nullptr);
        RegCloseKey(handle);
    }
};

DWORD RecordedNumber(const char* key, const char* name)
{
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

std::string RecordedText(const char* key, const char* name)
{
    char text[512] = "";
    DWORD size = sizeof text;
    RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

bool WaitForRecord(const char* key, DWORD calls)
{
    struct Wait { const char* Key; DWORD Calls; } wait = {key, calls};
    return e2e::WaitFor(
        [](void* w) {
            auto* expected = static_cast<Wait*>(w);
            return RecordedNumber(expected->Key, "Calls") >= expected->Calls;
        },
        &wait);
}

HWND PreviewOf(const Sheet& sheet) { return e2e::FindTopWindow(sheet.Process.Id, "WindowsScreenSaverClassPreview", nullptr); }

// The logo's extent on the screen, once it is drawn where it is expected.
bool LogoShownAt(const RECT& expected)
{
    RECT wanted = expected;
    return e2e::WaitFor(
        [](void* w) {
            const RECT& rect = *static_cast<RECT*>(w);
            const RECT extent = e2e::CaptureScreen(e2e::WholeScreen()).Extent(Background);
            return extent.left == rect.left && extent.top == rect.top && extent.right == rect.right &&
                   extent.bottom == rect.bottom;
        },
        &wanted, 10000);
}

}  // namespace

TEST_CASE(configure_shows_the_sheet_named_after_the_saver_with_its_pages_in_order)
{
    const Saver saver = MakeSettingsSaver("sheet.scr", "--web-address www.example.com");
    REQUIRE(!saver.SettingsKey.empty());
    HWND owner = CreateWindowExA(0, "Static", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    const std::vector<std::string> all = {"General", "Static", "Plain", "Bounce", "Many",
                                          "Fade",    "Drip",   "Falling", "About"};
    struct Row { std::string Arguments; HWND Owner; };
    const Row rows[] = {
        {"/c", nullptr},
        {"", nullptr},
        {"/c:" + std::to_string(reinterpret_cast<uintptr_t>(owner)), owner},
    };
    for (const Row& row : rows) {
        TEST_ROW("\"" + row.Arguments + "\"");
        Sheet sheet = OpenSheet(saver, row.Arguments);
        REQUIRE(sheet.Window != nullptr);
        CHECK_EQ(e2e::WindowText(sheet.Window), SaverName);
        CHECK(TabTitles(sheet) == all);
        HWND page = CurrentPage(sheet);
        CHECK(GetDlgItem(page, 1021) != nullptr);  // General first
        CHECK(GetDlgItem(sheet.Window, IDOK) != nullptr);
        CHECK(GetDlgItem(sheet.Window, IDCANCEL) != nullptr);
        CHECK(!IsWindowVisible(GetDlgItem(sheet.Window, 0x3021)));  // no Apply button
        if (row.Owner) {
            // The sheet belongs to the hidden host, which the verb's window owns.
            HWND host = GetWindow(sheet.Window, GW_OWNER);
            CHECK(host != nullptr);
            CHECK(GetWindow(host, GW_OWNER) == row.Owner);
        }
        CHECK(Close(sheet, IDCANCEL));
        SaverSettings stored;
        CHECK(!StoredRecord(saver, &stored));
    }
    DestroyWindow(owner);

    // Every page, as it looks.
    Sheet sheet = OpenSheet(saver);
    REQUIRE(sheet.Window != nullptr);
    for (size_t i = 0; i < all.size(); ++i) {
        ShowPage(sheet, static_cast<int>(i));
        e2e::PumpMessagesFor(300);
        SaveScreenshot(WindowArea(sheet.Window), "page-" + all[i]);
    }
    CHECK(Close(sheet, IDCANCEL));
}

TEST_CASE(hidden_pages_are_left_out)
{
    struct Row { int32_t Hidden; std::vector<std::string> Titles; int FirstControl; };
    const Row rows[] = {
        {1, {"Static", "Plain", "Bounce", "Many", "Fade", "Drip", "Falling", "About"}, 1014},
        {255, {"About"}, 1035},
        {2 | 32, {"General", "Plain", "Bounce", "Many", "Drip", "Falling", "About"}, 1021},
        {256 | 512, {"General", "Static", "Plain", "Bounce", "Many", "Fade", "Drip", "Falling", "About"}, 1021},
    };
    for (const Row& row : rows) {
        TEST_ROW("HiddenPages " + std::to_string(row.Hidden));
        const Saver saver = MakeSettingsSaver(
            "hidden.scr", "--allow-out-of-range --set HiddenPages=" + std::to_string(row.Hidden));
        Sheet sheet = OpenSheet(saver);
        REQUIRE(sheet.Window != nullptr);
        CHECK(TabTitles(sheet) == row.Titles);
        HWND page = CurrentPage(sheet);
        CHECK(GetDlgItem(page, row.FirstControl) != nullptr);
        if (row.Hidden == 1) {
            // The Static page: its text and no slider.
            CHECK(GetDlgItem(page, 1012) == nullptr);
            CHECK(GetDlgItem(page, 1017) == nullptr);
        }
        if (row.Hidden == 255)
            CHECK(!IsWindowVisible(GetDlgItem(page, 1029)));  // the About page has no OK of its own
        CHECK(Close(sheet, IDCANCEL));
    }
}

TEST_CASE(with_the_dialog_switched_off_the_about_box_shows_alone_and_stores_nothing)
{
    const Saver saver = MakeSettingsSaver("about.scr", "--web-address www.example.com --set SettingsDialogEnabled=0");
    Sheet box = OpenSheet(saver, "/c", "About Glimmora Screensaver");
    REQUIRE(box.Window != nullptr);
    CHECK(e2e::FindTopWindow(box.Process.Id, "#32770", SaverName) == nullptr);
    CHECK_EQ(e2e::WindowText(GetDlgItem(box.Window, 1035)), SaverName);
    CHECK_EQ(e2e::WindowText(GetDlgItem(box.Window, 1036)), "Shows the settings");
    CHECK_EQ(e2e::WindowText(GetDlgItem(box.Window, 1037)), "www.example.com");
    CHECK(IsWindowVisible(GetDlgItem(box.Window, 1029)));
    e2e::PumpMessagesFor(300);
    SaveScreenshot(WindowArea(box.Window), "about-box");
    CHECK(Close(box, 1029));
    SaverSettings stored;
    CHECK(!StoredRecord(saver, &stored));
}

TEST_CASE(ok_stores_the_normalised_record_and_cancel_stores_nothing)
{
    const Saver saver = MakeSettingsSaver("store.scr");
    SaverSettings written = saver.Defaults;
    written.BounceSpeed = 4;
    written.BounceGravity = 1;   // stored as three times the speed
    written.IgnoreInput = 7;     // never all three
    written.FadeSpeed = 2;
    written.FadeDerived = 0;     // follows the speed
    written.PlainDelayMs = 9000;
    StoreRecord(saver, written);

    Sheet sheet = OpenSheet(saver);
    REQUIRE(sheet.Window != nullptr);
    CHECK(Close(sheet, IDCANCEL));
    SaverSettings stored;
    REQUIRE(StoredRecord(saver, &stored));
    ExpectRecord(stored, written);

    sheet = OpenSheet(saver);
    REQUIRE(sheet.Window != nullptr);
    CHECK(Close(sheet, IDOK));
    REQUIRE(StoredRecord(saver, &stored));
    SaverSettings normalised = written;
    NormaliseSettings(&normalised);
    CHECK_EQ(normalised.BounceGravity, 12);
    ExpectRecord(stored, normalised);
}

// Values that no control can show, as a registry editor may leave them: every
// field but the three that decide which pages show holds the same number. The
// sheet opens over them, each trackbar and the logo count show the nearest end
// of their range and OK stores it. The minutes box shows and keeps the number
// as typed, and a direction that no item has keeps the stored one.
TEST_CASE(the_sheet_opens_over_values_beyond_every_range_and_ok_stores_range_ends)
{
    const Saver saver = MakeSettingsSaver("beyond.scr");
    SheetPage pages[MaximumSheetPages];
    const int pageCount = BuildSheetPages(0, pages);
    for (const int32_t value : {INT32_MIN, -5, 0, 100000, INT32_MAX}) {
        TEST_ROW("every field " + std::to_string(value));
        SaverSettings written;
        for (const SettingsField& field : SettingsFields)
            WriteSettingsField(&written, field, value);
        written.SettingsDialogEnabled = 1;
        written.HiddenPages = 0;
        written.IgnoreInput = 0;
        StoreRecord(saver, written);

        Sheet sheet = OpenSheet(saver);
        REQUIRE(sheet.Window != nullptr);
        SaverSettings expected = written;
        for (int index = 0; index < pageCount; ++index) {
            HWND page = ShowPage(sheet, index);
            REQUIRE(page != nullptr);
            for (int i = 0; i < PageBindingCount; ++i) {
                const ControlBinding& row = PageBindings[i];
                if (!BindingServesPage(row, pages[index].Kind))
                    continue;
                TEST_ROW(std::string(pages[index].Title) + " control " + std::to_string(row.ControlId));
                const int32_t stored = ReadBoundField(written, row);
                switch (row.Role) {
                case Binding::Slider: {
                    // The values at the two ends of the trackbar; Drip's run backwards.
                    const int32_t first = row.Origin + row.Step * row.Minimum;
                    const int32_t last = row.Origin + row.Step * row.Maximum;
                    const int32_t nearest = stored < std::min(first, last) ? std::min(first, last)
                                                                           : std::max(first, last);
                    CHECK_EQ(SendDlgItemMessageA(page, row.ControlId, TBM_GETPOS, 0, 0),
                             static_cast<LRESULT>((nearest - row.Origin) / row.Step));
                    WriteBoundField(&expected, row, nearest);
                    break;
                }
                case Binding::ArrowCount: {
                    const int32_t end = stored < row.Minimum ? row.Minimum : row.Maximum;
                    CHECK_EQ(static_cast<int32_t>(LOWORD(SendDlgItemMessageA(page, row.ControlId, UDM_GETPOS, 0, 0))),
                             end);
                    WriteBoundField(&expected, row, end);
                    break;
                }
                case Binding::NumberText:
                    CHECK_EQ(e2e::WindowText(GetDlgItem(page, row.ControlId)),
                             std::to_string(static_cast<uint32_t>(stored)));
                    break;
                case Binding::DirectionList:
                    CHECK_EQ(SendDlgItemMessageA(page, row.ControlId, CB_GETCURSEL, 0, 0), CB_ERR);
                    break;
                default:
                    break;
                }
            }
        }
        CHECK(Close(sheet, IDOK));

        SaverSettings stored;
        REQUIRE(StoredRecord(saver, &stored));
        // The boxes store 1 or 0 for a nonzero or zero field.
        const bool on = value != 0;
        expected.ChangeModeEnabled = expected.BounceGravity = expected.FadeRandomPositions = expected.DripTile =
            expected.FallingFadeInDistance = on;
        expected.BounceWrapSides = 1;  // its box is checked only while the field is 0
        NormaliseSettings(&expected);
        ExpectRecord(stored, expected);
    }
}

TEST_CASE(moved_bounce_speed_is_stored_with_gravity_three_times_it)
{
    const Saver saver = MakeSettingsSaver("bounce.scr");
    Sheet sheet = OpenSheet(saver);
    REQUIRE(sheet.Window != nullptr);
    HWND page = ShowPage(sheet, PageIndex(sheet, "Bounce"));
    REQUIRE(GetDlgItem(page, 1012) != nullptr);
    CHECK_EQ(SendDlgItemMessageA(page, 1012, TBM_GETPOS, 0, 0), 3);
    MoveSlider(page, 1012, 8);
    CHECK(Close(sheet, IDOK));
    SaverSettings stored;
    REQUIRE(StoredRecord(saver, &stored));
    SaverSettings expected = saver.Defaults;
    expected.BounceSpeed = 8;
    expected.BounceGravity = 24;
    ExpectRecord(stored, expected);
}

TEST_CASE(general_page_never_lets_all_three_kinds_of_input_be_ignored)
{
    const Saver saver = MakeSettingsSaver("ignore.scr");
    Sheet sheet = OpenSheet(saver);
    REQUIRE(sheet.Window != nullptr);
    HWND page = CurrentPage(sheet);
    Click(page, 1025);
    Click(page, 1026);
    CHECK(Checked(page, 1025));
    Click(page, 1027);
    CHECK(!Checked(page, 1025));
    CHECK(Checked(page, 1026));
    CHECK(Checked(page, 1027));
    CHECK(Close(sheet, IDOK));
    SaverSettings stored;
    REQUIRE(StoredRecord(saver, &stored));
    CHECK_EQ(stored.IgnoreInput, IgnoreClicks | IgnoreMovement);
}

TEST_CASE(preview_shows_the_page_mode_full_screen_over_the_open_sheet)
{
    const Saver saver = MakeSettingsSaver("preview.scr");
    SaverSettings before = saver.Defaults;
    before.EnabledModes = 255;
    NormaliseSettings(&before);
    StoreRecord(saver, before);
    e2e::MoveMouseTo(1000, 700);

    Sheet sheet = OpenSheet(saver);
    REQUIRE(sheet.Window != nullptr);
    // Static unchecked and not applied: the preview still shows Static.
    HWND page = ShowPage(sheet, PageIndex(sheet, "Static"));
    Click(page, 1014);
    Click(page, 1030);
    HWND preview = PreviewOf(sheet);
    REQUIRE(preview != nullptr);
    // Within its first half second a key leaves it open.
    CHECK_EQ(SendMessageA(preview, WM_KEYDOWN, VK_SPACE, 0), 1);
    CHECK(IsWindow(preview));
    const RECT screen = e2e::WholeScreen();
    const RECT previewArea = WindowArea(preview);
    CHECK(EqualRect(&screen, &previewArea));
    const int left = (screen.right - LogoWidth) / 2, top = (screen.bottom - LogoHeight) / 2;
    CHECK(LogoShownAt({left, top, left + LogoWidth, top + LogoHeight}));
    SaveScreenshot(screen, "preview-static");

    // Later, a key closes it, and only it.
    e2e::PumpMessagesFor(1000);
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::WaitFor([](void* w) { return !IsWindow(static_cast<HWND>(w)); }, preview));
    e2e::PumpMessagesFor(300);
    CHECK(IsWindow(sheet.Window));
    DWORD exitCode = 0;
    CHECK(!e2e::WaitForExit(sheet.Process, &exitCode, 500));

    // A moved slider previewed and then cancelled is not stored.
    page = ShowPage(sheet, PageIndex(sheet, "Bounce"));
    MoveSlider(page, 1012, 9);
    Click(page, 1030);
    preview = PreviewOf(sheet);
    REQUIRE(preview != nullptr);
    e2e::PumpMessagesFor(1000);
    e2e::ClickMouse(500, 400);
    CHECK(e2e::WaitFor([](void* w) { return !IsWindow(static_cast<HWND>(w)); }, preview));
    e2e::PumpMessagesFor(300);
    CHECK(Close(sheet, IDCANCEL));
    SaverSettings stored;
    REQUIRE(StoredRecord(saver, &stored));
    ExpectRecord(stored, before);
}

TEST_CASE(about_link_opens_its_address_through_the_shell)
{
    const std::string handler = "\"" + e2e::WindowsPath(GLIMMORA_URL_HANDLER) + "\" \"%1\"";
    const ClassesValue http("http\\shell\\open\\command"), https("https\\shell\\open\\command");
    http.Set(REG_SZ, handler);
    https.Set(REG_SZ, handler);

    struct Row { const char* WebAddress; const char* Opened; };
    const Row rows[] = {
        {"www.example.com", "http://www.example.com"},
        {"http://Example.org/page", "http://Example.org/page"},
        {"HTTPS://secure.example.net", "HTTPS://secure.example.net"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.WebAddress);
        const Saver saver = MakeSettingsSaver("link.scr", std::string("--web-address \"") + row.WebAddress + "\"");
        e2e::DeleteUserKey(UrlRecordKey);
        Sheet sheet = OpenSheet(saver);
        REQUIRE(sheet.Window != nullptr);
        HWND page = ShowPage(sheet, PageIndex(sheet, "About"));
        HWND label = GetDlgItem(page, 1037);
        REQUIRE(label != nullptr);
        CHECK_EQ(e2e::WindowText(label), row.WebAddress);

        // Blue at rest, red under the pointer (no browser colours are set here).
        const RECT area = WindowArea(label);
        e2e::MoveMouseTo(area.right + 40, area.bottom + 40);
        e2e::PumpMessagesFor(300);
        const e2e::Capture resting = e2e::CaptureScreen(area);
        CHECK(resting.Count(RGB(0, 0, 255)) > 0);
        CHECK_EQ(resting.Count(RGB(255, 0, 0)), 0);
        e2e::MoveMouseTo(area.left + 3, area.top + 4);
        e2e::PumpMessagesFor(300);
        const e2e::Capture hovered = e2e::CaptureScreen(area);
        CHECK(hovered.Count(RGB(255, 0, 0)) > 0);
        CHECK_EQ(hovered.Count(RGB(0, 0, 255)), 0);
        if (row.WebAddress[0] == 'w')
            SaveScreenshot(WindowArea(sheet.Window), "about-page-hovered");

        e2e::ClickMouse(area.left + 3, area.top + 4);
        CHECK(WaitForRecord(UrlRecordKey, 1));
        CHECK_EQ(RecordedText(UrlRecordKey, "Address"), row.Opened);
        e2e::MoveMouseTo(1000, 700);
        CHECK(Close(sheet, IDCANCEL));
    }
    e2e::DeleteUserKey(UrlRecordKey);
}

TEST_CASE(f1_on_a_control_asks_the_help_control_for_its_text_below_it)
{
    const ClassesValue registration(HelpControlKey);
    registration.Set(REG_SZ, e2e::WindowsPath(GLIMMORA_HELP_TEST_CONTROL));
    e2e::DeleteUserKey(HelpRecordKey);

    const Saver saver = MakeSettingsSaver("help.scr");
    Sheet sheet = OpenSheet(saver);
    REQUIRE(sheet.Window != nullptr);
    struct Row { const char* Page; int Control; const char* Text; };
    const Row rows[] = {
        {"Bounce", 1012, "This sets the speed that the logo will move"},
        {"Falling", 1012, "This sets how fast the logos will move"},
        {"General", 1025, "When checked, the screensaver will ignore any key presses and continue to run."},
    };
    DWORD calls = 0;
    for (const Row& row : rows) {
        TEST_ROW(std::string(row.Page) + " " + std::to_string(row.Control));
        HWND page = ShowPage(sheet, PageIndex(sheet, row.Page));
        HWND control = GetDlgItem(page, row.Control);
        REQUIRE(control != nullptr);
        SendMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        e2e::PumpMessagesFor(200);
        e2e::PressKey(VK_F1);
        REQUIRE(WaitForRecord(HelpRecordKey, ++calls));
        CHECK_EQ(RecordedNumber(HelpRecordKey, "Command"), 14ul);
        CHECK_EQ(RecordedNumber(HelpRecordKey, "FileGiven"), 0ul);
        CHECK_EQ(RecordedText(HelpRecordKey, "Text"), row.Text);
        const RECT area = WindowArea(control);
        CHECK_EQ(static_cast<LONG>(RecordedNumber(HelpRecordKey, "X")), area.left + (area.right - area.left) / 2);
        CHECK_EQ(static_cast<LONG>(RecordedNumber(HelpRecordKey, "Y")), area.bottom + 10);
        uint64_t window = 0;
        DWORD size = sizeof window;
        RegGetValueA(HKEY_CURRENT_USER, HelpRecordKey, "Window", RRF_RT_REG_QWORD, nullptr, &window, &size);
        CHECK_EQ(window, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(page)));
        // The rest of the popup record: its size, default colours and margins, nothing else.
        CHECK_EQ(RecordedNumber(HelpRecordKey, "StructSize"), static_cast<DWORD>(sizeof(void*) == 4 ? 52 : 72));
        CHECK_EQ(RecordedNumber(HelpRecordKey, "Foreground"), 0xFFFFFFFFul);
        CHECK_EQ(RecordedNumber(HelpRecordKey, "Background"), 0xFFFFFFFFul);
        CHECK_EQ(RecordedNumber(HelpRecordKey, "OtherFields"), 0ul);
        RECT margins = {};
        size = sizeof margins;
        RegGetValueA(HKEY_CURRENT_USER, HelpRecordKey, "Margins", RRF_RT_REG_BINARY, nullptr, &margins, &size);
        CHECK(margins.left == -1 && margins.top == -1 && margins.right == -1 && margins.bottom == -1);
    }
    CHECK(Close(sheet, IDCANCEL));
    e2e::DeleteUserKey(HelpRecordKey);
}

TEST_CASE(without_a_help_control_f1_does_nothing_and_the_sheet_goes_on)
{
    const ClassesValue registration(HelpControlKey);
    registration.Set(REG_SZ, "C:\\nowhere\\missing.ocx");
    e2e::DeleteUserKey(HelpRecordKey);
    // Wine's own control, which the saver would load by name, is switched off for it.
    char overrides[256] = "";
    const bool hadOverrides = GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides) > 0;
    SetEnvironmentVariableA("WINEDLLOVERRIDES", "mscoree,mshtml,hhctrl.ocx=");

    const Saver saver = MakeSettingsSaver("nohelp.scr");
    Sheet sheet = OpenSheet(saver);
    SetEnvironmentVariableA("WINEDLLOVERRIDES", hadOverrides ? overrides : nullptr);
    REQUIRE(sheet.Window != nullptr);
    HWND page = ShowPage(sheet, PageIndex(sheet, "Bounce"));
    SendMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(page, 1012)), TRUE);
    for (int i = 0; i < 2; ++i) {
        e2e::PressKey(VK_F1);
        e2e::PumpMessagesFor(500);
    }
    CHECK_EQ(RecordedNumber(HelpRecordKey, "Calls"), 0ul);
    DWORD_PTR answer = 0;
    CHECK(SendMessageTimeoutA(sheet.Window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0);
    int windows = 0;
    for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(top, &owner);
        windows += owner == sheet.Process.Id && IsWindowVisible(top);
    }
    CHECK_EQ(windows, 1);
    MoveSlider(page, 1012, 6);
    CHECK(Close(sheet, IDOK));
    SaverSettings stored;
    REQUIRE(StoredRecord(saver, &stored));
    CHECK_EQ(stored.BounceSpeed, 6);
}

TEST_CASE(a_damaged_package_is_reported_and_nothing_is_stored)
{
    const Saver saver = MakeSettingsSaver("damaged.scr");
    std::vector<uint8_t> bytes = e2e::ReadWholeFile(saver.Path);
    bytes[bytes.size() - 12] ^= 1;  // the magic
    REQUIRE(e2e::WriteWholeFile(saver.Path, bytes));
    Sheet sheet = OpenSheet(saver, "/c", "Screensaver");
    REQUIRE(sheet.Window != nullptr);
    CHECK_EQ(e2e::MessageBoxText(sheet.Window), "This Screensaver is corrupt!");
    e2e::PressDialogButton(sheet.Window, IDOK);
    CHECK(EndsWith(sheet, 1));
    SaverSettings stored;
    CHECK(!StoredRecord(saver, &stored));
}

TEST_MAIN()
