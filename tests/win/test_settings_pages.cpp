// The settings pages in this process against Wine's real dialog manager and
// common controls: what the pages show of the record and write back, their
// enabling rules, the About texts, fonts and link label, and the Preview
// button's window. The runtime here counts its GDI objects.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include "win/engine_fixture.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "settings_ui/page_map.h"
#include "settings_ui/settings_ui.h"

namespace {

void UseRecord(void (*change)(SaverSettings*) = nullptr)
{
    UsePackage(40, 30, [](int32_t, int32_t) { return Red; });
    std::strcpy(PackageTrailer.SaverName, "Pages Test");
    std::strcpy(PackageTrailer.Description, "What it shows & more");
    std::strcpy(PackageTrailer.WebAddress, "www.example.com");
    Settings->EnabledModes = ModeStatic | ModeBounce | ModeFalling, Settings->ChangeModeEnabled = 0;
    Settings->ChangeModeMinutes = 17, Settings->IgnoreInput = IgnoreKeys | IgnoreMovement, Settings->PlainDelayMs = 7000;
    Settings->BounceSpeed = 6, Settings->BounceGravity = 18, Settings->ManyDelayMs = 1100, Settings->FadeSpeed = 2;
    Settings->DripIntervalMs = 410, Settings->DripTile = 1, Settings->FallingSpeed = 13, Settings->FallingLogoCount = 22;
    Settings->FallingDirection = 12, Settings->FallingFadeInDistance = 0, Settings->BounceWrapSides = 0;
    Settings->FadeRandomPositions = 0;
    if (change)
        change(Settings);
    SettingsDialog = {};
}

// A page as the sheet creates it: its creation record carries the kind. Kind 0 is the About box.
HWND OpenPage(int32_t kind)
{
    static HWND parent = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr, nullptr, nullptr);
    SheetPage pages[MaximumSheetPages];
    uint16_t id = IDD_ABOUT;
    for (int i = BuildSheetPages(0, pages) - 1; i >= 0; --i)
        id = pages[i].Kind == kind ? pages[i].Template : id;
    PROPSHEETPAGEA record = {};
    record.dwSize = sizeof record, record.lParam = kind;
    return CreateDialogParamA(nullptr, MAKEINTRESOURCEA(id), parent, SettingsPageProc,
                              kind ? reinterpret_cast<LPARAM>(&record) : 0);
}

