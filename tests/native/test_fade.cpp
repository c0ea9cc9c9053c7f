// Fade's arithmetic: the blended components, the fast frame against the
// formula evaluated component by component, row filling, and the cycle.
#include "engine/fade_blend.h"
#include "testkit.h"

#include <climits>
#include <string>
#include <vector>

TEST_CASE(blended_components_follow_the_float_factor_and_truncate_toward_the_background)
{
    struct Row { int Source, Background, Level, Result; };
    const Row rows[] = {
        {200, 0, 3, 5},      // 0.03 as a float is just below 0.03: 5.99… becomes 5, not 6
        {100, 0, 3, 2},
        {100, 0, 29, 28},
        {100, 0, 57, 56},
        {0, 100, 3, 98},     // toward a lighter background the truncation rounds up
        {0, 255, 50, 128},   // 255 − 127.5 truncated in the product
        {255, 0, 50, 127},
        {255, 0, 1, 2},
        {0, 255, 99, 3},
        {17, 200, 100, 17},  // full level: the logo exactly
        {255, 0, 100, 255},
        {17, 200, 0, 200},   // level 0: the background exactly
        {17, 200, -40, 200}, // out of range: the nearer end
        {17, 200, 250, 17},
        {17, 200, INT32_MIN, 200},
        {17, 200, INT32_MAX, 17},
    };
    for (const Row& row : rows) {
        TEST_ROW(std::to_string(row.Source) + " on " + std::to_string(row.Background) + " at " +
                 std::to_string(row.Level));
        CHECK_EQ(static_cast<int>(BlendFadeComponent(static_cast<uint8_t>(row.Source),
                                                     static_cast<uint8_t>(row.Background), row.Level)),
                 row.Result);
    }
}

