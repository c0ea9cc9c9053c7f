// The settings dialog has not been built yet: the configure verb loads the
// package, so that a damaged one is reported as the dialog will report it,
// and ends.
#include "package/package.h"
#include "shell/shell.h"

int32_t ShowSettingsDialog(HWND)
{
    if (LoadSaver() != 0) {
        MSG message = {};
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        return static_cast<int32_t>(message.wParam);
    }
    FreePackageImage();
    return 0;
}
