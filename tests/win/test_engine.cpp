// The modes against Wine's real GDI in this process: pictures drawn into
// memory contexts and compared pixel for pixel where the operations are exact,
// and every GDI object that the engine makes counted until it is gone.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include "win/engine_fixture.h"

#include <cstdlib>

#include "engine/fade_blend.h"
#include "engine/falling_depth.h"

namespace {

constexpr int32_t LW = 24, LH = 16, AW = 160, AH = 120;  // logo and area of most cases

// How far column x shows `column` slid down from `top`: background above and below, the
// column's pixels between (cut off at the bottom); -1 when it is no such slid copy.
int32_t SlideOf(const Picture& p, int32_t x, int32_t top, int32_t h, int32_t areaHeight, const Painter& column)
{
    for (int32_t slide = 0; top + slide < areaHeight; ++slide) {
        bool matches = true;
        for (int32_t y = 0; y < areaHeight && matches; ++y)
            matches = p(x, y) == (y - top - slide >= 0 && y - top - slide < h ? column(x, y - top - slide) : Bg);
        if (matches)
            return slide;
    }
    return -1;
}

}  // namespace

TEST_CASE("the control panel's preview scales the logo as the preview is to the desktop; Static centres it")
{
    const int before = LiveGdiObjects();
    {
        ControlPanelPreview = TRUE;
        Scene scene(64, 48, Quarters(64, 48), 152, 112);
        ControlPanelPreview = FALSE;
        RECT desktop;
        GetClientRect(GetDesktopWindow(), &desktop);
        const LONG w = static_cast<LONG>(152.0 / desktop.right * 64), h = static_cast<LONG>(112.0 / desktop.bottom * 48);
        CHECK_EQ(LogoSurface.UnscaledWidth, 64);
        CHECK_EQ(LogoSurface.UnscaledHeight, 48);
        scene.Run(AnimateStatic, AnimStart);
        const RECT e = scene.Extent(), expected = {(152 - w) / 2, (112 - h) / 2, (152 - w) / 2 + w, (112 - h) / 2 + h};
        CHECK(EqualRect(&e, &expected));
    }
    CHECK_EQ(LiveGdiObjects(), before);  // the unscaled logo too
}

TEST_CASE("tiles fill the client area column by column, the last of each cut off; a logo as wide or tall narrows it")
{
    Scene tiles(30, 20, Quarters(30, 20), 100, 50, -1, true);
    DrawLogo(tiles.Dc);
    const struct { int X, Y; COLORREF Colour; } pixels[] = {{0, 0, Red}, {29, 19, Yellow}, {90, 0, Red}, {99, 9, Red},
        {95, 45, Red}, {65, 35, Blue}, {75, 5, Green}, {75, 15, Yellow}, {99, 49, Red}};
    for (const auto& pixel : pixels)
        CHECK_MESSAGE(GetPixel(tiles.Dc, pixel.X, pixel.Y) == pixel.Colour, pixel.X, ", ", pixel.Y);
    // The package's transparent colour, black included, turns transparency on.
    const struct { int32_t W, H, ClientW, ClientH, Transparent; } sizes[] = {{100, 40, 99, 41, -1}, {40, 41, 100, 40, 0}};
    for (const auto& row : sizes) {
        Scene scene(row.W, row.H, Quarters(row.W, row.H), 100, 41, row.Transparent);
        CHECK_EQ(LogoSurface.ClientWidth, row.ClientW);
        CHECK_EQ(LogoSurface.ClientHeight, row.ClientH);
        CHECK_EQ(Settings->UseTransparency, row.Transparent >= 0);
    }
}

