// Where logos go: remainders, centring, random positions, preview scaling, tiling.
#include "engine/placement.h"
#include "testkit.h"

#include <climits>
#include <string>

static std::string Numbers(std::initializer_list<int32_t> values)
{
    std::string text;
    for (int32_t value : values)
        text += (text.empty() ? "" : ", ") + std::to_string(value);
    return text;
}

TEST_CASE(remainder_takes_the_dividends_sign_and_never_traps)
{
    struct Row { int32_t R, N, Result; };
    const Row rows[] = {
        {7, 3, 1}, {-7, 3, -1}, {7, -3, 1}, {-7, -3, -1}, {32767, 1919, 144}, {5, 0, 0}, {0, 0, 0},
        {INT32_MIN, 0, 0}, {INT32_MIN, -1, 0}, {INT32_MAX, -1, 0}, {INT32_MIN, INT32_MAX, -1},
    };
    for (const Row& row : rows) {
        TEST_ROW(Numbers({row.R, row.N}));
        CHECK_EQ(RemainderOrZero(row.R, row.N), row.Result);
    }
}

TEST_CASE(centred_position_truncates_toward_zero)
{
    struct Row { int32_t ClientWidth, ClientHeight, Width, Height, X, Y; };
    const Row rows[] = {
        {1920, 1080, 640, 480, 640, 300},
        {100, 100, 103, 103, -1, -1},  // halves of -3 go toward zero, not down
        {101, 0, 0, 3, 50, -1},
        {0, 0, 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        TEST_ROW(Numbers({row.ClientWidth, row.ClientHeight, row.Width, row.Height}));
        const LogoPosition at = CentredLogoPosition(row.ClientWidth, row.ClientHeight, row.Width, row.Height);
        CHECK_EQ(at.X, row.X);
        CHECK_EQ(at.Y, row.Y);
    }
}

TEST_CASE(random_position_uses_the_room_left_over)
{
    struct Row { const char* Name; int32_t ClientWidth, ClientHeight, Width, Height, R1, R2, X, Y; };
    const Row rows[] = {
        {"inside the area", 1920, 1080, 640, 480, 1000, 700, 1000, 100},
        {"the full room wraps to 0", 1920, 1080, 640, 480, 1280, 600, 0, 0},
        {"one pixel too wide; exactly as high", 1919, 1080, 1920, 1080, 12345, 999, 0, 0},
        {"larger than the area", 100, 100, 150, 130, 32767, 77, 17, 17},
        {"empty area, empty logo", 0, 0, 0, 0, 5, 6, 0, 0},
        {"logo as large as the area", 640, 480, 640, 480, 32767, 32767, 0, 0},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        const LogoPosition at =
            RandomLogoPosition(row.ClientWidth, row.ClientHeight, row.Width, row.Height, row.R1, row.R2);
        CHECK_EQ(at.X, row.X);
        CHECK_EQ(at.Y, row.Y);
    }

    // Over the whole range of rand(), a logo wider than its area keeps within [0, excess - 1].
    for (int32_t r = 0; r <= 32767; ++r) {
        const LogoPosition at = RandomLogoPosition(100, 300, 150, 200, r, r);
        if (at.X < 0 || at.X > 49 || at.Y < 0 || at.Y > 99) {
            TEST_ROW("rand " + std::to_string(r));
            CHECK(false);
            break;
        }
    }
}

TEST_CASE(random_centred_position_centres_on_a_pixel_of_the_area)
{
    struct Row { int32_t ClientWidth, ClientHeight, Width, Height, R1, R2, X, Y; };
    const Row rows[] = {
        {1920, 1080, 640, 480, 2000, 1100, 80 - 320, 20 - 240},
        {1920, 1080, 641, 481, 0, 0, -320, -240},
        {0, 0, 640, 480, 5, 7, -320, -240},  // no area: centred on the origin
        {1, 1, 0, 0, 32767, 32767, 0, 0},
    };
    for (const Row& row : rows) {
        TEST_ROW(Numbers({row.ClientWidth, row.ClientHeight, row.Width, row.Height, row.R1, row.R2}));
        const LogoPosition at =
            RandomCentredLogoPosition(row.ClientWidth, row.ClientHeight, row.Width, row.Height, row.R1, row.R2);
        CHECK_EQ(at.X, row.X);
        CHECK_EQ(at.Y, row.Y);
    }
}

TEST_CASE(scaled_size_divides_first_and_clamps)
{
    struct Row { const char* Name; int32_t PreviewW, PreviewH, DesktopW, DesktopH, Width, Height, X, Y; };
    const Row rows[] = {
        {"control panel preview", 152, 112, 1280, 1024, 640, 480, 76, 52},
        {"no desktop width", 152, 112, 0, 1024, 640, 480, 0, 0},
        {"no desktop height", 152, 112, 1280, 0, 640, 480, 0, 0},
        {"nothing at all", 0, 0, 0, 0, 0, 0, 0, 0},
        {"1/49 * 49 lies just below 1", 1, 1, 49, 49, 49, 49, 0, 0},
        {"same size", 1280, 1024, 1280, 1024, 640, 480, 640, 480},
        {"beyond the largest", INT32_MAX, INT32_MAX, 1, 1, INT32_MAX, 2, INT32_MAX, INT32_MAX},
        {"beyond the smallest", INT32_MAX, INT32_MAX, 1, 1, INT32_MIN, -2, INT32_MIN, INT32_MIN},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        const LogoPosition size =
            ScaledLogoSize(row.PreviewW, row.PreviewH, row.DesktopW, row.DesktopH, row.Width, row.Height);
        CHECK_EQ(size.X, row.X);
        CHECK_EQ(size.Y, row.Y);
    }
}

TEST_CASE(tile_count_covers_the_area_with_whole_logos)
{
    struct Row { int32_t Client, Logo, Count; };
    const Row rows[] = {
        {100, 30, 4}, {90, 30, 3}, {91, 30, 4}, {1, 30, 1}, {30, 30, 1}, {0, 30, 0}, {-5, 30, 0},
        {100, 0, 0}, {100, -3, 0}, {INT32_MAX, 1, INT32_MAX}, {INT32_MAX, INT32_MAX, 1}, {INT32_MIN, 1, 0},
    };
    for (const Row& row : rows) {
        TEST_ROW(Numbers({row.Client, row.Logo}));
        CHECK_EQ(TileCount(row.Client, row.Logo), row.Count);
    }
}

TEST_MAIN()
