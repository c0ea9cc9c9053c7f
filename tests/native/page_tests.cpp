// The settings pages' tables, checked against the settings field table; their help texts; the link label.
#include "engine/modes.h"
#include "native/tables.h"
#include "settings_ui/link_text.h"
#include "settings_ui/page_map.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

static const ControlBinding& Bound(int32_t kind, int32_t control)
{
    const ControlBinding* end = PageBindings + PageBindingCount;
    const ControlBinding* row =
        std::find_if(PageBindings, end, [&](auto& b) { return b.ControlId == control && BindingServesPage(b, kind); });
    REQUIRE(row != end);
    return *row;
}
TEST_CASE("the sheet shows General, the visible mode pages and About, each with its template and kind") {
    const std::string all = "General Static Plain Bounce Many Fade Drip Falling About ";
    // Hidden pages; the titles shown.
    for (auto [hidden, titles] : {std::pair{0, all}, {1, all.substr(8)}, {255, "About "}, {254, "General About "},
                                  {8 | 64, "General Static Plain Many Fade Falling About "}}) {
        SheetPage pages[MaximumSheetPages];
        std::string got;
        for (int i = 0, count = BuildSheetPages(hidden, pages); i < count; ++i) got += pages[i].Title + std::string(" ");
        CHECK_ROW((hidden), (got), (titles));
    }
    SheetPage pages[MaximumSheetPages];
    REQUIRE(BuildSheetPages(0, pages) == 9);
    for (int i = 0; i < 9; ++i)
        CHECK_ROW((i), (pages[i].Template, pages[i].Kind), (i == 0   ? std::tuple(uint16_t{109}, PageGeneral)
                                                           : i == 8 ? std::tuple(uint16_t{112}, PageAbout)
                                                                    : std::tuple(ModeRows[i - 1].PageTemplate, ModeRows[i - 1].Bit)));
    for (auto [parameter, kind] : {std::pair{109, PageGeneral}, {8, 8}, {112, PageAbout}, {0, 0}})
        CHECK_ROW((parameter), (PageKindFromParameter(parameter)), (kind));
}
TEST_CASE("every binding stores only what the settings field table allows, and its controls reach that range") {
    int32_t bits = 0;
    for (const ControlBinding* row = PageBindings; row < PageBindings + PageBindingCount; ++row) {
        const SettingsField* field =
            std::find_if(SettingsFields, SettingsFields + SettingsFieldCount, [&](auto& f) { return f.Offset == row->Field; });
        REQUIRE(field != SettingsFields + SettingsFieldCount);
        std::vector<int32_t> stored;  // every value the row can store
        if (row->Role == Binding::ModeEnabled) {
            stored = {0, 254};
            for (const ModeRow& mode : ModeRows) stored.push_back(mode.Bit);
        } else if (row->Role == Binding::Check || row->Role == Binding::BounceSides) {
            stored = {0, 1};
        } else if (row->Role == Binding::Bit || row->Role == Binding::ClearField) {
            stored = {row->Bit}, bits |= row->Bit;
        } else if (row->Role == Binding::Slider) {
            for (int32_t position = row->Minimum; position <= row->Maximum; ++position) {
                stored.push_back(SliderValue(*row, position));
                CHECK_ROW((field->Name, position), (SliderPosition(*row, stored.back())), (position));
            }
            CHECK_ROW((field->Name), (*std::min_element(stored.begin(), stored.end()), *std::max_element(stored.begin(), stored.end())),
                      (field->Minimum, field->Maximum));
        } else if (row->Role == Binding::DirectionList) {
            REQUIRE(field->ChoiceCount == DirectionCount);
            for (int item = 0; item < DirectionCount; ++item) CHECK_ROW((item), (DirectionItems[item].Direction), (field->Choices[item]));
        } else {
            CHECK_ROW((field->Name, int(row->Role)), (row->Minimum, row->Maximum), (field->Minimum, field->Maximum));
        }
        for (int32_t value : stored) CHECK_ROW((field->Name, int(row->Role), value), (SettingsValueAllowed(*field, value)), (true));
    }
    CHECK_EQ(bits, FindSettingsField("IgnoreInput")->Maximum);  // the ignore boxes together make every allowed value
}
TEST_CASE("sliders show outside values at the nearest end, store that end, and truncate between steps; the logo count") {
    const int32_t P = ModePlain, M = ModeMany, D = ModeDrip;
    // Page, slider, the value shown; the position, the value stored from there.
    for (auto [kind, control, value, position, stored] : {std::tuple{P, 1017, 500, 1, 1000}, {P, 1017, 20000, 15, 15000},
             {P, 1017, 5999, 5, 5000}, {M, 1017, 300, 3, 300}, {M, 1017, 99, 1, 100}, {M, 1017, 2650, 26, 2600}, {D, 1012, 510, 5, 510},
             {D, 1012, 1010, 1, 910}, {D, 1012, 960, 1, 910}, {ModeBounce, 1012, 11, 10, 10}, {ModeFalling, 1012, 26, 25, 25},
             {P, 1017, INT32_MAX, 15, 15000}, {D, 1012, INT32_MIN, 10, 10}, {ModeFalling, 1012, INT32_MAX, 25, 25}}) {
        const ControlBinding& slider = Bound(kind, control);
        const int32_t at = SliderPosition(slider, value);
        CHECK_ROW((kind, value), (slider.Role, at, SliderValue(slider, at)), (Binding::Slider, position, stored));
    }
    const ControlBinding& drip = Bound(D, 1012);  // positions the control should never report still store values in range
    CHECK_ROW((), (SliderValue(drip, 0), SliderValue(drip, 11), SliderValue(drip, INT32_MIN)), (910, 10, 910));
    const ControlBinding& count = Bound(ModeFalling, 1043);
    // The arrows' 16-bit position, its high word flagging invalid text (with the last valid position), held within 1 to 50.
    for (auto [answer, stored] : {std::pair{15u, 15}, {0x1000Fu, 15}, {1u, 1}, {0u, 1}, {51u, 50}, {0xFFFFu, 1}, {0x18000u, 1}})
        CHECK_ROW((answer), (count.Role, ArrowCountValue(count, answer)), (Binding::ArrowCount, stored));
    CHECK_ROW((), (ClampToRange(count, 70), ClampToRange(count, INT32_MIN)), (50, 1));
}
TEST_CASE("boxes store their fields by their rules, in the order the page's table gives them; the keyboard box rule") {
    // Page, control, the field before, gravity as just stored, checked; the field after.
    for (auto [kind, control, before, gravity, checked, after] : {std::tuple{int32_t(ModeBounce), IDC_ENABLED, 255, 0, false, 255 & ~8},
             {ModeBounce, IDC_ENABLED, 0, 0, 1, 8}, {PageGeneral, IDC_CHANGE_MODE, 5, 0, 1, 1}, {PageGeneral, 0, 7, 0, 0, 0},
             {PageGeneral, IDC_IGNORE_KEYS, 4, 0, 1, 5}, {ModeBounce, IDC_GRAVITY, 9, 0, 1, 1},
             {ModeBounce, IDC_BOUNCE_SIDES, 0, 1, 1, 0}, {ModeBounce, IDC_BOUNCE_SIDES, 0, 0, 1, 1}}) {
        const ControlBinding& row = Bound(kind, control);
        SaverSettings s = {};
        s.BounceGravity = gravity, WriteBoundField(&s, row, before), StoreBoxState(&s, row, kind, checked);
        CHECK_ROW((kind, control, before, gravity, checked), (ReadBoundField(s, row)), (after));
    }
    // IgnoreInput is cleared before its bits are added; gravity is stored before the sides box that depends on it.
    auto at = [](int32_t kind, int32_t control) { return &Bound(kind, control) - PageBindings; };
    for (int32_t bit : {IDC_IGNORE_KEYS, IDC_IGNORE_CLICKS, IDC_IGNORE_MOVEMENT})
        CHECK_ROW((bit), (at(PageGeneral, 0) < at(PageGeneral, bit)), (true));
    CHECK(at(ModeBounce, IDC_GRAVITY) < at(ModeBounce, IDC_BOUNCE_SIDES));
    for (int boxes = 0; boxes < 8; ++boxes)  // keyboard unchecked only when clicks and movement are ignored as well
        CHECK_ROW((boxes), (IgnoreBoxesUncheckKeyboard(boxes & 1, boxes & 2, boxes & 4)), (boxes == 7));
}
TEST_CASE("help texts follow the control and the page; the longest fits whole; the popup goes below the control unless the mouse asked") {
    const char* many = "This how fast the logos will appear";
    // Page, control; the help text, "" for none.
    for (auto [kind, control, text] : {std::tuple{int32_t(ModeBounce), 1012, "This sets the speed that the logo will move"},
             {ModeFade, 1012, "This sets the speed that the logo will fade in and out"}, {ModePlain, 1012, ""}, {ModeMany, 1017, many},
             {ModePlain, 1017, "This sets how long the logo is to be shown for, before changing position."},
             {PageGeneral, 1023, "This sets the delay between each new animation"},
             {ModeFalling, 1043, "This specifies how many logos should appear"}, {ModeBounce, -1, ""}, {ModeBounce, 1013, ""}}) {
        char buffer[HelpTextCapacity];
        std::memset(buffer, 'x', sizeof buffer);
        const bool found = GetControlHelpText(kind, control, buffer) != 0;
        CHECK_ROW((kind, control), (found, std::string(buffer)), (*text != 0, text));
    }
    char buffer[HelpTextCapacity];  // the longest text, the Enabled box's, fits whole with its terminator
    REQUIRE(GetControlHelpText(ModeStatic, IDC_ENABLED, buffer));
    CHECK_EQ(std::strlen(buffer), HelpTextCapacity - 1);
    // F1 down, left button down, the control's left, right and bottom; the point. The cursor is at (500, 300).
    for (auto [f1, left, l, r, b, x, y] : {std::tuple{true, false, 101, 200, 220, 150, 230}, {0, 0, 101, 200, 220, 150, 230},
                                           {0, 1, 101, 200, 220, 500, 320}, {1, 0, -300, -101, -50, -201, -40}})
        CHECK_ROW((f1, left, l, r, b), (XY(HelpPopupPoint(f1, left, l, r, b, {500, 300}))), (x, y));
}
TEST_CASE("the link label: web address text, registry colours, underline settings, and a scheme only when the address has none") {
    // Nothing counts after the terminator.
    for (auto [text, visible] : {std::pair{std::string(), false}, {" x", 1}, {std::string(63, ' ') + "z", 1}, {std::string(64, ' '), 0},
                                 {std::string(" \0visible", 9), 0}}) {
        char field[64] = {};
        std::memcpy(field, text.data(), std::min<size_t>(text.size(), 64));
        CHECK_ROW((text), (HasVisibleText(field, sizeof field)), (visible));
    }
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; };
    for (auto [text, colour] : {std::pair{"0,0,128", rgb(0, 0, 128)}, {"255", rgb(255, 0, 0)}, {"", rgb(255, 0, 0)},
             {"300,0,0", rgb(44, 0, 0)}, {" 12, 34 ,56", rgb(12, 34, 56)}, {"red,green,blue", 0}, {"4294967296,256,257", rgb(0, 0, 1)}})
        CHECK_ROW((text), (ParseRegistryColour(text)), (colour));
    CHECK_EQ(ParseRegistryColour("99999999999999999999,1,2") & 0xFFFF00u, rgb(0, 1, 2));  // wraps instead of overflowing
    const int32_t N = UnderlineNever, H = UnderlineWhileHovered, A = UnderlineAlways;
    // The first five characters count, in any case; the hover colour when the text starts with "yes".
    for (auto [text, mode, hover] : {std::tuple{"no", N, false}, {"hover", H, 0}, {"yes", A, 1}, {"Yesterday", A, 1}, {"", A, 0},
                                     {"none", A, 0}, {"hove", A, 0}, {" yes", A, 0}})
        CHECK_ROW((text), (UnderlineModeFromText(text), HoverColourWanted(text)), (mode, hover));
    for (auto [mode, plain, hovering] : {std::tuple{N, false, false}, {H, false, true}, {A, true, true}})
        CHECK_ROW((mode), (LinkUnderlined(mode, false), LinkUnderlined(mode, true)), (plain, hovering));
    const std::string long74 = "www." + std::string(66, 'a') + ".com", http = "http://";
    for (auto [text, address] : {std::pair{std::string("www.example.com"), http + "www.example.com"},
             {"HTTP://WWW.EXAMPLE.COM", "HTTP://WWW.EXAMPLE.COM"}, {"https://secure.example.com/a?b=c", "https://secure.example.com/a?b=c"},
             {"ftp://x.com", http + "ftp://x.com"}, {long74, http + long74}, {long74 + "/tail", http + long74},
             {"https://" + std::string(80, 'b'), "https://" + std::string(66, 'b')}, {"", ""}}) {  // no address: nothing to open
        char out[LinkAddressCapacity];
        const bool found = LinkAddressFor(text.c_str(), out);
        CHECK_ROW((text), (found, std::string(out)), (!address.empty(), address));
    }
}
