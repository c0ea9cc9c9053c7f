// Bounce's motion: the start's random draws, the wall rules with and without
// gravity, wrapping, the rectangles each tick erases and copies, and settings
// far outside what the settings pages allow.
#include "engine/bounce_physics.h"
#include "testkit.h"

#include <climits>
#include <string>
#include <vector>

namespace {

std::vector<int> scriptedDraws;
size_t drawsTaken;

int ScriptedRandom()
{
    return drawsTaken < scriptedDraws.size() ? scriptedDraws[drawsTaken++] : 0;
}

BounceRules Rules(int32_t speed, int32_t gravity, int32_t wrap, int32_t width, int32_t height, int32_t clientWidth,
                  int32_t clientHeight)
{
    return {speed, gravity, wrap, width, height, clientWidth, clientHeight};
}

}  // namespace

TEST_CASE(a_start_draws_signs_before_the_place_and_keeps_the_previous_place)
{
    struct Row {
        const char* Name;
        int32_t Gravity;
        std::vector<int> Draws;
        size_t Taken;
        int32_t VelX, VelY, X, Y;
        float FloatY;
    };
    const Row rows[] = {
        {"odd then even", 0, {1, 2, 1000, 700}, 4, -3, 3, 1000, 100, 0.0f},
        {"even then odd", 0, {32766, 32767, 5, 6}, 4, 3, -3, 5, 6, 0.0f},
        // Under gravity only the place is drawn, and the logo starts moving right.
        {"gravity", 9, {1001, 700, 1, 1}, 2, 3, 99, 1001, 100, 10.0f},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        scriptedDraws = row.Draws;
        drawsTaken = 0;
        BounceMotion motion = {-4, -4, 77, 88, 0, 99, 5.0f, 6.0f, 1.0f};
        StartBounce(&motion, Rules(3, row.Gravity, 0, 640, 480, 1920, 1080), ScriptedRandom);
        CHECK_EQ(drawsTaken, row.Taken);
        CHECK_EQ(motion.VelX, row.VelX);
        CHECK_EQ(motion.VelY, row.VelY);
        CHECK_EQ(motion.BounceX, row.X);
        CHECK_EQ(motion.BounceY, row.Y);
        CHECK_EQ(motion.FloatY, row.FloatY);
        CHECK_EQ(motion.FloatVelY, 0.0f);
        CHECK_EQ(motion.Landed, 0.0f);
        CHECK_EQ(motion.PrevX, 77);
        CHECK_EQ(motion.PrevY, 88);
    }
}

TEST_CASE(straight_lines_turn_at_every_wall)
{
    struct Row {
        const char* Name;
        int32_t X, Y, VelX, VelY;
        int32_t Wrap, Height;
        int32_t ExpectX, ExpectY, ExpectVelX, ExpectVelY;
    };
    // A 20-pixel logo in a 100 × 100 area unless the row says otherwise.
    const Row rows[] = {
        {"left wall", 3, 50, -5, 0, 0, 20, 0, 50, 5, 0},
        {"touching the left wall turns", 5, 50, -5, 0, 0, 20, 0, 50, 5, 0},
        {"right edge reached exactly: no turn yet", 75, 50, 5, 0, 0, 20, 80, 50, 5, 0},
        {"right edge crossed", 76, 50, 5, 0, 0, 20, 80, 50, -5, 0},
        {"bottom edge reached exactly turns", 40, 75, 0, 5, 0, 20, 40, 80, 0, -5},
        {"bottom edge crossed", 40, 78, 0, 5, 0, 20, 40, 80, 0, -5},
        {"top wall", 40, 2, 0, -3, 0, 20, 40, 0, 0, 3},
        {"taller than the area: both walls, speed unchanged", 40, -50, 0, 3, 0, 150, 40, -50, 0, 3},
        {"wrapping needs gravity", 3, 50, -5, 0, 1, 20, 0, 50, 5, 0},
        {"in the open", 40, 40, 3, -3, 0, 20, 43, 37, 3, -3},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        BounceMotion motion = {row.X, row.Y, 0, 0, row.VelX, row.VelY, 0.0f, 0.0f, 0.0f};
        MoveBounce(&motion, Rules(5, 0, row.Wrap, 20, row.Height, 100, 100));
        CHECK_EQ(motion.BounceX, row.ExpectX);
        CHECK_EQ(motion.BounceY, row.ExpectY);
        CHECK_EQ(motion.VelX, row.ExpectVelX);
        CHECK_EQ(motion.VelY, row.ExpectVelY);
    }
}

