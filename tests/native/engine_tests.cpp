// The engine's arithmetic: modes, placement, and each mode's motion. rand() is
// scripted, so the order of draws is pinned: the same seeds give the same pictures.
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
#include <string>
#include <vector>

static std::vector<int> script;
static size_t drawn;
static int Scripted() { return drawn < script.size() ? script[drawn++] : (++drawn, 0); }
static void Script(std::vector<int> values) { script = std::move(values), drawn = 0; }

TEST_CASE("the mode table holds each bit once, and a mode is drawn only among several")
{
    const std::tuple<int32_t, const char*, uint16_t, int32_t> modes[ModeCount] = {{2, "Static", 9, 0}, {4, "Plain", 105, 0},
        {8, "Bounce", 106, 0}, {16, "Many", 107, 0}, {32, "Fade", 108, 0}, {64, "Drip", 2004, 1}, {128, "Falling", 2005, 0}};
    for (int i = 0; i < ModeCount; ++i)
        CHECK(std::tuple(ModeRows[i].Bit, std::string(ModeRows[i].Name), ModeRows[i].PageTemplate, ModeRows[i].Tileable,
              FindModeRow(ModeRows[i].Bit)) == std::tuple(std::get<0>(modes[i]), std::string(std::get<1>(modes[i])),
              std::get<2>(modes[i]), std::get<3>(modes[i]), i));
    for (int32_t bit : {0, 1, 3, 6, 256, -1, INT32_MIN})
        CHECK(std::tuple(bit, FindModeRow(bit)) == std::tuple(bit, -1));
    // Enabled modes, rand(), chosen row, draws taken.
    const std::tuple<int32_t, int, int, size_t> rows[] = {{0, 7, -1, 0}, {1, 7, -1, 0}, {-1, 7, -1, 0}, {INT32_MIN, 7, -1, 0},
        {2, 7, 0, 0}, {128, 7, 6, 0}, {1 | 64, 7, 5, 0}, {256 | 8, 7, 2, 0}, {2 | 16 | 128, 4, 3, 1}, {2 | 16 | 128, 0, 0, 1},
        {2 | 16 | 128, 5, 6, 1}, {254, 10, 3, 1}, {255, 32767, 0, 1}, {INT32_MAX, 2, 2, 1}};
    for (auto& [enabled, random, chosen, draws] : rows) {
        Script({random});
        CHECK(std::tuple(enabled, random, ChooseModeRow(enabled, Scripted), drawn) == std::tuple(enabled, random, chosen, draws));
    }
}

TEST_CASE("tick periods per mode, and a mode-change period of at least a minute that fits a timer")
{
    SaverSettings s = {};
    s.PlainDelayMs = 111, s.ManyDelayMs = 222, s.FadeIntervalMs = 333, s.DripIntervalMs = 444, s.FallingIntervalMs = 555;
    const std::pair<int32_t, uint32_t> ticks[] = {{ModeStatic, 1000}, {ModePlain, 111}, {ModeBounce, 10}, {ModeMany, 222},
        {ModeFade, 333}, {ModeDrip, 444}, {ModeFalling, 555}, {0, 5000}, {-1, 5000}, {1, 5000}, {2 | 4, 5000}, {256, 5000}};
    for (auto& [bit, period] : ticks)
        CHECK(std::tuple(bit, TickPeriodMs(bit, s)) == std::tuple(bit, period));
    s.PlainDelayMs = -1;  // handed on unchecked, as the timer would take it
    CHECK_EQ(TickPeriodMs(ModePlain, s), 0xFFFFFFFFu);
    const std::pair<int32_t, uint32_t> changes[] = {{5, 300000}, {1, 60000}, {2, 120000}, {0, 60000}, {-1, 60000},
        {INT32_MIN, 60000}, {35791, 2147460000u}, {35792, 0x7FFFFFFFu}, {INT32_MAX, 0x7FFFFFFFu}};
    for (auto& [minutes, period] : changes)
        CHECK(std::tuple(minutes, ModeChangePeriodMs(minutes)) == std::tuple(minutes, period));
}

