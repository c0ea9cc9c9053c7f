#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
// The settings pages in this process against Wine's real dialog manager and
// common controls: what each page shows of the record, what it writes back,
// its enabling rules, the About texts and link label, the fonts it makes,
// and the Preview button's window. The runtime here counts its GDI objects.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "package/bmp_format.h"
#include "package/package.h"
#include "settings_ui/page_map.h"
#include "settings_ui/settings_ui.h"
#include <doctest.h>

int LiveGdiObjects();

namespace {

void UseRecord(void (*change)(SaverSettings*))
{
    FreePackageImage();
    ResetSettings();
    std::vector<uint32_t> pixels(40 * 30, 0xFF0000);
    const std::vector<uint8_t> logo = EncodeBmp24(40, 30, pixels.data());
    PackageImage = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED, logo.size()));
    std::memcpy(PackageImage, logo.data(), logo.size());
    PackageTrailer.ImageSize = static_cast<int32_t>(logo.size());
    PackageTrailer.BackgroundColor = RGB(0x20, 0x30, 0x40);
    std::strcpy(PackageTrailer.SaverName, "Pages Test");
    std::strcpy(PackageTrailer.Description, "Shows the pages");
    std::strcpy(PackageTrailer.WebAddress, "www.example.com");
    if (change)
        change(Settings);
    SettingsDialog = {};
}

HWND Parent()
{
    static HWND parent;
    if (!parent)
        parent = CreateWindowExA(0, "Static", "pages", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    return parent;
}

uint16_t TemplateOf(int32_t kind)
{
    SheetPage pages[MaximumSheetPages];
    const int count = BuildSheetPages(0, pages);
    for (int i = 0; i < count; ++i)
        if (pages[i].Kind == kind)
            return pages[i].Template;
    return 0;
}

// A page as the sheet creates it: its creation record carries the kind.
HWND OpenPage(int32_t kind)
{
    PROPSHEETPAGEA record = {};
    record.dwSize = sizeof record;
    record.lParam = kind;
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(TemplateOf(kind)), Parent(),
                              SettingsPageProc, reinterpret_cast<LPARAM>(&record));
}

HWND OpenAboutBox()
{
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), Parent(), SettingsPageProc, 0);
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

// Ticks a trackbar draws: both ends and every multiple of the frequency between.
int32_t ExpectedTicks(int32_t minimum, int32_t maximum, int32_t frequency)
{
    int32_t inside = 0;
    for (int32_t at = minimum + frequency; at < maximum; at += frequency)
        ++inside;
    return inside + 2;
}

void PumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (message.message == WM_QUIT)
                return;  // left for the test to see
            PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

bool QuitPosted()
{
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

void ExpectRecord(const SaverSettings& actual, const SaverSettings& expected)
{
    for (const SettingsField& field : SettingsFields) {
        INFO((field.Name));
        CHECK_EQ(ReadSettingsField(actual, field), ReadSettingsField(expected, field));
    }
}

void ShowcaseRecord(SaverSettings* s)
{
    s->EnabledModes = ModeStatic | ModeBounce | ModeFalling;
    s->ChangeModeEnabled = 0;
    s->ChangeModeMinutes = 17;
    s->IgnoreInput = IgnoreKeys | IgnoreMovement;
    s->PlainDelayMs = 7000;
    s->BounceSpeed = 6;
    s->BounceGravity = 18;
    s->BounceWrapSides = 0;
    s->ManyDelayMs = 1100;
    s->FadeSpeed = 2;
    s->FadeRandomPositions = 0;
    s->DripIntervalMs = 410;
    s->DripTile = 1;
    s->FallingSpeed = 13;
    s->FallingLogoCount = 22;
    s->FallingDirection = 12;
    s->FallingFadeInDistance = 0;
}

enum class Look { Checked, Enabled, Shown, Position, Minimum, Maximum, Ticks, Number, Selection, Items, Count };

int32_t LookAt(HWND page, int id, Look look)
{
    switch (look) {
    case Look::Checked: return Checked(page, id);
    case Look::Enabled: return Enabled(page, id);
    case Look::Shown: return Shown(page, id);
    case Look::Position: return static_cast<int32_t>(Send(page, id, TBM_GETPOS));
    case Look::Minimum: return static_cast<int32_t>(Send(page, id, TBM_GETRANGEMIN));
    case Look::Maximum: return static_cast<int32_t>(Send(page, id, TBM_GETRANGEMAX));
    case Look::Ticks: return static_cast<int32_t>(Send(page, id, TBM_GETNUMTICS));
    case Look::Number: return static_cast<int32_t>(GetDlgItemInt(page, id, nullptr, FALSE));
    case Look::Selection: return static_cast<int32_t>(Send(page, id, CB_GETCURSEL));
    case Look::Items: return static_cast<int32_t>(Send(page, id, CB_GETCOUNT));
    case Look::Count: return static_cast<int16_t>(Send(page, id, UDM_GETPOS) & 0xFFFF);
    }
    return -999;
}

}  // namespace

