// The settings dialog: the property sheet and its host, the page procedure,
// the link label of the About page and the full-screen preview of a page.
#pragma once

#include <windows.h>

#include <cstdint>

#include "package/saver_settings.h"

// Private messages of a page.
constexpr UINT WMU_READBACK = WM_USER;        // read the controls into the record
constexpr UINT WMU_APPLYRULES = WM_USER + 1;  // apply the enabling rules
constexpr UINT WMU_LINKHOVER = WM_USER + 10;  // from the link label: wParam nonzero while hovered

struct SettingsDialogState {
    // Set by every read-back; the sheet stores the record only when it is set.
    int32_t SettingsChanged;
    // The record as it was before the Preview that is still showing, put
    // back when that preview closes or the sheet is applied first.
    SaverSettings RecordBeforePreview;
    BOOL PreviewPending;
    // The preview window while it shows: one at a time, since a preview's
    // drawing objects live in process-wide records.
    HWND PreviewWindow;
};
extern SettingsDialogState SettingsDialog;

// Registers the common-control classes that the sheet and its pages use; always 1.
BOOL InitCommonControlClasses();

// The hidden host dialog of the configure verb: shows the sheet (or the About
// box alone) while it initialises, stores the record, and ends.
INT_PTR CALLBACK ConfigureDialogProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam);

// Every page of the sheet, and the About box alone.
INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void ApplyEnablingRules(HWND page, int32_t kind);

// --- The link label ------------------------------------------------------------

struct LinkLabelState {
    COLORREF LinkColour;
    COLORREF LinkHoverColour;
    int32_t LinkUnderlineMode;  // -1 until read from the registry
    BOOL LinkHovering;
    HFONT LinkFont;             // the font the label was last given, owned here
};
extern LinkLabelState LinkLabel;

void SetUpLinkLabel(HWND label);
void SetLinkHover(HWND label, BOOL hovering);
// position: -1 for the cursor, else a mouse message's client coordinates.
BOOL IsOverLinkText(HWND label, LPARAM position);
LRESULT CALLBACK LinkLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam);
COLORREF ReadRegistryColour(HKEY key, const char* valueName, COLORREF defaultColour);

// --- The preview -----------------------------------------------------------------

// Runs the Preview command of a mode page of that kind.
void PreviewPage(HWND page, int32_t kind);
void StartSettingsPreview(HWND ownerPage);
// Puts the record back as it was before the pending Preview, if one is pending.
void EndPreviewEffect();