TEST_CASE("input is ignored as set, then closes the settings preview beyond 3 pixels after its grace")
{
    using V = InputVerdict;
    const PreviewState Full = {false, false, false}, Panel = {false, true, false}, Grace = {true, false, true},
                       After = {true, false, false}, GraceOutside = {false, false, true};
    const int32_t K = IgnoreKeys, C = IgnoreClicks, M = IgnoreMovement;
    const std::tuple<int, int32_t, int32_t, PreviewState, V> buttons[] = {{0, C, C, Full, V::AnswerOne}, {1, C, K, Full, V::PassOn},
        {2, M, K, Full, V::PassOn}, {3, K | M, C, Full, V::PassOn}, {4, -1, K, Full, V::AnswerOne}, {5, 0, C, Panel, V::PassOn},
        {6, C, C, After, V::AnswerOne}, {7, C, K, After, V::DestroyThenPassOn}, {8, C, K, Grace, V::AnswerOne},
        {9, 0, K, GraceOutside, V::PassOn}};
    for (auto& [row, ignore, bit, state, verdict] : buttons)
        CHECK(std::tuple(row, FilterButtonInput(ignore, bit, state)) == std::tuple(row, verdict));
    // Row, state, IgnoreInput, last point, cursor, verdict, last point after.
    const std::tuple<int, PreviewState, int32_t, CursorPoint, CursorPoint, V, CursorPoint> moves[] = {
        {0, Full, 0, {-1, -1}, {10, 20}, V::AnswerMinusOne, {10, 20}}, {1, Full, M, {-1, -1}, {5, 5}, V::AnswerMinusOne, {5, 5}},
        {2, Full, 0, {-1, 5}, {0, 5}, V::PassOn, {-1, 5}}, {3, Full, 0, {10, 20}, {10, 20}, V::AnswerOne, {10, 20}},
        {4, Full, 0, {10, 20}, {11, 20}, V::PassOn, {10, 20}}, {5, Full, M, {10, 20}, {11, 20}, V::AnswerOne, {10, 20}},
        {6, Full, C | K, {10, 20}, {11, 20}, V::PassOn, {10, 20}}, {7, After, 0, {10, 10}, {12, 12}, V::AnswerMinusOne, {12, 12}},
        {8, After, 0, {10, 10}, {8, 8}, V::AnswerMinusOne, {8, 8}}, {9, After, 0, {10, 10}, {13, 10}, V::DestroyThenPassOn, {10, 10}},
        {10, Grace, 0, {10, 10}, {13, 10}, V::AnswerOne, {10, 10}}, {11, After, M, {10, 10}, {12, 12}, V::AnswerMinusOne, {12, 12}},
        {12, After, M, {10, 10}, {20, 10}, V::AnswerOne, {10, 10}}, {13, Panel, 0, {10, 10}, {12, 12}, V::AnswerMinusOne, {12, 12}},
        {14, Panel, 0, {10, 10}, {10, 13}, V::PassOn, {10, 10}},
        {15, After, 0, {INT32_MIN, 0}, {INT32_MAX, 0}, V::DestroyThenPassOn, {INT32_MIN, 0}}};
    for (auto& [row, state, ignore, last, cursor, verdict, after] : moves) {
        CursorPoint point = last;
        const V got = FilterMovement(&point, cursor, ignore, state);
        CHECK(std::tuple(row, got, point.X, point.Y) == std::tuple(row, verdict, after.X, after.Y));
    }
}

TEST_CASE("placement: remainders keep the dividend's sign, centring truncates, random places use the room left")
{
    const std::tuple<int32_t, int32_t, int32_t> remainders[] = {{7, 3, 1}, {-7, 3, -1}, {7, -3, 1}, {-7, -3, -1},
        {32767, 1919, 144}, {5, 0, 0}, {INT32_MIN, 0, 0}, {INT32_MIN, -1, 0}, {INT32_MAX, -1, 0}, {INT32_MIN, INT32_MAX, -1}};
    for (auto& [r, n, result] : remainders)
        CHECK(std::tuple(r, n, RemainderOrZero(r, n)) == std::tuple(r, n, result));
    // Client width and height, logo width and height, two draws; the place.
    using Row = std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t>;
    const Row centred[] = {{1920, 1080, 640, 480, 0, 0, 640, 300}, {100, 100, 103, 103, 0, 0, -1, -1},  // -3 / 2 is -1
        {101, 0, 0, 3, 0, 0, 50, -1}, {0, 0, 0, 0, 0, 0, 0, 0}};
    const Row random[] = {{1920, 1080, 640, 480, 1000, 700, 1000, 100}, {1920, 1080, 640, 480, 1280, 600, 0, 0},
        {1919, 1080, 1920, 1080, 12345, 999, 0, 0}, {100, 100, 150, 130, 32767, 77, 17, 17}, {0, 0, 0, 0, 5, 6, 0, 0},
        {640, 480, 640, 480, 32767, 32767, 0, 0}};
    const Row around[] = {{1920, 1080, 640, 480, 2000, 1100, 80 - 320, 20 - 240}, {1920, 1080, 641, 481, 0, 0, -320, -240},
        {0, 0, 640, 480, 5, 7, -320, -240}, {1, 1, 0, 0, 32767, 32767, 0, 0}};
    for (int kind = 0; kind < 3; ++kind)
        for (const Row& row : kind == 0 ? std::vector<Row>(std::begin(centred), std::end(centred))
                              : kind == 1 ? std::vector<Row>(std::begin(random), std::end(random))
                                          : std::vector<Row>(std::begin(around), std::end(around))) {
            auto [cw, ch, w, h, r1, r2, x, y] = row;
            const LogoPosition at = kind == 0 ? CentredLogoPosition(cw, ch, w, h) : kind == 1 ?
                RandomLogoPosition(cw, ch, w, h, r1, r2) : RandomCentredLogoPosition(cw, ch, w, h, r1, r2);
            CHECK(std::tuple(kind, cw, w, r1, at.X, at.Y) == std::tuple(kind, cw, w, r1, x, y));
        }
    int strays = 0;  // over all of rand(), a logo wider than its area stays within [0, excess - 1]
    for (int32_t r = 0; r <= 32767; ++r) {
        const LogoPosition at = RandomLogoPosition(100, 300, 150, 200, r, r);
        strays += at.X < 0 || at.X > 49 || at.Y < 0 || at.Y > 99;
    }
    CHECK_EQ(strays, 0);
}