TEST_CASE("Plain, Many and Bounce show their logos exactly at their places after every tick")
{
    const struct { const char* Name; int32_t Mode, Speed, Gravity, Wrap; bool Outside; } rows[] = {
        {"Plain: one logo, always inside", ModePlain, 0, 0, 0, false},
        {"Many: logos pile up, centred on points of the area", ModeMany, 0, 0, 0, true},
        {"Bounce in straight lines", ModeBounce, 3, 0, 0, false}, {"Bounce fast", ModeBounce, 10, 0, 0, false},
        {"Bounce with gravity", ModeBounce, 3, 1, 0, false},
        {"Bounce with gravity, wrapping at the sides", ModeBounce, 10, 1, 1, true},
    };
    const Painter logo = Quarters(LW, LH);
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        Scene scene(LW, LH, logo, AW, AH);
        Settings->BounceSpeed = row.Speed, Settings->BounceGravity = row.Gravity, Settings->BounceWrapSides = row.Wrap;
        NormaliseSettings(Settings);
        Engine.CurrentMode = row.Mode;
        const AnimationHandler handler = row.Mode == ModeBounce ? AnimateBounce : AnimatePlain;
        std::srand(7);
        scene.Run(handler, AnimStart);
        Picture expected = scene.Snap();
        int wrongTicks = 0, moves = 0, outside = 0;
        POINT last = {-1000, -1000};
        for (int tick = 0; tick < 200; ++tick) {
            scene.Run(handler, AnimTick);
            const POINT at = {LogoSurface.X, LogoSurface.Y};
            if (row.Mode != ModeMany)
                std::fill(expected.Pixels.begin(), expected.Pixels.end(), Bg);
            for (int32_t y = std::max(0L, at.y); y < std::min<LONG>(AH, at.y + LH); ++y)
                for (int32_t x = std::max(0L, at.x); x < std::min<LONG>(AW, at.x + LW); ++x)
                    expected.Pixels[y * AW + x] = logo(x - at.x, y - at.y);
            wrongTicks += scene.Wrong(expected) != 0;
            moves += at.x != last.x || at.y != last.y;
            outside += at.x < 0 || at.y < 0 || at.x + LW > AW || at.y + LH > AH;
            last = at;
        }
        CHECK_EQ(wrongTicks, 0);
        CHECK(moves > 150);
        CHECK_EQ(outside > 0, row.Outside);
        scene.Run(handler, AnimRepaint);  // draws nothing; the next tick brings the logo back
        CHECK_EQ(scene.Wrong(expected), 0);
        scene.Run(handler, AnimStop);
    }
}

TEST_CASE("Fade blends the centred logo in, holds it, blends it out, clears the area and pauses")
{
    constexpr int32_t Hold = -1, Clear = -2;
    // In by 5 to 95, 49 held ticks, out from 100 to 10, cleared, 19 paused ticks, then 0 again.
    std::vector<int32_t> levels;
    for (int32_t level = 0; level <= 190; level += 5)
        levels.push_back(level < 100 ? level : 200 - level);
    levels.insert(levels.begin() + 20, 49, Hold);
    levels.push_back(Clear);
    levels.insert(levels.end(), 19, Hold);
    levels.push_back(0);
    const auto blend = [](COLORREF c, int32_t level) {
        return RGB(BlendFadeComponent(GetRValue(c), GetRValue(Bg), level),
                   BlendFadeComponent(GetGValue(c), GetGValue(Bg), level),
                   BlendFadeComponent(GetBValue(c), GetBValue(Bg), level));
    };
    for (const SIZE size : {SIZE{LW, LH}, {3, 5}, {1, 2}, {5, 3}}) {  // rows filled out to four bytes
        CAPTURE(size.cx);
        Scene scene(size.cx, size.cy, Unique, AW, AH);
        Settings->FadeSpeed = 5, Settings->FadeRandomPositions = 0;
        scene.Fill(White);  // so that a frame's rectangle is told from the rest
        scene.Run(AnimateFade, AnimStart);
        const int32_t left = (AW - size.cx) / 2, top = (AH - size.cy) / 2;
        Picture previous = scene.Snap();
        CHECK_EQ(previous(left, top), White);  // nothing is drawn at the start
        int wrongTicks = 0;
        for (const int32_t level : levels) {
            scene.Run(AnimateFade, AnimTick);
            wrongTicks += scene.Wrong([&](int32_t x, int32_t y) {
                if (level == Clear)  // the null pen's rectangle leaves the last column and row
                    return x == AW - 1 || y == AH - 1 ? previous(x, y) : Bg;
                if (level < 0 || x < left || y < top || x >= left + size.cx || y >= top + size.cy)
                    return previous(x, y);
                return level == 100 ? Unique(x - left, y - top) : blend(Unique(x - left, y - top), level);
            }) != 0;
            previous = scene.Snap();
        }
        CHECK_EQ(wrongTicks, 0);
        scene.Run(AnimateFade, AnimStop);
    }
}