TEST_CASE("pages show the record")
{
    UseRecord(ShowcaseRecord);
    struct Probe { int32_t Kind; int Control; Look What; int32_t Expected; };
    const Probe probes[] = {
        {PageGeneral, 1021, Look::Checked, 0},   {PageGeneral, 1022, Look::Number, 17},
        {PageGeneral, 1025, Look::Checked, 1},   {PageGeneral, 1026, Look::Checked, 0},
        {PageGeneral, 1027, Look::Checked, 1},   {PageGeneral, 1018, Look::Shown, 0},
        // The rules wait for the first command: the minutes box starts enabled.
        {PageGeneral, 1022, Look::Enabled, 1},
        {ModeStatic, 1014, Look::Checked, 1},    {ModeStatic, 1018, Look::Shown, 0},
        {ModeStatic, 1030, Look::Shown, 1},
        {ModePlain, 1014, Look::Checked, 0},     {ModePlain, 1017, Look::Position, 7},
        {ModePlain, 1017, Look::Minimum, 1},     {ModePlain, 1017, Look::Maximum, 15},
        {ModePlain, 1017, Look::Ticks, ExpectedTicks(1, 15, 1)},
        // Unchecked Enabled leaves the rest enabled until the first command.
        {ModePlain, 1017, Look::Enabled, 1},     {ModePlain, 1030, Look::Enabled, 1},
        {ModeBounce, 1014, Look::Checked, 1},    {ModeBounce, 1012, Look::Position, 6},
        {ModeBounce, 1012, Look::Maximum, 10},   {ModeBounce, 1015, Look::Checked, 1},
        {ModeBounce, 1016, Look::Checked, 1},    {ModeBounce, 1016, Look::Enabled, 1},
        {ModeMany, 1017, Look::Position, 11},    {ModeMany, 1017, Look::Maximum, 26},
        {ModeMany, 1017, Look::Ticks, ExpectedTicks(1, 26, 5)},
        {ModeFade, 1012, Look::Position, 2},     {ModeFade, 1012, Look::Maximum, 5},
        {ModeFade, 1019, Look::Checked, 0},
        {ModeDrip, 1012, Look::Position, 6},     {ModeDrip, 1012, Look::Minimum, 1},
        {ModeDrip, 1012, Look::Maximum, 10},     {ModeDrip, 1012, Look::Ticks, ExpectedTicks(1, 10, 100)},
        {ModeDrip, 1040, Look::Checked, 1},
        {ModeFalling, 1014, Look::Checked, 1},   {ModeFalling, 1012, Look::Position, 13},
        {ModeFalling, 1012, Look::Maximum, 25},  {ModeFalling, 1012, Look::Ticks, ExpectedTicks(1, 25, 4)},
        {ModeFalling, 1042, Look::Number, 22},   {ModeFalling, 1043, Look::Count, 22},
        {ModeFalling, 1044, Look::Items, 7},     {ModeFalling, 1044, Look::Selection, 4},
        {ModeFalling, 1039, Look::Checked, 0},
    };
    for (const Probe& probe : probes) {
        CAPTURE(probe.Kind);
        CAPTURE(probe.Control);
        CAPTURE(static_cast<int>(probe.What));
        HWND page = OpenPage(probe.Kind);
        REQUIRE(page != nullptr);
        REQUIRE(GetDlgItem(page, probe.Control) != nullptr);
        CHECK_EQ(LookAt(page, probe.Control, probe.What), probe.Expected);
        DestroyWindow(page);
    }

    // The directions in list order, each with its data.
    HWND falling = OpenPage(ModeFalling);
    const char* const texts[] = {"Up", "Down", "Left", "Right", "Horizontal", "Vertical", "Any"};
    const int32_t data[] = {1, 2, 4, 8, 12, 3, 15};
    for (int i = 0; i < 7; ++i) {
        INFO((texts[i]));
        char text[32] = "";
        Send(falling, 1044, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        CHECK_EQ(std::string(text), texts[i]);
        CHECK_EQ(static_cast<int32_t>(Send(falling, 1044, CB_GETITEMDATA, static_cast<WPARAM>(i))), data[i]);
    }
    DestroyWindow(falling);

    // Gravity off: the sides box is unchecked and unusable from the start.
    UseRecord([](SaverSettings* s) { s->BounceGravity = 0; s->BounceWrapSides = 0; });
    HWND bounce = OpenPage(ModeBounce);
    CHECK(!Checked(bounce, 1016));
    CHECK(!Enabled(bounce, 1016));
    DestroyWindow(bounce);
}

TEST_CASE("pages write their controls back")
{
    struct Row {
        int32_t Kind;
        void (*Change)(HWND);
        void (*Expect)(SaverSettings*);
    };
    const Row rows[] = {
        {PageGeneral,
         [](HWND p) {
             Click(p, 1021);
             SetDlgItemTextA(p, 1022, "42");
             Click(p, 1026);
         },
         [](SaverSettings* s) {
             // Clicks completed all three boxes, so the rule dropped Keyboard.
             s->ChangeModeEnabled = 1; s->ChangeModeMinutes = 42; s->IgnoreInput = IgnoreClicks | IgnoreMovement;
         }},
        {PageGeneral, [](HWND p) { SetDlgItemTextA(p, 1022, ""); }, [](SaverSettings* s) { s->ChangeModeMinutes = 0; }},
        {PageGeneral, [](HWND p) { SetDlgItemTextA(p, 1022, "75"); }, [](SaverSettings* s) { s->ChangeModeMinutes = 75; }},
        {ModeStatic, [](HWND p) { Click(p, 1014); }, [](SaverSettings* s) { s->EnabledModes &= ~ModeStatic; }},
        {ModePlain,
         [](HWND p) { Click(p, 1014); Send(p, 1017, TBM_SETPOS, TRUE, 15); },
         [](SaverSettings* s) { s->EnabledModes |= ModePlain; s->PlainDelayMs = 15000; }},
        {ModeBounce,
         [](HWND p) { Send(p, 1012, TBM_SETPOS, TRUE, 9); Click(p, 1016); },
         [](SaverSettings* s) { s->BounceSpeed = 9; s->BounceGravity = 1; s->BounceWrapSides = 1; }},
        {ModeBounce,
         [](HWND p) { Click(p, 1015); },
         [](SaverSettings* s) { s->BounceGravity = 0; s->BounceWrapSides = 1; }},
        {ModeMany, [](HWND p) { Send(p, 1017, TBM_SETPOS, TRUE, 1); }, [](SaverSettings* s) { s->ManyDelayMs = 100; }},
        {ModeFade,
         [](HWND p) { Send(p, 1012, TBM_SETPOS, TRUE, 5); Click(p, 1019); },
         [](SaverSettings* s) { s->FadeSpeed = 5; s->FadeRandomPositions = 1; }},
        {ModeDrip,
         [](HWND p) { Send(p, 1012, TBM_SETPOS, TRUE, 10); Click(p, 1040); },
         [](SaverSettings* s) { s->DripIntervalMs = 10; s->DripTile = 0; }},
        {ModeFalling,
         [](HWND p) {
             Send(p, 1012, TBM_SETPOS, TRUE, 25);
             Send(p, 1043, UDM_SETPOS, 0, 48);
             Send(p, 1044, CB_SETCURSEL, 6);
             Click(p, 1039);
         },
         [](SaverSettings* s) {
             s->FallingSpeed = 25; s->FallingLogoCount = 48; s->FallingDirection = 15; s->FallingFadeInDistance = 1;
         }},
    };
    for (const Row& row : rows) {
        UseRecord(ShowcaseRecord);
        SaverSettings expected = *Settings;
        row.Expect(&expected);
        HWND page = OpenPage(row.Kind);
        REQUIRE(page != nullptr);
        row.Change(page);
        CHECK_EQ(SettingsDialog.SettingsChanged, 0);
        SendMessageA(page, WMU_READBACK, 0, 0);
        CHECK_EQ(SettingsDialog.SettingsChanged, 1);
        ExpectRecord(*Settings, expected);
        DestroyWindow(page);
    }

    // Values no control can show: the nearest end, and no direction at all.
    UseRecord([](SaverSettings* s) { s->FallingLogoCount = 70; s->FallingDirection = 5; s->FallingSpeed = 0; });
    HWND falling = OpenPage(ModeFalling);
    CHECK_EQ(static_cast<int32_t>(Send(falling, 1044, CB_GETCURSEL)), -1);
    SendMessageA(falling, WMU_READBACK, 0, 0);
    CHECK_EQ(Settings->FallingLogoCount, 50);
    CHECK_EQ(Settings->FallingDirection, 5);
    CHECK_EQ(Settings->FallingSpeed, 1);
    DestroyWindow(falling);

    // The sheet's apply notification reads back the same way.
    UseRecord(ShowcaseRecord);
    HWND page = OpenPage(ModeFade);
    Send(page, 1012, TBM_SETPOS, TRUE, 4);
    NMHDR apply = {GetParent(page), 0, static_cast<UINT>(PSN_APPLY)};
    CHECK_EQ(SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply)), static_cast<LRESULT>(PSNRET_NOERROR));
    CHECK_EQ(Settings->FadeSpeed, 4);
    CHECK_EQ(SettingsDialog.SettingsChanged, 1);
    DestroyWindow(page);
}