TEST_CASE("the preview's scaled size divides first and clamps; tiles cover the area")
{
    const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t> rows[] = {
        {152, 112, 1280, 1024, 640, 480, 76, 52}, {152, 112, 0, 1024, 640, 480, 0, 0}, {152, 112, 1280, 0, 640, 480, 0, 0},
        {1, 1, 49, 49, 49, 49, 0, 0},  // 1/49 * 49 lies just below 1
        {1280, 1024, 1280, 1024, 640, 480, 640, 480}, {INT32_MAX, INT32_MAX, 1, 1, INT32_MAX, 2, INT32_MAX, INT32_MAX},
        {INT32_MAX, INT32_MAX, 1, 1, INT32_MIN, -2, INT32_MIN, INT32_MIN}};
    for (auto& [pw, ph, dw, dh, w, h, x, y] : rows) {
        const LogoPosition size = ScaledLogoSize(pw, ph, dw, dh, w, h);
        CHECK(std::tuple(pw, dw, w, size.X, size.Y) == std::tuple(pw, dw, w, x, y));
    }
    const std::tuple<int32_t, int32_t, int32_t> tiles[] = {{100, 30, 4}, {90, 30, 3}, {91, 30, 4}, {1, 30, 1}, {30, 30, 1},
        {0, 30, 0}, {-5, 30, 0}, {100, 0, 0}, {100, -3, 0}, {INT32_MAX, 1, INT32_MAX}, {INT32_MAX, INT32_MAX, 1}, {INT32_MIN, 1, 0}};
    for (auto& [client, logo, count] : tiles)
        CHECK(std::tuple(client, logo, TileCount(client, logo)) == std::tuple(client, logo, count));
}

static BounceRules Rules(int32_t speed, int32_t gravity, int32_t wrap, int32_t w, int32_t h, int32_t cw, int32_t ch)
{
    return {speed, gravity, wrap, w, h, cw, ch};
}

TEST_CASE("Bounce starts with signs drawn before the place, keeping the previous place")
{
    // Gravity, draws, draws taken, VelX, VelY, X, Y, FloatY. Odd draws give -1; gravity draws only the place.
    const std::tuple<int32_t, std::vector<int>, size_t, int32_t, int32_t, int32_t, int32_t, float> rows[] = {
        {0, {1, 2, 1000, 700}, 4, -3, 3, 1000, 100, 0.0f}, {0, {32766, 32767, 5, 6}, 4, 3, -3, 5, 6, 0.0f},
        {9, {1001, 700, 1, 1}, 2, 3, 99, 1001, 100, 10.0f}};
    for (auto& [gravity, draws, taken, vx, vy, x, y, fy] : rows) {
        Script(draws);
        BounceMotion m = {-4, -4, 77, 88, 0, 99, 5.0f, 6.0f, 1.0f};
        StartBounce(&m, Rules(3, gravity, 0, 640, 480, 1920, 1080), Scripted);
        CHECK(std::tuple(drawn, m.VelX, m.VelY, m.BounceX, m.BounceY, m.FloatY, m.FloatVelY, m.Landed, m.PrevX, m.PrevY) ==
              std::tuple(taken, vx, vy, x, y, fy, 0.0f, 0.0f, 77, 88));
    }
}

TEST_CASE("Bounce turns at every wall: the right only once crossed, the bottom once reached")
{
    // X, Y, VelX, VelY, wrap, logo height; then X, Y, VelX, VelY. A 20-pixel logo in 100 × 100, speed 5.
    const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t> rows[] = {
        {3, 50, -5, 0, 0, 20, 0, 50, 5, 0}, {5, 50, -5, 0, 0, 20, 0, 50, 5, 0}, {75, 50, 5, 0, 0, 20, 80, 50, 5, 0},
        {76, 50, 5, 0, 0, 20, 80, 50, -5, 0}, {40, 75, 0, 5, 0, 20, 40, 80, 0, -5}, {40, 78, 0, 5, 0, 20, 40, 80, 0, -5},
        {40, 2, 0, -3, 0, 20, 40, 0, 0, 3}, {40, -50, 0, 3, 0, 150, 40, -50, 0, 3}, {3, 50, -5, 0, 1, 20, 0, 50, 5, 0},
        {40, 40, 3, -3, 0, 20, 43, 37, 3, -3}};
    for (auto& [x, y, vx, vy, wrap, height, ex, ey, evx, evy] : rows) {
        BounceMotion m = {x, y, 0, 0, vx, vy, 0.0f, 0.0f, 0.0f};
        MoveBounce(&m, Rules(5, 0, wrap, 20, height, 100, 100));
        CHECK(std::tuple(x, y, m.BounceX, m.BounceY, m.VelX, m.VelY) == std::tuple(x, y, ex, ey, evx, evy));
    }
}

