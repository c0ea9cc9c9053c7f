// Bounce and Fade against Wine's real GDI: their handlers draw into memory
// contexts, every pixel is read back, and every GDI object they create is
// counted from start to stop.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/fade_blend.h"
#include "testkit.h"
#include "win/engine_fixture.h"

int LiveGdiObjects();

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr int AreaWidth = 160, AreaHeight = 120;
constexpr int LogoWidth = 24, LogoHeight = 16;

// A different colour in every pixel and every component.
COLORREF DistinctColour(int32_t x, int32_t y)
{
    return RGB(40 * x + 10, 50 * y + 7, 200 - 30 * x - 20 * y);
}

std::vector<uint8_t> DistinctLogo(int32_t width, int32_t height)
{
    return PaintedLogo(width, height, DistinctColour);
}

// The package and a surface of the area's size, as StartMode leaves them
// for an untiled, opaque mode.
void OpenArea(const std::vector<uint8_t>& logo)
{
    UsePackage(logo, -1);
    OpenLoadedSurface(AreaWidth, AreaHeight, false, false);
}

COLORREF BlendColour(COLORREF logo, int32_t level)
{
    return RGB(BlendFadeComponent(GetRValue(logo), GetRValue(Background), level),
               BlendFadeComponent(GetGValue(logo), GetGValue(Background), level),
               BlendFadeComponent(GetBValue(logo), GetBValue(Background), level));
}

}  // namespace

TEST_CASE(bounce_shows_exactly_one_logo_at_its_place_after_every_tick)
{
    struct Row { const char* Name; int32_t Speed, Gravity, Wrap; };
    const Row rows[] = {
        {"straight lines", 3, 0, 0},
        {"fast straight lines", 10, 0, 0},
        {"gravity", 3, 1, 0},
        {"gravity, wrapping at the sides", 10, 1, 1},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        OpenArea(QuarterLogo(LogoWidth, LogoHeight));
        Settings->BounceSpeed = row.Speed;
        Settings->BounceGravity = row.Gravity;
        Settings->BounceWrapSides = row.Wrap;
        NormaliseSettings(Settings);
        Canvas canvas = MakeCanvas(AreaWidth, AreaHeight);
        std::srand(7);
        AnimateBounce(canvas.Context, AnimStart);

        int wrongTicks = 0, places = 0, offTheArea = 0;
        POINT last = {-1000, -1000};
        for (int tick = 0; tick < 400; ++tick) {
            AnimateBounce(canvas.Context, AnimTick);
            const POINT at = {LogoSurface.X, LogoSurface.Y};
            const int wrong = CountDifferences(Snapshot(canvas), [&](int32_t x, int32_t y) {
                const int32_t dx = x - at.x, dy = y - at.y;
                if (dx < 0 || dy < 0 || dx >= LogoWidth || dy >= LogoHeight)
                    return Background;
                return QuarterColour(dx, dy, LogoWidth, LogoHeight);
            });
            if (wrong != 0 && wrongTicks++ == 0)
                std::printf("    tick %d, logo at %ld, %ld: %d pixels wrong\n", tick, at.x, at.y, wrong);
            places += at.x != last.x || at.y != last.y;
            offTheArea += at.x < 0 || at.x + LogoWidth > AreaWidth;
            last = at;
        }
        CHECK_EQ(wrongTicks, 0);
        CHECK(places > 300);
        // Only a wrapping logo leaves the area at the sides.
        CHECK_EQ(offTheArea > 0, row.Wrap != 0);

        // A repaint draws nothing; the next tick brings the logo back.
        const Picture before = Snapshot(canvas);
        AnimateBounce(canvas.Context, AnimRepaint);
        CHECK(Snapshot(canvas).Pixels == before.Pixels);

        AnimateBounce(canvas.Context, AnimStop);
        FreeCanvas(canvas);
        CloseSurface();
    }
}