LRESULT Send(HWND page, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendDlgItemMessageA(page, id, message, wParam, lParam);
}
bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
bool Shown(HWND page, int id) { return (GetWindowLongPtrA(GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE) != 0; }
void Click(HWND page, int id) { Send(page, id, BM_CLICK); }
std::string Text(HWND page, int id)
{
    char text[256] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

// What a bound control shows, as its binding counts.
int32_t ControlValue(HWND page, const ControlBinding& row)
{
    switch (row.Role) {
    case Binding::Slider: return static_cast<int32_t>(Send(page, row.ControlId, TBM_GETPOS));
    case Binding::NumberText: return static_cast<int32_t>(GetDlgItemInt(page, row.ControlId, nullptr, FALSE));
    case Binding::ArrowCount: return static_cast<int16_t>(Send(page, row.ControlId, UDM_GETPOS));
    case Binding::DirectionList:
        return static_cast<int32_t>(Send(page, row.ControlId, CB_GETITEMDATA, Send(page, row.ControlId, CB_GETCURSEL)));
    default: return Checked(page, row.ControlId);
    }
}

HWND PreviewWindow() { return FindWindowA("WindowsScreenSaverClassPreview", nullptr); }

}  // namespace

TEST_CASE("every bound control shows its field of the record and writes a change back")
{
    // The change: a box clicked, a slider to its other end, 48 into a number, the direction Any.
    const struct { int32_t Kind; int Control; int32_t Shows, Stores, Maximum = 0, Ticks = 0; } rows[] = {
        {PageGeneral, IDC_CHANGE_MODE, 0, 1}, {PageGeneral, IDC_MINUTES, 17, 48},
        {PageGeneral, IDC_IGNORE_CLICKS, 0, IgnoreClicks | IgnoreMovement},  // all three: Keyboard dropped
        {PageGeneral, IDC_IGNORE_MOVEMENT, 1, IgnoreKeys}, {PageGeneral, IDC_IGNORE_KEYS, 1, IgnoreMovement},
        {ModeStatic, IDC_ENABLED, 1, 136}, {ModePlain, IDC_ENABLED, 0, 142}, {ModeBounce, IDC_ENABLED, 1, 130},
        {ModeMany, IDC_ENABLED, 0, 154}, {ModeFade, IDC_ENABLED, 0, 170}, {ModeDrip, IDC_ENABLED, 0, 202},
        {ModeFalling, IDC_ENABLED, 1, 10}, {ModePlain, IDC_DELAY, 7, 15000, 15, 15},
        {ModeBounce, IDC_GRAVITY, 1, 0}, {ModeBounce, IDC_BOUNCE_SIDES, 1, 1}, {ModeBounce, IDC_SPEED, 6, 10, 10, 10},
        {ModeMany, IDC_DELAY, 11, 2600, 26, 6}, {ModeFade, IDC_RANDOM_POSITIONS, 0, 1}, {ModeFade, IDC_SPEED, 2, 5, 5, 5},
        {ModeDrip, IDC_TILE, 1, 0}, {ModeDrip, IDC_SPEED, 6, 10, 10, 2}, {ModeFalling, IDC_FADE_IN_DISTANCE, 0, 1},
        {ModeFalling, IDC_LOGO_COUNT_ARROWS, 22, 48}, {ModeFalling, IDC_DIRECTION, 12, 15},
        {ModeFalling, IDC_SPEED, 13, 25, 25, 7},
    };
    int checked = 0;
    for (const auto& row : rows)
        for (const ControlBinding& binding : std::vector<ControlBinding>(PageBindings, PageBindings + PageBindingCount)) {
            if (binding.ControlId != row.Control || !BindingServesPage(binding, row.Kind))
                continue;
            CAPTURE(row.Kind);
            CAPTURE(row.Control);
            ++checked;
            UseRecord();
            HWND page = OpenPage(row.Kind);
            CHECK(Enabled(page, row.Kind == PageGeneral ? IDC_MINUTES : IDC_PREVIEW));  // the rules wait for a command
            CHECK_EQ(Shown(page, IDC_HIDE_OPTIONS), false);
            const int32_t shown = ControlValue(page, binding);
            CHECK_EQ(shown, row.Shows);
            if (binding.Role == Binding::Slider) {
                CHECK_EQ(Send(page, row.Control, TBM_GETRANGEMIN), 1);
                CHECK_EQ(Send(page, row.Control, TBM_GETRANGEMAX), row.Maximum);
                CHECK_EQ(Send(page, row.Control, TBM_GETNUMTICS), row.Ticks);  // both ends and the multiples between
                Send(page, row.Control, TBM_SETPOS, TRUE, shown == row.Maximum ? 1 : row.Maximum);
            } else if (binding.Role == Binding::NumberText || binding.Role == Binding::ArrowCount) {
                SetDlgItemInt(page, binding.Role == Binding::NumberText ? row.Control : IDC_LOGO_COUNT, 48, FALSE);
            } else if (binding.Role == Binding::DirectionList) {
                Send(page, row.Control, CB_SETCURSEL, DirectionCount - 1);
            } else {
                Click(page, row.Control);
            }
            CHECK_EQ(SettingsDialog.SettingsChanged, 0);
            SendMessageA(page, WMU_READBACK, 0, 0);
            CHECK_EQ(SettingsDialog.SettingsChanged, 1);
            CHECK_EQ(ReadBoundField(*Settings, binding), row.Stores);
            DestroyWindow(page);
        }
    CHECK_EQ(checked, PageBindingCount + 6 - 2);  // Enabled on all 7 mode pages; no ClearField or arrows' range
}

TEST_CASE("number boxes store what they hold; the logos box only a whole number from 1 to 50, else the last count")
{
    const struct { int32_t Kind; int Control; const char* Text; int32_t SaverSettings::*Field; int32_t Stored; } rows[] = {
        {PageGeneral, IDC_MINUTES, "", &SaverSettings::ChangeModeMinutes, 0},
        {PageGeneral, IDC_MINUTES, "75", &SaverSettings::ChangeModeMinutes, 75},
        {ModeFalling, IDC_LOGO_COUNT, "7", &SaverSettings::FallingLogoCount, 7},
        {ModeFalling, IDC_LOGO_COUNT, "50", &SaverSettings::FallingLogoCount, 50},
        {ModeFalling, IDC_LOGO_COUNT, "51", &SaverSettings::FallingLogoCount, 22},
        {ModeFalling, IDC_LOGO_COUNT, "0", &SaverSettings::FallingLogoCount, 22},
        {ModeFalling, IDC_LOGO_COUNT, "", &SaverSettings::FallingLogoCount, 22},
        {ModeFalling, IDC_LOGO_COUNT, "abc", &SaverSettings::FallingLogoCount, 22},
        {ModeFalling, IDC_LOGO_COUNT, "-5", &SaverSettings::FallingLogoCount, 22},
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Text));
        UseRecord();
        HWND page = OpenPage(row.Kind);
        SetDlgItemTextA(page, row.Control, row.Text);
        SendMessageA(page, WMU_READBACK, 0, 0);
        CHECK_EQ(Settings->*row.Field, row.Stored);
        DestroyWindow(page);
    }
    // Values no control can show: the nearest end, and no direction at all.
    UseRecord([](SaverSettings* s) { s->FallingLogoCount = 70, s->FallingDirection = 5, s->FallingSpeed = 0; });
    HWND falling = OpenPage(ModeFalling);
    CHECK_EQ(Send(falling, IDC_DIRECTION, CB_GETCURSEL), -1);
    for (int i = 0; i < DirectionCount; ++i) {  // the directions in list order, each with its data
        char text[32] = "";
        Send(falling, IDC_DIRECTION, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        CHECK_EQ(std::string(text), DirectionItems[i].Text);
        CHECK_EQ(Send(falling, IDC_DIRECTION, CB_GETITEMDATA, i), DirectionItems[i].Direction);
    }
    NMHDR apply = {GetParent(falling), 0, static_cast<UINT>(PSN_APPLY)};  // the sheet's apply reads back too
    CHECK_EQ(SendMessageA(falling, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply)), PSNRET_NOERROR);
    CHECK_EQ(Settings->FallingLogoCount, 50);
    CHECK_EQ(Settings->FallingDirection, 5);
    CHECK_EQ(Settings->FallingSpeed, 1);
    DestroyWindow(falling);
}