TEST_CASE("gravity accelerates in floats, lands, turns above the top only when wholly out, and wraps or turns at the sides")
{
    // Speed 3, gravity 9: 0.09 pixels per tick per tick. FloatY, FloatVelY, Landed in and out, then BounceY.
    const std::tuple<float, float, float, float, float, float, int32_t> rows[] = {
        {10.0f, 0.0f, 0.0f, static_cast<float>(10.0 + static_cast<double>(0.09f)), 0.09f, 0.0f, 10},
        {10.0f, 0.09f, 0.0f, static_cast<float>(10.0 + static_cast<double>(static_cast<float>(0.09f + 0.09))),
         static_cast<float>(static_cast<double>(0.09f) + 0.09), 0.0f, 10},
        {80.0f, -5.0f, 1.0f, 75.0f, -5.0f, 0.0f, 75}, {-0.5f, -0.25f, 1.0f, -0.75f, -0.25f, 0.0f, 0},
        {-15.0f, -4.0f, 1.0f, -19.0f, -4.0f, 0.0f, -19}, {-16.0f, -4.0f, 1.0f, -20.0f, 4.0f, 0.0f, -20},
        {-30.0f, -4.0f, 1.0f, -20.0f, 4.0f, 0.0f, -20}, {79.0f, 1.0f, 1.0f, 80.0f, -1.0f, 1.0f, 80},
        {78.5f, 3.0f, 1.0f, 80.0f, -3.0f, 1.0f, 80}};
    for (auto& [fy, fv, landed, efy, efv, elanded, ey] : rows) {
        BounceMotion m = {40, 0, 0, 0, 0, 0, fy, fv, landed};
        MoveBounce(&m, Rules(3, 9, 0, 20, 20, 100, 100));
        CHECK(std::tuple(fy, fv, m.FloatY, m.FloatVelY, m.Landed, m.BounceY) == std::tuple(fy, fv, efy, efv, elanded, ey));
    }
    // Speed, wrap, X; then X and VelX.
    const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t> sides[] = {{3, 1, 100, 103, 3}, {3, 1, 101, -20, 3},
        {-3, 1, -18, 100, -3}, {-3, 1, -17, -20, -3}, {3, 0, 78, 80, -3}, {-3, 0, 2, 0, 3}};
    for (auto& [speed, wrap, x, ex, evx] : sides) {
        BounceMotion m = {x, 40, 0, 0, speed, 0, 40.0f, 0.0f, 1.0f};
        MoveBounce(&m, Rules(speed, 9, wrap, 20, 20, 100, 100));
        CHECK(std::tuple(speed, wrap, x, m.BounceX, m.VelX) == std::tuple(speed, wrap, x, ex, evx));
    }
}

TEST_CASE("each Bounce tick erases the old place with a margin and copies both places, within what GDI takes")
{
    using R = std::tuple<int32_t, int32_t, int32_t, int32_t>;
    const std::tuple<int32_t, int32_t, int32_t, int32_t, R, R> rows[] = {
        {13, 24, 10, 20, {10, 20, 45, 65}, {10, 20, 48, 69}}, {7, 17, 10, 20, {10, 20, 45, 65}, {7, 17, 45, 65}},
        {-30, -40, -27, -37, {-27, -37, 8, 8}, {-30, -40, 8, 8}},
        {INT32_MAX, INT32_MIN, INT32_MAX, 5, {134217727, 5, 134217727, 50}, {134217727, -134217727, 134217727, 50}}};
    for (auto& [x, y, px, py, erase, copy] : rows) {
        const BounceMotion m = {x, y, px, py, 0, 0, 0.0f, 0.0f, 0.0f};
        const BounceRules rules = Rules(3, 0, 0, 30, 40, 1920, 1080);
        const BounceRect e = BounceEraseRect(m, rules), c = BounceCopyRect(m, rules);
        CHECK(std::tuple(x, y, R{e.Left, e.Top, e.Right, e.Bottom}, R{c.Left, c.Top, c.Right, c.Bottom}) == std::tuple(x, y, erase, copy));
    }
}

TEST_CASE("a long Bounce run with any stored speed keeps the logo in range and sane speeds reach the floor")
{
    for (int32_t speed : {1, 3, 10, 0, -3, 1 << 30, INT32_MAX, INT32_MIN})
        for (int32_t mode = 0; mode < 3; ++mode) {
            // Gravity is stored as three times the speed, wrapping in 32 bits; wrapping needs gravity.
            const int32_t gravity = mode ? static_cast<int32_t>(3u * static_cast<uint32_t>(speed)) : 0, wrap = mode == 2;
            const BounceRules rules = Rules(speed, gravity, wrap, 64, 48, 1024, 768);
            Script({1, 2, 500, 300});
            BounceMotion m = {};
            StartBounce(&m, rules, Scripted);
            int wrong = 0, lowest = 0;
            for (int tick = 0; tick < 20000; ++tick) {
                MoveBounce(&m, rules);
                const BounceRect copy = BounceCopyRect(m, rules);
                wrong += copy.Right < copy.Left || copy.Bottom < copy.Top || m.BounceY > 720 || m.BounceY < (gravity ? -48 : 0);
                wrong += !wrap && (m.BounceX < 0 || m.BounceX > 1024 - 64);
                lowest = std::max(lowest, m.BounceY), m.PrevX = m.BounceX, m.PrevY = m.BounceY;
            }
            CHECK(std::tuple(speed, mode, wrong) == std::tuple(speed, mode, 0));
            if (speed >= 1 && speed <= 10)
                CHECK(std::tuple(speed, mode, lowest) == std::tuple(speed, mode, 720));
        }
}

