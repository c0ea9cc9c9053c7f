// The Preview button of a mode page: the page's mode full screen with the
// page's current values, on the sheet's own message loop.
#include <windows.h>

#include "engine/engine.h"
#include "package/package.h"
#include "resources/resource_ids.h"
#include "settings_ui/settings_ui.h"

static_assert(sizeof(WNDCLASSEXA) == (sizeof(void*) == 4 ? 48 : 80), "window class record");

static constexpr char PreviewClassName[] = "WindowsScreenSaverClassPreview";

void EndPreviewEffect()
{
    if (!SettingsDialog.PreviewPending)
        return;
    *Settings = SettingsDialog.RecordBeforePreview;
    SettingsDialog.PreviewPending = FALSE;
}

// The saver window's procedure, watched for the end of the window: the record
// that the preview cut down to one mode must not outlive it.
static LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = SaverWindowProc(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SettingsDialog.PreviewWindow = nullptr;
        EndPreviewEffect();
    }
    return result;
}

void PreviewPage(HWND page, int32_t kind)
{
    // A preview that shows already (the sheet may sit on another monitor) stays the only one.
    if (SettingsDialog.PreviewWindow) {
        SetForegroundWindow(SettingsDialog.PreviewWindow);
        return;
    }
    SettingsDialog.RecordBeforePreview = *Settings;
    SettingsDialog.PreviewPending = TRUE;
    SendMessageA(page, WMU_READBACK, 0, 0);
    Settings->EnabledModes = kind;
    StartSettingsPreview(page);
}

void StartSettingsPreview(HWND ownerPage)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    InitCommonControlClasses();

    WNDCLASSEXA previewClass = {};
    previewClass.cbSize = sizeof previewClass;
    previewClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
    previewClass.lpfnWndProc = SaverWindowProc;
    previewClass.hInstance = instance;
    previewClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SAVER));
    previewClass.hbrBackground = CreateSolidBrush(PackageTrailer.BackgroundColor);
    previewClass.lpszClassName = PreviewClassName;

    Engine.SettingsPreview = TRUE;
    Engine.CurrentMode = -1;
    NormaliseSettings(Settings);

    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    // From the second preview on the class exists already, with its own brush.
    if (!RegisterClassExA(&previewClass))
        DeleteObject(previewClass.hbrBackground);
    HWND preview = CreateWindowExA(0, PreviewClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, desktop.right,
                                   desktop.bottom, ownerPage, nullptr, instance, nullptr);
    SettingsDialog.PreviewWindow = preview;
    if (preview)
        SetWindowLongPtrA(preview, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviewWindowProc));
    else
        EndPreviewEffect();
}
