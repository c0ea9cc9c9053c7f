// The settings pages' tables and the arithmetic between controls and fields.
#include "settings_ui/page_map.h"

#include <cstring>

#include "engine/modes.h"

int32_t PageKindFromParameter(intptr_t parameter)
{
    if (parameter == IDD_GENERAL_PAGE)
        return PageGeneral;
    return static_cast<int32_t>(parameter);
}

bool IsModePage(int32_t kind) { return FindModeRow(kind) >= 0; }

int BuildSheetPages(int32_t hiddenPages, SheetPage pages[MaximumSheetPages])
{
    int count = 0;
    if (!(hiddenPages & PageGeneral))
        pages[count++] = {"General", IDD_GENERAL_PAGE, PageGeneral};
    for (const ModeRow& mode : ModeRows)
        if (!(hiddenPages & mode.Bit))
            pages[count++] = {mode.Name, mode.PageTemplate, mode.Bit};
    pages[count++] = {"About", IDD_ABOUT, PageAbout};
    return count;
}

#define FIELD(name) offsetof(SaverSettings, name)

// One row per control and field. The General page clears IgnoreInput before
// its three boxes add their bits; Bounce stores gravity before the sides box
// that depends on it.
const ControlBinding PageBindings[] = {
    {EveryModePage, IDC_ENABLED, Binding::ModeEnabled, FIELD(EnabledModes), 0, 255, 0, 0, 0, 0},

    {PageGeneral, IDC_CHANGE_MODE, Binding::Check, FIELD(ChangeModeEnabled), 0, 1, 0, 0, 0, 0},
    {PageGeneral, IDC_MINUTES, Binding::NumberText, FIELD(ChangeModeMinutes), 1, 60, 0, 0, 0, 0},
    {PageGeneral, IDC_MINUTES_ARROWS, Binding::ArrowRange, FIELD(ChangeModeMinutes), 1, 60, 0, 0, 0, 0},
    {PageGeneral, 0, Binding::ClearField, FIELD(IgnoreInput), 0, 0, 0, 0, 0, 0},
    {PageGeneral, IDC_IGNORE_CLICKS, Binding::Bit, FIELD(IgnoreInput), 0, 7, 0, 0, 0, IgnoreClicks},
    {PageGeneral, IDC_IGNORE_MOVEMENT, Binding::Bit, FIELD(IgnoreInput), 0, 7, 0, 0, 0, IgnoreMovement},
    {PageGeneral, IDC_IGNORE_KEYS, Binding::Bit, FIELD(IgnoreInput), 0, 7, 0, 0, 0, IgnoreKeys},

    // One to fifteen seconds.
    {ModePlain, IDC_DELAY, Binding::Slider, FIELD(PlainDelayMs), 1, 15, 0, 1000, 0, 0},

    {ModeBounce, IDC_GRAVITY, Binding::Check, FIELD(BounceGravity), 0, 1, 0, 0, 0, 0},
    {ModeBounce, IDC_BOUNCE_SIDES, Binding::BounceSides, FIELD(BounceWrapSides), 0, 1, 0, 0, 0, 0},
    {ModeBounce, IDC_SPEED, Binding::Slider, FIELD(BounceSpeed), 1, 10, 0, 1, 0, 0},

    // 100 ms to 2.6 s.
    {ModeMany, IDC_DELAY, Binding::Slider, FIELD(ManyDelayMs), 1, 26, 0, 100, 5, 0},

    {ModeFade, IDC_RANDOM_POSITIONS, Binding::Check, FIELD(FadeRandomPositions), 0, 1, 0, 0, 0, 0},
    {ModeFade, IDC_SPEED, Binding::Slider, FIELD(FadeSpeed), 1, 5, 0, 1, 0, 0},

    // Faster drips wait less: 910 ms at "Slow" down to 10 ms at "Fast".
    {ModeDrip, IDC_TILE, Binding::Check, FIELD(DripTile), 0, 1, 0, 0, 0, 0},
    {ModeDrip, IDC_SPEED, Binding::Slider, FIELD(DripIntervalMs), 1, 10, 1010, -100, 100, 0},

    {ModeFalling, IDC_FADE_IN_DISTANCE, Binding::Check, FIELD(FallingFadeInDistance), 0, 1, 0, 0, 0, 0},
    {ModeFalling, IDC_LOGO_COUNT_ARROWS, Binding::ArrowCount, FIELD(FallingLogoCount), 1, 50, 0, 0, 0, 0},
    {ModeFalling, IDC_DIRECTION, Binding::DirectionList, FIELD(FallingDirection), 1, 15, 0, 0, 0, 0},
    {ModeFalling, IDC_SPEED, Binding::Slider, FIELD(FallingSpeed), 1, 25, 0, 1, 4, 0},
};
const int PageBindingCount = static_cast<int>(sizeof PageBindings / sizeof PageBindings[0]);

