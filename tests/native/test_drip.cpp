// Drip's step choice: the order of the random numbers, the run of columns,
// the wrap at the edge, the offsets; and where a slide copies and paints.
#include "engine/drip_steps.h"
#include "native/scripted_random.h"
#include "testkit.h"

#include <vector>

TEST_CASE(a_step_slides_a_run_of_columns_in_the_order_the_numbers_are_drawn)
{
    struct Slide { int32_t Column, Offset, Distance; };
    struct Row {
        const char* Name;
        int32_t Columns;
        std::vector<int32_t> Offsets;
        std::vector<int> Script;
        std::vector<Slide> Slides;
        std::vector<int32_t> OffsetsAfter;
        size_t Drawn;
    };
    const Row rows[] = {
        {"one slide when the first stop number is above 7", 6, {0, 0, 0, 0, 0, 0}, {3, 2, 8},
         {{3, 0, 3}}, {0, 0, 0, 3, 0, 0}, 3},
        {"7 goes on, 9 stops", 6, {0, 0, 0, 0, 0, 0}, {0, 1, 7, 2, 17, 3, 9},
         {{0, 0, 2}, {1, 0, 3}, {2, 0, 4}}, {2, 3, 4, 0, 0, 0}, 7},
        {"the first column is the number mod the width", 100, std::vector<int32_t>(100), {32767, 4, 8},
         {{67, 0, 1}}, {}, 3},
        {"five slides at most; the fifth still draws its stop number", 10, std::vector<int32_t>(10),
         {7, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 99},
         {{7, 0, 1}, {8, 0, 2}, {9, 0, 3}, {0, 0, 4}, {1, 0, 1}}, {4, 1, 0, 0, 0, 0, 0, 1, 2, 3}, 11},
        {"slides add to what a column has slid before", 3, {10, 5, 0}, {0, 1, 9},
         {{0, 10, 2}}, {12, 5, 0}, 3},
        {"a narrow rectangle wraps onto the same column again", 2, {0, 0}, {1, 3, 0, 3, 0, 1, 9},
         {{1, 0, 4}, {0, 0, 4}, {1, 4, 2}}, {4, 6}, 7},
        {"a column far below every window stops growing", 1, {DripOffsetLimit - 1}, {0, 3, 0, 3, 9},
         {{0, DripOffsetLimit - 1, 4}, {0, DripOffsetLimit + 3, 4}}, {DripOffsetLimit + 3}, 5},
        {"no column: nothing drawn, nothing slides", 0, {}, {5, 5, 5}, {}, {}, 0},
        {"a negative width: likewise", -4, {0}, {5, 5, 5}, {}, {0}, 0},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        script = row.Script;
        drawn = 0;
        std::vector<int32_t> offsets = row.Offsets;
        DripSlide slides[MaxDripSlides];
        const int count = DripStep(row.Columns, offsets.empty() ? nullptr : offsets.data(), Scripted, slides);
        REQUIRE(count == static_cast<int>(row.Slides.size()));
        for (int i = 0; i < count; ++i) {
            CHECK_EQ(slides[i].Column, row.Slides[i].Column);
            CHECK_EQ(slides[i].Offset, row.Slides[i].Offset);
            CHECK_EQ(slides[i].Distance, row.Slides[i].Distance);
        }
        if (!row.OffsetsAfter.empty())
            CHECK(offsets == row.OffsetsAfter);
        CHECK_EQ(drawn, row.Drawn);
    }
}

TEST_CASE(without_offsets_a_step_does_nothing)
{
    script = {1, 2, 3};
    drawn = 0;
    DripSlide slides[MaxDripSlides];
    CHECK_EQ(DripStep(10, nullptr, Scripted, slides), 0);
    CHECK_EQ(drawn, 0u);
}

TEST_CASE(a_slide_moves_the_strip_below_its_gap_and_paints_the_gap_from_one_row_higher)
{
    struct Row {
        const char* Name;
        int32_t X, Y, Height;
        DripSlide Slide;
        DripStrip Strip;
    };
    const Row rows[] = {
        // A 100-pixel-wide logo centred on 1024 pixels: columns 462 ... 561.
        {"first column of a centred logo", 462, 360, 48, {0, 0, 3}, {462, 360, 363, 48, 359, 363}},
        {"last column of a centred logo", 462, 360, 48, {99, 0, 1}, {561, 360, 361, 48, 359, 361}},
        // Slid by 10 before: the part from row Y + 10 moves, rows Y + 9 ... Y + 9 + d are painted.
        {"a column that has slid 10", 462, 360, 48, {5, 10, 2}, {467, 370, 372, 48, 369, 372}},
        {"tiled: column 0 is the window's edge and the strip the window's height", 0, 0, 768, {0, 0, 4},
         {0, 0, 4, 768, -1, 4}},
        {"a logo larger than the window starts above it", -10, -20, 800, {3, 7, 4}, {-7, -13, -9, 800, -14, -9}},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        const DripStrip strip = DripStripOf(row.X, row.Y, row.Height, row.Slide);
        CHECK_EQ(strip.X, row.Strip.X);
        CHECK_EQ(strip.SourceY, row.Strip.SourceY);
        CHECK_EQ(strip.DestinationY, row.Strip.DestinationY);
        CHECK_EQ(strip.Height, row.Strip.Height);
        CHECK_EQ(strip.GapTop, row.Strip.GapTop);
        CHECK_EQ(strip.GapBottom, row.Strip.GapBottom);
    }
}

TEST_MAIN()