TEST_CASE("Fade moves to a new place inside the area for every cycle; started again during a hold, it waits it out")
{
    Scene scene(LW, LH, Unique, AW, AH);
    Settings->FadeSpeed = 50;
    std::srand(11);
    scene.Run(AnimateFade, AnimStart);
    // A cycle: frames at 0 and 50, 49 held ticks, frames at 100 and 50, cleared, 19 paused ticks.
    int places = 0;
    for (int tick = 0, x = -1, y = -1; tick < 4 * 72 + 52; ++tick) {
        scene.Run(AnimateFade, AnimTick);
        if (tick % 72 != 51)
            continue;
        CHECK_EQ(scene.Wrong(Placed(Unique, LogoSurface.X, LogoSurface.Y, LW, LH)), 0);
        CHECK((LogoSurface.X >= 0 && LogoSurface.Y >= 0 && LogoSurface.X + LW <= AW && LogoSurface.Y + LH <= AH));
        places += LogoSurface.X != x || LogoSurface.Y != y;
        x = LogoSurface.X, y = LogoSurface.Y;
    }
    CHECK(places >= 4);
    Settings->FadeRandomPositions = 0;
    scene.Run(AnimateFade, AnimStart);
    scene.Run(AnimateFade, AnimTick, 12);  // 0, 50, then ten of the hold's 49 ticks
    scene.Run(AnimateFade, AnimStop);
    scene.Fill(White);
    scene.Run(AnimateFade, AnimStart);
    int drawnEarly = 0;
    for (int tick = 0; tick < 39; ++tick, scene.Run(AnimateFade, AnimTick))
        drawnEarly += scene.Wrong([](int32_t, int32_t) { return White; }) != 0;
    CHECK_EQ(drawnEarly, 0);
    scene.Run(AnimateFade, AnimTick);
    CHECK_EQ(GetPixel(scene.Dc, (AW - LW) / 2, (AH - LH) / 2), Bg);
    scene.Run(AnimateFade, AnimStop);
}

TEST_CASE("every mode releases at stop all that it made at start and for its copies, and gives the pen back")
{
    const struct { const char* Name; AnimationHandler Handler; int32_t Transparent, Count, Ticks, Made; bool Empty; } rows[] = {
        {"Static", AnimateStatic, -1, 0, 40, 0, false}, {"Plain", AnimatePlain, -1, 0, 40, 0, false},
        {"Bounce: a back buffer", AnimateBounce, -1, 0, 40, 2, false}, {"Fade", AnimateFade, -1, 0, 40, 4, false},
        {"Drip: its pen", AnimateDrip, -1, 0, 40, 1, false}, {"Drip before its first step", AnimateDrip, -1, 0, 0, 0, false},
        {"Drip without columns", AnimateDrip, -1, 0, 40, 1, true},
        {"Falling: 15 opaque copies", AnimateFalling, -1, 15, 40, 6 + 15 * 2, false},
        {"Falling: 15 transparent copies", AnimateFalling, int32_t{Green}, 15, 40, 6 + 15 * 4, false},
        {"Falling: 1000 asked for, 50 made", AnimateFalling, -1, 1000, 40, 6 + 50 * 2, false},
        {"Falling: none", AnimateFalling, -1, 0, 40, 6, true}, {"Falling: -7", AnimateFalling, int32_t{Green}, -7, 40, 6, true},
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        Scene scene(60, 40, Quarters(60, 40), AW, AH, row.Transparent);
        LogoSurface.Width = row.Empty && row.Handler == AnimateDrip ? 0 : LogoSurface.Width;
        // Falling fast enough that copies leave and are replaced during the run.
        Settings->FallingLogoCount = row.Count, Settings->FallingSpeed = 300, Settings->FallingDirection = 15;
        const int before = LiveGdiObjects();
        std::srand(5);
        int changes = 0;
        for (int run = 0; run < 2; ++run) {  // a new start in any state begins clean
            scene.Run(row.Handler, AnimStart);
            for (int tick = 0; tick < row.Ticks; ++tick, changes += LiveGdiObjects() != before + row.Made)
                scene.Run(row.Handler, tick % 10 == 5 ? AnimRepaint : AnimTick);
        }
        CHECK_EQ(changes, 0);
        if (row.Empty)
            CHECK_EQ(scene.Wrong(Empty), 0);
        for (int stop = 0; stop < 2; ++stop) {
            scene.Run(row.Handler, AnimStop);
            CHECK_EQ(LiveGdiObjects(), before);
            CHECK(GetCurrentObject(scene.Dc, OBJ_PEN) == scene.Pen);
        }
    }
}