#undef FIELD

bool BindingServesPage(const ControlBinding& row, int32_t kind)
{
    return row.Kind == kind || (row.Kind == EveryModePage && IsModePage(kind));
}

int32_t ReadBoundField(const SaverSettings& settings, const ControlBinding& row)
{
    return ReadSettingsAt(settings, row.Field);
}

void WriteBoundField(SaverSettings* settings, const ControlBinding& row, int32_t value)
{
    WriteSettingsAt(settings, row.Field, value);
}

bool BounceSidesUsable(const SaverSettings& settings) { return settings.BounceGravity != 0; }

bool BoxShownChecked(const SaverSettings& settings, const ControlBinding& row, int32_t kind)
{
    const int32_t value = ReadBoundField(settings, row);
    switch (row.Role) {
    case Binding::ModeEnabled: return (value & kind) != 0;
    case Binding::Check: return value != 0;
    case Binding::Bit: return (value & row.Bit) != 0;
    case Binding::BounceSides: return BounceSidesUsable(settings) && value == 0;
    default: return false;
    }
}

void StoreBoxState(SaverSettings* settings, const ControlBinding& row, int32_t kind, bool checked)
{
    const int32_t value = ReadBoundField(*settings, row);
    switch (row.Role) {
    case Binding::ModeEnabled:
        WriteBoundField(settings, row, checked ? value | kind : value & ~kind);
        break;
    case Binding::Check:
        WriteBoundField(settings, row, checked ? 1 : 0);
        break;
    case Binding::Bit:
        if (checked)
            WriteBoundField(settings, row, value | row.Bit);
        break;
    case Binding::ClearField:
        WriteBoundField(settings, row, 0);
        break;
    case Binding::BounceSides:
        // Gravity as the page has just stored it.
        WriteBoundField(settings, row, BounceSidesUsable(*settings) && checked ? 0 : 1);
        break;
    default:
        break;
    }
}

int32_t ClampToRange(const ControlBinding& row, int32_t position)
{
    if (position < row.Minimum)
        return row.Minimum;
    if (position > row.Maximum)
        return row.Maximum;
    return position;
}

// In 64 bits: a stored value far outside the range must not overflow on its
// way to the nearest end.
int32_t SliderPosition(const ControlBinding& row, int32_t value)
{
    const int64_t position = (static_cast<int64_t>(value) - row.Origin) / row.Step;
    if (position < row.Minimum)
        return row.Minimum;
    if (position > row.Maximum)
        return row.Maximum;
    return static_cast<int32_t>(position);
}

int32_t SliderValue(const ControlBinding& row, int32_t position)
{
    return row.Origin + row.Step * ClampToRange(row, position);
}

int32_t ArrowCountValue(const ControlBinding& row, uint32_t positionAnswer)
{
    return ClampToRange(row, static_cast<int16_t>(positionAnswer & 0xFFFF));
}

const DirectionItem DirectionItems[DirectionCount] = {
    {"Up", 1}, {"Down", 2}, {"Left", 4}, {"Right", 8}, {"Horizontal", 12}, {"Vertical", 3}, {"Any", 15},
};

int DirectionIndex(int32_t direction)
{
    for (int index = 0; index < DirectionCount; ++index)
        if (DirectionItems[index].Direction == direction)
            return index;
    return -1;
}

const EnablingRule EnablingRules[EnablingRuleCount] = {
    {PageGeneral, IDC_CHANGE_MODE, IDC_MINUTES},
    {PageGeneral, IDC_CHANGE_MODE, IDC_MINUTES_ARROWS},
    {PageGeneral, IDC_CHANGE_MODE, IDC_MINUTES_LABEL},
    {ModeBounce, IDC_GRAVITY, IDC_BOUNCE_SIDES},
};

bool IgnoreBoxesUncheckKeyboard(bool keyboard, bool clicks, bool movement) { return keyboard && clicks && movement; }

