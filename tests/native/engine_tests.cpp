// The engine's arithmetic: modes, placement, and each mode's motion. rand() is scripted,
// so the order of its draws is pinned: the same seeds give the same pictures.
#include "engine/bounce_physics.h"
#include "engine/drip_steps.h"
#include "engine/fade_blend.h"
#include "engine/falling_depth.h"
#include "engine/modes.h"
#include "engine/pixel_rect.h"
#include "engine/placement.h"
#include "native/tables.h"

#include <climits>
#include <cmath>
#include <vector>

static std::vector<int> script;
static size_t drawn;
static int Scripted() { return drawn < script.size() ? script[drawn++] : (++drawn, 0); }
static void Script(std::vector<int> values) { script = std::move(values), drawn = 0; }

TEST_CASE("the mode table holds each bit once; a mode is drawn only among several") {
    const std::tuple<int32_t, std::string, uint16_t, int32_t> modes[ModeCount] = {{2, "Static", 9, 0}, {4, "Plain", 105, 0},
        {8, "Bounce", 106, 0}, {16, "Many", 107, 0}, {32, "Fade", 108, 0}, {64, "Drip", 2004, 1}, {128, "Falling", 2005, 0}};
    for (int i = 0; i < ModeCount; ++i)
        CHECK_ROW((i), (ModeRows[i].Bit, std::string(ModeRows[i].Name), ModeRows[i].PageTemplate, ModeRows[i].Tileable,
                        FindModeRow(ModeRows[i].Bit)), (std::get<0>(modes[i]), std::get<1>(modes[i]), std::get<2>(modes[i]),
                                                        std::get<3>(modes[i]), i));
    for (int32_t bit : {0, 1, 3, 256, -1}) CHECK_ROW((bit), (FindModeRow(bit)), (-1));
    // Enabled bits, the number drawn; the row chosen, draws taken.
    for (auto [enabled, random, chosen, draws] : {std::tuple{0, 7, -1, 0u}, {1, 7, -1, 0}, {-1, 7, -1, 0}, {2, 7, 0, 0},
             {128, 7, 6, 0}, {1 | 64, 7, 5, 0}, {256 | 8, 7, 2, 0}, {2 | 16 | 128, 4, 3, 1}, {2 | 16 | 128, 0, 0, 1},
             {2 | 16 | 128, 5, 6, 1}, {255, 32767, 0, 1}, {INT32_MAX, 2, 2, 1}}) {
        Script({random});
        CHECK_ROW((enabled, random), (ChooseModeRow(enabled, Scripted), drawn), (chosen, size_t(draws)));
    }
}
TEST_CASE("placement: remainders keep the dividend's sign, centring truncates, random places use the room left, tiles cover") {
    for (auto [r, n, result] : {std::tuple{7, 3, 1}, {-7, 3, -1}, {7, -3, 1}, {32767, 1919, 144}, {5, 0, 0}, {INT32_MIN, -1, 0},
             {INT32_MIN, INT32_MAX, -1}})
        CHECK_ROW((r, n), (RemainderOrZero(r, n)), (result));
    // Which place (centred, random, random centre), client area, logo, two draws; the place.
    for (auto [kind, cw, ch, w, h, r1, r2, x, y] : {std::tuple{0, 1920, 1080, 640, 480, 0, 0, 640, 300},
             {0, 100, 100, 103, 103, 0, 0, -1, -1}, {0, 101, 0, 0, 3, 0, 0, 50, -1}, {1, 1920, 1080, 640, 480, 1000, 700, 1000, 100},
             {1, 1920, 1080, 640, 480, 1280, 600, 0, 0}, {1, 1919, 1080, 1920, 1080, 12345, 999, 0, 0},
             {1, 100, 100, 150, 130, 32767, 77, 17, 17}, {1, 0, 0, 0, 0, 5, 6, 0, 0}, {2, 1920, 1080, 640, 480, 2000, 1100, -240, -220},
             {2, 1920, 1080, 641, 481, 0, 0, -320, -240}, {2, 0, 0, 640, 480, 5, 7, -320, -240}, {2, 1, 1, 0, 0, 32767, 32767, 0, 0}})
        CHECK_ROW((kind, cw, ch, w, h, r1, r2), (XY(kind == 0   ? CentredLogoPosition(cw, ch, w, h)
                                                    : kind == 1 ? RandomLogoPosition(cw, ch, w, h, r1, r2)
                                                                : RandomCentredLogoPosition(cw, ch, w, h, r1, r2))), (x, y));
    // The preview's scaled size divides first (1/49 * 49 lies just below 1) and clamps; 112 / 768 * 432 is 63 in double
    // precision, 62 at the x87 unit's extended precision. Preview size, desktop size, logo size; the scaled size.
    for (auto [pw, ph, dw, dh, w, h, x, y] : {std::tuple{152, 112, 1280, 1024, 640, 480, 76, 52}, {152, 112, 1024, 768, 576, 432, 85, 63},
             {152, 112, 0, 1024, 640, 480, 0, 0},
             {1, 1, 49, 49, 49, 49, 0, 0}, {INT32_MAX, INT32_MAX, 1, 1, INT32_MAX, 2, INT32_MAX, INT32_MAX},
             {INT32_MAX, INT32_MAX, 1, 1, INT32_MIN, -2, INT32_MIN, INT32_MIN}})
        CHECK_ROW((pw, ph, dw, dh, w, h), (XY(ScaledLogoSize(pw, ph, dw, dh, w, h))), (x, y));
    for (auto [client, logo, count] : {std::tuple{90, 30, 3}, {91, 30, 4}, {1, 30, 1}, {0, 30, 0}, {100, 0, 0}, {100, -3, 0},
                                       {INT32_MAX, 1, INT32_MAX}, {INT32_MAX, INT32_MAX, 1}, {INT32_MIN, 1, 0}})
        CHECK_ROW((client, logo), (TileCount(client, logo)), (count));
}
static BounceMotion Moved(BounceMotion m, int32_t wrap, int32_t height)  // a 20-pixel-wide logo in 100 × 100, at speed 5
{ MoveBounce(&m, {5, 0, wrap, 20, height, 100, 100}); return m; }
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
    for (auto [x, y, vx, vy, wrap, h, ex, ey, evx, evy] : {std::tuple{3, 50, -5, 0, 0, 20, 0, 50, 5, 0},
             {75, 50, 5, 0, 0, 20, 80, 50, 5, 0}, {76, 50, 5, 0, 0, 20, 80, 50, -5, 0}, {40, 75, 0, 5, 0, 20, 40, 80, 0, -5},
             {40, 2, 0, -3, 0, 20, 40, 0, 0, 3}, {40, -50, 0, 3, 0, 150, 40, -50, 0, 3}, {3, 50, -5, 0, 1, 20, 0, 50, 5, 0}}) {
        const BounceMotion m = Moved({x, y, 0, 0, vx, vy, 0.0f, 0.0f, 0.0f}, wrap, h);
        CHECK_ROW((x, y, vx, vy, wrap, h), (m.BounceX, m.BounceY, m.VelX, m.VelY), (ex, ey, evx, evy));
    }
}
using Edges = std::vector<int32_t>;
static Edges EdgesOf(const PixelRect* r, int count) { Edges e; for (int i = 0; i < count; ++i) e.insert(e.end(), {r[i].Left, r[i].Top, r[i].Right, r[i].Bottom}); return e; }
TEST_CASE("a tick's rectangles: clipped to the area, bounded together without empty ones, and what of one lies outside another") {
    // A rectangle; it clipped to 100 × 80, and bounded with (20, 5, 30, 40).
    for (auto [r, clipped, bound] : {std::tuple{PixelRect{-5, -5, 10, 10}, PixelRect{0, 0, 10, 10}, PixelRect{-5, -5, 30, 40}},
             {{90, 70, 130, 90}, {90, 70, 100, 80}, {20, 5, 130, 90}}, {{100, 0, 120, 10}, {0, 0, 0, 0}, {20, 0, 120, 40}},
             {{5, 5, 5, 9}, {0, 0, 0, 0}, {20, 5, 30, 40}}, {{-9, -9, -1, 40}, {0, 0, 0, 0}, {-9, -9, 30, 40}}}) {
        const PixelRect found = ClipPixelRect(r, 100, 80), both = BoundingPixelRect(r, {20, 5, 30, 40});
        CHECK_ROW((EdgesOf(&r, 1)), (EdgesOf(&found, 1), EdgesOf(&both, 1)), (EdgesOf(&clipped, 1), EdgesOf(&bound, 1)));
    }
    // Outer, inner; the parts: above, below, left, right of the inner one's part inside.
    for (auto& [outer, inner, parts] : {std::tuple{PixelRect{0, 0, 10, 10}, PixelRect{2, 3, 6, 8}, Edges{0, 0, 10, 3, 0, 8, 10, 10,
             0, 3, 2, 8, 6, 3, 10, 8}}, {{0, 0, 10, 10}, {-5, 4, 20, 20}, {0, 0, 10, 4}}, {{0, 0, 10, 10}, {20, 20, 30, 30},
             {0, 0, 10, 10}}, {{0, 0, 10, 10}, {0, 0, 10, 10}, {}}, {{0, 0, 0, 10}, {0, 0, 5, 5}, {}}}) {
        PixelRect found[4];
        CHECK_ROW((EdgesOf(&outer, 1), EdgesOf(&inner, 1)), (EdgesOf(found, PixelRectOutside(outer, inner, found))), (parts));
    }
}
TEST_CASE("a Fade component follows the float factor and truncates toward the background; row and buffer sizes") {
    // 0.03 as a float lies just below 0.03: 200 at level 3 is 5.99… and becomes 5. Out-of-range levels take the nearer end.
    for (auto [source, background, level, result] : {std::tuple{200, 0, 3, 5}, {100, 0, 29, 28}, {100, 0, 57, 56}, {0, 100, 3, 98},
             {0, 255, 50, 128}, {255, 0, 50, 127}, {0, 255, 99, 3}, {255, 0, 100, 255}, {17, 200, 0, 200}, {17, 200, INT32_MIN, 200},
             {17, 200, INT32_MAX, 17}})
        CHECK_ROW((source, background, level), (+BlendFadeComponent(uint8_t(source), uint8_t(background), level)), (result));
    for (auto [w, h, row, buffer] : {std::tuple{1, 1, 4u, 6u}, {3, 2, 12, 24}, {4, 1, 12, 15}, {5, 0, 16, 0}, {-3, 4, 0, 0}})
        CHECK_ROW((w, h), (FadeRowBytes(w), FadeBufferBytes(w, h)), (size_t(row), size_t(buffer)));
}
TEST_CASE("fast Fade frames match the double formula byte for byte, keep colours in place and zero the fill bytes") {
    int mismatches = 0;
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, 5}, {4, 2}, {7, 3}, {641, 4}})
        for (uint32_t background : {0x000000u, 0xFFFFFFu, 0x403020u, 0x7F80FEu}) {
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
        source[i] = logo[i] = uint8_t(i + 1), source[12 + i] = logo[12 + i] = uint8_t(i + 11),
        empty[i] = empty[12 + i] = uint8_t(0x10 * (i % 3 + 1));
    for (auto [blend, level] : {std::pair{BlendFadeFrame, 100}, {BlendFadeFrame, 0}, {BlendFadeFrameLiteral, 100},
                                {BlendFadeFrameLiteral, 0}}) {
        std::vector<uint8_t> frame(24, 0x77);
        blend(source.data(), frame.data(), 3, 2, 0x00102030, level);
        CHECK_ROW((level), (frame == (level ? logo : empty)), (true));
    }
}
TEST_CASE("a Drip step slides a run of columns in the order the numbers are drawn") {
    using S = std::tuple<int32_t, int32_t, int32_t>;  // column, offset before, distance
    const int32_t L = DripOffsetLimit;
    // Columns, offsets, draws (the first column, then per slide a distance and a stop number); slides, offsets after, draws taken.
    const std::tuple<int32_t, std::vector<int32_t>, std::vector<int>, std::vector<S>, std::vector<int32_t>, size_t> rows[] = {
        {6, {0, 0, 0, 0, 0, 0}, {3, 2, 8}, {{3, 0, 3}}, {0, 0, 0, 3, 0, 0}, 3},
        {6, {0, 0, 0, 0, 0, 0}, {0, 1, 7, 2, 17, 3, 9}, {{0, 0, 2}, {1, 0, 3}, {2, 0, 4}}, {2, 3, 4, 0, 0, 0}, 7},
        {100, std::vector<int32_t>(100), {32767, 4, 8}, {{67, 0, 1}}, {}, 3},
        // Five slides at most; the fifth still draws its stop number.
        {10, std::vector<int32_t>(10), {7, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 99}, {{7, 0, 1}, {8, 0, 2}, {9, 0, 3}, {0, 0, 4}, {1, 0, 1}},
         {4, 1, 0, 0, 0, 0, 0, 1, 2, 3}, 11},
        {3, {10, 5, 0}, {0, 1, 9}, {{0, 10, 2}}, {12, 5, 0}, 3},
        {1, {L - 1}, {0, 3, 0, 3, 9}, {{0, L - 1, 4}, {0, L + 3, 4}}, {L + 3}, 5},  // far below every window: no more growth
        {0, {}, {5, 5, 5}, {}, {}, 0}, {-4, {0}, {5, 5, 5}, {}, {0}, 0}};
    for (auto [columns, offsets, draws, slides, offsetsAfter, taken] : rows) {
        Script(draws);
        DripSlide made[MaxDripSlides];
        std::vector<S> got(size_t(DripStep(columns, offsets.empty() ? nullptr : offsets.data(), Scripted, made)));
        for (size_t i = 0; i < got.size(); ++i) got[i] = {made[i].Column, made[i].Offset, made[i].Distance};
        CHECK_ROW((columns, draws[0]), (got == slides, offsetsAfter.empty() || offsets == offsetsAfter, drawn), (true, true, taken));
    }
}
TEST_CASE("Falling holds its copies to the table, draws a direction only among several") {
    for (auto [count, inUse] : {std::pair{15, 15}, {50, 50}, {51, 50}, {INT32_MAX, 50}, {0, 0}, {INT32_MIN, 0}})
        CHECK_ROW((count), (FallingCopiesInUse(count)), (inUse));
    // Allowed directions, the number drawn; the direction, draws taken.
    for (auto [allowed, random, direction, taken] : {std::tuple{0, 3, FallDown, 0u}, {16 | 32, 3, FallDown, 0}, {FallUp, 3, FallUp, 0},
             {12, 0, FallLeft, 1}, {12, 1, FallRight, 1}, {3, 5, FallDown, 1}, {15, 32764, FallUp, 1}, {-1, 2, FallLeft, 1}}) {
        Script({random});
        CHECK_ROW((allowed, random), (ChooseFallDirection(allowed, Scripted), drawn), (direction, size_t(taken)));
    }
}
TEST_CASE("a Falling copy takes its depth, size and place from three numbers, and is replaced only when more than 5 pixels out") {
    constexpr FallStep Down = {0, 1}, Up = {0, -1}, Left = {-1, 0}, Right = {1, 0}, Still = {0, 0};
    // Logo, client area, size by depth, entering, step, draws; depth, copy size, place.
    using D = double;
    const std::tuple<int32_t, int32_t, int32_t, int32_t, bool, bool, FallStep, std::vector<int>, D, int32_t, int32_t, D, D> rows[] = {
        {300, 200, 1024, 768, 1, 0, Down, {0, 1000, 700}, 1.0, 300, 200, 850, 600},
        {300, 200, 1024, 768, 1, 0, Down, {89, 1000, 700}, 9.9, 30, 20, 985, 690},
        {300, 200, 1024, 768, 0, 0, Down, {89, 1000, 700}, 9.9, 300, 200, 850, 600},
        {7, 5, 100, 100, 0, 0, Down, {0, 0, 0}, 1.0, 7, 5, -3, -2},
        {64, 48, 1024, 768, 1, 0, Down, {32767, 32767, 32767}, 1.7, 37, 28, 1023 - 18, 511 - 14},
        {64, 48, 1024, 768, 1, 1, Down, {0, 500, 700}, 1.0, 64, 48, 468, -48},
        {64, 48, 1024, 768, 1, 1, Up, {0, 500, 700}, 1.0, 64, 48, 468, 768},
        {64, 48, 1024, 768, 1, 1, Left, {0, 500, 700}, 1.0, 64, 48, 1024, 676},
        {64, 48, 1024, 768, 1, 1, Right, {9, 500, 700}, 1.9, 33, 25, -33, 688},
        {64, 48, 1024, 768, 1, 1, Still, {0, 500, 700}, 1.0, 64, 48, 468, 676}};
    for (auto [w, h, cw, ch, byDepth, entering, step, draws, depth, copyW, copyH, x, y] : rows) {
        Script(draws);
        const FallingPlace p = PlaceFallingCopy(w, h, cw, ch, byDepth, entering, step, Scripted);
        CHECK_ROW((w, h, cw, byDepth, entering, step.X, step.Y, draws[0]),
                  (drawn, std::fabs(p.Depth - depth) < 1e-12, std::fabs(p.SpeedFactor - (11 - depth)) < 1e-12, p.CopyWidth, p.CopyHeight,
                   p.PosX, p.PosY, p.ScreenX, p.ScreenY), (size_t{3}, true, true, copyW, copyH, x, y, 0, 0));
    }
    // Whole quotients in double precision that the x87 unit's extended precision puts just below: 640 / 1.6 and 9.6 × 2.5.
    for (auto [w, h, depth, copyW, copyH] : {std::tuple{640, 480, 1.6, 400, 300}, {64, 64, 6.4, 10, 10}}) {
        int32_t cw, ch;
        FallingCopySize(w, h, depth, true, &cw, &ch);
        CHECK_ROW((w, h, depth), (cw, ch), (copyW, copyH));
    }
    Script({4, 0, 100});  // at depth 1.4 and speed 25 a step is 24 pixels: from 76 (centred on 100) to 100
    FallingPlace moved = PlaceFallingCopy(64, 48, 1024, 768, false, false, FallStepFor(FallDown, 25, false), Scripted);
    MoveFallingCopy(&moved, FallStepFor(FallDown, 25, false));
    CHECK_ROW((moved.Depth), (moved.ScreenY), (100));
    for (int32_t r = 1; r < 90; ++r)  // all ninety depths occur, in order
        CHECK_ROW((r), (FallingDepth(r + 90 * 7) > FallingDepth(r - 1 + 90 * 7)), (true));
    CHECK_ROW((), (FallingDepth(0), std::fabs(FallingDepth(89) - 9.9) < 1e-12), (1.0, true));
    for (auto [x, y, w, h, gone] : {std::tuple{500, 300, 64, 48, false}, {0, 773, 64, 48, 0}, {0, 774, 64, 48, 1}, {-69, 0, 64, 48, 0},
             {-70, 0, 64, 48, 1}, {1029, 0, 64, 48, 0}, {1030, 0, 64, 48, 1}, {0, -54, 64, 48, 1},
             {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, 1}})
        CHECK_ROW((x, y, w, h), (FallingCopyGone({x, y, 0, 0, w, h, 0, 0}, 1024, 768)), (gone));
}
TEST_CASE("Fade holds 50 ticks at full and pauses 20 once out; gravity accelerates; preview falls at half speed; depth darkens") {
    FadeCycle cycle = {0, 0, 0};
    StartFadeCycle(&cycle, 50);
    std::string seen;  // a level per frame drawn, "f" when faded out, "." per tick waited
    for (int tick = 0; tick < 74; ++tick) {
        const FadeTick t = AdvanceFade(&cycle);
        seen += t.DrawFrame ? std::to_string(t.FrameLevel) + (t.Faded ? "f " : " ") : ".";
    }
    CHECK_EQ(seen, "0 50 " + std::string(49, '.') + "100 50f " + std::string(19, '.') + "0 50 ");
    const BounceRules rules = {10, 30, 0, 4, 4, 640, 480};
    BounceMotion motion = {};
    Script({0, 0});
    StartBounce(&motion, rules, Scripted);
    for (int tick = 0; tick < 10; ++tick) MoveBounce(&motion, rules);
    CHECK_EQ(motion.BounceY, 26);  // 10 + 0.3 × (1 + 2 + … + 10)
    CHECK_EQ(FallStepFor(FallDown, 25, true).Y, 1.25);
    uint8_t near[256], far[256];
    DarkeningTable(1.0, near), DarkeningTable(4.4, far);
    CHECK_ROW((), (near[200], far[250], far[255]), (186, 173, 176));
}