TEST_CASE(bounce_creates_its_back_buffer_once_per_run_and_releases_it_at_stop)
{
    OpenArea(QuarterLogo(LogoWidth, LogoHeight));
    Canvas canvas = MakeCanvas(AreaWidth, AreaHeight);
    const int before = LiveGdiObjects();
    AnimateBounce(canvas.Context, AnimStart);
    const int running = LiveGdiObjects();
    CHECK_EQ(running, before + 2);
    for (int tick = 0; tick < 200; ++tick) {
        AnimateBounce(canvas.Context, AnimTick);
        if (LiveGdiObjects() != running) {
            TEST_ROW("tick " + std::to_string(tick));
            CHECK_EQ(LiveGdiObjects(), running);
            break;
        }
    }
    // A second start without a stop replaces the buffer instead of leaking it.
    AnimateBounce(canvas.Context, AnimStart);
    CHECK_EQ(LiveGdiObjects(), running);
    AnimateBounce(canvas.Context, AnimStop);
    CHECK_EQ(LiveGdiObjects(), before);
    AnimateBounce(canvas.Context, AnimStop);
    CHECK_EQ(LiveGdiObjects(), before);
    // A tick after the stop draws nothing and creates nothing.
    const Picture stopped = Snapshot(canvas);
    AnimateBounce(canvas.Context, AnimTick);
    CHECK(Snapshot(canvas).Pixels == stopped.Pixels);
    CHECK_EQ(LiveGdiObjects(), before);
    FreeCanvas(canvas);
    CloseSurface();
}

namespace {

struct FadeFrame {
    POINT At;
    int32_t Level;
};

COLORREF ExpectedFadePixel(const FadeFrame& frame, int32_t x, int32_t y)
{
    const int dx = x - frame.At.x, dy = y - frame.At.y;
    if (dx < 0 || dy < 0 || dx >= LogoWidth || dy >= LogoHeight)
        return Background;
    return BlendColour(QuarterColour(dx, dy, LogoWidth, LogoHeight), frame.Level);
}

int WrongFadePixels(const Canvas& canvas, const FadeFrame& frame)
{
    return CountDifferences(Snapshot(canvas), [&](int32_t x, int32_t y) { return ExpectedFadePixel(frame, x, y); });
}

}  // namespace

