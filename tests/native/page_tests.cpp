// The settings pages' tables, checked against the settings field table, their help texts, and the link label.
#include "engine/modes.h"
#include "native/tables.h"
#include "settings_ui/link_text.h"
#include "settings_ui/page_map.h"

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>

static const ControlBinding& Bound(int32_t kind, int32_t control)
{
    for (int i = 0; i < PageBindingCount; ++i)
        if (PageBindings[i].ControlId == control && BindingServesPage(PageBindings[i], kind))
            return PageBindings[i];
    FAIL("no binding");
    return PageBindings[0];
}

TEST_CASE("the sheet shows General, the visible mode pages and About, each with its template and kind")
{
    const std::pair<int32_t, std::string> rows[] = {{0, "General Static Plain Bounce Many Fade Drip Falling About "},
        {1, "Static Plain Bounce Many Fade Drip Falling About "}, {255, "About "}, {254, "General About "}, {-1, "About "},
        {8 | 64, "General Static Plain Many Fade Falling About "}, {256 | 512 | 0x40000000, "General Static Plain Bounce Many Fade Drip Falling About "}};
    for (auto& [hidden, titles] : rows) {
        SheetPage pages[MaximumSheetPages];
        std::string got;
        for (int i = 0, count = BuildSheetPages(hidden, pages); i < count; ++i)
            got += pages[i].Title + std::string(" ");
        CHECK(std::tuple(hidden, got) == std::tuple(hidden, titles));
    }
    SheetPage pages[MaximumSheetPages];
    REQUIRE(BuildSheetPages(0, pages) == 9);
    for (int i = 0; i < 9; ++i)
        CHECK(std::tuple(i, pages[i].Template, pages[i].Kind) == (i == 0 ? std::tuple(0, uint16_t{109}, PageGeneral) : i == 8 ?
              std::tuple(8, uint16_t{112}, PageAbout) : std::tuple(i, ModeRows[i - 1].PageTemplate, ModeRows[i - 1].Bit)));
    for (auto [parameter, kind] : {std::pair{109, PageGeneral}, {1, PageGeneral}, {8, 8}, {128, 128}, {112, PageAbout}, {0, 0}})
        CHECK(std::tuple(parameter, PageKindFromParameter(parameter)) == std::tuple(parameter, kind));
}

TEST_CASE("every binding stores only what the settings field table allows, and its controls reach that range")
{
    int32_t bits = 0;
    for (int i = 0; i < PageBindingCount; ++i) {
        const ControlBinding& row = PageBindings[i];
        const SettingsField* field = nullptr;
        for (const SettingsField& f : SettingsFields)
            field = f.Offset == row.Field ? &f : field;
        CAPTURE(row.Kind);
        CAPTURE(row.ControlId);
        REQUIRE(field != nullptr);
        std::vector<int32_t> stored;
        if (row.Role == Binding::ModeEnabled) {
            stored = {0, 254};
            for (const ModeRow& mode : ModeRows)
                stored.push_back(mode.Bit);
        } else if (row.Role == Binding::Check || row.Role == Binding::BounceSides) {
            stored = {0, 1};
        } else if (row.Role == Binding::Bit || row.Role == Binding::ClearField) {
            stored = {row.Bit}, bits |= row.Bit;
        } else if (row.Role == Binding::Slider) {
            int32_t lowest = INT32_MAX, highest = INT32_MIN;
            for (int32_t position = row.Minimum; position <= row.Maximum; ++position) {
                const int32_t value = SliderValue(row, position);
                stored.push_back(value), lowest = std::min(lowest, value), highest = std::max(highest, value);
                CHECK_EQ(SliderPosition(row, value), position);
            }
            CHECK(std::tuple(lowest, highest) == std::tuple(field->Minimum, field->Maximum));
        } else if (row.Role == Binding::DirectionList) {
            REQUIRE(field->ChoiceCount == DirectionCount);
            for (int item = 0; item < DirectionCount; ++item)
                CHECK_EQ(DirectionItems[item].Direction, field->Choices[item]);
        } else {
            CHECK(std::tuple(row.Minimum, row.Maximum) == std::tuple(field->Minimum, field->Maximum));
        }
        for (int32_t value : stored)
            CHECK(std::tuple(value, SettingsValueAllowed(*field, value)) == std::tuple(value, true));
    }
    CHECK_EQ(bits, FindSettingsField("IgnoreInput")->Maximum);  // the ignore boxes together make every allowed value
}