TEST_CASE("a Fade component follows the float factor and truncates toward the background")
{
    // 0.03 as a float lies just below 0.03: 200 at level 3 is 5.99… and becomes 5. Out-of-range levels take the nearer end.
    const std::tuple<int, int, int32_t, int> rows[] = {{200, 0, 3, 5}, {100, 0, 3, 2}, {100, 0, 29, 28}, {100, 0, 57, 56},
        {0, 100, 3, 98}, {0, 255, 50, 128}, {255, 0, 50, 127}, {255, 0, 1, 2}, {0, 255, 99, 3}, {17, 200, 100, 17},
        {255, 0, 100, 255}, {17, 200, 0, 200}, {17, 200, -40, 200}, {17, 200, 250, 17}, {17, 200, INT32_MIN, 200}, {17, 200, INT32_MAX, 17}};
    for (auto& [source, background, level, result] : rows)
        CHECK(std::tuple(source, background, level, +BlendFadeComponent(uint8_t(source), uint8_t(background), level)) ==
              std::tuple(source, background, level, result));
    const std::tuple<int32_t, int32_t, size_t, size_t> sizes[] = {{1, 1, 4, 6}, {3, 2, 12, 24}, {4, 1, 12, 15},
        {640, 480, 1920, 923040}, {0, 5, 0, 0}, {5, 0, 16, 0}, {-3, 4, 0, 0}};
    for (auto& [w, h, row, buffer] : sizes)
        CHECK(std::tuple(w, h, FadeRowBytes(w), FadeBufferBytes(w, h)) == std::tuple(w, h, row, buffer));
}

TEST_CASE("fast Fade frames match the double formula byte for byte, keep colours in place and zero the fill bytes")
{
    int mismatches = 0;
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, 5}, {4, 2}, {5, 7}, {7, 3}, {64, 48}, {641, 4}})
        for (uint32_t background : {0x000000u, 0xFFFFFFu, 0x403020u, 0x00FF01u, 0x7F80FEu}) {
            const size_t bytes = FadeRowBytes(w) * size_t(h);  // exactly the rows, so a write past them is caught
            std::vector<uint8_t> source(bytes);
            uint32_t state = uint32_t(w) ^ background;
            for (uint8_t& byte : source)  // fill bytes vary too
                state = state * 1664525u + 1013904223u, byte = uint8_t(state >> 24);
            for (int32_t level = 0; level <= 100; ++level) {
                std::vector<uint8_t> fast(bytes, 0xAA), literal(bytes, 0x55);
                BlendFadeFrame(source.data(), fast.data(), w, h, background, level);
                BlendFadeFrameLiteral(source.data(), literal.data(), w, h, background, level);
                mismatches += fast != literal;
            }
        }
    CHECK_EQ(mismatches, 0);
    FadeTable table;
    for (int32_t level = 0; level <= 100; ++level)
        for (int background = 0; background < 256; ++background) {
            BuildFadeTable(&table, uint32_t(background) * 0x010101u, level);
            for (int source = 0; source < 256; ++source) {
                const uint8_t expected = BlendFadeComponent(uint8_t(source), uint8_t(background), level);
                mismatches += table.Blue[source] != expected || table.Green[source] != expected || table.Red[source] != expected;
            }
        }
    CHECK_EQ(mismatches, 0);
    // Two rows of 3 pixels: 9 bytes of colour and 3 fill bytes each; background red 0x30, green 0x20, blue 0x10.
    std::vector<uint8_t> source(24, 0xEE), logo(24, 0), empty(24, 0);
    for (int i = 0; i < 9; ++i)
        source[i] = logo[i] = uint8_t(i + 1), source[12 + i] = logo[12 + i] = uint8_t(i + 11), empty[i] = empty[12 + i] = uint8_t(0x10 * (i % 3 + 1));
    for (auto blend : {BlendFadeFrame, BlendFadeFrameLiteral})
        for (int32_t level : {100, 0}) {
            std::vector<uint8_t> frame(24, 0x77);
            blend(source.data(), frame.data(), 3, 2, 0x00102030, level);
            CHECK(frame == (level ? logo : empty));
        }
}