TEST_CASE("a logos box without a whole number from 1 to 50 stores the last valid count")
{
    struct Row { const char* Text; int32_t Stored; };
    const Row rows[] = {{"7", 7}, {"50", 50}, {"99", 22}, {"51", 22}, {"0", 22}, {"", 22}, {"abc", 22}, {"-5", 22}};
    for (const Row& row : rows) {
        INFO((std::string("\"") + row.Text + "\""));
        UseRecord(ShowcaseRecord);
        HWND page = OpenPage(ModeFalling);
        SetDlgItemTextA(page, 1042, row.Text);
        SendMessageA(page, WMU_READBACK, 0, 0);
        CHECK_EQ(Settings->FallingLogoCount, row.Stored);
        DestroyWindow(page);
    }
}

TEST_CASE("enabling rules follow the boxes from the first command on")
{
    // A mode page whose Enabled box is unchecked: a click on another box
    // disables everything but Enabled (and the hidden box); Enabled again
    // brings everything back.
    UseRecord([](SaverSettings* s) { s->EnabledModes = 0; });
    HWND fade = OpenPage(ModeFade);
    CHECK(Enabled(fade, 1012));
    Click(fade, 1019);
    for (int id : {1012, 1019, 1030}) {
        INFO(("after a click, control " + std::to_string(id)));
        CHECK(!Enabled(fade, id));
    }
    int labels = 0, disabledLabels = 0;
    for (HWND child = GetWindow(fade, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == -1 || GetDlgCtrlID(child) == 0xFFFF) {
            ++labels;
            disabledLabels += !IsWindowEnabled(child);
        }
    CHECK(labels > 0);
    CHECK_EQ(disabledLabels, labels);
    CHECK(Enabled(fade, 1014));
    Click(fade, 1014);
    for (int id : {1012, 1019, 1030}) {
        INFO(("after Enabled, control " + std::to_string(id)));
        CHECK(Enabled(fade, id));
    }
    DestroyWindow(fade);

    // Enabled and the hidden box exclude each other.
    HWND drip = OpenPage(ModeDrip);
    CheckDlgButton(drip, 1018, BST_CHECKED);
    Click(drip, 1014);
    CHECK(Checked(drip, 1014));
    CHECK(!Checked(drip, 1018));
    Click(drip, 1018);
    CHECK(!Checked(drip, 1014));
    CHECK(!Enabled(drip, 1012));
    DestroyWindow(drip);

    // General: the minutes follow their box; all three ignore boxes drop Keyboard.
    UseRecord([](SaverSettings* s) { s->ChangeModeEnabled = 1; s->IgnoreInput = IgnoreKeys | IgnoreClicks; });
    HWND general = OpenPage(PageGeneral);
    Click(general, 1021);
    for (int id : {1022, 1023, 1024}) {
        INFO(("minutes control " + std::to_string(id)));
        CHECK(!Enabled(general, id));
    }
    Click(general, 1021);
    CHECK(Enabled(general, 1022));
    CHECK(Checked(general, 1025));
    Click(general, 1027);
    CHECK(!Checked(general, 1025));
    CHECK(Checked(general, 1026));
    CHECK(Checked(general, 1027));
    DestroyWindow(general);

    // Bounce: the sides box is usable exactly while Gravity is checked.
    UseRecord([](SaverSettings* s) { s->EnabledModes = ModeBounce; s->BounceGravity = 1; });
    HWND bounce = OpenPage(ModeBounce);
    Click(bounce, 1015);
    CHECK(!Enabled(bounce, 1016));
    Click(bounce, 1015);
    CHECK(Enabled(bounce, 1016));
    DestroyWindow(bounce);
}

TEST_CASE("about shows the saver and hides ok only inside the sheet")
{
    UseRecord(nullptr);
    std::strcpy(PackageTrailer.SaverName, "Name Of The Saver");
    std::strcpy(PackageTrailer.Description, "What it shows & more");
    HWND page = OpenPage(PageAbout);
    REQUIRE(page != nullptr);
    CHECK_EQ(Text(page, 1035), "Name Of The Saver");
    CHECK_EQ(Text(page, 1036), "What it shows & more");
    CHECK_EQ(Text(page, 1037), "www.example.com");
    CHECK(!Shown(page, 1029));
    CHECK_EQ(GetWindowLongPtrA(page, GWLP_USERDATA), static_cast<LONG_PTR>(PageAbout));
    LOGFONTA name = {}, description = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(Send(page, 1035, WM_GETFONT)), sizeof name, &name);
    GetObjectA(reinterpret_cast<HGDIOBJ>(Send(page, 1036, WM_GETFONT)), sizeof description, &description);
    CHECK_EQ(name.lfWeight, 700L);
    CHECK(description.lfWeight < 700);
    CHECK_EQ(std::string(name.lfFaceName), std::string(description.lfFaceName));
    DestroyWindow(page);

    HWND box = OpenAboutBox();
    REQUIRE(box != nullptr);
    CHECK(Shown(box, 1029));
    CHECK_EQ(GetWindowLongPtrA(box, GWLP_USERDATA), 0);
    CHECK_EQ(Text(box, 1035), "Name Of The Saver");
    char caption[64] = "";
    GetWindowTextA(box, caption, sizeof caption);
    CHECK_EQ(std::string(caption), "About Glimmora Screensaver");
    DestroyWindow(box);

    // Only spaces: no link text. A name filling its whole slot stays inside it.
    std::memset(PackageTrailer.WebAddress, ' ', sizeof PackageTrailer.WebAddress - 1);
    std::memset(PackageTrailer.SaverName, 'N', sizeof PackageTrailer.SaverName);
    page = OpenPage(PageAbout);
    CHECK_EQ(Text(page, 1037), "");
    CHECK_EQ(Text(page, 1035), std::string(64, 'N'));
    DestroyWindow(page);
}