namespace {

// Bytes that vary in every position, fill bytes included.
std::vector<uint8_t> VariedPixels(size_t count, uint32_t seed)
{
    std::vector<uint8_t> bytes(count);
    uint32_t state = seed;
    for (uint8_t& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

}  // namespace

TEST_CASE(fast_frames_match_the_formula_byte_for_byte_at_every_level)
{
    struct Size { int32_t Width, Height; };
    const Size sizes[] = {{1, 1}, {2, 3}, {3, 5}, {4, 2}, {5, 7}, {7, 3}, {64, 48}, {641, 4}};
    const uint32_t backgrounds[] = {0x000000, 0xFFFFFF, 0x403020, 0x00FF01, 0x7F80FE};
    int mismatches = 0;
    for (const Size& size : sizes)
        for (uint32_t background : backgrounds) {
            // Exactly the filled rows, so that a write past them is caught.
            const size_t bytes = FadeRowBytes(size.Width) * static_cast<size_t>(size.Height);
            const std::vector<uint8_t> source = VariedPixels(bytes, static_cast<uint32_t>(size.Width) ^ background);
            for (int32_t level = 0; level <= 100; ++level) {
                std::vector<uint8_t> fast(bytes, 0xAA), literal(bytes, 0x55);
                BlendFadeFrame(source.data(), fast.data(), size.Width, size.Height, background, level);
                BlendFadeFrameLiteral(source.data(), literal.data(), size.Width, size.Height, background, level);
                if (fast != literal && mismatches++ == 0) {
                    TEST_ROW(std::to_string(size.Width) + " × " + std::to_string(size.Height) + " on " +
                             std::to_string(background) + " at " + std::to_string(level));
                    CHECK(fast == literal);
                }
            }
        }
    CHECK_EQ(mismatches, 0);

    // Every source value on every background component, through the table.
    FadeTable table;
    for (int32_t level = 0; level <= 100; ++level)
        for (int background = 0; background < 256; ++background) {
            BuildFadeTable(&table, static_cast<uint32_t>(background) * 0x010101u, level);
            for (int source = 0; source < 256; ++source) {
                const uint8_t expected =
                    BlendFadeComponent(static_cast<uint8_t>(source), static_cast<uint8_t>(background), level);
                if (table.Blue[source] != expected || table.Green[source] != expected ||
                    table.Red[source] != expected) {
                    TEST_ROW(std::to_string(source) + " on " + std::to_string(background) + " at " +
                             std::to_string(level));
                    CHECK(false);
                    return;
                }
            }
        }
}

TEST_CASE(a_three_pixel_row_keeps_its_colours_in_place_and_its_fill_bytes_zero)
{
    // 3 pixels: 9 bytes of colour and 3 fill bytes per row; two rows.
    const std::vector<uint8_t> source = {
        1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE,
        11, 12, 13, 14, 15, 16, 17, 18, 19, 0xEE, 0xEE, 0xEE,
    };
    CHECK_EQ(FadeRowBytes(3), size_t{12});
    CHECK(FadeBufferBytes(3, 2) >= source.size());
    const uint32_t background = 0x00102030;  // red 0x30, green 0x20, blue 0x10
    struct Row { const char* Name; void (*Blend)(const uint8_t*, uint8_t*, int32_t, int32_t, uint32_t, int32_t); };
    const Row rows[] = {{"fast", BlendFadeFrame}, {"literal", BlendFadeFrameLiteral}};
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        std::vector<uint8_t> frame(source.size(), 0x77);
        row.Blend(source.data(), frame.data(), 3, 2, background, 100);
        const std::vector<uint8_t> logo = {
            1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0,
            11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0,
        };
        CHECK(frame == logo);
        row.Blend(source.data(), frame.data(), 3, 2, background, 0);
        const std::vector<uint8_t> empty = {
            0x10, 0x20, 0x30, 0x10, 0x20, 0x30, 0x10, 0x20, 0x30, 0, 0, 0,
            0x10, 0x20, 0x30, 0x10, 0x20, 0x30, 0x10, 0x20, 0x30, 0, 0, 0,
        };
        CHECK(frame == empty);
    }
}

TEST_CASE(buffer_sizes_hold_the_filled_rows)
{
    struct Row { int32_t Width, Height; size_t RowBytes, BufferBytes; };
    const Row rows[] = {
        {1, 1, 4, 6}, {3, 2, 12, 24}, {4, 1, 12, 15}, {640, 480, 1920, 923040}, {0, 5, 0, 0}, {5, 0, 16, 0},
        {-3, 4, 0, 0},
    };
    for (const Row& row : rows) {
        TEST_ROW(std::to_string(row.Width) + " × " + std::to_string(row.Height));
        CHECK_EQ(FadeRowBytes(row.Width), row.RowBytes);
        CHECK_EQ(FadeBufferBytes(row.Width, row.Height), row.BufferBytes);
        CHECK(FadeBufferBytes(row.Width, row.Height) >= FadeRowBytes(row.Width) * (row.Height > 0 ? row.Height : 0));
    }
}

namespace {

// What each tick did: the level drawn, -1 for a tick without a frame; a
// frame after which the area is cleared is marked by `faded`.
struct TickRecord {
    std::vector<int32_t> Levels;
    int FadedAt = -1;
};

TickRecord RunTicks(FadeCycle* cycle, int ticks)
{
    TickRecord record;
    for (int tick = 0; tick < ticks; ++tick) {
        const FadeTick result = AdvanceFade(cycle);
        record.Levels.push_back(result.DrawFrame ? result.FrameLevel : -1);
        if (result.Faded && record.FadedAt < 0)
            record.FadedAt = tick;
    }
    return record;
}

}  // namespace

TEST_CASE(a_cycle_fades_in_holds_fades_out_and_pauses)
{
    struct Row { int32_t Speed; int32_t LastIn; int32_t LastOut; };
    // The frame on screen through the hold is the last one below 100.
    const Row rows[] = {{3, 99, 1}, {5, 95, 5}, {1, 99, 1}, {30, 90, 10}, {100, 0, 100}};
    for (const Row& row : rows) {
        TEST_ROW("speed " + std::to_string(row.Speed));
        std::vector<int32_t> expected;
        for (int32_t level = 0; level <= row.LastIn; level += row.Speed)
            expected.push_back(level);
        expected.insert(expected.end(), 49, -1);
        for (int32_t level = 100; level >= row.LastOut; level -= row.Speed)
            expected.push_back(level);
        const int fadedAt = static_cast<int>(expected.size()) - 1;
        expected.insert(expected.end(), 19, -1);
        expected.push_back(0);

        FadeCycle cycle = {55, -7, 0};
        StartFadeCycle(&cycle, row.Speed);
        CHECK_EQ(cycle.HoldTicks, 0);
        const TickRecord record = RunTicks(&cycle, static_cast<int>(expected.size()));
        CHECK(record.Levels == expected);
        CHECK_EQ(record.FadedAt, fadedAt);
        // The second cycle fades in again.
        if (row.Speed < 100)
            CHECK_EQ(AdvanceFade(&cycle).FrameLevel, row.Speed);
    }
}

TEST_CASE(a_run_that_starts_during_an_earlier_hold_waits_it_out)
{
    struct Row { int32_t HoldTicks; int Idle; };
    const Row rows[] = {{30, 29}, {50, 49}, {1, 0}, {0, 0}, {-8, 0}};
    for (const Row& row : rows) {
        TEST_ROW("hold " + std::to_string(row.HoldTicks));
        FadeCycle cycle = {100, -3, row.HoldTicks};
        StartFadeCycle(&cycle, 3);
        const TickRecord record = RunTicks(&cycle, row.Idle + 2);
        for (int tick = 0; tick < row.Idle; ++tick)
            CHECK_EQ(record.Levels[tick], -1);
        CHECK_EQ(record.Levels[row.Idle], 0);
        CHECK_EQ(record.Levels[row.Idle + 1], 3);
    }
}

TEST_CASE(any_stored_speed_keeps_levels_in_range_and_frames_coming)
{
    const int32_t speeds[] = {0, -3, -100, 101, 1000, INT32_MAX, INT32_MIN, INT32_MIN + 1};
    for (int32_t speed : speeds) {
        TEST_ROW("speed " + std::to_string(speed));
        FadeCycle cycle = {0, 0, INT32_MAX};
        StartFadeCycle(&cycle, speed);
        cycle.HoldTicks = 0;
        int sinceFrame = 0, longestWait = 0, outOfRange = 0;
        for (int tick = 0; tick < 20000; ++tick) {
            const FadeTick result = AdvanceFade(&cycle);
            sinceFrame = result.DrawFrame ? 0 : sinceFrame + 1;
            longestWait = sinceFrame > longestWait ? sinceFrame : longestWait;
            outOfRange += result.DrawFrame && (result.FrameLevel < 0 || result.FrameLevel > 100);
            outOfRange += cycle.Level < 0 || cycle.Level > 100;
        }
        CHECK_EQ(outOfRange, 0);
        CHECK(longestWait <= 49);
        CHECK(cycle.HoldTicks >= 0);
    }
}

TEST_MAIN()