TEST_CASE("a Fade cycle fades in, holds, fades out and pauses, waiting out an earlier hold, with levels in range")
{
    // The frame on screen through the hold is the last one below 100.
    for (auto [speed, lastIn, lastOut] : {std::tuple{3, 99, 1}, {5, 95, 5}, {1, 99, 1}, {30, 90, 10}, {100, 0, 100}}) {
        std::vector<int32_t> expected, levels;  // -1 for a tick without a frame
        for (int32_t level = 0; level <= lastIn; level += speed)
            expected.push_back(level);
        expected.insert(expected.end(), 49, -1);
        for (int32_t level = 100; level >= lastOut; level -= speed)
            expected.push_back(level);
        const size_t fadedAt = expected.size() - 1;
        expected.insert(expected.end(), 19, -1);
        expected.push_back(0);
        FadeCycle cycle = {55, -7, 0};
        StartFadeCycle(&cycle, speed);
        size_t faded = 0;
        for (size_t tick = 0; tick < expected.size(); ++tick) {
            const FadeTick t = AdvanceFade(&cycle);
            levels.push_back(t.DrawFrame ? t.FrameLevel : -1);
            faded = t.Faded && !faded ? tick : faded;
        }
        CHECK(std::tuple(speed, levels == expected, faded, AdvanceFade(&cycle).FrameLevel) ==
              std::tuple(speed, true, fadedAt, speed < 100 ? speed : 0));
    }
    for (auto [hold, idle] : {std::pair{30, 29}, {50, 49}, {1, 0}, {0, 0}, {-8, 0}}) {
        FadeCycle cycle = {100, -3, hold};
        StartFadeCycle(&cycle, 3);
        std::vector<int32_t> levels;
        for (int tick = 0; tick < idle + 2; ++tick) {
            const FadeTick t = AdvanceFade(&cycle);
            levels.push_back(t.DrawFrame ? t.FrameLevel : -1);
        }
        std::vector<int32_t> expected(size_t(idle), -1);
        expected.insert(expected.end(), {0, 3});
        CHECK(std::tuple(hold, levels == expected) == std::tuple(hold, true));
    }
    for (int32_t speed : {0, -3, -100, 101, 1000, INT32_MAX, INT32_MIN, INT32_MIN + 1}) {
        FadeCycle cycle = {0, 0, INT32_MAX};
        StartFadeCycle(&cycle, speed);
        cycle.HoldTicks = 0;
        int sinceFrame = 0, longestWait = 0, wrong = 0;
        for (int tick = 0; tick < 20000; ++tick) {
            const FadeTick t = AdvanceFade(&cycle);
            sinceFrame = t.DrawFrame ? 0 : sinceFrame + 1, longestWait = std::max(longestWait, sinceFrame);
            wrong += (t.DrawFrame && (t.FrameLevel < 0 || t.FrameLevel > 100)) + (cycle.Level < 0 || cycle.Level > 100);
        }
        CHECK(std::tuple(speed, wrong, longestWait <= 49, cycle.HoldTicks >= 0) == std::tuple(speed, 0, true, true));
    }
}

TEST_CASE("a Drip step slides a run of columns in the order the numbers are drawn")
{
    using S = std::tuple<int32_t, int32_t, int32_t>;  // column, offset before, distance
    const int32_t L = DripOffsetLimit;
    // Columns, offsets, draws; slides, offsets after, draws taken. Draws: first column, then per slide a distance and a stop number.
    const std::tuple<int32_t, std::vector<int32_t>, std::vector<int>, std::vector<S>, std::vector<int32_t>, size_t> rows[] = {
        {6, {0, 0, 0, 0, 0, 0}, {3, 2, 8}, {{3, 0, 3}}, {0, 0, 0, 3, 0, 0}, 3},
        {6, {0, 0, 0, 0, 0, 0}, {0, 1, 7, 2, 17, 3, 9}, {{0, 0, 2}, {1, 0, 3}, {2, 0, 4}}, {2, 3, 4, 0, 0, 0}, 7},
        {100, std::vector<int32_t>(100), {32767, 4, 8}, {{67, 0, 1}}, {}, 3},
        {10, std::vector<int32_t>(10), {7, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 99}, {{7, 0, 1}, {8, 0, 2}, {9, 0, 3}, {0, 0, 4}, {1, 0, 1}},
         {4, 1, 0, 0, 0, 0, 0, 1, 2, 3}, 11},  // five slides at most; the fifth still draws its stop number
        {3, {10, 5, 0}, {0, 1, 9}, {{0, 10, 2}}, {12, 5, 0}, 3},
        {2, {0, 0}, {1, 3, 0, 3, 0, 1, 9}, {{1, 0, 4}, {0, 0, 4}, {1, 4, 2}}, {4, 6}, 7},
        {1, {L - 1}, {0, 3, 0, 3, 9}, {{0, L - 1, 4}, {0, L + 3, 4}}, {L + 3}, 5},  // far below every window: no more growth
        {0, {}, {5, 5, 5}, {}, {}, 0}, {-4, {0}, {5, 5, 5}, {}, {0}, 0}, {10, {}, {1, 2, 3}, {}, {}, 0}};
    for (auto& [columns, offsetsIn, draws, slides, offsetsAfter, taken] : rows) {
        Script(draws);
        std::vector<int32_t> offsets = offsetsIn;
        DripSlide made[MaxDripSlides];
        std::vector<S> got(size_t(DripStep(columns, offsets.empty() ? nullptr : offsets.data(), Scripted, made)));
        for (size_t i = 0; i < got.size(); ++i)
            got[i] = {made[i].Column, made[i].Offset, made[i].Distance};
        CHECK(std::tuple(columns, got == slides, offsetsAfter.empty() || offsets == offsetsAfter, drawn) == std::tuple(columns, true, true, taken));
    }
}

TEST_CASE("a Drip slide moves the strip below its gap and paints the gap from one row higher")
{
    // Logo X, Y, height, slide; strip X, source Y, destination Y, height, gap top and bottom.
    const std::tuple<int32_t, int32_t, int32_t, DripSlide, std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t>> rows[] = {
        {462, 360, 48, {0, 0, 3}, {462, 360, 363, 48, 359, 363}}, {462, 360, 48, {99, 0, 1}, {561, 360, 361, 48, 359, 361}},
        {462, 360, 48, {5, 10, 2}, {467, 370, 372, 48, 369, 372}}, {0, 0, 768, {0, 0, 4}, {0, 0, 4, 768, -1, 4}},
        {-10, -20, 800, {3, 7, 4}, {-7, -13, -9, 800, -14, -9}}};
    for (auto& [x, y, height, slide, strip] : rows) {
        const DripStrip s = DripStripOf(x, y, height, slide);
        CHECK(std::tuple(x, slide.Column, std::tuple(s.X, s.SourceY, s.DestinationY, s.Height, s.GapTop, s.GapBottom)) ==
              std::tuple(x, slide.Column, strip));
    }
}

