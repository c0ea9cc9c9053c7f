// The settings record: defaults, normalisation and the named field table.
#include "package/saver_settings.h"
#include "testkit.h"

#include <climits>
#include <cstring>
#include <set>
#include <string>

TEST_CASE(defaults_are_normalised_and_leave_the_drip_fields_alone)
{
    SaverSettings settings;
    std::memset(&settings, 0x5A, sizeof settings);
    ApplyDefaultSettings(&settings);
    CHECK_EQ(settings.SettingsDialogEnabled, 1);
    CHECK_EQ(settings.EnabledModes, 255);
    CHECK_EQ(settings.ChangeModeMinutes, 5);
    CHECK_EQ(settings.BounceSpeed, 3);
    CHECK_EQ(settings.BounceGravity, 9);  // gravity is stored as three times the speed
    CHECK_EQ(settings.FadeDerived, 950);
    CHECK_EQ(settings.FallingDirection, 2);
    CHECK_EQ(settings.DripIntervalMs, 0x5A5A5A5A);
    CHECK_EQ(settings.DripTile, 0x5A5A5A5A);
}

TEST_CASE(normalisation_follows_its_three_rules)
{
    struct Row { int32_t FadeSpeed, BounceSpeed, BounceGravity, IgnoreInput; int32_t FadeDerived, Gravity, Ignore; };
    const Row rows[] = {
        {3, 4, 1, 0, 950, 12, 0},
        {3, 4, 12, 5, 950, 12, 5},     // reloading a stored 12 keeps 12
        {1, 4, 0, 6, 1350, 0, 6},      // gravity off stays off
        {5, 10, -3, 7, 550, 30, 6},    // every kind ignored: keys are let through
        {0, -5, 1, 8, 1550, -15, 6},
        {-3, 0, 7, -1, 2150, 0, 6},        // a negative value would ignore keys too
        {INT32_MAX, INT32_MAX, 1, INT32_MAX, 1550 + 200, 2147483645, 6},  // wraps, never traps
        {INT32_MIN, INT32_MIN, 1, INT32_MIN, 1550, INT32_MIN, 6},
    };
    for (const Row& row : rows) {
        TEST_ROW("FadeSpeed " + std::to_string(row.FadeSpeed) + ", BounceSpeed " + std::to_string(row.BounceSpeed));
        SaverSettings settings = {};
        settings.FadeSpeed = row.FadeSpeed;
        settings.BounceSpeed = row.BounceSpeed;
        settings.BounceGravity = row.BounceGravity;
        settings.IgnoreInput = row.IgnoreInput;
        NormaliseSettings(&settings);
        CHECK_EQ(settings.FadeDerived, row.FadeDerived);
        CHECK_EQ(settings.BounceGravity, row.Gravity);
        CHECK_EQ(settings.IgnoreInput, row.Ignore);
    }
}

TEST_CASE(field_table_names_every_field_once_in_record_order)
{
    std::set<std::string> names;
    for (int i = 0; i < SettingsFieldCount; ++i) {
        const SettingsField& field = SettingsFields[i];
        TEST_ROW(field.Name);
        CHECK_EQ(field.Offset, static_cast<size_t>(i) * 4);
        CHECK(names.insert(field.Name).second);
        CHECK_EQ(FindSettingsField(field.Name), &field);
    }
    CHECK(FindSettingsField("bouncespeed") == nullptr);
    CHECK(FindSettingsField("") == nullptr);

    SaverSettings settings = {};
    WriteSettingsField(&settings, *FindSettingsField("FallingLogoCount"), 42);
    CHECK_EQ(settings.FallingLogoCount, 42);
    CHECK_EQ(ReadSettingsField(settings, *FindSettingsField("FallingLogoCount")), 42);
}

TEST_CASE(defaults_lie_inside_the_allowed_ranges)
{
    SaverSettings settings = {};
    ApplyDefaultSettings(&settings);
    settings.DripIntervalMs = 410;
    for (const SettingsField& field : SettingsFields) {
        TEST_ROW(field.Name);
        CHECK(SettingsValueAllowed(field, ReadSettingsField(settings, field)));
    }
}

TEST_CASE(allowed_values_follow_ranges_and_choices)
{
    struct Row { const char* Field; int32_t Value; bool Allowed; };
    const Row rows[] = {
        {"BounceSpeed", 1, true}, {"BounceSpeed", 10, true}, {"BounceSpeed", 0, false}, {"BounceSpeed", 11, false},
        {"FallingLogoCount", 50, true}, {"FallingLogoCount", 51, false},
        {"ManyDelayMs", 2600, true}, {"ManyDelayMs", 99, false},
        {"FallingDirection", 12, true}, {"FallingDirection", 3, true}, {"FallingDirection", 5, false},
        {"FallingDirection", 0, false},
        {"Reserved8", INT32_MIN, true},
    };
    for (const Row& row : rows) {
        TEST_ROW(std::string(row.Field) + " = " + std::to_string(row.Value));
        CHECK_EQ(SettingsValueAllowed(*FindSettingsField(row.Field), row.Value), row.Allowed);
    }
}

TEST_MAIN()
