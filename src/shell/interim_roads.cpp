// The roads whose windows have not been built yet. A run loads the package,
// so that a damaged one is reported as it will be by the saver window, and
// ends; the settings dialog and the password change do nothing so far.
#include "package/package.h"
#include "shell/shell.h"

static int32_t EndAfterLoading()
{
    if (LoadSaver() != 0) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        return static_cast<int32_t>(message.wParam);
    }
    FreePackageImage();
    return 0;
}

int32_t RunSaverWindow(HWND)
{
    return EndAfterLoading();
}

int32_t ShowSettingsDialog(HWND)
{
    return EndAfterLoading();
}

void ChangePassword(HWND) {}
