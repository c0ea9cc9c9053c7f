// The settings pages against Wine's real dialog manager and common controls: what the pages show of the record and
// write back, the About texts and link label, and the Preview button's window. The runtime here counts its GDI objects.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include "win/engine_fixture.h"

#include <commctrl.h>
#include "settings_ui/page_map.h"
#include "settings_ui/settings_ui.h"

namespace {

void UseRecord()
{
    UsePackage(40, 30, [](int32_t, int32_t) { return Red; });
    std::strcpy(PackageTrailer.SaverName, "Pages Test"), std::strcpy(PackageTrailer.Description, "What it shows & more");
    std::strcpy(PackageTrailer.WebAddress, "www.example.com");
    Settings->EnabledModes = ModeStatic | ModeBounce | ModeFalling, Settings->ChangeModeEnabled = 0;
    Settings->ChangeModeMinutes = 17, Settings->IgnoreInput = IgnoreKeys | IgnoreMovement, Settings->PlainDelayMs = 7000;
    Settings->BounceSpeed = 6, Settings->BounceGravity = 18, Settings->ManyDelayMs = 1100, Settings->FadeSpeed = 2;
    Settings->DripIntervalMs = 410, Settings->DripTile = 1, Settings->FallingSpeed = 13, Settings->FallingLogoCount = 22;
    Settings->FallingDirection = 12, Settings->FallingFadeInDistance = 0, Settings->BounceWrapSides = 0, Settings->FadeRandomPositions = 0;
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
    return CreateDialogParamA(nullptr, MAKEINTRESOURCEA(id), parent, SettingsPageProc, kind ? reinterpret_cast<LPARAM>(&record) : 0);
}

LRESULT Send(HWND page, int id, UINT message, WPARAM w = 0, LPARAM l = 0) { return SendDlgItemMessageA(page, id, message, w, l); }
std::string Text(HWND page, int id)
{
    char text[256] = "";
    return GetDlgItemTextA(page, id, text, sizeof text), text;
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
    default: return IsDlgButtonChecked(page, row.ControlId) == BST_CHECKED;
    }
}

}  // namespace

TEST_CASE("every bound control shows its field of the record and writes a change back")
{
    // page, control, value shown, value stored after the change, slider's maximum and tick count.
    // The change: a box clicked, a slider to its other end, 48 into a number, the direction Any.
    const struct { int32_t Kind; int Control; int32_t Shows, Stores, Maximum = 0, Ticks = 0; } rows[] = {
        {PageGeneral, IDC_CHANGE_MODE, 0, 1}, {PageGeneral, IDC_MINUTES, 17, 48},
        {PageGeneral, IDC_IGNORE_CLICKS, 0, IgnoreClicks | IgnoreMovement},  // all three: Keyboard dropped
        {PageGeneral, IDC_IGNORE_MOVEMENT, 1, IgnoreKeys}, {PageGeneral, IDC_IGNORE_KEYS, 1, IgnoreMovement},
        {ModeStatic, IDC_ENABLED, 1, 136}, {ModePlain, IDC_ENABLED, 0, 142}, {ModeFalling, IDC_ENABLED, 1, 10},
        {ModePlain, IDC_DELAY, 7, 15000, 15, 15},
        {ModeBounce, IDC_GRAVITY, 1, 0}, {ModeBounce, IDC_BOUNCE_SIDES, 1, 1}, {ModeBounce, IDC_SPEED, 6, 10, 10, 10},
        {ModeMany, IDC_DELAY, 11, 2600, 26, 6}, {ModeFade, IDC_RANDOM_POSITIONS, 0, 1}, {ModeFade, IDC_SPEED, 2, 5, 5, 5},
        {ModeDrip, IDC_TILE, 1, 0}, {ModeDrip, IDC_SPEED, 6, 10, 10, 2}, {ModeFalling, IDC_FADE_IN_DISTANCE, 0, 1},
        {ModeFalling, IDC_LOGO_COUNT_ARROWS, 22, 48}, {ModeFalling, IDC_DIRECTION, 12, 15},
        {ModeFalling, IDC_SPEED, 13, 25, 25, 7},
    };
    for (const auto& row : rows)
        for (const ControlBinding& binding : std::vector<ControlBinding>(PageBindings, PageBindings + PageBindingCount)) {
            if (binding.ControlId != row.Control || !BindingServesPage(binding, row.Kind))
                continue;
            CAPTURE(row.Control);
            UseRecord();
            HWND page = OpenPage(row.Kind);
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
                Send(page, row.Control, BM_CLICK);
            }
            SendMessageA(page, WMU_READBACK, 0, 0);
            CHECK_EQ(SettingsDialog.SettingsChanged, 1);
            CHECK_EQ(ReadBoundField(*Settings, binding), row.Stores);
            DestroyWindow(page);
        }
}

