// The configure verb's hidden host dialog and the property sheet it runs.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "package/package.h"
#include "settings_ui/page_map.h"
#include "settings_ui/settings_ui.h"
#include "shell/system_entries.h"

// The version-4 page record (the header bitmap after the version-3 fields),
// which the system's headers do not declare. The sheet walks the page array
// by dwSize, so the array must be made of exactly these.
struct PropertyPageRecord {
    PROPSHEETPAGEA_V3 Page;
    HBITMAP HeaderBitmap;
};
static_assert(sizeof(PropertyPageRecord) == (sizeof(void*) == 4 ? 56 : 104), "version-4 page record");
static_assert(sizeof(PROPSHEETHEADERA) == (sizeof(void*) == 4 ? 52 : 96), "version-2 sheet header");
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8, "common-controls record");

SettingsDialogState SettingsDialog;

BOOL InitCommonControlClasses()
{
    RegisterCommonControlClasses(ICC_TAB_CLASSES | ICC_LINK_CLASS);
    return TRUE;
}

static void RunSettingsSheet(HWND host, HINSTANCE instance)
{
    SheetPage sheetPages[MaximumSheetPages];
    const int count = BuildSheetPages(Settings->HiddenPages, sheetPages);

    PropertyPageRecord pages[MaximumSheetPages] = {};
    for (int i = 0; i < count; ++i) {
        PROPSHEETPAGEA_V3& page = pages[i].Page;
        page.dwSize = sizeof(PropertyPageRecord);
        page.dwFlags = PSP_USETITLE;
        page.hInstance = instance;
        page.pszTemplate = MAKEINTRESOURCEA(sheetPages[i].Template);
        page.pszTitle = sheetPages[i].Title;
        page.pfnDlgProc = SettingsPageProc;
        page.lParam = sheetPages[i].Kind;
    }

    // The name field need not be terminated within its slot.
    char caption[sizeof PackageTrailer.SaverName + 1] = {};
    std::memcpy(caption, PackageTrailer.SaverName, sizeof PackageTrailer.SaverName);

    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USEICONID | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = host;
    header.hInstance = instance;
    header.pszIcon = MAKEINTRESOURCEA(IDI_SAVER);
    header.pszCaption = caption;
    header.nPages = static_cast<UINT>(count);
    header.nStartPage = 0;
    header.ppsp = &pages[0].Page;
    PropertySheetA(&header);
}

INT_PTR CALLBACK ConfigureDialogProc(HWND host, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    // A failed load has told the user and posted a quit request, which ends
    // the sheet's loop before any page can apply: nothing is stored then.
    LoadSaver();
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (Settings->SettingsDialogEnabled == 0) {
        HWND owner = GetParent(host);
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner ? owner : host, SettingsPageProc, 0);
    } else {
        RunSettingsSheet(host, instance);
        // A preview left open until the sheet closed has been destroyed with its page.
        EndPreviewEffect();
        if (SettingsDialog.SettingsChanged) {
            NormaliseSettings(Settings);
            SaveUserSettings();
        }
    }
    FreePackageImage();
    EndDialog(host, 0);
    return FALSE;
}