TEST_CASE("mode changes through the saver window leave no GDI objects and keep memory flat")
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SaverWindowProc, windowClass.lpszClassName = "GlimmoraEngineTest";
    RegisterClassA(&windowClass);
    const auto pump = [] {
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&message);
    };
    // Private memory committed to this process: Wine leaves the process memory counters at zero.
    const auto memory = [] {
        SIZE_T committed = 0;
        MEMORY_BASIC_INFORMATION r;
        for (const char* at = nullptr; VirtualQuery(at, &r, sizeof r); at = static_cast<const char*>(r.BaseAddress) + r.RegionSize)
            committed += r.State == MEM_COMMIT && r.Type == MEM_PRIVATE ? r.RegionSize : 0;
        return committed;
    };
    for (int32_t modes : {ModeStatic | ModePlain | ModeMany, ModeBounce | ModeFade, ModeDrip | ModeFalling, 254}) {
        CAPTURE(modes);
        UsePackage(64, 48, Quarters(64, 48), int32_t{Green});
        Settings->EnabledModes = modes, Settings->DripIntervalMs = 10, Settings->DripTile = modes == 254;
        const int before = LiveGdiObjects();
        Engine.SettingsPreview = TRUE;  // uses the package already in memory
        HWND window = CreateWindowExA(0, "GlimmoraEngineTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                                      nullptr, nullptr, nullptr);
        REQUIRE(window != nullptr);
        const HGDIOBJ windowPen = GetCurrentObject(Engine.WindowDC, OBJ_PEN);
        pump();
        const SIZE_T committed = memory();
        int highest = 0;
        for (int change = 0; change < 150; ++change) {
            for (UINT_PTR timer : {ModeChangeTimer, TickTimer, TickTimer, TickTimer})
                PostMessageA(window, WM_TIMER, timer, 0);
            PostMessageA(window, WM_PAINT, 0, 0);
            pump();
            highest = std::max(highest, LiveGdiObjects());
        }
        // Falling at most: window context, display, brush, logo and its context, six of its own, 15 copies of four.
        CHECK(highest <= before + 5 + 6 + 15 * 4);
        CHECK(memory() < committed + 1024 * 1024);  // 150 leaked logos would take megabytes
        Settings->EnabledModes = ModeStatic;
        PostMessageA(window, WM_TIMER, ModeChangeTimer, 0);
        pump();
        CHECK(GetCurrentObject(Engine.WindowDC, OBJ_PEN) == windowPen);
        DestroyWindow(window);
        CHECK_EQ(LiveGdiObjects(), before);
        Engine.SettingsPreview = FALSE;
    }
}

TEST_CASE("Drip draws the logo centred, slides whole columns down, and after a repaint shows it whole again")
{
    constexpr int32_t W = 40, H = 30, CW = 100, CH = 300, Left = (CW - W) / 2, Top = (CH - H) / 2;
    Scene scene(W, H, Unique, CW, CH);
    const Painter logo = Placed(Unique, Left, Top, W, H), column = [&](int32_t x, int32_t row) { return logo(x, Top + row); };
    std::srand(1);
    scene.Run(AnimateDrip, AnimStart);
    CHECK_EQ(scene.Wrong(Empty), 0);
    scene.Run(AnimateDrip, AnimTick);
    CHECK_EQ(scene.Wrong(logo), 0);
    scene.Run(AnimateDrip, AnimTick);  // one to five neighbouring columns
    int moved = 0;
    for (int32_t x = 0; x < CW; ++x)
        moved += SlideOf(scene.Snap(), x, Top, H, CH, column) > 0;
    CHECK((moved >= 1 && moved <= 5));
    scene.Run(AnimateDrip, AnimTick, 60);
    const Picture before = scene.Snap();
    std::vector<int32_t> offsets(CW);
    int slid = 0, wrong = 0;
    for (int32_t x = 0; x < CW; ++x) {
        offsets[x] = SlideOf(before, x, Top, H, CH, column);
        wrong += x >= Left && x < Left + W ? offsets[x] < 0 : offsets[x] != 0;  // columns beside the logo never move
        slid += offsets[x] > 0;
    }
    CHECK_EQ(wrong, 0);
    CHECK(slid > W / 2);
    scene.Fill(Bg);  // what the window does on WM_PAINT: background, then the repaint
    scene.Run(AnimateDrip, AnimRepaint);
    CHECK_EQ(scene.Wrong(logo), 0);
    scene.Run(AnimateDrip, AnimTick, 60);
    const Picture after = scene.Snap();
    int changed = 0;
    for (int32_t x = Left; x < Left + W; ++x) {
        CAPTURE(x);
        // The rows above the column's offset less one are never touched again; a later slide paints
        // from the bottom row of the earlier gap on.
        for (int32_t row = 0; row + 1 < offsets[x]; ++row)
            CHECK_EQ(after(x, Top + row), Unique(x - Left, row));
        bool columnChanged = false;
        for (int32_t y = 0; y < CH; ++y)
            columnChanged |= after(x, y) != logo(x, y);
        if (columnChanged && offsets[x] > 0)
            CHECK_EQ(after(x, Top + offsets[x] - 1), Bg);
        changed += columnChanged;
    }
    CHECK(changed > W / 2);
    scene.Run(AnimateDrip, AnimStop);
}