TEST_CASE("about fonts are released with the page")
{
    UseRecord(nullptr);
    LinkLabel.LinkUnderlineMode = -1;
    const int before = LiveGdiObjects();
    HWND page = OpenPage(PageAbout);
    REQUIRE(page != nullptr);
    HWND label = GetDlgItem(page, 1037);
    CHECK(LiveGdiObjects() > before);
    // Hovering on and off makes a new font each time; only the newest lives.
    const int opened = LiveGdiObjects();
    for (int i = 0; i < 5; ++i) {
        SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(2, 200));
    }
    CHECK_EQ(LiveGdiObjects(), opened);
    DestroyWindow(page);
    CHECK_EQ(LiveGdiObjects(), before);
    CHECK(LinkLabel.LinkFont == nullptr);

    HWND box = OpenAboutBox();
    DestroyWindow(box);
    CHECK_EQ(LiveGdiObjects(), before);
}

namespace {

const char* const BrowserMain = "Software\\Microsoft\\Internet Explorer\\Main";
const char* const BrowserSettings = "Software\\Microsoft\\Internet Explorer\\Settings";

void SetBrowserValue(const char* key, const char* name, const char* value)
{
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return;
    if (value)
        RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(std::strlen(value) + 1));
    else
        RegDeleteValueA(handle, name);
    RegCloseKey(handle);
}