TEST_CASE(gravity_accelerates_lands_and_turns_above_the_top_only_when_wholly_out)
{
    struct Row {
        const char* Name;
        float FloatY, FloatVelY, Landed;
        float ExpectFloatY, ExpectFloatVelY, ExpectLanded;
        int32_t ExpectY;
    };
    // Speed 3, so BounceGravity 9: 0.09 pixels per tick per tick. A 20-pixel logo in 100 × 100.
    const Row rows[] = {
        {"first tick", 10.0f, 0.0f, 0.0f, static_cast<float>(10.0 + static_cast<double>(0.09f)), 0.09f, 0.0f, 10},
        {"no acceleration right after landing", 80.0f, -5.0f, 1.0f, 75.0f, -5.0f, 0.0f, 75},
        {"truncated toward zero", -0.5f, -0.25f, 1.0f, -0.75f, -0.25f, 0.0f, 0},
        {"above the top, not yet wholly", -15.0f, -4.0f, 1.0f, -19.0f, -4.0f, 0.0f, -19},
        {"wholly above the top turns", -16.0f, -4.0f, 1.0f, -20.0f, 4.0f, 0.0f, -20},
        {"well above the top is set back", -30.0f, -4.0f, 1.0f, -20.0f, 4.0f, 0.0f, -20},
        {"bottom reached exactly", 79.0f, 1.0f, 1.0f, 80.0f, -1.0f, 1.0f, 80},
        {"bottom crossed", 78.5f, 3.0f, 1.0f, 80.0f, -3.0f, 1.0f, 80},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        BounceMotion motion = {40, 0, 0, 0, 0, 0, row.FloatY, row.FloatVelY, row.Landed};
        MoveBounce(&motion, Rules(3, 9, 0, 20, 20, 100, 100));
        CHECK_EQ(motion.FloatY, row.ExpectFloatY);
        CHECK_EQ(motion.FloatVelY, row.ExpectFloatVelY);
        CHECK_EQ(motion.Landed, row.ExpectLanded);
        CHECK_EQ(motion.BounceY, row.ExpectY);
    }
    // The velocity is stored as a float after every sum.
    BounceMotion motion = {40, 0, 0, 0, 0, 0, 10.0f, 0.09f, 0.0f};
    MoveBounce(&motion, Rules(3, 9, 0, 20, 20, 100, 100));
    CHECK_EQ(motion.FloatVelY, static_cast<float>(static_cast<double>(0.09f) + 0.09));
}

TEST_CASE(gravity_wraps_at_the_sides_or_bounces_off_them)
{
    struct Row {
        const char* Name;
        int32_t Speed, Wrap, X;
        int32_t ExpectX, ExpectVelX;
    };
    // A 20-pixel logo in a 100-pixel-wide area, moving by its speed.
    const Row rows[] = {
        {"still on the way out", 3, 1, 100, 103, 3},
        {"beyond the width and the speed: back in from wholly left", 3, 1, 101, -20, 3},
        {"moving left, out beyond the logo's width: back from the right", -3, 1, -18, 100, -3},
        {"moving left, exactly a width out", -3, 1, -17, -20, -3},
        {"without wrapping the right side turns it", 3, 0, 78, 80, -3},
        {"without wrapping the left side turns it", -3, 0, 2, 0, 3},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        BounceMotion motion = {row.X, 40, 0, 0, row.Speed, 0, 40.0f, 0.0f, 1.0f};
        MoveBounce(&motion, Rules(row.Speed, 9, row.Wrap, 20, 20, 100, 100));
        CHECK_EQ(motion.BounceX, row.ExpectX);
        CHECK_EQ(motion.VelX, row.ExpectVelX);
    }
}