TEST_CASE("sliders show outside values at the nearest end, store that end, and truncate between steps")
{
    const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t> rows[] = {{ModePlain, 1017, 500, 1, 1000},
        {ModePlain, 1017, 20000, 15, 15000}, {ModePlain, 1017, 5999, 5, 5000}, {ModePlain, 1017, -3000, 1, 1000},
        {ModeMany, 1017, 300, 3, 300}, {ModeMany, 1017, 99, 1, 100}, {ModeMany, 1017, 2650, 26, 2600}, {ModeMany, 1017, 100000, 26, 2600},
        {ModeDrip, 1012, 510, 5, 510}, {ModeDrip, 1012, 10, 10, 10}, {ModeDrip, 1012, 1010, 1, 910}, {ModeDrip, 1012, 0, 10, 10},
        {ModeDrip, 1012, 960, 1, 910}, {ModeDrip, 1012, 1200, 1, 910}, {ModeBounce, 1012, 0, 1, 1}, {ModeBounce, 1012, 11, 10, 10},
        {ModeFade, 1012, 6, 5, 5}, {ModeFalling, 1012, 26, 25, 25}, {ModeFalling, 1012, -7, 1, 1}, {ModePlain, 1017, INT32_MAX, 15, 15000},
        {ModePlain, 1017, INT32_MIN, 1, 1000}, {ModeDrip, 1012, INT32_MIN, 10, 10}, {ModeDrip, 1012, INT32_MAX, 1, 910},
        {ModeMany, 1017, INT32_MIN, 1, 100}, {ModeFalling, 1012, INT32_MAX, 25, 25}};
    for (auto& [kind, control, value, position, stored] : rows) {
        const ControlBinding& slider = Bound(kind, control);
        REQUIRE(slider.Role == Binding::Slider);
        const int32_t at = SliderPosition(slider, value);
        CHECK(std::tuple(kind, value, at, SliderValue(slider, at)) == std::tuple(kind, value, position, stored));
    }
    // Positions the control should never report still store values in range.
    const ControlBinding& drip = Bound(ModeDrip, 1012);
    CHECK(std::tuple(SliderValue(drip, 0), SliderValue(drip, 11), SliderValue(drip, INT32_MIN)) == std::tuple(910, 10, 910));
}

TEST_CASE("the logo count stores the arrows' 16-bit position held within 1 to 50; directions are found by their data")
{
    const ControlBinding& count = Bound(ModeFalling, 1043);
    REQUIRE(count.Role == Binding::ArrowCount);
    // The high word flags invalid text: the last valid position comes with it.
    for (auto [answer, stored] : {std::pair{15u, 15}, {0x1000Fu, 15}, {0x10032u, 50}, {50u, 50}, {1u, 1}, {0u, 1}, {51u, 50},
                                  {0xFFFFu, 1}, {0x17FFFu, 50}, {0x18000u, 1}, {0xFFFFFFFFu, 1}})
        CHECK(std::tuple(answer, ArrowCountValue(count, answer)) == std::tuple(answer, stored));
    CHECK(std::tuple(ClampToRange(count, 70), ClampToRange(count, INT32_MIN)) == std::tuple(50, 1));
    const char* const texts[DirectionCount] = {"Up", "Down", "Left", "Right", "Horizontal", "Vertical", "Any"};
    for (int i = 0; i < DirectionCount; ++i)
        CHECK(std::tuple(std::string(DirectionItems[i].Text), DirectionIndex(DirectionItems[i].Direction)) == std::tuple(std::string(texts[i]), i));
    for (int32_t unmatched : {0, 5, 6, 7, 16, -1, INT32_MIN, INT32_MAX})
        CHECK(std::tuple(unmatched, DirectionIndex(unmatched)) == std::tuple(unmatched, -1));
}

