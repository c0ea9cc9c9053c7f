// The settings pages' tables: which pages the sheet shows, how every bound
// control maps to its field (checked against the settings field table), the
// order in which a page reads its controls back, and the help texts.
#include "settings_ui/page_map.h"
#include "engine/modes.h"
#include "testkit.h"

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

const SettingsField& FieldOf(const ControlBinding& row)
{
    for (const SettingsField& field : SettingsFields)
        if (field.Offset == row.Field)
            return field;
    static const SettingsField none = {"(none)", 0, 0, 0, nullptr, 0};
    return none;
}

const ControlBinding* FindBinding(int32_t kind, int32_t controlId)
{
    for (int i = 0; i < PageBindingCount; ++i)
        if (PageBindings[i].ControlId == controlId && BindingServesPage(PageBindings[i], kind))
            return &PageBindings[i];
    return nullptr;
}

std::string RowName(const ControlBinding& row)
{
    return "kind " + std::to_string(row.Kind) + ", control " + std::to_string(row.ControlId) + " (" +
           FieldOf(row).Name + ")";
}

// A page's read-back as the page procedure runs it: every row of the page in
// table order, with the boxes, positions and texts given here.
struct PageState {
    std::map<int32_t, bool> Checked;
    std::map<int32_t, int32_t> Position;  // sliders, minutes text, up-down answers, list data
};

void ReadBackPage(SaverSettings* settings, int32_t kind, const PageState& state)
{
    for (int i = 0; i < PageBindingCount; ++i) {
        const ControlBinding& row = PageBindings[i];
        if (!BindingServesPage(row, kind))
            continue;
        const auto checked = state.Checked.find(row.ControlId);
        const auto position = state.Position.find(row.ControlId);
        switch (row.Role) {
        case Binding::Slider:
            WriteBoundField(settings, row, SliderValue(row, position->second));
            break;
        case Binding::NumberText:
        case Binding::DirectionList:
            WriteBoundField(settings, row, position->second);
            break;
        case Binding::ArrowCount:
            WriteBoundField(settings, row, ArrowCountValue(row, static_cast<uint32_t>(position->second)));
            break;
        case Binding::ArrowRange:
            break;
        default:
            StoreBoxState(settings, row, kind, checked != state.Checked.end() && checked->second);
            break;
        }
    }
}

}  // namespace

TEST_CASE(sheet_shows_general_the_visible_mode_pages_and_about)
{
    struct Row { int32_t Hidden; std::vector<std::string> Titles; };
    const Row rows[] = {
        {0, {"General", "Static", "Plain", "Bounce", "Many", "Fade", "Drip", "Falling", "About"}},
        {1, {"Static", "Plain", "Bounce", "Many", "Fade", "Drip", "Falling", "About"}},
        {255, {"About"}},
        {254, {"General", "About"}},
        {8 | 64, {"General", "Static", "Plain", "Many", "Fade", "Falling", "About"}},
        {256 | 512 | 0x40000000, {"General", "Static", "Plain", "Bounce", "Many", "Fade", "Drip", "Falling", "About"}},
        {-1, {"About"}},
    };
    for (const Row& row : rows) {
        TEST_ROW("HiddenPages " + std::to_string(row.Hidden));
        SheetPage pages[MaximumSheetPages];
        const int count = BuildSheetPages(row.Hidden, pages);
        REQUIRE(count == static_cast<int>(row.Titles.size()));
        for (int i = 0; i < count; ++i)
            CHECK_EQ(pages[i].Title, row.Titles[i]);
    }

    // Each page carries its template and kind.
    SheetPage pages[MaximumSheetPages];
    REQUIRE(BuildSheetPages(0, pages) == 9);
    CHECK_EQ(pages[0].Template, 109);
    CHECK_EQ(pages[0].Kind, PageGeneral);
    for (int i = 0; i < ModeCount; ++i) {
        TEST_ROW(ModeRows[i].Name);
        CHECK_EQ(pages[i + 1].Template, ModeRows[i].PageTemplate);
        CHECK_EQ(pages[i + 1].Kind, ModeRows[i].Bit);
    }
    CHECK_EQ(pages[8].Template, 112);
    CHECK_EQ(pages[8].Kind, PageAbout);
}

