// The mode table, mode choice, timer periods and the saver window's input filters.
#include "engine/modes.h"
#include "testkit.h"

#include <climits>
#include <string>

TEST_CASE(mode_table_holds_each_bit_once_and_finds_it)
{
    struct Row { int32_t Bit; const char* Name; uint16_t Page; int32_t Tileable; };
    const Row rows[ModeCount] = {
        {2, "Static", 9, 0},    {4, "Plain", 105, 0},  {8, "Bounce", 106, 0},    {16, "Many", 107, 0},
        {32, "Fade", 108, 0},   {64, "Drip", 2004, 1}, {128, "Falling", 2005, 0},
    };
    for (int i = 0; i < ModeCount; ++i) {
        TEST_ROW(rows[i].Name);
        CHECK_EQ(ModeRows[i].Bit, rows[i].Bit);
        CHECK_EQ(ModeRows[i].Name, rows[i].Name);
        CHECK_EQ(ModeRows[i].PageTemplate, rows[i].Page);
        CHECK_EQ(ModeRows[i].Tileable, rows[i].Tileable);
        CHECK_EQ(FindModeRow(rows[i].Bit), i);
    }
    for (int32_t bit : {0, 1, 3, 6, 256, -1, INT32_MIN}) {
        TEST_ROW("bit " + std::to_string(bit));
        CHECK_EQ(FindModeRow(bit), -1);
    }
}

static int randomValue;
static int randomCalls;
static int CountingRandom()
{
    ++randomCalls;
    return randomValue;
}

TEST_CASE(mode_choice_draws_only_among_several)
{
    struct Row { int32_t Enabled; int Random; int Chosen; int Calls; };
    const Row rows[] = {
        {0, 7, -1, 0}, {1, 7, -1, 0}, {-1, 7, -1, 0}, {INT32_MIN, 7, -1, 0},  // nothing usable enabled
        {2, 7, 0, 0}, {128, 7, 6, 0}, {1 | 64, 7, 5, 0}, {256 | 8, 7, 2, 0},   // the only one: no draw
        {2 | 16 | 128, 4, 3, 1}, {2 | 16 | 128, 0, 0, 1}, {2 | 16 | 128, 5, 6, 1},
        {254, 10, 3, 1}, {255, 32767, 0, 1}, {INT32_MAX, 2, 2, 1},
    };
    for (const Row& row : rows) {
        TEST_ROW("EnabledModes " + std::to_string(row.Enabled) + ", random " + std::to_string(row.Random));
        randomValue = row.Random;
        randomCalls = 0;
        CHECK_EQ(ChooseModeRow(row.Enabled, CountingRandom), row.Chosen);
        CHECK_EQ(randomCalls, row.Calls);
    }

    int listed[ModeCount] = {};
    REQUIRE(EnabledModeRows(2 | 16 | 128 | 256, listed) == 3);
    CHECK_EQ(listed[0], 0);
    CHECK_EQ(listed[1], 3);
    CHECK_EQ(listed[2], 6);
}

TEST_CASE(tick_period_per_mode)
{
    SaverSettings settings = {};
    settings.PlainDelayMs = 111;
    settings.ManyDelayMs = 222;
    settings.FadeIntervalMs = 333;
    settings.DripIntervalMs = 444;
    settings.FallingIntervalMs = 555;
    struct Row { int32_t Bit; uint32_t Period; };
    const Row rows[] = {
        {ModeStatic, 1000}, {ModePlain, 111}, {ModeBounce, 10}, {ModeMany, 222}, {ModeFade, 333},
        {ModeDrip, 444}, {ModeFalling, 555}, {0, 5000}, {-1, 5000}, {1, 5000}, {2 | 4, 5000}, {256, 5000},
    };
    for (const Row& row : rows) {
        TEST_ROW("bit " + std::to_string(row.Bit));
        CHECK_EQ(TickPeriodMs(row.Bit, settings), row.Period);
    }
    settings.PlainDelayMs = -1;  // handed on unchecked, as the timer would take it
    CHECK_EQ(TickPeriodMs(ModePlain, settings), 0xFFFFFFFFu);
}

TEST_CASE(mode_change_period_is_at_least_a_minute_and_fits_a_timer)
{
    struct Row { int32_t Minutes; uint32_t Period; };
    const Row rows[] = {
        {5, 300000}, {1, 60000}, {2, 120000}, {0, 60000}, {-1, 60000}, {INT32_MIN, 60000},
        {35791, 2147460000u}, {35792, 0x7FFFFFFFu}, {INT32_MAX, 0x7FFFFFFFu},
    };
    for (const Row& row : rows) {
        TEST_ROW(std::to_string(row.Minutes) + " minutes");
        CHECK_EQ(ModeChangePeriodMs(row.Minutes), row.Period);
    }
}