TEST_CASE("About shows the saver, OK only in the box; its link takes the browser's colours and underline, and a hover look")
{
    const char* const Main = "Software\\Microsoft\\Internet Explorer\\Main";
    const char* const Colours = "Software\\Microsoft\\Internet Explorer\\Settings";
    const auto set = [](const char* key, const char* name, const char* value) {
        value ? RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, value, DWORD(std::strlen(value) + 1))
              : RegDeleteKeyValueA(HKEY_CURRENT_USER, key, name);
    };
    const auto look = [](HWND page, bool& underlined) {
        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HGDIOBJ>(Send(page, IDC_WEB_ADDRESS, WM_GETFONT)), sizeof font, &font);
        underlined = font.lfUnderline != 0;
        HDC dc = CreateCompatibleDC(nullptr);
        SendMessageA(page, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(GetDlgItem(page, IDC_WEB_ADDRESS)));
        const COLORREF colour = GetTextColor(dc);
        DeleteDC(dc);
        return colour;
    };
    const std::string fits = "10,20,30" + std::string(55, ' '), tooLong = fits + " ";
    // stored underline, colour, hover switch, hover colour; link and hover colours shown; underlined at rest, hovered
    const struct { const char *Underline, *Colour, *UseHover, *HoverColour; COLORREF Link, Hover; bool AtRest, Hovered; } rows[] = {
        {"hover", "0,0,128", "yes", "0,128,0", RGB(0, 0, 128), RGB(0, 128, 0), false, true},
        {"NO", "10,20,30", "no", "0,128,0", RGB(10, 20, 30), RGB(10, 20, 30), false, false},
        // A value of 63 characters is read; one of 64 does not fit its buffer.
        {nullptr, fits.c_str(), nullptr, nullptr, RGB(10, 20, 30), RGB(255, 0, 0), true, true},
        {nullptr, tooLong.c_str(), nullptr, nullptr, RGB(0, 0, 255), RGB(255, 0, 0), true, true},
        {"no", nullptr, nullptr, nullptr, RGB(0, 0, 255), RGB(255, 0, 0), true, true},  // the underline is read once
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Colour ? row.Colour : "nothing stored"));
        set(Main, "Anchor Underline", row.Underline), set(Colours, "Anchor Color", row.Colour);
        set(Colours, "Use Anchor Hover Color", row.UseHover), set(Colours, "Anchor Color Hover", row.HoverColour);
        LinkLabel = {RGB(0, 0, 255), RGB(255, 0, 0), &row == rows + 4 ? LinkLabel.LinkUnderlineMode : -1, FALSE, nullptr};
        UseRecord();
        const int before = LiveGdiObjects();
        HWND page = OpenPage(&row == rows ? 0 : PageAbout), label = GetDlgItem(page, IDC_WEB_ADDRESS);  // the box, then the page
        CHECK_EQ(Text(page, IDC_SAVER_NAME) + "|" + Text(page, IDC_DESCRIPTION), "Pages Test|What it shows & more");
        CHECK_EQ((GetWindowLongPtrA(GetDlgItem(page, IDC_ABOUT_OK), GWL_STYLE) & WS_VISIBLE) != 0, &row == rows);
        bool underlined;
        for (int y : {-1, 2, 200}) {  // at rest, onto the text, off it again
            CAPTURE(y);
            if (y >= 0)
                SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(2, y));
            const bool on = y == 2;
            CHECK_EQ(look(page, underlined), on ? row.Hover : row.Link);
            CHECK_EQ(underlined, on ? row.Hovered : row.AtRest);
        }
        DestroyWindow(page);
        CHECK_EQ(LiveGdiObjects(), before);
    }
    set(Main, "Anchor Underline", nullptr);
}