TEST_CASE(fade_frames_blend_the_centred_logo_hold_clear_and_pause)
{
    OpenArea(QuarterLogo(LogoWidth, LogoHeight));
    Settings->FadeSpeed = 5;
    Settings->FadeRandomPositions = 0;
    Canvas canvas = MakeCanvas(AreaWidth, AreaHeight, White);
    AnimateFade(canvas.Context, AnimStart);
    const POINT centre = {(AreaWidth - LogoWidth) / 2, (AreaHeight - LogoHeight) / 2};
    CHECK_EQ(LogoSurface.X, centre.x);
    CHECK_EQ(LogoSurface.Y, centre.y);
    // Nothing is drawn at the start.
    CHECK_EQ(Snapshot(canvas).At(centre.x, centre.y), White);

    // In by 5 to 95, a hold of 49 ticks, out from 100 to 5, a pause of 19, then 0 again.
    std::vector<int32_t> levels;
    for (int32_t level = 0; level < 100; level += 5)
        levels.push_back(level);
    levels.insert(levels.end(), 49, -1);
    for (int32_t level = 100; level > 0; level -= 5)
        levels.push_back(level);
    const size_t faded = levels.size() - 1;
    levels.insert(levels.end(), 19, -1);
    levels.push_back(0);

    // The area starts white, so the frames' rectangle is told from the rest.
    Picture previous = Snapshot(canvas);
    int wrongTicks = 0;
    for (size_t tick = 0; tick < levels.size(); ++tick) {
        AnimateFade(canvas.Context, AnimTick);
        const Picture now = Snapshot(canvas);
        bool right;
        if (levels[tick] < 0) {
            right = now.Pixels == previous.Pixels;
        } else if (tick == faded) {
            // Cleared but for the last column and row, which the null pen's rectangle leaves.
            int wrong = 0;
            for (int y = 0; y < AreaHeight; ++y)
                for (int x = 0; x < AreaWidth; ++x)
                    wrong += now.At(x, y) != (x == AreaWidth - 1 || y == AreaHeight - 1 ? White : Background);
            right = wrong == 0;
        } else {
            right = true;
            for (int y = 0; y < LogoHeight; ++y)
                for (int x = 0; x < LogoWidth; ++x) {
                    const FadeFrame frame = {centre, levels[tick]};
                    right = right && now.At(centre.x + x, centre.y + y) ==
                                         ExpectedFadePixel(frame, centre.x + x, centre.y + y);
                }
            // Outside its rectangle a frame changes nothing.
            right = right && now.At(centre.x - 1, centre.y) == previous.At(centre.x - 1, centre.y) &&
                    now.At(centre.x + LogoWidth, centre.y + LogoHeight) ==
                        previous.At(centre.x + LogoWidth, centre.y + LogoHeight);
        }
        if (!right && wrongTicks++ == 0)
            std::printf("    tick %zu (level %d) shows the wrong picture\n", tick, levels[tick]);
        previous = now;
    }
    CHECK_EQ(wrongTicks, 0);
    // The logo stays centred through the cycle.
    CHECK_EQ(LogoSurface.X, centre.x);
    CHECK_EQ(LogoSurface.Y, centre.y);

    // Full level reproduces the logo exactly: frames at 0 and 50, a hold of 49 ticks, then 100.
    const FadeFrame full = {centre, 100};
    Canvas check = MakeCanvas(AreaWidth, AreaHeight);
    Settings->FadeSpeed = 50;
    AnimateFade(check.Context, AnimStart);
    for (int tick = 0; tick < 52; ++tick)
        AnimateFade(check.Context, AnimTick);
    CHECK_EQ(WrongFadePixels(check, full), 0);
    CHECK_EQ(Snapshot(check).At(centre.x, centre.y), Red);

    AnimateFade(check.Context, AnimStop);
    FreeCanvas(check);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(fade_keeps_the_colours_of_a_logo_whose_rows_are_filled_out)
{
    struct Row { int32_t Width, Height; };
    const Row rows[] = {{3, 5}, {1, 2}, {5, 3}, {4, 4}};
    for (const Row& row : rows) {
        TEST_ROW(std::to_string(row.Width) + " × " + std::to_string(row.Height));
        OpenArea(DistinctLogo(row.Width, row.Height));
        Settings->FadeSpeed = 50;
        Settings->FadeRandomPositions = 0;
        Canvas canvas = MakeCanvas(AreaWidth, AreaHeight);
        AnimateFade(canvas.Context, AnimStart);
        const int left = (AreaWidth - row.Width) / 2, top = (AreaHeight - row.Height) / 2;
        // Frames at 0 and 50, a hold of 49 ticks, then the frame at 100.
        for (int tick = 0; tick < 52; ++tick) {
            AnimateFade(canvas.Context, AnimTick);
            if (tick != 1 && tick != 51)
                continue;
            const int32_t level = tick == 1 ? 50 : 100;
            const Picture picture = Snapshot(canvas);
            int wrong = 0;
            for (int y = 0; y < row.Height; ++y)
                for (int x = 0; x < row.Width; ++x)
                    wrong += picture.At(left + x, top + y) != BlendColour(DistinctColour(x, y), level);
            CHECK_EQ(wrong, 0);
        }
        AnimateFade(canvas.Context, AnimStop);
        FreeCanvas(canvas);
        CloseSurface();
    }
}

TEST_CASE(fade_moves_to_a_new_place_inside_the_area_for_every_cycle)
{
    OpenArea(QuarterLogo(LogoWidth, LogoHeight));
    Settings->FadeSpeed = 50;
    Settings->FadeRandomPositions = 1;
    Canvas canvas = MakeCanvas(AreaWidth, AreaHeight);
    std::srand(11);
    AnimateFade(canvas.Context, AnimStart);
    // Per cycle: frames at 0 and 50, 49 held ticks, frames at 100 and 50 (then cleared), 19 paused.
    // Five cycles, ending on the fifth one's full frame.
    std::vector<POINT> places;
    for (int tick = 0; tick < 4 * 72 + 52; ++tick) {
        AnimateFade(canvas.Context, AnimTick);
        if (tick % 72 != 51)
            continue;
        const POINT at = {LogoSurface.X, LogoSurface.Y};
        const FadeFrame full = {at, 100};
        CHECK_EQ(WrongFadePixels(canvas, full), 0);
        CHECK(at.x >= 0 && at.y >= 0 && at.x + LogoWidth <= AreaWidth && at.y + LogoHeight <= AreaHeight);
        places.push_back(at);
    }
    REQUIRE(places.size() == 5u);
    int moves = 0;
    for (size_t cycle = 1; cycle < places.size(); ++cycle)
        moves += places[cycle].x != places[cycle - 1].x || places[cycle].y != places[cycle - 1].y;
    CHECK(moves >= 3);
    AnimateFade(canvas.Context, AnimStop);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(fade_started_during_a_hold_waits_it_out_first)
{
    OpenArea(QuarterLogo(LogoWidth, LogoHeight));
    Settings->FadeSpeed = 50;
    Settings->FadeRandomPositions = 0;
    Canvas canvas = MakeCanvas(AreaWidth, AreaHeight);
    AnimateFade(canvas.Context, AnimStart);
    // 0, 50, then ten of the hold's 49 ticks.
    for (int tick = 0; tick < 12; ++tick)
        AnimateFade(canvas.Context, AnimTick);
    AnimateFade(canvas.Context, AnimStop);

    FreeCanvas(canvas);
    canvas = MakeCanvas(AreaWidth, AreaHeight, White);
    AnimateFade(canvas.Context, AnimStart);
    const Picture white = Snapshot(canvas);
    int drawnEarly = 0;
    for (int tick = 0; tick < 39; ++tick) {
        AnimateFade(canvas.Context, AnimTick);
        drawnEarly += !(Snapshot(canvas).Pixels == white.Pixels);
    }
    CHECK_EQ(drawnEarly, 0);
    AnimateFade(canvas.Context, AnimTick);
    const FadeFrame empty = {{(AreaWidth - LogoWidth) / 2, (AreaHeight - LogoHeight) / 2}, 0};
    CHECK_EQ(Snapshot(canvas).At(empty.At.x, empty.At.y), Background);
    AnimateFade(canvas.Context, AnimStop);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(fade_creates_its_objects_once_per_run_and_releases_them_at_stop)
{
    OpenArea(QuarterLogo(LogoWidth, LogoHeight));
    Settings->FadeSpeed = 7;
    Canvas canvas = MakeCanvas(AreaWidth, AreaHeight);
    const int before = LiveGdiObjects();
    AnimateFade(canvas.Context, AnimStart);
    const int running = LiveGdiObjects();
    CHECK_EQ(running, before + 4);
    int changed = 0;
    for (int tick = 0; tick < 300; ++tick) {
        AnimateFade(canvas.Context, AnimTick);
        AnimateFade(canvas.Context, AnimRepaint);
        changed += LiveGdiObjects() != running;
    }
    CHECK_EQ(changed, 0);
    AnimateFade(canvas.Context, AnimStart);
    CHECK_EQ(LiveGdiObjects(), running);
    AnimateFade(canvas.Context, AnimStop);
    CHECK_EQ(LiveGdiObjects(), before);
    AnimateFade(canvas.Context, AnimStop);
    CHECK_EQ(LiveGdiObjects(), before);
    const Picture stopped = Snapshot(canvas);
    AnimateFade(canvas.Context, AnimTick);
    CHECK(Snapshot(canvas).Pixels == stopped.Pixels);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_MAIN()