TEST_CASE("tiled Drip slides columns across the whole window; in the control panel it stretches the logo as loaded")
{
    Scene tiled(30, 20, Unique, 100, 60, -1, true);
    const Painter tiles = [](int32_t x, int32_t y) { return Unique(x % 30, y % 20); };
    std::srand(3);
    tiled.Run(AnimateDrip, AnimStart);
    tiled.Run(AnimateDrip, AnimTick);
    CHECK_EQ(tiled.Wrong(tiles), 0);
    tiled.Run(AnimateDrip, AnimTick, 200);
    const Picture later = tiled.Snap();
    int left = 0, right = 0, wrong = 0;
    for (int32_t x = 0; x < 100; ++x) {
        const int32_t slide = SlideOf(later, x, 0, 60, 60, tiles);
        wrong += slide < 0, left += slide > 0 && x < 30, right += slide > 0 && x >= 90;
    }
    CHECK_EQ(wrong, 0);
    CHECK((left > 0 && right > 0));
    tiled.Run(AnimateDrip, AnimStop);

    ControlPanelPreview = TRUE;
    Scene scene(64, 48, Quarters(64, 48), 152, 112);
    scene.Run(AnimateDrip, AnimStart);
    scene.Run(AnimateDrip, AnimTick);
    // Wine's halftone does not average as Windows does: only the quarters' middles are certain.
    const Picture whole = scene.Snap();
    CHECK((whole(38, 28) == Red && whole(114, 28) == Green && whole(38, 84) == Blue && whole(114, 84) == Yellow));
    scene.Run(AnimateDrip, AnimTick, 100);
    const Picture dripped = scene.Snap();
    int inside = 0, outside = 0;  // the drips follow the scaled drawing rectangle
    for (int32_t i = 0; i < 152 * 112; ++i)
        (i % 152 < LogoSurface.Width ? inside : outside) += dripped.Pixels[i] != whole.Pixels[i];
    CHECK((inside > 0 && outside == 0));
    scene.Run(AnimateDrip, AnimStop);
    ControlPanelPreview = FALSE;
}

