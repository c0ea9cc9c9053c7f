// The one dialog procedure of every settings page and of the About box:
// controls filled from the record and read back into it by walking the
// binding table, enabling rules, context help and the About texts.
#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>

#include <cstring>

#include "package/package.h"
#include "settings_ui/page_map.h"
#include "settings_ui/settings_ui.h"
#include "shell/help_popup.h"

static_assert(sizeof(HH_POPUP) == (sizeof(void*) == 4 ? 52 : 72), "text popup record");

static int32_t StoredKind(HWND page) { return static_cast<int32_t>(GetWindowLongPtrA(page, GWLP_USERDATA)); }

static bool IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

static void SetChecked(HWND page, int id, bool checked)
{
    CheckDlgButton(page, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

static LRESULT SendToControl(HWND page, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageA(page, id, message, wParam, lParam);
}

static void FillDirectionList(HWND page, const ControlBinding& row)
{
    const int32_t direction = ReadBoundField(*Settings, row);
    for (const DirectionItem& item : DirectionItems) {
        const LRESULT index = SendToControl(page, row.ControlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.Text));
        SendToControl(page, row.ControlId, CB_SETITEMDATA, static_cast<WPARAM>(index), item.Direction);
        if (item.Direction == direction)
            SendToControl(page, row.ControlId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

static void FillControl(HWND page, const ControlBinding& row, int32_t kind)
{
    switch (row.Role) {
    case Binding::ModeEnabled:
    case Binding::Check:
    case Binding::Bit:
        SetChecked(page, row.ControlId, BoxShownChecked(*Settings, row, kind));
        break;
    case Binding::BounceSides:
        EnableWindow(GetDlgItem(page, row.ControlId), BounceSidesUsable(*Settings));
        SetChecked(page, row.ControlId, BoxShownChecked(*Settings, row, kind));
        break;
    case Binding::ClearField:
        break;
    case Binding::Slider:
        if (row.TickFrequency)
            SendToControl(page, row.ControlId, TBM_SETTICFREQ, static_cast<WPARAM>(row.TickFrequency), 0);
        SendToControl(page, row.ControlId, TBM_SETRANGE, FALSE, MAKELPARAM(row.Minimum, row.Maximum));
        SendToControl(page, row.ControlId, TBM_SETPOS, TRUE, SliderPosition(row, ReadBoundField(*Settings, row)));
        break;
    case Binding::NumberText:
        SetDlgItemInt(page, row.ControlId, static_cast<UINT>(ReadBoundField(*Settings, row)), FALSE);
        break;
    case Binding::ArrowRange:
        SendToControl(page, row.ControlId, UDM_SETRANGE, 0, MAKELPARAM(row.Maximum, row.Minimum));
        break;
    case Binding::ArrowCount:
        // The range first, so that a stored count outside it shows at its nearest end.
        SendToControl(page, row.ControlId, UDM_SETRANGE, 0, MAKELPARAM(row.Maximum, row.Minimum));
        SendToControl(page, row.ControlId, UDM_SETPOS, 0,
                      MAKELPARAM(ClampToRange(row, ReadBoundField(*Settings, row)), 0));
        break;
    case Binding::DirectionList:
        FillDirectionList(page, row);
        break;
    }
}

static void ReadControl(HWND page, const ControlBinding& row, int32_t kind)
{
    switch (row.Role) {
    case Binding::ModeEnabled:
    case Binding::Check:
    case Binding::Bit:
    case Binding::ClearField:
    case Binding::BounceSides:
        StoreBoxState(Settings, row, kind, row.ControlId != 0 && IsChecked(page, row.ControlId));
        break;
    case Binding::Slider:
        WriteBoundField(Settings, row,
                        SliderValue(row, static_cast<int32_t>(SendToControl(page, row.ControlId, TBM_GETPOS, 0, 0))));
        break;
    case Binding::NumberText:
        WriteBoundField(Settings, row, static_cast<int32_t>(GetDlgItemInt(page, row.ControlId, nullptr, FALSE)));
        break;
    case Binding::ArrowRange:
        break;
    case Binding::ArrowCount:
        WriteBoundField(Settings, row,
                        ArrowCountValue(row, static_cast<uint32_t>(SendToControl(page, row.ControlId, UDM_GETPOS, 0, 0))));
        break;
    case Binding::DirectionList: {
        const LRESULT index = SendToControl(page, row.ControlId, CB_GETCURSEL, 0, 0);
        if (index != CB_ERR)
            WriteBoundField(Settings, row,
                            static_cast<int32_t>(SendToControl(page, row.ControlId, CB_GETITEMDATA,
                                                               static_cast<WPARAM>(index), 0)));
        break;
    }
    }
}

static void SetTrailerText(HWND page, int id, const char (&field)[TrailerTextSize], bool shown)
{
    char text[TrailerTextSize + 1] = {};
    if (shown)
        std::memcpy(text, field, TrailerTextSize);
    SetDlgItemTextA(page, id, text);
}

static void FillAboutTexts(HWND page)
{
    SetTrailerText(page, IDC_DESCRIPTION, PackageTrailer.Description, true);
    SetTrailerText(page, IDC_SAVER_NAME, PackageTrailer.SaverName, true);
    SetTrailerText(page, IDC_WEB_ADDRESS, PackageTrailer.WebAddress,
                   HasVisibleText(PackageTrailer.WebAddress, TrailerTextSize));

    HWND name = GetDlgItem(page, IDC_SAVER_NAME);
    LOGFONTA font;
    if (GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(name, WM_GETFONT, 0, 0)), sizeof font, &font)) {
        font.lfWeight = FW_BOLD;
        SendMessageA(name, WM_SETFONT, reinterpret_cast<WPARAM>(CreateFontIndirectA(&font)), TRUE);
    }
}

// The bold name font belongs to the page; the dialog's own font does not.
static void ReleaseNameFont(HWND page)
{
    HWND name = GetDlgItem(page, IDC_SAVER_NAME);
    if (!name)
        return;
    const HGDIOBJ bold = reinterpret_cast<HGDIOBJ>(SendMessageA(name, WM_GETFONT, 0, 0));
    const WPARAM dialogFont = static_cast<WPARAM>(SendMessageA(page, WM_GETFONT, 0, 0));
    if (bold && reinterpret_cast<WPARAM>(bold) != dialogFont) {
        SendMessageA(name, WM_SETFONT, dialogFont, FALSE);
        DeleteObject(bold);
    }
}

static void InitialisePage(HWND page, LPARAM creation)
{
    int32_t kind = PageAbout;
    if (creation) {
        kind = PageKindFromParameter(reinterpret_cast<const PROPSHEETPAGEA*>(creation)->lParam);
        SetWindowLongPtrA(page, GWLP_USERDATA, kind);
    }
    if (StoredKind(page) == PageAbout)
        ShowWindow(GetDlgItem(page, IDC_ABOUT_OK), SW_HIDE);
    if (kind != PageAbout)
        ShowWindow(GetDlgItem(page, IDC_HIDE_OPTIONS), SW_HIDE);
    if (HWND link = GetDlgItem(page, IDC_WEB_ADDRESS))
        SetUpLinkLabel(link);

    for (int i = 0; i < PageBindingCount; ++i)
        if (BindingServesPage(PageBindings[i], kind))
            FillControl(page, PageBindings[i], kind);
    if (kind == PageAbout)
        FillAboutTexts(page);
}

static void ReadBack(HWND page)
{
    const int32_t kind = StoredKind(page);
    for (int i = 0; i < PageBindingCount; ++i)
        if (BindingServesPage(PageBindings[i], kind))
            ReadControl(page, PageBindings[i], kind);
    ApplyEnablingRules(page, kind);
    SettingsDialog.SettingsChanged = 1;
}

static BOOL CALLBACK EnableDescendant(HWND child, LPARAM enable)
{
    const int id = GetDlgCtrlID(child);
    if (id != IDC_ENABLED && id != IDC_HIDE_OPTIONS)
        EnableWindow(child, enable != 0);
    return TRUE;
}

void ApplyEnablingRules(HWND page, int32_t kind)
{
    if (GetDlgItem(page, IDC_ENABLED)) {
        const bool enabled = IsChecked(page, IDC_ENABLED);
        EnumChildWindows(page, EnableDescendant, enabled);
        if (!enabled)
            return;
    }
    for (const EnablingRule& rule : EnablingRules)
        if (rule.Kind == kind)
            EnableWindow(GetDlgItem(page, rule.Target), IsChecked(page, rule.Switch));
    if (kind == PageGeneral &&
        IgnoreBoxesUncheckKeyboard(IsChecked(page, IDC_IGNORE_KEYS), IsChecked(page, IDC_IGNORE_CLICKS),
                                   IsChecked(page, IDC_IGNORE_MOVEMENT)))
        SetChecked(page, IDC_IGNORE_KEYS, false);
}

static void OnCommand(HWND page, int id)
{
    const int32_t kind = StoredKind(page);
    switch (id) {
    case IDC_ABOUT_OK:
    case IDCANCEL:
        EndDialog(page, 0);
        break;
    case IDC_ENABLED:
    case IDC_HIDE_OPTIONS:
        // Enabled and the hidden box exclude each other.
        if (IsChecked(page, id))
            SetChecked(page, id == IDC_ENABLED ? IDC_HIDE_OPTIONS : IDC_ENABLED, false);
        SendMessageA(page, WMU_APPLYRULES, 0, 0);
        ApplyEnablingRules(page, kind);
        break;
    case IDC_PREVIEW:
        PreviewPage(page, kind);
        break;
    default:
        ApplyEnablingRules(page, kind);
        break;
    }
}

static void ShowControlHelp(HWND page, const HELPINFO& request)
{
    char text[HelpTextCapacity];
    if (!GetControlHelpText(StoredKind(page), request.iCtrlId, text))
        return;

    RECT control = {};
    GetWindowRect(static_cast<HWND>(request.hItemHandle), &control);
    POINT cursor = {};
    GetCursorPos(&cursor);
    const bool f1Down = (GetAsyncKeyState(VK_F1) & 0x8000) != 0;
    const bool leftButtonDown = !f1Down && (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
    const ScreenPoint at = HelpPopupPoint(f1Down, leftButtonDown, control.left, control.right, control.bottom,
                                          {cursor.x, cursor.y});

    HH_POPUP popup = {};
    popup.cbStruct = sizeof popup;
    popup.pszText = text;
    popup.pt = {at.X, at.Y};
    popup.clrForeground = static_cast<COLORREF>(-1);
    popup.clrBackground = static_cast<COLORREF>(-1);
    popup.rcMargins = {-1, -1, -1, -1};
    ShowHelpPopup(page, nullptr, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
}

static INT_PTR OnNotify(HWND page, const NMHDR& notice)
{
    switch (notice.code) {
    case PSN_APPLY:
        // The sheet's values win over a preview that is somehow still showing.
        EndPreviewEffect();
        ReadBack(page);
        return PSNRET_NOERROR;
    case NM_SETFOCUS:
        SendMessageA(page, WM_SETFOCUS, 0, 0);
        return 0;
    default:
        return 0;
    }
}

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitialisePage(page, lParam);
        return FALSE;
    case WM_NOTIFY:
        return OnNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
    case WMU_READBACK:
        ReadBack(page);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0)
            OnCommand(page, LOWORD(wParam));
        return 0;
    case WMU_APPLYRULES:
        ApplyEnablingRules(page, StoredKind(page));
        return TRUE;
    case WMU_LINKHOVER:
        LinkLabel.LinkHovering = wParam != 0;
        return 0;
    case WM_CTLCOLORSTATIC: {
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_WEB_ADDRESS)
            return FALSE;
        // The page shows through: a themed page is lighter than the dialog brush.
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, LinkLabel.LinkHovering ? LinkLabel.LinkHoverColour : LinkLabel.LinkColour);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    case WM_HELP:
        ShowControlHelp(page, *reinterpret_cast<const HELPINFO*>(lParam));
        return 0;
    case WM_CLOSE:
        EndDialog(page, 0);
        return 0;
    case WM_DESTROY:
        ReleaseNameFont(page);
        return FALSE;
    default:
        return FALSE;
    }
}