TEST_CASE("a page reads its controls back into the record in table order")
{
    SaverSettings base = {};
    ApplyDefaultSettings(&base);
    using Changes = std::map<const char*, int32_t>;
    // Page, fields set before, checked boxes, other controls' positions, fields expected to change.
    const std::tuple<int32_t, Changes, std::map<int32_t, bool>, std::map<int32_t, int32_t>, Changes> rows[] = {
        {PageGeneral, {{"IgnoreInput", -1}}, {{1026, 1}, {1027, 1}}, {{1022, 45}},
         {{"ChangeModeEnabled", 0}, {"ChangeModeMinutes", 45}, {"IgnoreInput", 6}}},
        {PageGeneral, {{"IgnoreInput", 6}, {"EnabledModes", 2}}, {{1021, 1}, {1025, 1}}, {{1022, 0}}, {{"ChangeModeMinutes", 0}, {"IgnoreInput", 1}}},
        {ModeBounce, {{"BounceGravity", 0}, {"BounceWrapSides", 1}}, {{1014, 1}, {1015, 1}, {1016, 1}}, {{1012, 7}},
         {{"BounceGravity", 1}, {"BounceWrapSides", 0}, {"BounceSpeed", 7}}},
        {ModeBounce, {{"BounceWrapSides", 0}}, {{1014, 1}, {1016, 1}}, {{1012, 3}}, {{"BounceGravity", 0}, {"BounceWrapSides", 1}}},
        {ModeBounce, {}, {{1015, 1}}, {{1012, 1}}, {{"EnabledModes", 255 & ~8}, {"BounceGravity", 1}, {"BounceWrapSides", 1}, {"BounceSpeed", 1}}},
        {ModeStatic, {{"EnabledModes", 0}}, {{1014, 1}}, {}, {{"EnabledModes", 2}}},
        {ModePlain, {}, {{1014, 1}}, {{1017, 12}}, {{"PlainDelayMs", 12000}}}, {ModeMany, {}, {{1014, 1}}, {{1017, 26}}, {{"ManyDelayMs", 2600}}},
        {ModeFade, {}, {{1014, 1}}, {{1012, 5}}, {{"FadeRandomPositions", 0}, {"FadeSpeed", 5}}},
        {ModeDrip, {}, {{1014, 1}, {1040, 1}}, {{1012, 2}}, {{"DripTile", 1}, {"DripIntervalMs", 810}}},
        {ModeFalling, {}, {{1014, 1}}, {{1012, 20}, {1043, 0x10000 | 33}, {1044, 12}},
         {{"FallingFadeInDistance", 0}, {"FallingSpeed", 20}, {"FallingLogoCount", 33}, {"FallingDirection", 12}}}};
    for (auto& [kind, before, checked, positions, changes] : rows) {
        SaverSettings actual = base, expected;
        for (auto& [name, value] : before)
            WriteSettingsField(&actual, *FindSettingsField(name), value);
        expected = actual;
        for (auto& [name, value] : changes)
            WriteSettingsField(&expected, *FindSettingsField(name), value);
        for (int i = 0; i < PageBindingCount; ++i) {  // as the page procedure runs it
            const ControlBinding& row = PageBindings[i];
            const int32_t at = positions.count(row.ControlId) ? positions.at(row.ControlId) : 0;
            if (!BindingServesPage(row, kind) || row.Role == Binding::ArrowRange)
                continue;
            if (row.Role == Binding::Slider)
                WriteBoundField(&actual, row, SliderValue(row, at));
            else if (row.Role == Binding::NumberText || row.Role == Binding::DirectionList)
                WriteBoundField(&actual, row, at);
            else if (row.Role == Binding::ArrowCount)
                WriteBoundField(&actual, row, ArrowCountValue(row, uint32_t(at)));
            else
                StoreBoxState(&actual, row, kind, checked.count(row.ControlId) > 0);
        }
        for (const SettingsField& field : SettingsFields)
            CHECK(std::tuple(kind, field.Name, ReadSettingsField(actual, field)) == std::tuple(kind, field.Name, ReadSettingsField(expected, field)));
    }
    // The keyboard box is unchecked only when clicks and movement are ignored as well.
    for (int boxes = 0; boxes < 8; ++boxes)
        CHECK(std::tuple(boxes, IgnoreBoxesUncheckKeyboard(boxes & 1, boxes & 2, boxes & 4)) == std::tuple(boxes, boxes == 7));
}