namespace {

// A row whose Kind is AnyPage serves every page that has no row of its own.
constexpr int32_t AnyPage = INT32_MIN;

struct HelpText {
    int32_t ControlId;
    int32_t Kind;
    const char* Text;
};

const HelpText HelpTexts[] = {
    {IDC_SPEED, ModeBounce, "This sets the speed that the logo will move"},
    {IDC_SPEED, ModeFade, "This sets the speed that the logo will fade in and out"},
    {IDC_SPEED, ModeDrip, "This specifies how fast the drips are"},
    {IDC_SPEED, ModeFalling, "This sets how fast the logos will move"},
    {IDC_ENABLED, AnyPage,
     "Check this to enable this animation. When an animation is enabled, it will be randomly selected from the "
     "other enabled savers to be shown when the screensaver is active."},
    {IDC_GRAVITY, AnyPage,
     "When checked, the logo will drop to the bottom of the screen, like a ball. If unchecked, the logo will "
     "simply bounce diagonally."},
    {IDC_BOUNCE_SIDES, AnyPage,
     "When checked, the logo will bounce off the sides of the screen. This option is only usable when Gravity "
     "is on."},
    {IDC_DELAY, ModePlain, "This sets how long the logo is to be shown for, before changing position."},
    {IDC_DELAY, AnyPage, "This how fast the logos will appear"},
    {IDC_HIDE_OPTIONS, AnyPage,
     "When checked, the Tab for this animation won't be displayed in the final Screensaver's settings dialog."},
    {IDC_RANDOM_POSITIONS, AnyPage, "When checked, the logo will be displayed in random positions on the screen."},
    {IDC_CHANGE_MODE, AnyPage, "When checked, a new animation will be chosen after the specified delay."},
    {IDC_MINUTES, AnyPage, "This sets the delay between each new animation"},
    {IDC_MINUTES_ARROWS, AnyPage, "This sets the delay between each new animation"},
    {IDC_IGNORE_KEYS, AnyPage, "When checked, the screensaver will ignore any key presses and continue to run."},
    {IDC_IGNORE_CLICKS, AnyPage, "When checked, the screensaver will ignore any mouse clicks and continue to run."},
    {IDC_IGNORE_MOVEMENT, AnyPage,
     "When checked, the screensaver will ignore any mouse movement and continue to run."},
    {IDC_ABOUT_OK, AnyPage, "Click here to close this dialog."},
    {IDC_PREVIEW, AnyPage, "Click here to see a preview of the currently displayed settings."},
    {IDC_FADE_IN_DISTANCE, AnyPage, "Enable this to make the logos appear darker when they are further away"},
    {IDC_TILE, AnyPage,
     "Check this option to repeat the logo to cover the whole screen. Useful for smaller images."},
    {IDC_LOGO_COUNT, AnyPage, "This specifies how many logos should appear"},
    {IDC_LOGO_COUNT_ARROWS, AnyPage, "This specifies how many logos should appear"},
    {IDC_DIRECTION, AnyPage, "Choose the direction that the logos will travel"},
};

}  // namespace

const char* ControlHelpText(int32_t kind, int32_t controlId)
{
    for (const HelpText& row : HelpTexts)
        if (row.ControlId == controlId && (row.Kind == kind || row.Kind == AnyPage))
            return row.Text;
    return nullptr;
}

int GetControlHelpText(int32_t kind, int32_t controlId, char* buffer)
{
    const char* text = ControlHelpText(kind, controlId);
    buffer[0] = '\0';
    if (!text)
        return 0;
    const size_t length = std::strlen(text);
    const size_t kept = length < HelpTextCapacity ? length : HelpTextCapacity - 1;
    std::memcpy(buffer, text, kept);
    buffer[kept] = '\0';
    return 1;
}

ScreenPoint HelpPopupPoint(bool f1Down, bool leftButtonDown, int32_t left, int32_t right, int32_t bottom,
                           ScreenPoint cursor)
{
    if (f1Down || !leftButtonDown)
        return {left + (right - left) / 2, bottom + 10};
    return {cursor.X, cursor.Y + 20};
}

bool HasVisibleText(const char* field, size_t size)
{
    for (size_t i = 0; i < size && field[i] != '\0'; ++i)
        if (field[i] != ' ')
            return true;
    return false;
}