TEST_CASE(page_kind_comes_from_the_creation_parameter)
{
    struct Row { intptr_t Parameter; int32_t Kind; };
    const Row rows[] = {{109, PageGeneral}, {1, PageGeneral}, {8, 8}, {128, 128}, {112, PageAbout}, {0, 0}};
    for (const Row& row : rows) {
        TEST_ROW("parameter " + std::to_string(row.Parameter));
        CHECK_EQ(PageKindFromParameter(row.Parameter), row.Kind);
    }
}

// Every value a page can store is one that the settings field table allows,
// and the controls reach exactly that table's range.
TEST_CASE(every_binding_agrees_with_the_settings_field_table)
{
    for (int i = 0; i < PageBindingCount; ++i) {
        const ControlBinding& row = PageBindings[i];
        TEST_ROW(RowName(row));
        const SettingsField& field = FieldOf(row);
        REQUIRE(std::strcmp(field.Name, "(none)") != 0);
        switch (row.Role) {
        case Binding::ModeEnabled: {
            int32_t all = 0;
            for (const ModeRow& mode : ModeRows) {
                CHECK(SettingsValueAllowed(field, mode.Bit));
                all |= mode.Bit;
            }
            CHECK(SettingsValueAllowed(field, all));
            CHECK(SettingsValueAllowed(field, 0));
            break;
        }
        case Binding::Check:
        case Binding::BounceSides:
            CHECK(SettingsValueAllowed(field, 0));
            CHECK(SettingsValueAllowed(field, 1));
            break;
        case Binding::Bit:
            CHECK(SettingsValueAllowed(field, row.Bit));
            break;
        case Binding::ClearField:
            CHECK(SettingsValueAllowed(field, 0));
            break;
        case Binding::Slider: {
            int32_t lowest = INT32_MAX, highest = INT32_MIN;
            for (int32_t position = row.Minimum; position <= row.Maximum; ++position) {
                const int32_t value = SliderValue(row, position);
                CHECK(SettingsValueAllowed(field, value));
                CHECK_EQ(SliderPosition(row, value), position);
                lowest = value < lowest ? value : lowest;
                highest = value > highest ? value : highest;
            }
            CHECK_EQ(lowest, field.Minimum);
            CHECK_EQ(highest, field.Maximum);
            break;
        }
        case Binding::NumberText:
        case Binding::ArrowRange:
        case Binding::ArrowCount:
            CHECK_EQ(row.Minimum, field.Minimum);
            CHECK_EQ(row.Maximum, field.Maximum);
            break;
        case Binding::DirectionList:
            REQUIRE(field.ChoiceCount == DirectionCount);
            for (int item = 0; item < DirectionCount; ++item)
                CHECK_EQ(DirectionItems[item].Direction, field.Choices[item]);
            break;
        }
    }

    // The Bit rows of IgnoreInput together make every value the field allows.
    int32_t bits = 0;
    for (int i = 0; i < PageBindingCount; ++i)
        if (PageBindings[i].Role == Binding::Bit)
            bits |= PageBindings[i].Bit;
    CHECK_EQ(bits, FindSettingsField("IgnoreInput")->Maximum);
}