TEST_CASE("enabling rules follow the boxes from the first command on")
{
    // Unchecked Enabled leaves the rest enabled until the first command; then all but Enabled are disabled.
    UseRecord([](SaverSettings* s) { s->EnabledModes = 0, s->ChangeModeEnabled = 1, s->IgnoreInput = IgnoreKeys | IgnoreClicks; });
    HWND fade = OpenPage(ModeFade);
    CHECK((Enabled(fade, IDC_SPEED) && Enabled(fade, IDC_PREVIEW)));
    Click(fade, IDC_RANDOM_POSITIONS);
    int enabled = 0;
    for (HWND child = GetWindow(fade, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        enabled += IsWindowEnabled(child) && GetDlgCtrlID(child) != IDC_ENABLED && GetDlgCtrlID(child) != IDC_HIDE_OPTIONS;
    CHECK_EQ(enabled, 0);
    // Enabled and the hidden box exclude each other.
    CheckDlgButton(fade, IDC_HIDE_OPTIONS, BST_CHECKED);
    Click(fade, IDC_ENABLED);
    CHECK((Checked(fade, IDC_ENABLED) && !Checked(fade, IDC_HIDE_OPTIONS)));
    CHECK((Enabled(fade, IDC_SPEED) && Enabled(fade, IDC_RANDOM_POSITIONS) && Enabled(fade, IDC_PREVIEW)));
    Click(fade, IDC_HIDE_OPTIONS);
    CHECK((!Checked(fade, IDC_ENABLED) && !Enabled(fade, IDC_SPEED)));
    DestroyWindow(fade);
    // General: the minutes follow their box; all three ignore boxes drop Keyboard.
    HWND general = OpenPage(PageGeneral);
    Click(general, IDC_CHANGE_MODE);
    CHECK((!Enabled(general, IDC_MINUTES) && !Enabled(general, IDC_MINUTES_ARROWS) && !Enabled(general, IDC_MINUTES_LABEL)));
    Click(general, IDC_CHANGE_MODE);
    CHECK((Enabled(general, IDC_MINUTES) && Checked(general, IDC_IGNORE_KEYS)));
    Click(general, IDC_IGNORE_MOVEMENT);
    CHECK((!Checked(general, IDC_IGNORE_KEYS) && Checked(general, IDC_IGNORE_CLICKS) && Checked(general, IDC_IGNORE_MOVEMENT)));
    DestroyWindow(general);
    // Bounce: the sides box is usable exactly while Gravity is checked, from the start.
    UseRecord([](SaverSettings* s) { s->BounceGravity = 0; });
    HWND bounce = OpenPage(ModeBounce);
    CHECK((!Enabled(bounce, IDC_BOUNCE_SIDES) && !Checked(bounce, IDC_BOUNCE_SIDES)));
    Click(bounce, IDC_GRAVITY);
    CHECK(Enabled(bounce, IDC_BOUNCE_SIDES));
    Click(bounce, IDC_GRAVITY);
    CHECK(!Enabled(bounce, IDC_BOUNCE_SIDES));
    DestroyWindow(bounce);
}

TEST_CASE("About shows the saver in the sheet and as a box, with OK only in the box, and releases its fonts")
{
    UseRecord();
    LinkLabel.LinkUnderlineMode = -1;
    const int before = LiveGdiObjects();
    for (int32_t kind : {PageAbout, 0}) {
        CAPTURE(kind);
        HWND page = OpenPage(kind);
        CHECK_EQ(Text(page, IDC_SAVER_NAME), "Pages Test");
        CHECK_EQ(Text(page, IDC_DESCRIPTION), "What it shows & more");
        CHECK_EQ(Text(page, IDC_WEB_ADDRESS), "www.example.com");
        CHECK_EQ(Shown(page, IDC_ABOUT_OK), kind == 0);
        CHECK_EQ(GetWindowLongPtrA(page, GWLP_USERDATA), kind);
        LOGFONTA name = {}, description = {};
        GetObjectA(reinterpret_cast<HGDIOBJ>(Send(page, IDC_SAVER_NAME, WM_GETFONT)), sizeof name, &name);
        GetObjectA(reinterpret_cast<HGDIOBJ>(Send(page, IDC_DESCRIPTION, WM_GETFONT)), sizeof description, &description);
        CHECK_EQ(name.lfWeight, 700);
        CHECK(description.lfWeight < 700);
        CHECK_EQ(std::string(name.lfFaceName), description.lfFaceName);
        // Hovering on and off makes a new font each time; only the newest lives.
        const int opened = LiveGdiObjects();
        for (int i = 0; i < 5; ++i) {
            Send(page, IDC_WEB_ADDRESS, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
            Send(page, IDC_WEB_ADDRESS, WM_MOUSEMOVE, 0, MAKELPARAM(2, 200));
        }
        CHECK_EQ(LiveGdiObjects(), opened);
        DestroyWindow(page);
        CHECK_EQ(LiveGdiObjects(), before);
    }
    char caption[64] = "";
    HWND box = OpenPage(0);
    GetWindowTextA(box, caption, sizeof caption);
    CHECK_EQ(std::string(caption), "About Glimmora Screensaver");
    DestroyWindow(box);
    // Only spaces: no link text. A name filling its whole slot stays inside it.
    std::memset(PackageTrailer.WebAddress, ' ', sizeof PackageTrailer.WebAddress - 1);
    std::memset(PackageTrailer.SaverName, 'N', sizeof PackageTrailer.SaverName);
    HWND page = OpenPage(PageAbout);
    CHECK_EQ(Text(page, IDC_WEB_ADDRESS), "");
    CHECK_EQ(Text(page, IDC_SAVER_NAME), std::string(64, 'N'));
    DestroyWindow(page);
}

TEST_CASE("the link label takes the browser's colours and underline, and its hover look while the mouse is on it")
{
    const char* const Main = "Software\\Microsoft\\Internet Explorer\\Main";
    const char* const Colours = "Software\\Microsoft\\Internet Explorer\\Settings";
    const auto set = [](const char* key, const char* name, const char* value) {
        HKEY handle;
        RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr);
        value ? RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD(std::strlen(value) + 1))
              : RegDeleteValueA(handle, name);
        RegCloseKey(handle);
    };
    const auto look = [](HWND page, bool& underlined) {
        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HGDIOBJ>(Send(page, IDC_WEB_ADDRESS, WM_GETFONT)), sizeof font, &font);
        underlined = font.lfUnderline != 0;
        HDC dc = CreateCompatibleDC(nullptr);
        SetTextColor(dc, RGB(1, 2, 3));
        const bool brush = SendMessageA(page, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(GetDlgItem(page, IDC_WEB_ADDRESS)));
        const COLORREF colour = brush ? GetTextColor(dc) : CLR_INVALID;
        DeleteDC(dc);
        return colour;
    };
    const std::string fits = "10,20,30" + std::string(55, ' '), tooLong = fits + " ";
    const struct { const char *Underline, *Colour, *UseHover, *HoverColour; COLORREF Link, Hover; bool AtRest, Hovered; } rows[] = {
        {nullptr, nullptr, nullptr, nullptr, RGB(0, 0, 255), RGB(255, 0, 0), true, true},
        {"hover", "0,0,128", "yes", "0,128,0", RGB(0, 0, 128), RGB(0, 128, 0), false, true},
        {"NO", "10,20,30", "no", "0,128,0", RGB(10, 20, 30), RGB(10, 20, 30), false, false},
        {"yes", "128,0", nullptr, "0,128,0", RGB(128, 0, 0), RGB(255, 0, 0), true, true},  // no hover setting keeps red
        // A value of 63 characters is read; one of 64 does not fit its buffer.
        {nullptr, fits.c_str(), nullptr, nullptr, RGB(10, 20, 30), RGB(255, 0, 0), true, true},
        {nullptr, tooLong.c_str(), nullptr, nullptr, RGB(0, 0, 255), RGB(255, 0, 0), true, true},
        {"no", nullptr, nullptr, nullptr, RGB(0, 0, 255), RGB(255, 0, 0), true, true},  // the underline is read once
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Colour ? row.Colour : "nothing stored"));
        set(Main, "Anchor Underline", row.Underline);
        set(Colours, "Anchor Color", row.Colour);
        set(Colours, "Use Anchor Hover Color", row.UseHover);
        set(Colours, "Anchor Color Hover", row.HoverColour);
        LinkLabel = {RGB(0, 0, 255), RGB(255, 0, 0), &row == rows + 6 ? LinkLabel.LinkUnderlineMode : -1, FALSE, nullptr};
        UseRecord();
        HWND page = OpenPage(PageAbout), label = GetDlgItem(page, IDC_WEB_ADDRESS);
        CHECK((GetWindowLongPtrA(label, GWL_STYLE) & SS_NOTIFY) != 0);
        bool underlined;
        RECT client;
        GetClientRect(label, &client);
        // At rest, onto the text (hover look and the capture), off it again.
        for (int x : {-1, 2, int(client.right - 1)}) {
            CAPTURE(x);
            if (x >= 0)
                SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(x, 2));
            const bool on = x == 2;
            CHECK_EQ(look(page, underlined), on ? row.Hover : row.Link);
            CHECK_EQ(underlined, on ? row.Hovered : row.AtRest);
            CHECK_EQ(GetCapture() == label, on);
            CHECK_EQ(LinkLabel.LinkHovering != FALSE, on);
        }
        DestroyWindow(page);
    }
    set(Main, "Anchor Underline", nullptr);
}

