// Set-up shared by the in-process engine tests.
#pragma once

#include <windows.h>

#include "engine/engine.h"
#include "engine/logo_surface.h"
#include "package/package.h"

// Releases what a test built on the logo surface, and the package's logo.
inline void CloseSurface()
{
    ReleaseLogoSurface();
    DeleteObject(LogoSurface.BackgroundBrush);
    DeleteDC(LogoSurface.DisplayDC);
    LogoSurface = {};
    FreePackageImage();
}

// A 320 × 240 saver window of the settings dialog's kind, which uses the
// package already in memory instead of loading one.
inline HWND OpenSaverWindow(const char* className)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    Engine.SettingsPreview = TRUE;
    return CreateWindowExA(0, className, "", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}