TEST_CASE("a Falling copy is the logo exactly, shrunk and darkened by depth, and moves by whole pixels")
{
    const Painter orange = [](int32_t, int32_t) { return RGB(255, 100, 0); };
    const Painter halves = [](int32_t x, int32_t) { return x < 20 ? Magenta : RGB(200, 200, 200); };
    const auto same = [](COLORREF c) { return Painter([=](int32_t, int32_t) { return c; }); };
    const auto greyHalf = [](int v) { return Painter([=](int32_t x, int32_t) { return x < 20 ? Bg : RGB(v, v, v); }); };
    // Depth is the remainder / 10 + 1: 255 and 100 darken to 237 and 93 at 1.0, 78 and 30 at 9.9.
    const struct { const char* Name; Painter Logo; int32_t Transparent, Depth; bool Sized, Dark; int32_t W, H, Speed;
                   Painter Copy; } rows[] = {
        {"exact, depth 5.0 moves 6 pixels at speed 10", Unique, -1, 40, false, false, 40, 30, 10, Unique},
        {"nearest", orange, -1, 0, true, true, 40, 30, 0, same(RGB(237, 93, 0))},
        {"farthest", orange, -1, 89, true, true, 4, 3, 0, same(RGB(78, 30, 0))},
        {"farthest at full size", orange, -1, 89, false, true, 40, 30, 0, same(RGB(78, 30, 0))},
        // The key colour is the transparent colour: the background stays exact around the darkened logo.
        {"transparent at depth 5.0", halves, int32_t{Magenta}, 40, false, true, 40, 30, 0, greyHalf(130)},
        {"transparent, sized at depth 1.0", halves, int32_t{Magenta}, 0, true, true, 40, 30, 0, greyHalf(186)},
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        Scene scene(40, 30, row.Logo, AW, 200, row.Transparent);
        Settings->FallingLogoCount = 1, Settings->FallingSpeed = row.Speed, Settings->FallingDirection = FallDown;
        Settings->FallingSizeByDepth = row.Sized, Settings->FallingFadeInDistance = row.Dark;
        // A seed whose first copy has this depth and lies inside, with room below: as if 40 rows higher.
        unsigned seed = 1;
        for (int r0 = 0, x = -1, y = -1; r0 % 90 != row.Depth || x < 0 || y < 0 || x + row.W > AW || y + row.H + 40 > 200;) {
            std::srand(++seed);
            r0 = std::rand(), x = std::rand() % AW - row.W / 2, y = std::rand() % 200 - (row.H + 40) / 2;
        }
        std::srand(seed);
        scene.Fill(White);  // every frame clears the whole area
        scene.Run(AnimateFalling, AnimStart);
        scene.Run(AnimateFalling, AnimTick);
        const RECT at = scene.Extent();
        CHECK_EQ(scene.Wrong(Placed(row.Copy, at.right - row.W, at.bottom - row.H, row.W, row.H)), 0);
        CHECK_EQ(at.bottom - at.top, row.H);
        scene.Run(AnimateFalling, AnimTick);
        const RECT moved = scene.Extent();
        CHECK_EQ(moved.top, at.top + (row.Speed ? 6 : 0));
        CHECK_EQ(moved.right, at.right);
        scene.Run(AnimateFalling, AnimStop);
    }
}

TEST_CASE("transparent Falling copies leave out the transparent colour and let the nearer one's key show through")
{
    // The left half is the top-left colour (the mask's key), top right the transparent colour, bottom right blue.
    const Painter logo = [](int32_t x, int32_t y) { return x < 20 ? Magenta : y < 15 ? Green : Blue; };
    const struct { COLORREF Transparent; bool Overlap; } rows[] = {{Green, true}, {Green, false}, {Magenta, true}};
    for (const auto& row : rows) {
        CAPTURE(row.Transparent);
        CAPTURE(row.Overlap);
        Scene scene(40, 30, logo, 100, 80, static_cast<int32_t>(row.Transparent));
        Settings->FallingLogoCount = 2, Settings->FallingSpeed = 0, Settings->FallingDirection = FallDown;
        Settings->FallingSizeByDepth = 0, Settings->FallingFadeInDistance = 0;
        // Two copies at full size with different depths, overlapping or not.
        unsigned seed = 0;
        RECT places[2], overlap;
        int depths[2] = {};
        while (depths[0] == depths[1] || (IntersectRect(&overlap, &places[0], &places[1]) != 0) != row.Overlap) {
            std::srand(++seed);
            for (int i = 0; i < 2; ++i) {
                depths[i] = std::rand() % 90;
                const int32_t x = std::rand() % 100 - 20, y = std::rand() % 80 - 15;
                places[i] = {x, y, x + 40, y + 30};
            }
        }
        std::srand(seed);
        scene.Run(AnimateFalling, AnimStart);
        scene.Run(AnimateFalling, AnimTick);
        const RECT nearer = places[depths[0] < depths[1] ? 0 : 1], farther = places[depths[0] < depths[1] ? 1 : 0];
        CHECK_EQ(scene.Wrong([&](int32_t x, int32_t y) {
            const COLORREF n = PtInRect(&nearer, {x, y}) ? logo(x - nearer.left, y - nearer.top) : Bg;
            const COLORREF f = PtInRect(&farther, {x, y}) ? logo(x - farther.left, y - farther.top) : Bg;
            const COLORREF shown = n != Bg && !(row.Overlap && n == Magenta) ? n : f;
            return shown == row.Transparent ? Bg : shown;
        }), 0);
        scene.Run(AnimateFalling, AnimStop);
    }
}