TEST_CASE(sliders_show_outside_values_at_the_nearest_end_and_store_that_end)
{
    struct Row { int32_t Kind; int32_t Control; int32_t Value; int32_t Position; int32_t Stored; };
    const Row rows[] = {
        {ModePlain, 1017, 500, 1, 1000},     {ModePlain, 1017, 20000, 15, 15000},
        {ModePlain, 1017, 5999, 5, 5000},    {ModePlain, 1017, -3000, 1, 1000},
        {ModeMany, 1017, 300, 3, 300},       {ModeMany, 1017, 99, 1, 100},
        {ModeMany, 1017, 2650, 26, 2600},    {ModeMany, 1017, 100000, 26, 2600},
        {ModeDrip, 1012, 510, 5, 510},       {ModeDrip, 1012, 10, 10, 10},
        {ModeDrip, 1012, 1010, 1, 910},      {ModeDrip, 1012, 0, 10, 10},
        {ModeDrip, 1012, 960, 1, 910},       {ModeDrip, 1012, 1200, 1, 910},
        {ModeBounce, 1012, 0, 1, 1},         {ModeBounce, 1012, 11, 10, 10},
        {ModeFade, 1012, 6, 5, 5},           {ModeFalling, 1012, 26, 25, 25},
        {ModeFalling, 1012, -7, 1, 1},
        {ModePlain, 1017, INT32_MAX, 15, 15000},  {ModePlain, 1017, INT32_MIN, 1, 1000},
        {ModeDrip, 1012, INT32_MIN, 10, 10},      {ModeDrip, 1012, INT32_MAX, 1, 910},
        {ModeMany, 1017, INT32_MIN, 1, 100},      {ModeFalling, 1012, INT32_MAX, 25, 25},
    };
    for (const Row& row : rows) {
        TEST_ROW("kind " + std::to_string(row.Kind) + ", value " + std::to_string(row.Value));
        const ControlBinding* binding = FindBinding(row.Kind, row.Control);
        REQUIRE(binding && binding->Role == Binding::Slider);
        const int32_t position = SliderPosition(*binding, row.Value);
        CHECK_EQ(position, row.Position);
        CHECK_EQ(SliderValue(*binding, position), row.Stored);
    }

    // A position that the control should never report still stores a value in range.
    const ControlBinding* drip = FindBinding(ModeDrip, 1012);
    REQUIRE(drip != nullptr);
    CHECK_EQ(SliderValue(*drip, 0), 910);
    CHECK_EQ(SliderValue(*drip, 11), 10);
    CHECK_EQ(SliderValue(*drip, INT32_MIN), 910);
}

TEST_CASE(logo_count_stores_the_arrows_position_held_within_1_to_50)
{
    const ControlBinding* count = FindBinding(ModeFalling, 1043);
    REQUIRE(count && count->Role == Binding::ArrowCount);
    struct Row { uint32_t Answer; int32_t Stored; const char* Case; };
    const Row rows[] = {
        {15, 15, "valid"},
        {0x00010000u | 15, 15, "invalid text: last valid position with the error flag"},
        {0x00010000u | 50, 50, "above the range: its end"},
        {50, 50, "top"},
        {1, 1, "bottom"},
        {0, 1, "zero"},
        {51, 50, "one above"},
        {0x0000FFFFu, 1, "minus one in 16 bits"},
        {0x00017FFFu, 50, "the largest 16-bit position"},
        {0x00018000u, 1, "the smallest 16-bit position"},
        {0xFFFFFFFFu, 1, "everything set"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Case);
        CHECK_EQ(ArrowCountValue(*count, row.Answer), row.Stored);
    }
    CHECK_EQ(ClampToRange(*count, 70), 50);
    CHECK_EQ(ClampToRange(*count, INT32_MIN), 1);
}

TEST_CASE(direction_items_are_found_by_their_data)
{
    const char* const texts[DirectionCount] = {"Up", "Down", "Left", "Right", "Horizontal", "Vertical", "Any"};
    for (int i = 0; i < DirectionCount; ++i) {
        TEST_ROW(texts[i]);
        CHECK_EQ(DirectionItems[i].Text, texts[i]);
        CHECK_EQ(DirectionIndex(DirectionItems[i].Direction), i);
    }
    for (int32_t unmatched : {0, 5, 6, 7, 16, -1, INT32_MIN, INT32_MAX}) {
        TEST_ROW("direction " + std::to_string(unmatched));
        CHECK_EQ(DirectionIndex(unmatched), -1);
    }
}