void ClearBrowserValues()
{
    SetBrowserValue(BrowserMain, "Anchor Underline", nullptr);
    for (const char* name : {"Anchor Color", "Use Anchor Hover Color", "Anchor Color Hover"})
        SetBrowserValue(BrowserSettings, name, nullptr);
}

bool LabelUnderlined(HWND label)
{
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfUnderline != 0;
}

COLORREF LinkTextColour(HWND page)
{
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    const LRESULT brush = SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(GetDlgItem(page, 1037)));
    const COLORREF colour = brush ? GetTextColor(dc) : CLR_INVALID;
    DeleteDC(dc);
    return colour;
}

}  // namespace

TEST_CASE("link label takes the browser colours and underline")
{
    struct Row {
        const char* Case;
        const char* Underline;
        const char* Colour;
        const char* UseHover;
        const char* HoverColour;
        COLORREF Link;
        COLORREF Hover;
        bool UnderlinedAtRest;
        bool UnderlinedHovered;
    };
    const Row rows[] = {
        {"nothing stored", nullptr, nullptr, nullptr, nullptr, RGB(0, 0, 255), RGB(255, 0, 0), true, true},
        {"hover underline and colours", "hover", "0,0,128", "yes", "0,128,0", RGB(0, 0, 128), RGB(0, 128, 0), false, true},
        {"never underlined", "NO", "10,20,30", "no", "0,128,0", RGB(10, 20, 30), RGB(10, 20, 30), false, false},
        {"no hover setting keeps red", "yes", "128,0", nullptr, "0,128,0", RGB(128, 0, 0), RGB(255, 0, 0), true, true},
    };
    for (const Row& row : rows) {
        INFO((row.Case));
        ClearBrowserValues();
        SetBrowserValue(BrowserMain, "Anchor Underline", row.Underline);
        SetBrowserValue(BrowserSettings, "Anchor Color", row.Colour);
        SetBrowserValue(BrowserSettings, "Use Anchor Hover Color", row.UseHover);
        SetBrowserValue(BrowserSettings, "Anchor Color Hover", row.HoverColour);
        LinkLabel = {RGB(0, 0, 255), RGB(255, 0, 0), -1, FALSE, nullptr};
        UseRecord(nullptr);

        HWND page = OpenPage(PageAbout);
        HWND label = GetDlgItem(page, 1037);
        REQUIRE(label != nullptr);
        CHECK((GetWindowLongPtrA(label, GWL_STYLE) & SS_NOTIFY) != 0);
        CHECK_EQ(LinkLabel.LinkColour, row.Link);
        CHECK_EQ(LinkLabel.LinkHoverColour, row.Hover);
        CHECK_EQ(LabelUnderlined(label), row.UnderlinedAtRest);
        CHECK_EQ(LinkTextColour(page), row.Link);

        // Onto the text: hover look and the capture; off it: neither.
        SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        CHECK(GetCapture() == label);
        CHECK(LinkLabel.LinkHovering);
        CHECK_EQ(LabelUnderlined(label), row.UnderlinedHovered);
        CHECK_EQ(LinkTextColour(page), row.Hover);
        RECT client;
        GetClientRect(label, &client);
        SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(client.right - 1, 2));
        CHECK(GetCapture() != label);
        CHECK(!LinkLabel.LinkHovering);
        CHECK_EQ(LabelUnderlined(label), row.UnderlinedAtRest);
        CHECK_EQ(LinkTextColour(page), row.Link);
        DestroyWindow(page);
    }
    ClearBrowserValues();

    // The underline setting is read once per process.
    SetBrowserValue(BrowserMain, "Anchor Underline", "no");
    UseRecord(nullptr);
    HWND page = OpenPage(PageAbout);
    CHECK_EQ(LinkLabel.LinkUnderlineMode, 2);
    CHECK(LabelUnderlined(GetDlgItem(page, 1037)));
    DestroyWindow(page);
    ClearBrowserValues();
}