using V = InputVerdict;
static const PreviewState FullScreen = {false, false, false};
static const PreviewState ControlPanel = {false, true, false};
static const PreviewState InGrace = {true, false, true};
static const PreviewState AfterGrace = {true, false, false};
static const PreviewState GraceOutsidePreview = {false, false, true};

TEST_CASE(buttons_and_keys_are_ignored_first_then_close_the_settings_preview)
{
    struct Row { const char* Name; int32_t Ignore, Bit; PreviewState State; V Verdict; };
    const Row rows[] = {
        {"ignored click", IgnoreClicks, IgnoreClicks, FullScreen, V::AnswerOne},
        {"key, clicks ignored", IgnoreClicks, IgnoreKeys, FullScreen, V::PassOn},
        {"key, movement ignored", IgnoreMovement, IgnoreKeys, FullScreen, V::PassOn},
        {"click, keys and movement ignored", IgnoreKeys | IgnoreMovement, IgnoreClicks, FullScreen, V::PassOn},
        {"ignored key, every bit set", -1, IgnoreKeys, FullScreen, V::AnswerOne},
        {"click in the control panel", 0, IgnoreClicks, ControlPanel, V::PassOn},
        {"ignored click in the settings preview", IgnoreClicks, IgnoreClicks, AfterGrace, V::AnswerOne},
        {"key in the settings preview", IgnoreClicks, IgnoreKeys, AfterGrace, V::DestroyThenPassOn},
        {"key in the first half second", IgnoreClicks, IgnoreKeys, InGrace, V::AnswerOne},
        {"grace means nothing outside the preview", 0, IgnoreKeys, GraceOutsidePreview, V::PassOn},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        CHECK_EQ(FilterButtonInput(row.Ignore, row.Bit, row.State), row.Verdict);
    }
}

TEST_CASE(movement_filter_notes_small_preview_moves_and_updates_last)
{
    struct Row { const char* Name; PreviewState State; int32_t Ignore; CursorPoint Last, Cursor; V Verdict; CursorPoint After; };
    const Row rows[] = {
        {"first position", FullScreen, 0, {-1, -1}, {10, 20}, V::AnswerMinusOne, {10, 20}},
        {"first position, movement ignored", FullScreen, IgnoreMovement, {-1, -1}, {5, 5}, V::AnswerMinusOne, {5, 5}},
        {"only one coordinate is -1", FullScreen, 0, {-1, 5}, {0, 5}, V::PassOn, {-1, 5}},
        {"same point", FullScreen, 0, {10, 20}, {10, 20}, V::AnswerOne, {10, 20}},
        {"one pixel, full screen", FullScreen, 0, {10, 20}, {11, 20}, V::PassOn, {10, 20}},
        {"ignored, full screen", FullScreen, IgnoreMovement, {10, 20}, {11, 20}, V::AnswerOne, {10, 20}},
        {"ignoring clicks only", FullScreen, IgnoreClicks | IgnoreKeys, {10, 20}, {11, 20}, V::PassOn, {10, 20}},
        {"2.83 pixels, settings preview", AfterGrace, 0, {10, 10}, {12, 12}, V::AnswerMinusOne, {12, 12}},
        {"2.83 pixels back, settings preview", AfterGrace, 0, {10, 10}, {8, 8}, V::AnswerMinusOne, {8, 8}},
        {"3 pixels, settings preview", AfterGrace, 0, {10, 10}, {13, 10}, V::DestroyThenPassOn, {10, 10}},
        {"3 pixels, first half second", InGrace, 0, {10, 10}, {13, 10}, V::AnswerOne, {10, 10}},
        {"small move noted before ignoring", AfterGrace, IgnoreMovement, {10, 10}, {12, 12}, V::AnswerMinusOne, {12, 12}},
        {"big move ignored", AfterGrace, IgnoreMovement, {10, 10}, {20, 10}, V::AnswerOne, {10, 10}},
        {"2.83 pixels, control panel", ControlPanel, 0, {10, 10}, {12, 12}, V::AnswerMinusOne, {12, 12}},
        {"3 pixels, control panel", ControlPanel, 0, {10, 10}, {10, 13}, V::PassOn, {10, 10}},
        {"across the coordinate range", AfterGrace, 0, {INT32_MIN, 0}, {INT32_MAX, 0}, V::DestroyThenPassOn, {INT32_MIN, 0}},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        CursorPoint last = row.Last;
        CHECK_EQ(FilterMovement(&last, row.Cursor, row.Ignore, row.State), row.Verdict);
        CHECK_EQ(last.X, row.After.X);
        CHECK_EQ(last.Y, row.After.Y);
    }
}

TEST_MAIN()
