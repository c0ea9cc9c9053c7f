// Falling's arithmetic: how many copies, which way, how fast, how deep, how
// large, where they enter, when they are replaced, in which order they are
// drawn and how dark they are.
#include "engine/falling_depth.h"
#include "native/scripted_random.h"
#include "testkit.h"

#include <climits>
#include <cmath>
#include <string>
#include <vector>

TEST_CASE(the_count_of_copies_is_held_to_the_table)
{
    struct Row { int32_t Count, InUse; };
    const Row rows[] = {{15, 15}, {1, 1}, {50, 50}, {51, 50}, {1000, 50}, {INT32_MAX, 50},
                        {0, 0}, {-1, 0}, {INT32_MIN, 0}};
    for (const Row& row : rows) {
        TEST_ROW(std::to_string(row.Count));
        CHECK_EQ(FallingCopiesInUse(row.Count), row.InUse);
    }
}

TEST_CASE(the_direction_is_drawn_only_among_several_allowed_ones)
{
    struct Row { const char* Name; int32_t Allowed; int Random; int32_t Direction; size_t Drawn; };
    const Row rows[] = {
        {"none allowed falls down", 0, 3, FallDown, 0},
        {"no known bit falls down", 16 | 32, 3, FallDown, 0},
        {"only up", FallUp, 3, FallUp, 0},
        {"only left", FallLeft, 3, FallLeft, 0},
        {"left or right, 0", 12, 0, FallLeft, 1},
        {"left or right, 1", 12, 1, FallRight, 1},
        {"up or down, 5", 3, 5, FallDown, 1},
        {"any, 7", 15, 7, FallRight, 1},
        {"any, 32764", 15, 32764, FallUp, 1},
        {"down or left, 1", 6, 1, FallLeft, 1},
        {"every bit set", -1, 2, FallLeft, 1},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        script = {row.Random};
        drawn = 0;
        CHECK_EQ(ChooseFallDirection(row.Allowed, Scripted), row.Direction);
        CHECK_EQ(drawn, row.Drawn);
    }
}

TEST_CASE(copies_move_by_speed_and_depth_and_land_on_whole_pixels_toward_zero)
{
    struct Row {
        const char* Name;
        int32_t Direction, Speed;
        bool Preview;
        int DepthRandom;  // 0 gives depth 1.0, 89 gives 9.9
        int Steps;
        int32_t ScreenX, ScreenY;
    };
    const Row rows[] = {
        {"nearest, down, speed 10: 10 a step", FallDown, 10, false, 0, 3, 0, 30},
        {"farthest, down, speed 10: 1.1 a step", FallDown, 10, false, 89, 1, 0, 1},
        {"nearest in the preview: 5 a step", FallDown, 10, true, 0, 1, 0, 5},
        {"farthest in the preview: 0.55 a step", FallDown, 10, true, 89, 1, 0, 0},
        {"farthest in the preview, two steps", FallDown, 10, true, 89, 2, 0, 1},
        {"farthest, up: -1.1 truncates to -1", FallUp, 10, false, 89, 1, 0, -1},
        {"nearest, left, speed 25", FallLeft, 25, false, 0, 1, -25, 0},
        {"nearest, right, speed 1", FallRight, 1, false, 0, 2, 2, 0},
        {"speed 0 stands still", FallRight, 0, false, 0, 5, 0, 0},
        {"a negative speed goes the other way", FallDown, -10, false, 0, 1, 0, -10},
        {"the largest speed stays defined", FallLeft, INT32_MIN, false, 0, 3, 1 << 30, 0},
        {"the largest speed the other way", FallDown, INT32_MAX, false, 0, 1, 0, 1 << 30},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        script = {row.DepthRandom, 0, 0};
        drawn = 0;
        const FallStep step = FallStepFor(row.Direction, row.Speed, row.Preview);
        FallingPlace place = PlaceFallingCopy(0, 0, 0, 0, true, false, step, Scripted);
        CHECK_EQ(place.PosX, 0.0);
        CHECK_EQ(place.PosY, 0.0);
        for (int i = 0; i < row.Steps; ++i)
            MoveFallingCopy(&place, step);
        CHECK_EQ(place.ScreenX, row.ScreenX);
        CHECK_EQ(place.ScreenY, row.ScreenY);
    }
}

