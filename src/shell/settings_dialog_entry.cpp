// The configure verb's road: the settings dialog, run by its hidden host.
#include "resources/resource_ids.h"
#include "settings_ui/settings_ui.h"
#include "shell/shell.h"

int32_t ShowSettingsDialog(HWND owner)
{
    if (!InitCommonControlClasses())
        return 0;
    const INT_PTR result =
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_SETTINGS_HOST), owner, ConfigureDialogProc, 0);
    // A package that failed to load has asked to quit with its exit code;
    // the dialog's loops leave that request for the process to answer.
    MSG quit;
    if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return static_cast<int32_t>(quit.wParam);
    return static_cast<int32_t>(result);
}