TEST_CASE(each_tick_erases_the_old_place_with_a_margin_and_copies_both_places)
{
    struct Row {
        const char* Name;
        int32_t X, Y, PrevX, PrevY;
        BounceRect Erase, Copy;
    };
    // A 30 × 40 logo.
    const Row rows[] = {
        {"down and right", 13, 24, 10, 20, {10, 20, 45, 65}, {10, 20, 48, 69}},
        {"up and left", 7, 17, 10, 20, {10, 20, 45, 65}, {7, 17, 45, 65}},
        {"off the top-left corner", -30, -40, -27, -37, {-27, -37, 8, 8}, {-30, -40, 8, 8}},
        {"held within what GDI takes", INT32_MAX, INT32_MIN, INT32_MAX, 5,
         {134217727, 5, 134217727, 50}, {134217727, -134217727, 134217727, 50}},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        const BounceMotion motion = {row.X, row.Y, row.PrevX, row.PrevY, 0, 0, 0.0f, 0.0f, 0.0f};
        const BounceRules rules = Rules(3, 0, 0, 30, 40, 1920, 1080);
        const BounceRect erase = BounceEraseRect(motion, rules), copy = BounceCopyRect(motion, rules);
        CHECK_EQ(erase.Left, row.Erase.Left);
        CHECK_EQ(erase.Top, row.Erase.Top);
        CHECK_EQ(erase.Right, row.Erase.Right);
        CHECK_EQ(erase.Bottom, row.Erase.Bottom);
        CHECK_EQ(copy.Left, row.Copy.Left);
        CHECK_EQ(copy.Top, row.Copy.Top);
        CHECK_EQ(copy.Right, row.Copy.Right);
        CHECK_EQ(copy.Bottom, row.Copy.Bottom);
    }
}

TEST_CASE(a_long_run_keeps_the_logo_inside_the_area)
{
    struct Row { int32_t Speed, Gravity; };
    const Row rows[] = {{1, 0}, {3, 0}, {10, 0}, {1, 3}, {3, 9}, {10, 30}};
    for (const Row& row : rows) {
        TEST_ROW("speed " + std::to_string(row.Speed) + ", gravity " + std::to_string(row.Gravity));
        const BounceRules rules = Rules(row.Speed, row.Gravity, 0, 64, 48, 1024, 768);
        scriptedDraws = {3, 8, 500, 300};
        drawsTaken = 0;
        BounceMotion motion = {};
        StartBounce(&motion, rules, ScriptedRandom);
        int outside = 0, lowest = 0;
        for (int tick = 0; tick < 100000; ++tick) {
            MoveBounce(&motion, rules);
            outside += motion.BounceX < 0 || motion.BounceX + 64 > 1024 || motion.BounceY + 48 > 768;
            // Straight lines keep below the top edge; gravity may take the logo above it.
            outside += row.Gravity == 0 && motion.BounceY < 0;
            lowest = motion.BounceY > lowest ? motion.BounceY : lowest;
        }
        CHECK_EQ(outside, 0);
        CHECK_EQ(lowest, 768 - 48);  // the bottom is reached
    }
}

TEST_CASE(speeds_and_gravity_of_any_stored_value_keep_places_in_range)
{
    const int32_t speeds[] = {0, -3, 1 << 30, INT32_MAX, INT32_MIN, -(1 << 30)};
    for (int32_t speed : speeds)
        for (int32_t gravityOn = 0; gravityOn < 2; ++gravityOn)
            for (int32_t wrap = 0; wrap < 2; ++wrap) {
                TEST_ROW("speed " + std::to_string(speed) + (gravityOn ? ", gravity" : "") + (wrap ? ", wrap" : ""));
                // Gravity is stored as three times the speed, wrapping in 32 bits.
                const int32_t gravity =
                    gravityOn ? static_cast<int32_t>(3u * static_cast<uint32_t>(speed)) : 0;
                const BounceRules rules = Rules(speed, gravity, wrap, 64, 48, 1024, 768);
                scriptedDraws = {1, 2, 500, 300};
                drawsTaken = 0;
                BounceMotion motion = {};
                StartBounce(&motion, rules, ScriptedRandom);
                int wrong = 0;
                for (int tick = 0; tick < 5000; ++tick) {
                    MoveBounce(&motion, rules);
                    const BounceRect copy = BounceCopyRect(motion, rules);
                    wrong += copy.Right < copy.Left || copy.Bottom < copy.Top;
                    // Vertically the logo never passes the floor, nor rises more than wholly above the top.
                    wrong += motion.BounceY > 768 - 48 || motion.BounceY < (gravity ? -48 : 0);
                    if (!(gravity && wrap))
                        wrong += motion.BounceX < 0 || motion.BounceX > 1024 - 64;
                    motion.PrevX = motion.BounceX;
                    motion.PrevY = motion.BounceY;
                }
                CHECK_EQ(wrong, 0);
            }
}

TEST_CASE(random_signs_follow_the_lowest_bit)
{
    struct Row { int32_t Draw, Sign; };
    const Row rows[] = {{0, 1}, {1, -1}, {2, 1}, {32767, -1}, {32766, 1}};
    for (const Row& row : rows) {
        TEST_ROW(std::to_string(row.Draw));
        CHECK_EQ(RandomSign(row.Draw), row.Sign);
    }
}

TEST_MAIN()
