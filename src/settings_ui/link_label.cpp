// The About page's web address as a link: the browser's link colours and
// underline, the hand cursor over the text, a hover look while the pointer
// is on it, and the shell's "open" on a click.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "settings_ui/link_text.h"
#include "settings_ui/settings_ui.h"

LinkLabelState LinkLabel = {RGB(0, 0, 255), RGB(255, 0, 0), -1, FALSE, nullptr};

static constexpr char BrowserMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
static constexpr char BrowserSettingsKey[] = "Software\\Microsoft\\Internet Explorer\\Settings";

// A string value read into `text` (capacity bytes, terminated whatever the
// value held); false when missing or longer than capacity - 1 bytes.
static bool QueryText(HKEY key, const char* valueName, char* text, DWORD capacity)
{
    DWORD size = capacity - 1;
    std::memset(text, 0, capacity);
    return RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) ==
           ERROR_SUCCESS;
}

COLORREF ReadRegistryColour(HKEY key, const char* valueName, COLORREF defaultColour)
{
    char text[65];
    if (!QueryText(key, valueName, text, sizeof text))
        return defaultColour;
    return ParseRegistryColour(text);
}

static int32_t ReadUnderlineMode()
{
    int32_t mode = UnderlineAlways;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, BrowserMainKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        char text[65];
        if (QueryText(key, "Anchor Underline", text, sizeof text))
            mode = UnderlineModeFromText(text);
        RegCloseKey(key);
    }
    return mode;
}

static void ReadLinkColours()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, BrowserSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    LinkLabel.LinkColour = ReadRegistryColour(key, "Anchor Color", LinkLabel.LinkColour);
    char useHover[101];
    if (QueryText(key, "Use Anchor Hover Color", useHover, sizeof useHover))
        LinkLabel.LinkHoverColour = HoverColourWanted(useHover)
                                        ? ReadRegistryColour(key, "Anchor Color Hover", LinkLabel.LinkHoverColour)
                                        : LinkLabel.LinkColour;
    RegCloseKey(key);
}

void SetLinkHover(HWND label, BOOL hovering)
{
    if (LinkLabel.LinkUnderlineMode < 0)
        LinkLabel.LinkUnderlineMode = ReadUnderlineMode();

    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    font.lfUnderline = LinkUnderlined(LinkLabel.LinkUnderlineMode, hovering != FALSE) ? TRUE : FALSE;
    HFONT replaced = LinkLabel.LinkFont;
    LinkLabel.LinkFont = CreateFontIndirectA(&font);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(LinkLabel.LinkFont), FALSE);
    if (replaced)
        DeleteObject(replaced);

    SendMessageA(GetParent(label), WMU_LINKHOVER, static_cast<WPARAM>(hovering), 0);
}

void SetUpLinkLabel(HWND label)
{
    SetLinkHover(label, FALSE);
    SetWindowLongPtrA(label, GWL_STYLE, GetWindowLongPtrA(label, GWL_STYLE) | SS_NOTIFY);
    const LONG_PTR previous = SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkLabelProc));
    SetWindowLongPtrA(label, GWLP_USERDATA, previous);
    ReadLinkColours();
}

BOOL IsOverLinkText(HWND label, LPARAM position)
{
    POINT point;
    if (position == -1) {
        GetCursorPos(&point);
    } else {
        point = {static_cast<LONG>(LOWORD(position)), static_cast<LONG>(HIWORD(position))};
        ClientToScreen(label, &point);
    }

    RECT text;
    GetWindowRect(label, &text);
    text.right = text.left;
    text.bottom = text.top;
    char caption[128];
    GetWindowTextA(label, caption, sizeof caption);
    HDC dc = GetDC(label);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    DrawTextA(dc, caption, -1, &text, DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    return PtInRect(&text, point);
}

static void OpenLinkAddress(HWND label)
{
    char text[LinkTextLimit + 1];
    GetWindowTextA(label, text, sizeof text);
    char address[LinkAddressCapacity];
    if (LinkAddressFor(text, address))
        ShellExecuteA(label, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

static LRESULT PassOn(HWND label, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LONG_PTR previous = GetWindowLongPtrA(label, GWLP_USERDATA);
    if (!previous)
        return DefWindowProcA(label, message, wParam, lParam);
    return CallWindowProcA(reinterpret_cast<WNDPROC>(previous), label, message, wParam, lParam);
}

static void FollowPointer(HWND label, LPARAM position)
{
    const bool over = IsOverLinkText(label, position) != FALSE;
    if (GetCapture() == label) {
        if (over)
            return;
        ReleaseCapture();
        SetLinkHover(label, FALSE);
    } else if (over) {
        // The capture lets the label see the pointer leave the text.
        SetLinkHover(label, TRUE);
        SetCapture(label);
    } else {
        ReleaseCapture();
        SetLinkHover(label, FALSE);
    }
    // The text is drawn over the page, so the page repaints beneath it first.
    RECT area;
    GetWindowRect(label, &area);
    const HWND page = GetParent(label);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);
    RedrawWindow(page, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT CALLBACK LinkLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        if (IsOverLinkText(label, -1)) {
            if (HCURSOR hand = LoadCursorA(nullptr, IDC_HAND)) {
                SetCursor(hand);
                return TRUE;
            }
        }
        break;
    case WM_MOUSEMOVE:
        FollowPointer(label, lParam);
        break;
    case WM_LBUTTONUP:
        OpenLinkAddress(label);
        break;
    case WM_NCDESTROY: {
        const LRESULT result = PassOn(label, message, wParam, lParam);
        if (LinkLabel.LinkFont) {
            DeleteObject(LinkLabel.LinkFont);
            LinkLabel.LinkFont = nullptr;
        }
        return result;
    }
    }
    return PassOn(label, message, wParam, lParam);
}