TEST_CASE("Falling holds its copies to the table and draws a direction only among several")
{
    for (auto [count, inUse] : {std::pair{15, 15}, {1, 1}, {50, 50}, {51, 50}, {INT32_MAX, 50}, {0, 0}, {-1, 0}, {INT32_MIN, 0}})
        CHECK(std::tuple(count, FallingCopiesInUse(count)) == std::tuple(count, inUse));
    const std::tuple<int32_t, int, int32_t, size_t> rows[] = {{0, 3, FallDown, 0}, {16 | 32, 3, FallDown, 0}, {FallUp, 3, FallUp, 0},
        {FallLeft, 3, FallLeft, 0}, {12, 0, FallLeft, 1}, {12, 1, FallRight, 1}, {3, 5, FallDown, 1}, {15, 7, FallRight, 1},
        {15, 32764, FallUp, 1}, {6, 1, FallLeft, 1}, {-1, 2, FallLeft, 1}};
    for (auto& [allowed, random, direction, taken] : rows) {
        Script({random});
        CHECK(std::tuple(allowed, random, ChooseFallDirection(allowed, Scripted), drawn) == std::tuple(allowed, random, direction, taken));
    }
}

TEST_CASE("Falling copies move by speed and depth, halved in the preview, and land on whole pixels toward zero")
{
    // Direction, speed, control panel preview, depth draw (0 gives 1.0, 89 gives 9.9), steps; screen X and Y.
    const std::tuple<int32_t, int32_t, bool, int, int, int32_t, int32_t> rows[] = {{FallDown, 10, 0, 0, 3, 0, 30},
        {FallDown, 10, 0, 89, 1, 0, 1}, {FallDown, 10, 1, 0, 1, 0, 5}, {FallDown, 10, 1, 89, 1, 0, 0}, {FallDown, 10, 1, 89, 2, 0, 1},
        {FallUp, 10, 0, 89, 1, 0, -1}, {FallLeft, 25, 0, 0, 1, -25, 0}, {FallRight, 1, 0, 0, 2, 2, 0}, {FallRight, 0, 0, 0, 5, 0, 0},
        {FallDown, -10, 0, 0, 1, 0, -10}, {FallLeft, INT32_MIN, 0, 0, 3, 1 << 30, 0}, {FallDown, INT32_MAX, 0, 0, 1, 0, 1 << 30}};
    for (auto& [direction, speed, preview, depth, steps, x, y] : rows) {
        Script({depth, 0, 0});
        const FallStep step = FallStepFor(direction, speed, preview);
        FallingPlace place = PlaceFallingCopy(0, 0, 0, 0, true, false, step, Scripted);
        for (int i = 0; i < steps; ++i)
            MoveFallingCopy(&place, step);
        CHECK(std::tuple(direction, speed, preview, depth, place.ScreenX, place.ScreenY) == std::tuple(direction, speed, preview, depth, x, y));
    }
}

TEST_CASE("a Falling copy takes its depth, size and place from three numbers; all ninety depths occur")
{
    constexpr FallStep Down = {0, 1}, Up = {0, -1}, Left = {-1, 0}, Right = {1, 0}, Still = {0, 0};
    // Logo, client area, size by depth, entering, step, draws; depth, copy size, place.
    const std::tuple<int32_t, int32_t, int32_t, int32_t, bool, bool, FallStep, std::vector<int>, double, int32_t, int32_t, double, double> rows[] = {
        {300, 200, 1024, 768, 1, 0, Down, {0, 1000, 700}, 1.0, 300, 200, 850, 600},
        {300, 200, 1024, 768, 1, 0, Down, {89, 1000, 700}, 9.9, 30, 20, 985, 690},
        {300, 200, 1024, 768, 0, 0, Down, {89, 1000, 700}, 9.9, 300, 200, 850, 600},
        {64, 48, 1024, 768, 1, 0, Down, {32767, 32767, 32767}, 1.7, 37, 28, 1023 - 18, 511 - 14},
        {7, 5, 100, 100, 0, 0, Down, {0, 0, 0}, 1.0, 7, 5, -3, -2}, {64, 48, 1024, 768, 1, 1, Down, {0, 500, 700}, 1.0, 64, 48, 468, -48},
        {64, 48, 1024, 768, 1, 1, Up, {0, 500, 700}, 1.0, 64, 48, 468, 768}, {64, 48, 1024, 768, 1, 1, Left, {0, 500, 700}, 1.0, 64, 48, 1024, 676},
        {64, 48, 1024, 768, 1, 1, Right, {9, 500, 700}, 1.9, 33, 25, -33, 688}, {64, 48, 1024, 768, 1, 1, Still, {0, 500, 700}, 1.0, 64, 48, 468, 676},
        {64, 48, 0, 0, 1, 0, Down, {0, 500, 700}, 1.0, 64, 48, -32, -24}};
    for (auto& [w, h, cw, ch, byDepth, entering, step, draws, depth, copyW, copyH, x, y] : rows) {
        Script(draws);
        const FallingPlace p = PlaceFallingCopy(w, h, cw, ch, byDepth, entering, step, Scripted);
        CHECK(std::tuple(w, cw, draws[0], drawn, std::fabs(p.Depth - depth) < 1e-12, std::fabs(p.SpeedFactor - (11 - depth)) < 1e-12,
                         p.CopyWidth, p.CopyHeight, p.PosX, p.PosY, p.ScreenX, p.ScreenY) ==
              std::tuple(w, cw, draws[0], size_t{3}, true, true, copyW, copyH, x, y, 0, 0));
    }
    for (int32_t r = 1; r < 90; ++r)
        CHECK(std::tuple(r, FallingDepth(r + 90 * 7) > FallingDepth(r - 1 + 90 * 7)) == std::tuple(r, true));
    CHECK(std::tuple(FallingDepth(0), std::fabs(FallingDepth(89) - 9.9) < 1e-12) == std::tuple(1.0, true));
}

