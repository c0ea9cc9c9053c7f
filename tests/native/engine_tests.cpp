// The engine's arithmetic: modes, placement, and each mode's motion. rand() is scripted,
// so the order of its draws is pinned: the same seeds give the same pictures.
#include "engine/bounce_physics.h"
#include "engine/drip_steps.h"
#include "engine/fade_blend.h"
#include "engine/falling_depth.h"
#include "engine/modes.h"
#include "engine/placement.h"
#include "native/tables.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

static std::vector<int> script;
static size_t drawn;
static int Scripted() { return drawn < script.size() ? script[drawn++] : (++drawn, 0); }
static void Script(std::vector<int> values) { script = std::move(values), drawn = 0; }

TEST_CASE("the mode table holds each bit once; a mode is drawn only among several; tick and mode-change periods") {
    const std::tuple<int32_t, std::string, uint16_t, int32_t> modes[ModeCount] = {{2, "Static", 9, 0}, {4, "Plain", 105, 0},
        {8, "Bounce", 106, 0}, {16, "Many", 107, 0}, {32, "Fade", 108, 0}, {64, "Drip", 2004, 1}, {128, "Falling", 2005, 0}};
    for (int i = 0; i < ModeCount; ++i)
        CHECK_ROW((i), (ModeRows[i].Bit, std::string(ModeRows[i].Name), ModeRows[i].PageTemplate, ModeRows[i].Tileable, FindModeRow(ModeRows[i].Bit)),
                  (std::get<0>(modes[i]), std::get<1>(modes[i]), std::get<2>(modes[i]), std::get<3>(modes[i]), i));
    for (int32_t bit : {0, 1, 3, 6, 256, -1, INT32_MIN})
        CHECK_ROW((bit), (FindModeRow(bit)), (-1));
    for (auto [enabled, random, chosen, draws] : {std::tuple{0, 7, -1, 0u}, {1, 7, -1, 0}, {-1, 7, -1, 0}, {INT32_MIN, 7, -1, 0}, {2, 7, 0, 0},
             {128, 7, 6, 0}, {1 | 64, 7, 5, 0}, {256 | 8, 7, 2, 0}, {2 | 16 | 128, 4, 3, 1}, {2 | 16 | 128, 0, 0, 1}, {2 | 16 | 128, 5, 6, 1},
             {254, 10, 3, 1}, {255, 32767, 0, 1}, {INT32_MAX, 2, 2, 1}}) {
        Script({random});
        CHECK_ROW((enabled, random), (ChooseModeRow(enabled, Scripted), drawn), (chosen, size_t(draws)));
    }
    SaverSettings s = {};
    s.PlainDelayMs = 111, s.ManyDelayMs = 222, s.FadeIntervalMs = 333, s.DripIntervalMs = 444, s.FallingIntervalMs = 555;
    for (auto [bit, period] : {std::pair{int32_t(ModeStatic), 1000u}, {ModePlain, 111}, {ModeBounce, 10}, {ModeMany, 222}, {ModeFade, 333}, {ModeDrip, 444},
                               {ModeFalling, 555}, {0, 5000}, {-1, 5000}, {1, 5000}, {2 | 4, 5000}, {256, 5000}})
        CHECK_ROW((bit), (TickPeriodMs(bit, s)), (period));
    s.PlainDelayMs = -1;  // handed on unchecked, as the timer would take it
    CHECK_EQ(TickPeriodMs(ModePlain, s), 0xFFFFFFFFu);
    for (auto [minutes, period] : {std::pair{5, 300000u}, {1, 60000}, {2, 120000}, {0, 60000}, {-1, 60000}, {INT32_MIN, 60000},
                                   {35791, 2147460000u}, {35792, 0x7FFFFFFFu}, {INT32_MAX, 0x7FFFFFFFu}})
        CHECK_ROW((minutes), (ModeChangePeriodMs(minutes)), (period));
}
TEST_CASE("input is ignored as set, then closes the settings preview beyond 3 pixels after its grace") {
    using V = InputVerdict;
    const PreviewState Full = {false, false, false}, Panel = {false, true, false}, Grace = {true, false, true}, After = {true, false, false};
    const int32_t K = IgnoreKeys, C = IgnoreClicks, M = IgnoreMovement;
    for (auto [row, ignore, bit, state, verdict] : {std::tuple{0, C, C, Full, V::AnswerOne}, {1, C, K, Full, V::PassOn}, {2, M, K, Full, V::PassOn},
             {3, K | M, C, Full, V::PassOn}, {4, -1, K, Full, V::AnswerOne}, {5, 0, C, Panel, V::PassOn}, {6, C, C, After, V::AnswerOne},
             {7, C, K, After, V::DestroyThenPassOn}, {8, C, K, Grace, V::AnswerOne}, {9, 0, K, PreviewState{false, false, true}, V::PassOn}})
        CHECK_ROW((row), (FilterButtonInput(ignore, bit, state)), (verdict));
    // State, IgnoreInput, last point, cursor; the verdict and the last point after.
    const std::tuple<PreviewState, int32_t, CursorPoint, CursorPoint, V, CursorPoint> moves[] = {{Full, 0, {-1, -1}, {10, 20}, V::AnswerMinusOne, {10, 20}},
        {Full, M, {-1, -1}, {5, 5}, V::AnswerMinusOne, {5, 5}}, {Full, 0, {-1, 5}, {0, 5}, V::PassOn, {-1, 5}}, {Full, 0, {10, 20}, {10, 20}, V::AnswerOne, {10, 20}},
        {Full, 0, {10, 20}, {11, 20}, V::PassOn, {10, 20}}, {Full, M, {10, 20}, {11, 20}, V::AnswerOne, {10, 20}},
        {Full, C | K, {10, 20}, {11, 20}, V::PassOn, {10, 20}}, {After, 0, {10, 10}, {12, 12}, V::AnswerMinusOne, {12, 12}},
        {After, 0, {10, 10}, {8, 8}, V::AnswerMinusOne, {8, 8}}, {After, 0, {10, 10}, {13, 10}, V::DestroyThenPassOn, {10, 10}},
        {Grace, 0, {10, 10}, {13, 10}, V::AnswerOne, {10, 10}}, {After, M, {10, 10}, {12, 12}, V::AnswerMinusOne, {12, 12}},
        {After, M, {10, 10}, {20, 10}, V::AnswerOne, {10, 10}}, {Panel, 0, {10, 10}, {12, 12}, V::AnswerMinusOne, {12, 12}},
        {Panel, 0, {10, 10}, {10, 13}, V::PassOn, {10, 10}}, {After, 0, {INT32_MIN, 0}, {INT32_MAX, 0}, V::DestroyThenPassOn, {INT32_MIN, 0}}};
    for (size_t i = 0; i < std::size(moves); ++i) {
        auto [state, ignore, last, cursor, verdict, after] = moves[i];
        CHECK_ROW((i), (FilterMovement(&last, cursor, ignore, state), last.X, last.Y), (verdict, after.X, after.Y));
    }
}
TEST_CASE("placement: remainders keep the dividend's sign, centring truncates, random places use the room left, tiles cover") {
    for (auto [r, n, result] : {std::tuple{7, 3, 1}, {-7, 3, -1}, {7, -3, 1}, {-7, -3, -1}, {32767, 1919, 144}, {5, 0, 0}, {INT32_MIN, 0, 0},
                                {INT32_MIN, -1, 0}, {INT32_MAX, -1, 0}, {INT32_MIN, INT32_MAX, -1}})
        CHECK_ROW((r, n), (RemainderOrZero(r, n)), (result));
    // Which place (centred, random, random centre), client area, logo, two draws; the place.
    for (auto [kind, cw, ch, w, h, r1, r2, x, y] : {std::tuple{0, 1920, 1080, 640, 480, 0, 0, 640, 300}, {0, 100, 100, 103, 103, 0, 0, -1, -1},
             {0, 101, 0, 0, 3, 0, 0, 50, -1}, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 1920, 1080, 640, 480, 1000, 700, 1000, 100},
             {1, 1920, 1080, 640, 480, 1280, 600, 0, 0}, {1, 1919, 1080, 1920, 1080, 12345, 999, 0, 0}, {1, 100, 100, 150, 130, 32767, 77, 17, 17},
             {1, 0, 0, 0, 0, 5, 6, 0, 0}, {1, 640, 480, 640, 480, 32767, 32767, 0, 0}, {2, 1920, 1080, 640, 480, 2000, 1100, 80 - 320, 20 - 240},
             {2, 1920, 1080, 641, 481, 0, 0, -320, -240}, {2, 0, 0, 640, 480, 5, 7, -320, -240}, {2, 1, 1, 0, 0, 32767, 32767, 0, 0}})
        CHECK_ROW((kind, cw, ch, w, h, r1, r2), (XY(kind == 0 ? CentredLogoPosition(cw, ch, w, h) : kind == 1 ? RandomLogoPosition(cw, ch, w, h, r1, r2)
                                                                                                       : RandomCentredLogoPosition(cw, ch, w, h, r1, r2))), (x, y));
    // The preview's scaled size divides first (1/49 * 49 lies just below 1) and clamps.
    for (auto [pw, ph, dw, dh, w, h, x, y] : {std::tuple{152, 112, 1280, 1024, 640, 480, 76, 52}, {152, 112, 0, 1024, 640, 480, 0, 0},
             {152, 112, 1280, 0, 640, 480, 0, 0}, {1, 1, 49, 49, 49, 49, 0, 0}, {1280, 1024, 1280, 1024, 640, 480, 640, 480},
             {INT32_MAX, INT32_MAX, 1, 1, INT32_MAX, 2, INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MAX, 1, 1, INT32_MIN, -2, INT32_MIN, INT32_MIN}})
        CHECK_ROW((pw, ph, dw, dh, w, h), (XY(ScaledLogoSize(pw, ph, dw, dh, w, h))), (x, y));
    for (auto [client, logo, count] : {std::tuple{100, 30, 4}, {90, 30, 3}, {91, 30, 4}, {1, 30, 1}, {30, 30, 1}, {0, 30, 0}, {-5, 30, 0},
                                       {100, 0, 0}, {100, -3, 0}, {INT32_MAX, 1, INT32_MAX}, {INT32_MAX, INT32_MAX, 1}, {INT32_MIN, 1, 0}})
        CHECK_ROW((client, logo), (TileCount(client, logo)), (count));
}
static BounceMotion Moved(BounceMotion m, int32_t speed, int32_t gravity, int32_t wrap, int32_t height)  // a 20-pixel-wide logo in 100 × 100
{ MoveBounce(&m, {speed, gravity, wrap, 20, height, 100, 100}); return m; }
TEST_CASE("Bounce starts with signs drawn before the place; it turns at the right only once crossed, at the bottom once reached") {
    // Gravity and draws; draws taken, velocities, place, FloatY. Odd draws give -1; under gravity only the place is drawn.
    for (auto& [gravity, draws, taken, vx, vy, x, y, fy] : {std::tuple{0, std::vector<int>{1, 2, 1000, 700}, 4u, -3, 3, 1000, 100, 0.0f},
             {0, {32766, 32767, 5, 6}, 4, 3, -3, 5, 6, 0.0f}, {9, {1001, 700, 1, 1}, 2, 3, 99, 1001, 100, 10.0f}}) {
        BounceMotion m = {-4, -4, 77, 88, 0, 99, 5.0f, 6.0f, 1.0f};
        Script(draws), StartBounce(&m, {3, gravity, 0, 640, 480, 1920, 1080}, Scripted);
        CHECK_ROW((gravity, draws[0]), (drawn, m.VelX, m.VelY, m.BounceX, m.BounceY, m.FloatY, m.FloatVelY, m.Landed, m.PrevX, m.PrevY),
                  (size_t(taken), vx, vy, x, y, fy, 0.0f, 0.0f, 77, 88));
    }
    // Place, velocity, wrap, logo height; then place and velocity, at speed 5. Wrapping needs gravity.
    for (auto [x, y, vx, vy, wrap, h, ex, ey, evx, evy] : {std::tuple{3, 50, -5, 0, 0, 20, 0, 50, 5, 0}, {5, 50, -5, 0, 0, 20, 0, 50, 5, 0},
             {75, 50, 5, 0, 0, 20, 80, 50, 5, 0}, {76, 50, 5, 0, 0, 20, 80, 50, -5, 0}, {40, 75, 0, 5, 0, 20, 40, 80, 0, -5},
             {40, 78, 0, 5, 0, 20, 40, 80, 0, -5}, {40, 2, 0, -3, 0, 20, 40, 0, 0, 3}, {40, -50, 0, 3, 0, 150, 40, -50, 0, 3},
             {3, 50, -5, 0, 1, 20, 0, 50, 5, 0}, {40, 40, 3, -3, 0, 20, 43, 37, 3, -3}}) {
        const BounceMotion m = Moved({x, y, 0, 0, vx, vy, 0.0f, 0.0f, 0.0f}, 5, 0, wrap, h);
        CHECK_ROW((x, y, vx, vy, wrap, h), (m.BounceX, m.BounceY, m.VelX, m.VelY), (ex, ey, evx, evy));
    }
}
TEST_CASE("gravity accelerates in floats, lands, turns above the top only when wholly out, and wraps or turns at the sides") {
    const float second = float(double(0.09f) + 0.09);  // the velocity is stored as a float after every sum
    // Speed 3, gravity 9: 0.09 pixels per tick per tick. FloatY, FloatVelY, Landed in and out, then BounceY.
    for (auto [fy, fv, landed, efy, efv, elanded, ey] : {std::tuple{10.0f, 0.0f, 0.0f, float(10.0 + double(0.09f)), 0.09f, 0.0f, 10},
             {10.0f, 0.09f, 0.0f, float(10.0 + double(second)), second, 0.0f, 10}, {80.0f, -5.0f, 1.0f, 75.0f, -5.0f, 0.0f, 75},
             {-0.5f, -0.25f, 1.0f, -0.75f, -0.25f, 0.0f, 0}, {-15.0f, -4.0f, 1.0f, -19.0f, -4.0f, 0.0f, -19}, {-16.0f, -4.0f, 1.0f, -20.0f, 4.0f, 0.0f, -20},
             {-30.0f, -4.0f, 1.0f, -20.0f, 4.0f, 0.0f, -20}, {79.0f, 1.0f, 1.0f, 80.0f, -1.0f, 1.0f, 80}, {78.5f, 3.0f, 1.0f, 80.0f, -3.0f, 1.0f, 80}}) {
        const BounceMotion m = Moved({40, 0, 0, 0, 0, 0, fy, fv, landed}, 3, 9, 0, 20);
        CHECK_ROW((fy, fv, landed), (m.FloatY, m.FloatVelY, m.Landed, m.BounceY), (efy, efv, elanded, ey));
    }
    for (auto [speed, wrap, x, ex, evx] : {std::tuple{3, 1, 100, 103, 3}, {3, 1, 101, -20, 3}, {-3, 1, -18, 100, -3}, {-3, 1, -17, -20, -3},
                                           {3, 0, 78, 80, -3}, {-3, 0, 2, 0, 3}}) {
        const BounceMotion m = Moved({x, 40, 0, 0, speed, 0, 40.0f, 0.0f, 1.0f}, speed, 9, wrap, 20);
        CHECK_ROW((speed, wrap, x), (m.BounceX, m.VelX), (ex, evx));
    }
}
TEST_CASE("each Bounce tick erases the old place with a margin and copies both, within what GDI takes") {
    using R = std::tuple<int32_t, int32_t, int32_t, int32_t>;
    const BounceRules rules = {3, 0, 0, 30, 40, 1920, 1080};
    for (auto [x, y, px, py, erase, copy] : {std::tuple{13, 24, 10, 20, R{10, 20, 45, 65}, R{10, 20, 48, 69}},
             {7, 17, 10, 20, R{10, 20, 45, 65}, R{7, 17, 45, 65}}, {-30, -40, -27, -37, R{-27, -37, 8, 8}, R{-30, -40, 8, 8}},
             {INT32_MAX, INT32_MIN, INT32_MAX, 5, R{134217727, 5, 134217727, 50}, R{134217727, -134217727, 134217727, 50}}}) {
        const BounceRect e = BounceEraseRect({x, y, px, py, 0, 0, 0, 0, 0}, rules), c = BounceCopyRect({x, y, px, py, 0, 0, 0, 0, 0}, rules);
        CHECK_ROW((x, y, px, py), (R{e.Left, e.Top, e.Right, e.Bottom}, R{c.Left, c.Top, c.Right, c.Bottom}), (erase, copy));
    }
}
TEST_CASE("a Fade component follows the float factor and truncates toward the background; row and buffer sizes") {
    // 0.03 as a float lies just below 0.03: 200 at level 3 is 5.99… and becomes 5. Out-of-range levels take the nearer end.
    for (auto [source, background, level, result] : {std::tuple{200, 0, 3, 5}, {100, 0, 3, 2}, {100, 0, 29, 28}, {100, 0, 57, 56}, {0, 100, 3, 98},
             {0, 255, 50, 128}, {255, 0, 50, 127}, {255, 0, 1, 2}, {0, 255, 99, 3}, {17, 200, 100, 17}, {255, 0, 100, 255}, {17, 200, 0, 200},
             {17, 200, -40, 200}, {17, 200, 250, 17}, {17, 200, INT32_MIN, 200}, {17, 200, INT32_MAX, 17}})
        CHECK_ROW((source, background, level), (+BlendFadeComponent(uint8_t(source), uint8_t(background), level)), (result));
    for (auto [w, h, row, buffer] : {std::tuple{1, 1, 4u, 6u}, {3, 2, 12, 24}, {4, 1, 12, 15}, {640, 480, 1920, 923040}, {0, 5, 0, 0}, {5, 0, 16, 0}, {-3, 4, 0, 0}})
        CHECK_ROW((w, h), (FadeRowBytes(w), FadeBufferBytes(w, h)), (size_t(row), size_t(buffer)));
}
TEST_CASE("fast Fade frames match the double formula byte for byte, keep colours in place and zero the fill bytes") {
    int mismatches = 0;
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, 5}, {4, 2}, {5, 7}, {7, 3}, {64, 48}, {641, 4}})
        for (uint32_t background : {0x000000u, 0xFFFFFFu, 0x403020u, 0x00FF01u, 0x7F80FEu}) {
            std::vector<uint8_t> source(FadeRowBytes(w) * size_t(h));  // exactly the rows, so a write past them is caught
            uint32_t state = uint32_t(w) ^ background;
            for (uint8_t& byte : source) state = state * 1664525u + 1013904223u, byte = uint8_t(state >> 24);  // fill bytes vary too
            for (int32_t level = 0; level <= 100; ++level) {
                std::vector<uint8_t> fast(source.size(), 0xAA), literal(source.size(), 0x55);
                BlendFadeFrame(source.data(), fast.data(), w, h, background, level);
                BlendFadeFrameLiteral(source.data(), literal.data(), w, h, background, level);
                mismatches += fast != literal;
            }
        }
    CHECK_EQ(mismatches, 0);
    // Two rows of 3 pixels: 9 bytes of colour and 3 fill bytes each; background red 0x30, green 0x20, blue 0x10.
    std::vector<uint8_t> source(24, 0xEE), logo(24, 0), empty(24, 0);
    for (int i = 0; i < 9; ++i)
        source[i] = logo[i] = uint8_t(i + 1), source[12 + i] = logo[12 + i] = uint8_t(i + 11), empty[i] = empty[12 + i] = uint8_t(0x10 * (i % 3 + 1));
    for (auto [blend, level] : {std::pair{BlendFadeFrame, 100}, {BlendFadeFrame, 0}, {BlendFadeFrameLiteral, 100}, {BlendFadeFrameLiteral, 0}}) {
        std::vector<uint8_t> frame(24, 0x77);
        blend(source.data(), frame.data(), 3, 2, 0x00102030, level);
        CHECK_ROW((level), (frame == (level ? logo : empty)), (true));
    }
}
static std::vector<int32_t> FadeLevels(FadeCycle cycle, size_t ticks, size_t* fadedAt)  // -1 for a tick without a frame
{
    std::vector<int32_t> levels;
    for (FadeTick t; levels.size() < ticks; *fadedAt = t.Faded && !*fadedAt ? levels.size() - 1 : *fadedAt)
        t = AdvanceFade(&cycle), levels.push_back(t.DrawFrame ? t.FrameLevel : -1);
    return levels;
}
TEST_CASE("a Fade cycle fades in, holds, fades out, pauses and fades in again, after waiting out an earlier hold") {
    for (auto [speed, lastIn, lastOut, hold, idle] : {std::tuple{3, 99, 1, 30, 29}, {5, 95, 5, 50, 49}, {1, 99, 1, 1, 0}, {30, 90, 10, 0, 0},
                                                      {100, 0, 100, -8, 0}}) {
        std::vector<int32_t> expected(size_t(idle), -1);  // the frame on screen through the hold is the last one below 100
        for (int32_t level = 0; level <= lastIn; level += speed) expected.push_back(level);
        expected.insert(expected.end(), 49, -1);
        for (int32_t level = 100; level >= lastOut; level -= speed) expected.push_back(level);
        const size_t fadedAt = expected.size() - 1;
        expected.insert(expected.end(), 19, -1), expected.push_back(0), expected.push_back(speed % 100 ? speed : -1);
        FadeCycle cycle = {55, -7, hold};
        StartFadeCycle(&cycle, speed);
        size_t faded = 0;
        const bool same = FadeLevels(cycle, expected.size(), &faded) == expected;
        CHECK_ROW((speed, hold), (same, faded), (true, fadedAt));
    }
}
TEST_CASE("a Drip step slides a run of columns in the order the numbers are drawn; a slide moves the strip below its gap") {
    using S = std::tuple<int32_t, int32_t, int32_t>;  // column, offset before, distance
    const int32_t L = DripOffsetLimit;
    // Columns, offsets, draws (the first column, then per slide a distance and a stop number); slides, offsets after, draws taken.
    const std::tuple<int32_t, std::vector<int32_t>, std::vector<int>, std::vector<S>, std::vector<int32_t>, size_t> rows[] = {
        {6, {0, 0, 0, 0, 0, 0}, {3, 2, 8}, {{3, 0, 3}}, {0, 0, 0, 3, 0, 0}, 3},
        {6, {0, 0, 0, 0, 0, 0}, {0, 1, 7, 2, 17, 3, 9}, {{0, 0, 2}, {1, 0, 3}, {2, 0, 4}}, {2, 3, 4, 0, 0, 0}, 7},
        {100, std::vector<int32_t>(100), {32767, 4, 8}, {{67, 0, 1}}, {}, 3},  // five slides at most; the fifth still draws its stop number:
        {10, std::vector<int32_t>(10), {7, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 99}, {{7, 0, 1}, {8, 0, 2}, {9, 0, 3}, {0, 0, 4}, {1, 0, 1}}, {4, 1, 0, 0, 0, 0, 0, 1, 2, 3}, 11},
        {3, {10, 5, 0}, {0, 1, 9}, {{0, 10, 2}}, {12, 5, 0}, 3}, {2, {0, 0}, {1, 3, 0, 3, 0, 1, 9}, {{1, 0, 4}, {0, 0, 4}, {1, 4, 2}}, {4, 6}, 7},
        {1, {L - 1}, {0, 3, 0, 3, 9}, {{0, L - 1, 4}, {0, L + 3, 4}}, {L + 3}, 5},  // far below every window: no more growth
        {0, {}, {5, 5, 5}, {}, {}, 0}, {-4, {0}, {5, 5, 5}, {}, {0}, 0}, {10, {}, {1, 2, 3}, {}, {}, 0}};
    for (auto [columns, offsets, draws, slides, offsetsAfter, taken] : rows) {
        Script(draws);
        DripSlide made[MaxDripSlides];
        std::vector<S> got(size_t(DripStep(columns, offsets.empty() ? nullptr : offsets.data(), Scripted, made)));
        for (size_t i = 0; i < got.size(); ++i) got[i] = {made[i].Column, made[i].Offset, made[i].Distance};
        CHECK_ROW((columns, draws[0]), (got == slides, offsetsAfter.empty() || offsets == offsetsAfter, drawn), (true, true, taken));
    }
    // Logo X, Y and height, slide; strip X, source and destination Y, height, gap top and bottom (from one row higher).
    using T = std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t>;
    for (auto [x, y, height, slide, strip] : {std::tuple{462, 360, 48, DripSlide{0, 0, 3}, T{462, 360, 363, 48, 359, 363}},
             {462, 360, 48, DripSlide{99, 0, 1}, T{561, 360, 361, 48, 359, 361}}, {462, 360, 48, DripSlide{5, 10, 2}, T{467, 370, 372, 48, 369, 372}},
             {0, 0, 768, DripSlide{0, 0, 4}, T{0, 0, 4, 768, -1, 4}}, {-10, -20, 800, DripSlide{3, 7, 4}, T{-7, -13, -9, 800, -14, -9}}}) {
        const DripStrip s = DripStripOf(x, y, height, slide);
        CHECK_ROW((x, y, slide.Column, slide.Offset), (T{s.X, s.SourceY, s.DestinationY, s.Height, s.GapTop, s.GapBottom}), (strip));
    }
}
TEST_CASE("Falling holds its copies to the table, draws a direction only among several, and moves by speed and depth") {
    for (auto [count, inUse] : {std::pair{15, 15}, {1, 1}, {50, 50}, {51, 50}, {INT32_MAX, 50}, {0, 0}, {-1, 0}, {INT32_MIN, 0}})
        CHECK_ROW((count), (FallingCopiesInUse(count)), (inUse));
    for (auto [allowed, random, direction, taken] : {std::tuple{0, 3, FallDown, 0u}, {16 | 32, 3, FallDown, 0}, {FallUp, 3, FallUp, 0},
             {FallLeft, 3, FallLeft, 0}, {12, 0, FallLeft, 1}, {12, 1, FallRight, 1}, {3, 5, FallDown, 1}, {15, 7, FallRight, 1}, {15, 32764, FallUp, 1},
             {6, 1, FallLeft, 1}, {-1, 2, FallLeft, 1}}) {
        Script({random});
        CHECK_ROW((allowed, random), (ChooseFallDirection(allowed, Scripted), drawn), (direction, size_t(taken)));
    }
    // Direction, speed, control panel preview (halved), depth draw (0 gives 1.0, 89 gives 9.9), steps; the screen place, truncated toward zero.
    for (auto [direction, speed, preview, depth, steps, x, y] : {std::tuple{FallDown, 10, false, 0, 3, 0, 30}, {FallDown, 10, 0, 89, 1, 0, 1},
             {FallDown, 10, 1, 0, 1, 0, 5}, {FallDown, 10, 1, 89, 1, 0, 0}, {FallDown, 10, 1, 89, 2, 0, 1}, {FallUp, 10, 0, 89, 1, 0, -1},
             {FallLeft, 25, 0, 0, 1, -25, 0}, {FallRight, 1, 0, 0, 2, 2, 0}, {FallRight, 0, 0, 0, 5, 0, 0}, {FallDown, -10, 0, 0, 1, 0, -10},
             {FallLeft, INT32_MIN, 0, 0, 3, 1 << 30, 0}, {FallDown, INT32_MAX, 0, 0, 1, 0, 1 << 30}}) {
        Script({depth, 0, 0});
        const FallStep step = FallStepFor(direction, speed, preview);
        FallingPlace place = PlaceFallingCopy(0, 0, 0, 0, true, false, step, Scripted);
        for (int i = 0; i < steps; ++i) MoveFallingCopy(&place, step);
        CHECK_ROW((direction, speed, preview, depth, steps), (place.ScreenX, place.ScreenY), (x, y));
    }
}
TEST_CASE("a Falling copy takes its depth, size and place from three numbers, and is replaced only when more than 5 pixels out") {
    constexpr FallStep Down = {0, 1}, Up = {0, -1}, Left = {-1, 0}, Right = {1, 0}, Still = {0, 0};
    // Logo, client area, size by depth, entering, step, draws; depth, copy size, place.
    const std::tuple<int32_t, int32_t, int32_t, int32_t, bool, bool, FallStep, std::vector<int>, double, int32_t, int32_t, double, double> rows[] = {
        {300, 200, 1024, 768, 1, 0, Down, {0, 1000, 700}, 1.0, 300, 200, 850, 600}, {300, 200, 1024, 768, 1, 0, Down, {89, 1000, 700}, 9.9, 30, 20, 985, 690},
        {300, 200, 1024, 768, 0, 0, Down, {89, 1000, 700}, 9.9, 300, 200, 850, 600}, {7, 5, 100, 100, 0, 0, Down, {0, 0, 0}, 1.0, 7, 5, -3, -2},
        {64, 48, 1024, 768, 1, 0, Down, {32767, 32767, 32767}, 1.7, 37, 28, 1023 - 18, 511 - 14}, {64, 48, 0, 0, 1, 0, Down, {0, 500, 700}, 1.0, 64, 48, -32, -24},
        {64, 48, 1024, 768, 1, 1, Down, {0, 500, 700}, 1.0, 64, 48, 468, -48}, {64, 48, 1024, 768, 1, 1, Up, {0, 500, 700}, 1.0, 64, 48, 468, 768},
        {64, 48, 1024, 768, 1, 1, Left, {0, 500, 700}, 1.0, 64, 48, 1024, 676}, {64, 48, 1024, 768, 1, 1, Right, {9, 500, 700}, 1.9, 33, 25, -33, 688},
        {64, 48, 1024, 768, 1, 1, Still, {0, 500, 700}, 1.0, 64, 48, 468, 676}};
    for (auto [w, h, cw, ch, byDepth, entering, step, draws, depth, copyW, copyH, x, y] : rows) {
        Script(draws);
        const FallingPlace p = PlaceFallingCopy(w, h, cw, ch, byDepth, entering, step, Scripted);
        CHECK_ROW((w, h, cw, byDepth, entering, step.X, step.Y, draws[0]), (drawn, std::fabs(p.Depth - depth) < 1e-12, std::fabs(p.SpeedFactor - (11 - depth)) < 1e-12,
                  p.CopyWidth, p.CopyHeight, p.PosX, p.PosY, p.ScreenX, p.ScreenY), (size_t{3}, true, true, copyW, copyH, x, y, 0, 0));
    }
    for (int32_t r = 1; r < 90; ++r)  // all ninety depths occur, in order
        CHECK_ROW((r), (FallingDepth(r + 90 * 7) > FallingDepth(r - 1 + 90 * 7)), (true));
    CHECK_ROW((), (FallingDepth(0), std::fabs(FallingDepth(89) - 9.9) < 1e-12), (1.0, true));
    for (auto [x, y, w, h, gone] : {std::tuple{500, 300, 64, 48, false}, {0, 773, 64, 48, 0}, {0, 774, 64, 48, 1}, {-69, 0, 64, 48, 0},
             {-70, 0, 64, 48, 1}, {1029, 0, 64, 48, 0}, {1030, 0, 64, 48, 1}, {0, -53, 64, 48, 0}, {0, -54, 64, 48, 1}, {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, 1}})
        CHECK_ROW((x, y, w, h), (FallingCopyGone({x, y, 0, 0, w, h, 0, 0}, 1024, 768)), (gone));
}
TEST_CASE("the Falling sort puts the farthest first, swapping equal depths only through others; darkening and its row sizes") {
    struct Record { FallingPlace Place; char Name; };
    // A stable sort would give "beacd" in the first row; the exchange sort moves a behind c.
    for (auto& [depths, count, order] : {std::tuple{std::vector<double>{5.0, 9.9, 5.0, 1.0, 9.9}, 5, "becad"}, {{9.9, 5.0, 1.0}, 3, "abc"},
             {{1.0, 2.0, 3.0, 4.0}, 4, "dcba"}, {{1.0, 2.0, 9.0, 9.9}, 2, "bacd"}, {{1.0, 2.0}, 0, "ab"}}) {
        std::vector<Record> records(depths.size());
        for (size_t i = 0; i < records.size(); ++i) records[i].Place.Depth = depths[i], records[i].Name = char('a' + i);
        SortFarthestFirst(records.data(), count);
        std::string got;
        for (const Record& record : records) got += record.Name;
        CHECK_ROW((order), (got), (order));
    }
    uint8_t table[256];
    for (auto [depth, value, darkened] : {std::tuple{1.0, 255, 237}, {1.0, 100, 93}, {1.0, 0, 0}, {1.0, 1, 0}, {9.9, 255, 78}, {9.9, 100, 30},
                                          {5.0, 255, 165}, {5.0, 2, 1}, {1.1, 255, 235}}) {
        DarkeningTable(depth, table);
        CHECK_ROW((depth, value), (+table[value]), (darkened));
    }
    for (auto [w, h, rowBytes, bufferBytes] : {std::tuple{1, 2, 4u, 12u}, {2, 1, 8, 9}, {3, 2, 12, 24}, {4, 3, 12, 45}, {5, 1, 16, 18},
                                               {640, 2, 1920, 3846}, {0, 10, 0, 0}, {10, -1, 32, 0}})
        CHECK_ROW((w, h), (DibRowBytes(w), DarkeningBufferBytes(w, h)), (size_t(rowBytes), size_t(bufferBytes)));
}
