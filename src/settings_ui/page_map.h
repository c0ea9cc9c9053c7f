// The settings pages as data: which pages the sheet shows, which control
// shows which settings field and how, the enabling rules, the help texts and
// where a help popup goes. No windows.h here; the page procedure walks these
// tables with the Win32 calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "package/saver_settings.h"
#include "resources/resource_ids.h"
#include "shell/screen_point.h"

// PageKind: 1 General, a mode's bit for its page, 112 About.
constexpr int32_t PageGeneral = 1;
constexpr int32_t PageAbout = 112;
// Rows of the binding table that every mode page has.
constexpr int32_t EveryModePage = -1;

// The kind a page keeps from its creation parameter: the General page may
// also be named by its template id.
int32_t PageKindFromParameter(intptr_t parameter);
bool IsModePage(int32_t kind);

// --- The sheet's pages -------------------------------------------------------

struct SheetPage {
    const char* Title;
    uint16_t Template;
    int32_t Kind;
};
constexpr int MaximumSheetPages = 9;

// General, the mode pages in mode-table order, About; a page is left out when
// its bit is set in HiddenPages (About never is). Returns the count.
int BuildSheetPages(int32_t hiddenPages, SheetPage pages[MaximumSheetPages]);

// --- Controls bound to settings fields --------------------------------------

enum class Binding : uint8_t {
    ModeEnabled,    // the page's bit in the field (EnabledModes)
    Check,          // checked when the field is nonzero; stored as 1 or 0
    Bit,            // checked when the field has Bit; stored by adding Bit
    ClearField,     // no control: the field is emptied before its Bit rows
    BounceSides,    // checked and enabled only with gravity; stored inverted
    Slider,         // a trackbar: field = Origin + Step * position
    NumberText,     // the field as unsigned decimal text in an edit box
    ArrowRange,     // the arrows of a NumberText box: only their range
    ArrowCount,     // an up-down whose position is the field
    DirectionList,  // the falling directions, found by their item data
};

struct ControlBinding {
    int32_t Kind;        // the page, or EveryModePage
    int32_t ControlId;   // 0 for ClearField
    Binding Role;
    size_t Field;        // offset in SaverSettings
    int32_t Minimum;     // positions (Slider, ArrowRange, ArrowCount), or the values a box stores
    int32_t Maximum;
    int32_t Origin;      // Slider only
    int32_t Step;
    int32_t TickFrequency;  // Slider only; 0 keeps the control's default
    int32_t Bit;         // Bit only
};

// In the order in which a page fills its controls and reads them back.
extern const ControlBinding PageBindings[];
extern const int PageBindingCount;

bool BindingServesPage(const ControlBinding& row, int32_t kind);

int32_t ReadBoundField(const SaverSettings& settings, const ControlBinding& row);
void WriteBoundField(SaverSettings* settings, const ControlBinding& row, int32_t value);

// Check boxes (ModeEnabled, Check, Bit, BounceSides): their state from the
// record, and the record from their state. ClearField rows take any state.
bool BoxShownChecked(const SaverSettings& settings, const ControlBinding& row, int32_t kind);
void StoreBoxState(SaverSettings* settings, const ControlBinding& row, int32_t kind, bool checked);
// The Bounce off sides box is usable only while gravity is on.
bool BounceSidesUsable(const SaverSettings& settings);

// A trackbar's position for a field value: the value mapped, then held
// within the range. Any 32-bit value is safe.
int32_t SliderPosition(const ControlBinding& row, int32_t value);
// The field value that a position stores (a position outside the range
// counts as its nearest end).
int32_t SliderValue(const ControlBinding& row, int32_t position);
int32_t ClampToRange(const ControlBinding& row, int32_t position);

// What an up-down's position query answered (its low 16 bits the position,
// its high 16 bits an error flag) as the count to store: the position it
// reports, held within the range, whether or not the box's text was valid.
int32_t ArrowCountValue(const ControlBinding& row, uint32_t positionAnswer);

// --- Falling directions ------------------------------------------------------

struct DirectionItem {
    const char* Text;
    int32_t Direction;
};
constexpr int DirectionCount = 7;
extern const DirectionItem DirectionItems[DirectionCount];
// The list index that shows a direction, or -1 when no item has it.
int DirectionIndex(int32_t direction);

// --- Enabling rules ----------------------------------------------------------

// On a page of Kind, Target is enabled exactly while Switch is checked.
struct EnablingRule {
    int32_t Kind;
    int32_t Switch;
    int32_t Target;
};
constexpr int EnablingRuleCount = 4;
extern const EnablingRule EnablingRules[EnablingRuleCount];

// A saver that ignores every kind of input could never be closed: with all
// three boxes checked, Keyboard is unchecked.
bool IgnoreBoxesUncheckKeyboard(bool keyboard, bool clicks, bool movement);

// --- Context help ------------------------------------------------------------

// The longest text and its terminator.
constexpr size_t HelpTextCapacity = 170;

// The help text of a control on a page of that kind, or null.
const char* ControlHelpText(int32_t kind, int32_t controlId);
// Copies the text, or an empty string, into a buffer of HelpTextCapacity
// bytes; nonzero when there was a text.
int GetControlHelpText(int32_t kind, int32_t controlId, char* buffer);

// Where the popup goes: below the middle of the control when help was asked
// with F1 (or with no button down), else just below the cursor.
ScreenPoint HelpPopupPoint(bool f1Down, bool leftButtonDown, int32_t left, int32_t right, int32_t bottom,
                           ScreenPoint cursor);

// --- The About page ----------------------------------------------------------

// Whether a trailer text field (not necessarily terminated) holds anything
// but spaces before its terminator.
bool HasVisibleText(const char* field, size_t size);