TEST_CASE(read_back_writes_the_record_in_table_order)
{
    SaverSettings base = {};
    ApplyDefaultSettings(&base);

    struct Row {
        const char* Case;
        int32_t Kind;
        void (*Before)(SaverSettings*);
        PageState State;
        void (*Expect)(SaverSettings*);
    };
    const Row rows[] = {
        {"General: ignore bits replace the field", PageGeneral,
         [](SaverSettings* s) { s->IgnoreInput = -1; },
         {{{1021, false}, {1026, true}, {1027, true}}, {{1022, 45}}},
         [](SaverSettings* s) { s->ChangeModeEnabled = 0; s->ChangeModeMinutes = 45; s->IgnoreInput = 6; }},
        {"General: keyboard alone", PageGeneral, [](SaverSettings* s) { s->IgnoreInput = 6; },
         {{{1021, true}, {1025, true}}, {{1022, 0}}},
         [](SaverSettings* s) { s->ChangeModeEnabled = 1; s->ChangeModeMinutes = 0; s->IgnoreInput = 1; }},
        {"General leaves the mode bits alone", PageGeneral, [](SaverSettings* s) { s->EnabledModes = 2; },
         {{{1021, true}}, {{1022, 5}}}, [](SaverSettings* s) { s->EnabledModes = 2; s->IgnoreInput = 0; }},
        {"Bounce: gravity switched on with the sides box checked", ModeBounce,
         [](SaverSettings* s) { s->BounceGravity = 0; s->BounceWrapSides = 1; },
         {{{1014, true}, {1015, true}, {1016, true}}, {{1012, 7}}},
         [](SaverSettings* s) { s->BounceGravity = 1; s->BounceWrapSides = 0; s->BounceSpeed = 7; }},
        {"Bounce: without gravity the sides wrap", ModeBounce,
         [](SaverSettings* s) { s->BounceGravity = 9; s->BounceWrapSides = 0; },
         {{{1014, true}, {1015, false}, {1016, true}}, {{1012, 3}}},
         [](SaverSettings* s) { s->BounceGravity = 0; s->BounceWrapSides = 1; s->BounceSpeed = 3; }},
        {"Bounce unchecked clears its bit only", ModeBounce, [](SaverSettings* s) { s->EnabledModes = 255; },
         {{{1015, true}}, {{1012, 1}}},
         [](SaverSettings* s) {
             s->EnabledModes = 255 & ~8; s->BounceGravity = 1; s->BounceWrapSides = 1; s->BounceSpeed = 1;
         }},
        {"Static checked sets its bit", ModeStatic, [](SaverSettings* s) { s->EnabledModes = 0; },
         {{{1014, true}}, {}}, [](SaverSettings* s) { s->EnabledModes = 2; }},
        {"Plain", ModePlain, [](SaverSettings*) {}, {{{1014, true}}, {{1017, 12}}},
         [](SaverSettings* s) { s->PlainDelayMs = 12000; }},
        {"Many", ModeMany, [](SaverSettings*) {}, {{{1014, true}}, {{1017, 26}}},
         [](SaverSettings* s) { s->ManyDelayMs = 2600; }},
        {"Fade", ModeFade, [](SaverSettings*) {}, {{{1014, true}, {1019, false}}, {{1012, 5}}},
         [](SaverSettings* s) { s->FadeRandomPositions = 0; s->FadeSpeed = 5; }},
        {"Drip", ModeDrip, [](SaverSettings*) {}, {{{1014, true}, {1040, true}}, {{1012, 2}}},
         [](SaverSettings* s) { s->DripTile = 1; s->DripIntervalMs = 810; }},
        {"Falling", ModeFalling, [](SaverSettings*) {},
         {{{1014, true}, {1039, false}}, {{1012, 20}, {1043, 0x00010000 | 33}, {1044, 12}}},
         [](SaverSettings* s) {
             s->FallingFadeInDistance = 0; s->FallingSpeed = 20; s->FallingLogoCount = 33; s->FallingDirection = 12;
         }},
    };
    for (const Row& row : rows) {
        SaverSettings before = base;
        row.Before(&before);
        SaverSettings actual = before;
        ReadBackPage(&actual, row.Kind, row.State);
        SaverSettings expected = before;
        row.Expect(&expected);
        for (const SettingsField& field : SettingsFields) {
            TEST_ROW(std::string(row.Case) + ": " + field.Name);
            CHECK_EQ(ReadSettingsField(actual, field), ReadSettingsField(expected, field));
        }
    }
}