TEST_CASE("Preview shows the page's mode with its unsaved values over the desktop, then puts the record back")
{
    UseRecord();
    const SaverSettings before = *Settings;
    HWND page = OpenPage(ModeBounce);
    Send(page, IDC_SPEED, TBM_SETPOS, TRUE, 9);
    Click(page, IDC_PREVIEW);
    Click(page, IDC_PREVIEW);  // overlapping previews: only the first knows the record as it was
    HWND preview = PreviewWindow();
    REQUIRE(preview != nullptr);
    CHECK(GetWindow(preview, GW_OWNER) == GetAncestor(page, GA_ROOT));
    RECT area, desktop;
    GetWindowRect(preview, &area);
    GetWindowRect(GetDesktopWindow(), &desktop);
    CHECK(EqualRect(&area, &desktop));
    CHECK((Engine.SettingsPreview && Engine.CurrentMode == ModeBounce && Settings->EnabledModes == ModeBounce));
    CHECK_EQ(Settings->BounceSpeed, 9);
    CHECK_EQ(Settings->BounceGravity, 27);
    CHECK_EQ(SettingsDialog.SettingsChanged, 1);
    CHECK_EQ(SendMessageA(preview, WM_KEYDOWN, VK_SPACE, 0), 1);  // swallowed in the first half second
    for (const DWORD start = GetTickCount(); Engine.InputGrace && GetTickCount() - start < 30000;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT)
            DispatchMessageA(&message);
        Sleep(20);
    }
    SendMessageA(preview, WM_KEYDOWN, VK_SPACE, 0);  // this record ignores keys; a click closes the preview
    CHECK(IsWindow(preview));
    SendMessageA(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    CHECK(!IsWindow(preview));
    MSG quit;
    CHECK(!PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    DestroyWindow(PreviewWindow());
    CHECK(std::memcmp(Settings, &before, sizeof before) == 0);
    CHECK_EQ(Send(page, IDC_SPEED, TBM_GETPOS), 9);  // the page still shows it, for OK to store
    DestroyWindow(page);
}

TEST_CASE("Preview of a disabled page shows its mode; a second preview holds no more GDI objects than the first")
{
    UseRecord([](SaverSettings* s) { s->EnabledModes = ModePlain | ModeMany; });
    const SaverSettings before = *Settings;
    HWND page = OpenPage(ModeStatic);
    int afterFirst = 0;
    for (int run = 0; run < 4; ++run) {
        Click(page, IDC_PREVIEW);
        REQUIRE(PreviewWindow() != nullptr);
        CHECK((Settings->EnabledModes == ModeStatic && Engine.CurrentMode == ModeStatic));
        // The read-back's rules disabled the page, Preview included.
        CHECK((!Enabled(page, IDC_PREVIEW) && Enabled(page, IDC_ENABLED)));
        DestroyWindow(PreviewWindow());
        CHECK(std::memcmp(Settings, &before, sizeof before) == 0);
        afterFirst = run ? afterFirst : LiveGdiObjects();
    }
    CHECK_EQ(LiveGdiObjects(), afterFirst);
    DestroyWindow(page);
}

TEST_CASE("applying the sheet while a preview shows keeps the pages' values")
{
    UseRecord();
    HWND plain = OpenPage(ModePlain), fade = OpenPage(ModeFade);
    Send(fade, IDC_SPEED, TBM_SETPOS, TRUE, 5);
    Click(fade, IDC_PREVIEW);
    REQUIRE(PreviewWindow() != nullptr);
    CHECK_EQ(Settings->EnabledModes, ModeFade);
    NMHDR apply = {nullptr, 0, static_cast<UINT>(PSN_APPLY)};
    SendMessageA(plain, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply));
    SendMessageA(fade, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply));
    DestroyWindow(PreviewWindow());
    CHECK_EQ(Settings->FadeSpeed, 5);  // Fade's own value, and the other pages' bits as the record had them
    CHECK_EQ(Settings->EnabledModes, ModeStatic | ModeBounce | ModeFalling);
    DestroyWindow(plain);
    DestroyWindow(fade);
}