namespace {

HWND PreviewWindow() { return FindWindowA("WindowsScreenSaverClassPreview", nullptr); }

// Waits, running messages, until the preview's first half second is over.
bool GraceEnds()
{
    const DWORD start = GetTickCount();
    while (Engine.InputGrace) {
        if (GetTickCount() - start > 30000)
            return false;
        PumpFor(20);
    }
    return true;
}

}  // namespace

TEST_CASE("preview shows the page mode with its unsaved values and then puts the record back")
{
    UseRecord(ShowcaseRecord);
    const SaverSettings before = *Settings;
    HWND page = OpenPage(ModeBounce);
    REQUIRE(page != nullptr);
    Send(page, 1012, TBM_SETPOS, TRUE, 9);
    Click(page, 1030);

    HWND preview = PreviewWindow();
    REQUIRE(preview != nullptr);
    // Owned by the page's top-level window, as a popup always is.
    CHECK(GetWindow(preview, GW_OWNER) == GetAncestor(page, GA_ROOT));
    RECT area, desktop;
    GetWindowRect(preview, &area);
    GetWindowRect(GetDesktopWindow(), &desktop);
    CHECK_EQ(area.left, 0L);
    CHECK_EQ(area.top, 0L);
    CHECK_EQ(area.right, desktop.right);
    CHECK_EQ(area.bottom, desktop.bottom);
    CHECK(Engine.SettingsPreview);
    CHECK_EQ(Engine.CurrentMode, ModeBounce);
    CHECK_EQ(Settings->EnabledModes, ModeBounce);
    CHECK_EQ(Settings->BounceSpeed, 9);
    CHECK_EQ(Settings->BounceGravity, 27);
    CHECK_EQ(SettingsDialog.SettingsChanged, 1);

    // Within the first half second a key is swallowed.
    CHECK_EQ(SendMessageA(preview, WM_KEYDOWN, VK_SPACE, 0), 1);
    CHECK(IsWindow(preview));
    REQUIRE(GraceEnds());
    // This record ignores keys; a click closes the preview.
    SendMessageA(preview, WM_KEYDOWN, VK_SPACE, 0);
    CHECK(IsWindow(preview));
    SendMessageA(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    CHECK(!IsWindow(preview));
    PumpFor(100);
    CHECK(!QuitPosted());
    CHECK(IsWindow(page));
    ExpectRecord(*Settings, before);
    // The page still shows what the user moved, for OK to store.
    CHECK_EQ(static_cast<int32_t>(Send(page, 1012, TBM_GETPOS)), 9);
    DestroyWindow(page);
}

TEST_CASE("preview of a disabled page still shows its mode")
{
    UseRecord([](SaverSettings* s) { s->EnabledModes = ModePlain | ModeMany; });
    const SaverSettings before = *Settings;
    HWND page = OpenPage(ModeStatic);
    Click(page, 1030);
    HWND preview = PreviewWindow();
    REQUIRE(preview != nullptr);
    CHECK_EQ(Settings->EnabledModes, ModeStatic);
    CHECK_EQ(Engine.CurrentMode, ModeStatic);
    // The read-back's rules disabled the page, Preview included.
    CHECK(!Enabled(page, 1030));
    CHECK(Enabled(page, 1014));
    DestroyWindow(preview);
    ExpectRecord(*Settings, before);
    DestroyWindow(page);
}

TEST_CASE("a second preview holds no more gdi objects than the first")
{
    UseRecord([](SaverSettings* s) { s->EnabledModes = ModeStatic; });
    HWND page = OpenPage(ModeStatic);
    Click(page, 1030);
    REQUIRE(PreviewWindow() != nullptr);
    DestroyWindow(PreviewWindow());
    const int afterFirst = LiveGdiObjects();
    for (int i = 0; i < 3; ++i) {
        Click(page, 1030);
        REQUIRE(PreviewWindow() != nullptr);
        DestroyWindow(PreviewWindow());
    }
    CHECK_EQ(LiveGdiObjects(), afterFirst);
    DestroyWindow(page);
}

TEST_CASE("applying the sheet while a preview shows keeps the pages values")
{
    UseRecord(ShowcaseRecord);
    HWND plain = OpenPage(ModePlain);
    HWND fade = OpenPage(ModeFade);
    Send(fade, 1012, TBM_SETPOS, TRUE, 5);
    Click(fade, 1030);
    REQUIRE(PreviewWindow() != nullptr);
    CHECK_EQ(Settings->EnabledModes, ModeFade);

    NMHDR apply = {nullptr, 0, static_cast<UINT>(PSN_APPLY)};
    SendMessageA(plain, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply));
    SendMessageA(fade, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply));
    DestroyWindow(PreviewWindow());
    // Fade's own value, and the other pages' bits as the record had them.
    CHECK_EQ(Settings->FadeSpeed, 5);
    CHECK_EQ(Settings->EnabledModes, ModeStatic | ModeBounce | ModeFalling);
    DestroyWindow(plain);
    DestroyWindow(fade);
}