TEST_CASE("help texts follow the control and the page; the longest fits whole")
{
    const char* many = "This how fast the logos will appear";
    const std::tuple<int32_t, int32_t, const char*> rows[] = {{ModeBounce, 1012, "This sets the speed that the logo will move"},
        {ModeFade, 1012, "This sets the speed that the logo will fade in and out"}, {ModeDrip, 1012, "This specifies how fast the drips are"},
        {ModeFalling, 1012, "This sets how fast the logos will move"}, {ModePlain, 1012, ""}, {0, 1012, ""},
        {ModePlain, 1017, "This sets how long the logo is to be shown for, before changing position."}, {ModeMany, 1017, many},
        {0, 1017, many}, {0, 1029, "Click here to close this dialog."}, {PageGeneral, 1023, "This sets the delay between each new animation"},
        {ModeFalling, 1043, "This specifies how many logos should appear"}, {PageAbout, 1037, ""}, {ModeBounce, -1, ""},
        {PageGeneral, 1024, ""}, {ModeBounce, 1013, ""}};
    char buffer[HelpTextCapacity];
    for (auto& [kind, control, text] : rows) {
        std::memset(buffer, 'x', sizeof buffer);
        const bool found = GetControlHelpText(kind, control, buffer) != 0;
        CHECK(std::tuple(kind, control, found, std::string(buffer)) == std::tuple(kind, control, *text != 0, std::string(text)));
    }
    size_t longest = 0;
    for (int32_t control = 1000; control < 1100; ++control)
        for (int32_t kind : {0, 1, 2, 4, 8, 16, 32, 64, 128, 112})
            longest = std::max(longest, ControlHelpText(kind, control) ? std::strlen(ControlHelpText(kind, control)) : 0);
    REQUIRE(GetControlHelpText(ModeStatic, 1014, buffer));
    CHECK(std::tuple(longest, std::strlen(buffer)) == std::tuple(HelpTextCapacity - 1, size_t{169}));
}

TEST_CASE("the help popup goes below the control unless the mouse asked; the web address needs more than spaces")
{
    // F1 down, left button down, control left, right and bottom; the point.
    const std::tuple<bool, bool, int32_t, int32_t, int32_t, int32_t, int32_t> rows[] = {{1, 0, 101, 200, 220, 150, 230},
        {1, 1, 101, 200, 220, 150, 230}, {0, 0, 101, 200, 220, 150, 230}, {0, 1, 101, 200, 220, 500, 320}, {1, 0, -300, -101, -50, -201, -40}};
    for (auto& [f1, left, l, r, b, x, y] : rows) {
        const ScreenPoint at = HelpPopupPoint(f1, left, l, r, b, {500, 300});
        CHECK(std::tuple(f1, left, l, at.X, at.Y) == std::tuple(f1, left, l, x, y));
    }
    const std::pair<std::string, bool> fields[] = {{"", 0}, {"   ", 0}, {" x", 1}, {"www.example.com", 1}, {"\t", 1},
        {std::string(63, ' ') + "z", 1}, {std::string(64, ' '), 0}, {std::string(" \0visible", 9), 0}};  // nothing counts after the end
    for (auto& [text, visible] : fields) {
        char field[64] = {};
        std::memcpy(field, text.data(), std::min<size_t>(text.size(), 64));
        CHECK(std::tuple(text, HasVisibleText(field, sizeof field)) == std::tuple(text, visible));
    }
}