TEST_CASE("Preview shows the page's mode with its unsaved values over the desktop, one at a time, then puts the record back")
{
    UseRecord();
    const SaverSettings before = *Settings;
    HWND page = OpenPage(ModeBounce);
    Send(page, IDC_PREVIEW, BM_CLICK);  // the first preview registers its class, whose brush lives on
    DestroyWindow(FindWindowA("WindowsScreenSaverClassPreview", nullptr));
    const int objects = LiveGdiObjects();
    Send(page, IDC_SPEED, TBM_SETPOS, TRUE, 9);
    Send(page, IDC_PREVIEW, BM_CLICK);
    Send(page, IDC_PREVIEW, BM_CLICK);  // pressed again while it shows, as on a second monitor: no other preview
    int previews = 0;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM count) {
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        *reinterpret_cast<int*>(count) += std::strcmp(name, "WindowsScreenSaverClassPreview") == 0;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&previews));
    CHECK_EQ(previews, 1);
    HWND preview = FindWindowA("WindowsScreenSaverClassPreview", nullptr);
    REQUIRE(preview != nullptr);
    CHECK((Engine.SettingsPreview && Engine.CurrentMode == ModeBounce && Settings->EnabledModes == ModeBounce));
    CHECK_EQ(Settings->BounceSpeed, 9);
    CHECK_EQ(Settings->BounceGravity, 27);
    CHECK_EQ(SettingsDialog.SettingsChanged, 1);
    DestroyWindow(preview);
    CHECK_EQ(LiveGdiObjects(), objects);
    CHECK(std::memcmp(Settings, &before, sizeof before) == 0);
    CHECK_EQ(Send(page, IDC_SPEED, TBM_GETPOS), 9);  // the page still shows it, for OK to store
    DestroyWindow(page);
}


TEST_CASE("the link is drawn over the page's own background")
{
    UseRecord();
    HWND page = OpenPage(PageAbout), label = GetDlgItem(page, IDC_WEB_ADDRESS);
    // The page paints green beneath its controls, as a themed page paints its lighter texture.
    static WNDPROC pageProc;
    pageProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(
        +[](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message != WM_ERASEBKGND)
                return CallWindowProcA(pageProc, window, message, wParam, lParam);
            RECT all;
            GetClientRect(window, &all);
            SetDCBrushColor(reinterpret_cast<HDC>(wParam), Green);
            FillRect(reinterpret_cast<HDC>(wParam), &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            return 1;
        })));
    ShowWindow(GetParent(page), SW_SHOWNOACTIVATE), ShowWindow(page, SW_SHOWNOACTIVATE);
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT area;
    GetClientRect(label, &area);
    HDC dc = GetDC(label);
    CHECK_EQ(GetPixel(dc, area.right - 2, area.bottom / 2), Green);  // beyond the end of the address's text
    ReleaseDC(label, dc);
    ShowWindow(GetParent(page), SW_HIDE);
    DestroyWindow(page);
}

// Wine takes the screen's DPI when a program starts: each DPI runs this case again in a child of the test.
TEST_CASE("every static text of every page fits its control in the control's font at 96 144 and 192 DPI")
{
    if (const char* dpi = std::getenv("GLIMMORA_PAGES_DPI")) {
        REQUIRE_EQ(GetDeviceCaps(GetDC(nullptr), LOGPIXELSY), std::atoi(dpi));
        UseRecord();
        SheetPage pages[MaximumSheetPages];
        for (int i = BuildSheetPages(0, pages) - 1; i >= 0; --i) {
            HWND page = OpenPage(pages[i].Kind);
            EnumChildWindows(page, [](HWND control, LPARAM) -> BOOL {
                char kind[16] = "", text[256] = "";
                const LONG style = GetWindowLongA(control, GWL_STYLE);
                GetClassNameA(control, kind, sizeof kind), GetWindowTextA(control, text, sizeof text);
                RECT needs = {}, has;
                HDC dc = GetDC(control);  // the control's own font, which the dialog made at this DPI
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
                DrawTextA(dc, text, -1, &needs, DT_CALCRECT | DT_SINGLELINE | (style & SS_NOPREFIX ? DT_NOPREFIX : 0));
                ReleaseDC(control, dc), GetClientRect(control, &has);
                if (lstrcmpiA(kind, "Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT)
                    CHECK_MESSAGE(needs.right <= has.right, std::string(text), " needs ", needs.right, " pixels, has ", has.right);
                return TRUE;
            }, 0);
            DestroyWindow(page);
        }
        return;
    }
    char program[MAX_PATH], line[MAX_PATH + 80];
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::snprintf(line, sizeof line, "\"%s\" --minimal --test-case=every*static*text*", program);
    for (const DWORD dpi : {96, 144, 192, 96}) {  // the last puts Wine's own back
        RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi, sizeof dpi);
        SetEnvironmentVariableA("GLIMMORA_PAGES_DPI", std::to_string(dpi).c_str());
        CHECK_MESSAGE(std::system(line) == 0, dpi, " DPI");
    }
    SetEnvironmentVariableA("GLIMMORA_PAGES_DPI", nullptr);
}