TEST_CASE(a_copy_takes_its_depth_size_and_place_from_three_numbers)
{
    constexpr FallStep Down = {0, 1}, Up = {0, -1}, Left = {-1, 0}, Right = {1, 0}, Still = {0, 0};
    struct Row {
        const char* Name;
        int32_t Width, Height, ClientWidth, ClientHeight;
        bool SizeByDepth, Entering;
        FallStep Step;
        std::vector<int> Script;
        double Depth;
        int32_t CopyWidth, CopyHeight;
        double PosX, PosY;
    };
    const Row rows[] = {
        {"nearest, anywhere", 300, 200, 1024, 768, true, false, Down, {0, 1000, 700}, 1.0, 300, 200, 850, 600},
        {"farthest is a tenth", 300, 200, 1024, 768, true, false, Down, {89, 1000, 700}, 9.9, 30, 20, 985, 690},
        {"farthest at full size without size by depth", 300, 200, 1024, 768, false, false, Down, {89, 1000, 700},
         9.9, 300, 200, 850, 600},
        {"random numbers wrap by the client area", 64, 48, 1024, 768, true, false, Down, {32767, 32767, 32767},
         1.7, 37, 28, 1023 - 18, 511 - 14},
        {"odd sizes halve toward zero", 7, 5, 100, 100, false, false, Down, {0, 0, 0}, 1.0, 7, 5, -3, -2},
        {"entering downward: top edge just above", 64, 48, 1024, 768, true, true, Down, {0, 500, 700}, 1.0, 64,
         48, 468, -48},
        {"entering upward: at the bottom edge", 64, 48, 1024, 768, true, true, Up, {0, 500, 700}, 1.0, 64, 48,
         468, 768},
        {"entering leftward: at the right edge", 64, 48, 1024, 768, true, true, Left, {0, 500, 700}, 1.0, 64, 48,
         1024, 676},
        {"entering rightward: left edge just outside", 64, 48, 1024, 768, true, true, Right, {9, 500, 700}, 1.9,
         33, 25, -33, 688},
        {"standing still: stays where it fell", 64, 48, 1024, 768, true, true, Still, {0, 500, 700}, 1.0, 64, 48,
         468, 676},
        {"an empty client area has one place", 64, 48, 0, 0, true, false, Down, {0, 500, 700}, 1.0, 64, 48, -32,
         -24},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        script = row.Script;
        drawn = 0;
        const FallingPlace place = PlaceFallingCopy(row.Width, row.Height, row.ClientWidth, row.ClientHeight,
                                                    row.SizeByDepth, row.Entering, row.Step, Scripted);
        CHECK_EQ(drawn, 3u);
        CHECK(std::fabs(place.Depth - row.Depth) < 1e-12);
        CHECK(std::fabs(place.SpeedFactor - (11 - row.Depth)) < 1e-12);
        CHECK_EQ(place.CopyWidth, row.CopyWidth);
        CHECK_EQ(place.CopyHeight, row.CopyHeight);
        CHECK_EQ(place.PosX, row.PosX);
        CHECK_EQ(place.PosY, row.PosY);
        CHECK_EQ(place.ScreenX, 0);
        CHECK_EQ(place.ScreenY, 0);
    }
}

TEST_CASE(every_one_of_the_ninety_depths_occurs)
{
    double previous = 0;
    for (int32_t r = 0; r < 90; ++r) {
        const double depth = FallingDepth(r + 90 * 7);
        CHECK(depth > previous);
        previous = depth;
    }
    CHECK_EQ(FallingDepth(0), 1.0);
    CHECK(std::fabs(FallingDepth(89) - 9.9) < 1e-12);
}

TEST_CASE(a_copy_is_replaced_only_when_more_than_five_pixels_outside)
{
    struct Row { const char* Name; int32_t ScreenX, ScreenY, CopyWidth, CopyHeight; bool Gone; };
    const Row rows[] = {
        {"inside", 500, 300, 64, 48, false},
        {"5 below the bottom", 0, 773, 64, 48, false},
        {"6 below the bottom", 0, 774, 64, 48, true},
        {"right edge 5 left of 0", -69, 0, 64, 48, false},
        {"right edge 6 left of 0", -70, 0, 64, 48, true},
        {"5 beyond the right", 1029, 0, 64, 48, false},
        {"6 beyond the right", 1030, 0, 64, 48, true},
        {"bottom edge 5 above 0", 0, -53, 64, 48, false},
        {"bottom edge 6 above 0", 0, -54, 64, 48, true},
        {"far out at the limits", INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, true},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        FallingPlace place = {};
        place.ScreenX = row.ScreenX;
        place.ScreenY = row.ScreenY;
        place.CopyWidth = row.CopyWidth;
        place.CopyHeight = row.CopyHeight;
        CHECK_EQ(FallingCopyGone(place, 1024, 768), row.Gone);
    }
}