TEST_CASE("the link label reads registry colours and underline settings, and gives an address a scheme only when it has none")
{
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; };
    const std::pair<const char*, uint32_t> colours[] = {{"0,0,128", rgb(0, 0, 128)}, {"128,0", rgb(128, 0, 0)}, {"255", rgb(255, 0, 0)},
        {"0", rgb(255, 0, 0)}, {"", rgb(255, 0, 0)}, {"300,0,0", rgb(44, 0, 0)}, {" 12, 34 ,56", rgb(12, 34, 56)}, {"+7,-1,0", rgb(7, 255, 0)},
        {"1,2,3,4", rgb(1, 2, 3)}, {"1,2,", rgb(1, 2, 0)}, {",,", 0}, {"red,green,blue", 0}, {"12abc,34,56xyz", rgb(12, 34, 56)},
        {"4294967296,256,257", rgb(0, 0, 1)}};
    for (auto& [text, colour] : colours)
        CHECK(std::tuple(text, ParseRegistryColour(text)) == std::tuple(text, colour));
    CHECK_EQ(ParseRegistryColour("99999999999999999999,1,2") & 0xFFFF00u, rgb(0, 1, 2));  // wraps instead of overflowing
    const int32_t N = UnderlineNever, H = UnderlineWhileHovered, A = UnderlineAlways;
    // The first five characters count, in any case; hover colour when the text starts with "yes".
    const std::tuple<const char*, int32_t, bool> texts[] = {{"no", N, 0}, {"NO", N, 0}, {"hover", H, 0}, {"Hovered", H, 0}, {"yes", A, 1},
        {"YES", A, 1}, {"Yesterday", A, 1}, {"", A, 0}, {"none", A, 0}, {"n", A, 0}, {"hove", A, 0}, {" no", A, 0}, {"ye", A, 0}, {" yes", A, 0}};
    for (auto& [text, mode, hover] : texts)
        CHECK(std::tuple(text, UnderlineModeFromText(text), HoverColourWanted(text)) == std::tuple(text, mode, hover));
    for (auto [mode, plain, hovering] : {std::tuple{N, false, false}, {H, false, true}, {A, true, true}})
        CHECK(std::tuple(mode, LinkUnderlined(mode, false), LinkUnderlined(mode, true)) == std::tuple(mode, plain, hovering));
    const std::string long74 = "www." + std::string(66, 'a') + ".com", http = "http://";
    const std::pair<std::string, std::string> addresses[] = {{"www.example.com", http + "www.example.com"},
        {"HTTP://WWW.EXAMPLE.COM", "HTTP://WWW.EXAMPLE.COM"}, {"https://secure.example.com/a?b=c", "https://secure.example.com/a?b=c"},
        {"HtTpS://x", "HtTpS://x"}, {"ftp://files.example.com", http + "ftp://files.example.com"}, {"http:/x", http + "http:/x"},
        {"https:x", http + "https:x"}, {"", http}, {long74, http + long74}, {long74 + "/tail", http + long74},
        {"https://" + std::string(80, 'b'), "https://" + std::string(66, 'b')}};
    for (auto& [text, address] : addresses) {
        char out[LinkAddressCapacity];
        LinkAddressFor(text.c_str(), out);
        CHECK(std::tuple(text, std::string(out)) == std::tuple(text, address));
    }
}