// Two controls share an id across pages with different meanings; the text
// follows the page. Labels and unknown ids have none.
TEST_CASE(help_texts_follow_the_control_and_the_page)
{
    const char* const manyDelay = "This how fast the logos will appear";
    struct Row { int32_t Kind; int32_t Control; const char* Text; };
    const Row rows[] = {
        {ModeBounce, 1012, "This sets the speed that the logo will move"},
        {ModeFade, 1012, "This sets the speed that the logo will fade in and out"},
        {ModeDrip, 1012, "This specifies how fast the drips are"},
        {ModeFalling, 1012, "This sets how fast the logos will move"},
        {ModePlain, 1012, nullptr},
        {0, 1012, nullptr},
        {ModePlain, 1017, "This sets how long the logo is to be shown for, before changing position."},
        {ModeMany, 1017, manyDelay},
        {0, 1017, manyDelay},
        {0, 1029, "Click here to close this dialog."},
        {PageGeneral, 1023, "This sets the delay between each new animation"},
        {ModeFalling, 1043, "This specifies how many logos should appear"},
        {PageAbout, 1037, nullptr},
        {ModeBounce, -1, nullptr},
        {PageGeneral, 1024, nullptr},
        {ModeBounce, 1013, nullptr},
    };
    for (const Row& row : rows) {
        TEST_ROW("kind " + std::to_string(row.Kind) + ", control " + std::to_string(row.Control));
        char buffer[HelpTextCapacity];
        std::memset(buffer, 'x', sizeof buffer);
        CHECK_EQ(GetControlHelpText(row.Kind, row.Control, buffer) != 0, row.Text != nullptr);
        CHECK_EQ(buffer, row.Text ? row.Text : "");
    }

    // The longest text (the Enabled box's) fits whole with its terminator.
    size_t longest = 0;
    for (int32_t control = 1000; control < 1100; ++control)
        for (int32_t kind : {0, 1, 2, 4, 8, 16, 32, 64, 128, 112})
            if (const char* text = ControlHelpText(kind, control))
                longest = std::strlen(text) > longest ? std::strlen(text) : longest;
    CHECK_EQ(longest, HelpTextCapacity - 1);
    char buffer[HelpTextCapacity];
    REQUIRE(GetControlHelpText(ModeStatic, 1014, buffer));
    CHECK_EQ(std::strlen(buffer), size_t{169});
}

TEST_CASE(help_popup_goes_below_the_control_unless_the_mouse_asked)
{
    struct Row { bool F1; bool Left; ScreenPoint Expected; const char* Case; };
    const ScreenPoint cursor = {500, 300};
    const Row rows[] = {
        {true, false, {150, 230}, "F1"},
        {true, true, {150, 230}, "F1 while the button is down"},
        {false, false, {150, 230}, "no key and no button"},
        {false, true, {500, 320}, "the mouse"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Case);
        const ScreenPoint at = HelpPopupPoint(row.F1, row.Left, 101, 200, 220, cursor);
        CHECK_EQ(at.X, row.Expected.X);
        CHECK_EQ(at.Y, row.Expected.Y);
    }
    // Screen coordinates left of and above the primary screen.
    const ScreenPoint left = HelpPopupPoint(true, false, -300, -101, -50, cursor);
    CHECK_EQ(left.X, -201);
    CHECK_EQ(left.Y, -40);
}

TEST_CASE(web_address_counts_only_when_it_holds_more_than_spaces)
{
    struct Row { std::string Field; bool Visible; };
    const Row rows[] = {
        {"", false}, {"   ", false}, {" x", true}, {"www.example.com", true}, {"\t", true},
        {std::string(63, ' ') + "z", true}, {std::string(64, ' '), false},
    };
    for (const Row& row : rows) {
        TEST_ROW("\"" + row.Field + "\"");
        char field[64];
        std::memset(field, 0, sizeof field);
        std::memcpy(field, row.Field.data(), row.Field.size() < 64 ? row.Field.size() : 64);
        CHECK_EQ(HasVisibleText(field, sizeof field), row.Visible);
    }
    // The field ends at its terminator: nothing behind it counts.
    char field[64] = " \0visible";
    CHECK(!HasVisibleText(field, sizeof field));
}

TEST_MAIN()