TEST_CASE(the_depth_sort_puts_the_farthest_first_and_swaps_equal_depths_only_through_others)
{
    struct Record { FallingPlace Place; char Name; };
    struct Row { const char* Name; std::vector<double> Depths; int32_t Count; std::string Order; };
    const Row rows[] = {
        // A stable sort would give "beacd"; the exchange sort moves a behind c.
        {"equal depths", {5.0, 9.9, 5.0, 1.0, 9.9}, 5, "becad"},
        {"already in order", {9.9, 5.0, 1.0}, 3, "abc"},
        {"reversed", {1.0, 2.0, 3.0, 4.0}, 4, "dcba"},
        {"only the records in use", {1.0, 2.0, 9.0, 9.9}, 2, "bacd"},
        {"none in use", {1.0, 2.0}, 0, "ab"},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        std::vector<Record> records(row.Depths.size());
        for (size_t i = 0; i < records.size(); ++i) {
            records[i].Place.Depth = row.Depths[i];
            records[i].Name = static_cast<char>('a' + i);
        }
        SortFarthestFirst(records.data(), row.Count);
        std::string order;
        for (const Record& record : records)
            order += record.Name;
        CHECK_EQ(order, row.Order);
    }
}

TEST_CASE(darkening_scales_each_component_by_the_depth)
{
    struct Row { double Depth; int Value, Darkened; };
    const Row rows[] = {
        {1.0, 255, 237}, {1.0, 100, 93}, {1.0, 0, 0}, {1.0, 1, 0}, {9.9, 255, 78}, {9.9, 100, 30},
        {5.0, 255, 165}, {5.0, 2, 1}, {1.1, 255, 235},
    };
    for (const Row& row : rows) {
        TEST_ROW("depth " + std::to_string(row.Depth) + ", " + std::to_string(row.Value));
        uint8_t table[256];
        DarkeningTable(row.Depth, table);
        CHECK_EQ(static_cast<int>(table[row.Value]), row.Darkened);
    }
}

TEST_CASE(darkened_rows_keep_their_layout_and_leave_the_padding_alone)
{
    struct Row { int32_t Width, Height; size_t RowBytes, BufferBytes; };
    const Row rows[] = {{1, 2, 4, 12}, {2, 1, 8, 9}, {3, 2, 12, 24}, {4, 3, 12, 45}, {5, 1, 16, 18},
                        {640, 2, 1920, 3846}};
    uint8_t table[256];
    DarkeningTable(1.0, table);
    for (const Row& row : rows) {
        TEST_ROW(std::to_string(row.Width) + " x " + std::to_string(row.Height));
        CHECK_EQ(DibRowBytes(row.Width), row.RowBytes);
        REQUIRE(DarkeningBufferBytes(row.Width, row.Height) == row.BufferBytes);
        REQUIRE(row.RowBytes * row.Height <= row.BufferBytes);
        // Padding bytes in the source hold noise that must not reach the target.
        std::vector<uint8_t> source(row.BufferBytes, 0xAA), target(row.BufferBytes, 0);
        for (int32_t y = 0; y < row.Height; ++y)
            for (int32_t i = 0; i < 3 * row.Width; ++i)
                source[y * row.RowBytes + i] = static_cast<uint8_t>(i % 2 ? 255 : 100);
        DarkenRows(source.data(), target.data(), row.Width, row.Height, table);
        int wrong = 0;
        for (size_t at = 0; at < row.BufferBytes; ++at) {
            const size_t inRow = at % row.RowBytes;
            const bool pixel = at < row.RowBytes * row.Height && inRow < 3 * static_cast<size_t>(row.Width);
            const int expected = pixel ? (inRow % 2 ? 237 : 93) : 0;
            wrong += target[at] != expected;
        }
        CHECK_EQ(wrong, 0);
    }
    CHECK_EQ(DarkeningBufferBytes(0, 10), 0u);
    CHECK_EQ(DarkeningBufferBytes(10, -1), 0u);
}

TEST_MAIN()