TEST_CASE("a Falling copy is replaced only when more than five pixels outside")
{
    const std::tuple<int32_t, int32_t, int32_t, int32_t, bool> rows[] = {{500, 300, 64, 48, 0}, {0, 773, 64, 48, 0}, {0, 774, 64, 48, 1},
        {-69, 0, 64, 48, 0}, {-70, 0, 64, 48, 1}, {1029, 0, 64, 48, 0}, {1030, 0, 64, 48, 1}, {0, -53, 64, 48, 0}, {0, -54, 64, 48, 1},
        {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, 1}};
    for (auto& [x, y, w, h, gone] : rows) {
        FallingPlace p = {};
        p.ScreenX = x, p.ScreenY = y, p.CopyWidth = w, p.CopyHeight = h;
        CHECK(std::tuple(x, y, FallingCopyGone(p, 1024, 768)) == std::tuple(x, y, gone));
    }
}

TEST_CASE("the Falling sort puts the farthest first, swapping equal depths only through others")
{
    struct Record { FallingPlace Place; char Name; };
    // A stable sort would give "beacd" in the first row; the exchange sort moves a behind c.
    const std::tuple<std::vector<double>, int32_t, std::string> rows[] = {{{5.0, 9.9, 5.0, 1.0, 9.9}, 5, "becad"},
        {{9.9, 5.0, 1.0}, 3, "abc"}, {{1.0, 2.0, 3.0, 4.0}, 4, "dcba"}, {{1.0, 2.0, 9.0, 9.9}, 2, "bacd"}, {{1.0, 2.0}, 0, "ab"}};
    for (auto& [depths, count, order] : rows) {
        std::vector<Record> records(depths.size());
        for (size_t i = 0; i < records.size(); ++i)
            records[i].Place.Depth = depths[i], records[i].Name = char('a' + i);
        SortFarthestFirst(records.data(), count);
        std::string got;
        for (const Record& record : records)
            got += record.Name;
        CHECK(got == order);
    }
}

TEST_CASE("Falling darkens each component by the depth and leaves row padding alone")
{
    uint8_t table[256];
    for (auto [depth, value, darkened] : {std::tuple{1.0, 255, 237}, {1.0, 100, 93}, {1.0, 0, 0}, {1.0, 1, 0}, {9.9, 255, 78},
                                          {9.9, 100, 30}, {5.0, 255, 165}, {5.0, 2, 1}, {1.1, 255, 235}}) {
        DarkeningTable(depth, table);
        CHECK(std::tuple(depth, value, +table[value]) == std::tuple(depth, value, darkened));
    }
    DarkeningTable(1.0, table);
    const std::tuple<int32_t, int32_t, size_t, size_t> sizes[] = {{1, 2, 4, 12}, {2, 1, 8, 9}, {3, 2, 12, 24}, {4, 3, 12, 45},
        {5, 1, 16, 18}, {640, 2, 1920, 3846}, {0, 10, 0, 0}, {10, -1, 32, 0}};
    for (auto& [w, h, rowBytes, bufferBytes] : sizes) {
        REQUIRE(std::tuple(w, h, DibRowBytes(w), DarkeningBufferBytes(w, h)) == std::tuple(w, h, rowBytes, bufferBytes));
        // Padding in the source holds noise that must not reach the target.
        std::vector<uint8_t> source(bufferBytes, 0xAA), target(bufferBytes, 0);
        for (size_t at = 0; at < rowBytes * size_t(std::max(h, 0)); ++at)
            if (at % rowBytes < 3 * size_t(w))
                source[at] = at % rowBytes % 2 ? 255 : 100;
        DarkenRows(source.data(), target.data(), w, h, table);
        int wrong = 0;
        for (size_t at = 0; at < bufferBytes; ++at)
            wrong += target[at] != (at < rowBytes * size_t(h) && at % rowBytes < 3 * size_t(w) ? (at % rowBytes % 2 ? 237 : 93) : 0);
        CHECK(std::tuple(w, h, wrong) == std::tuple(w, h, 0));
    }
}
