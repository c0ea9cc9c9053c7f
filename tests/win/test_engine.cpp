// The modes against Wine's real GDI: pictures in memory contexts compared pixel for pixel,
// and every GDI object that the engine makes counted until it is gone.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include "win/engine_fixture.h"

#include <cstdlib>
#include "engine/fade_blend.h"
#include "engine/falling_depth.h"
#include "images/bmp_layouts.h"
#include "tool/sample_files.h"

constexpr int32_t LW = 24, LH = 16, AW = 160, AH = 120;  // logo and area of most cases

TEST_CASE("tiles fill the client area column by column, the last of each cut off; black can be the transparent colour")
{
    Scene tiles(30, 20, Quarters(30, 20), 100, 50, -1, true);
    DrawLogo(tiles.Dc);
    // x, y, colour
    const struct { int X, Y; COLORREF Colour; } pixels[] = {{29, 19, Yellow}, {95, 45, Red}, {65, 35, Blue}, {75, 5, Green}};
    for (const auto& pixel : pixels)
        CHECK_MESSAGE(GetPixel(tiles.Dc, pixel.X, pixel.Y) == pixel.Colour, pixel.X, ", ", pixel.Y);
    Scene black(40, 41, Quarters(40, 41), 100, 41, 0);
    CHECK(Settings->UseTransparency);
}

TEST_CASE("Static, Plain, Many and Bounce show their logos exactly at their places after every tick")
{
    // name, handler, mode, bounce speed, gravity, wrapping sides, whether a logo is ever partly outside, transparent colour
    const struct { const char* Name; AnimationHandler Handler; int32_t Mode, Speed, Gravity, Wrap; bool Outside; int32_t Transparent = -1; } rows[] = {
        {"Static", AnimateStatic, ModeStatic, 0, 0, 0, false}, {"Plain", AnimatePlain, ModePlain, 0, 0, 0, false},
        {"Many: logos pile up, centred on points of the area", AnimatePlain, ModeMany, 0, 0, 0, true},
        {"Many, green left out", AnimatePlain, ModeMany, 0, 0, 0, true, int32_t{Green}},
        {"Bounce", AnimateBounce, ModeBounce, 3, 0, 0, false}, {"Bounce with gravity, wrapping", AnimateBounce, ModeBounce, 10, 1, 1, true},
    };
    const Painter logo = Quarters(LW, LH);
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        Scene scene(LW, LH, logo, AW, AH, row.Transparent);
        Settings->BounceSpeed = row.Speed, Settings->BounceGravity = row.Gravity, Settings->BounceWrapSides = row.Wrap;
        NormaliseSettings(Settings);
        Engine.CurrentMode = row.Mode;
        std::srand(7);
        scene.Run(row.Handler, AnimStart);
        Picture expected = scene.Snap();
        int wrongTicks = 0, outside = 0;
        for (int tick = 0; tick < 200; ++tick) {
            scene.Run(row.Handler, AnimTick);
            const POINT at = {LogoSurface.X, LogoSurface.Y};
            if (row.Mode != ModeMany)
                std::fill(expected.Pixels.begin(), expected.Pixels.end(), Bg);
            for (int32_t y = std::max(0L, at.y); y < std::min<LONG>(AH, at.y + LH); ++y)
                for (int32_t x = std::max(0L, at.x); x < std::min<LONG>(AW, at.x + LW); ++x)
                    if (logo(x - at.x, y - at.y) != COLORREF(row.Transparent))
                        expected.Pixels[y * AW + x] = logo(x - at.x, y - at.y);
            wrongTicks += scene.Wrong(expected) != 0;
            outside += at.x < 0 || at.y < 0 || at.x + LW > AW || at.y + LH > AH;
        }
        CHECK_EQ(wrongTicks, 0);
        CHECK_EQ(outside > 0, row.Outside);
        scene.Run(row.Handler, AnimStop);
    }
}

TEST_CASE("Fade blends the centred logo in, holds it, blends it out, clears the area and pauses")
{
    constexpr int32_t Hold = -1, Clear = -2;
    // In by 5 to 95, 49 held ticks, out from 100 to 10, cleared, 19 paused ticks, then 0 again.
    std::vector<int32_t> levels(49 + 19 + 2, Hold);
    for (int32_t level = 0; level <= 190; level += 5)
        levels.insert(levels.begin() + level / 5 + (level < 100 ? 0 : 49), level < 100 ? level : 200 - level);
    levels[20 + 49 + 19] = Clear, levels.back() = 0;
    const auto blend = [](COLORREF c, int32_t level) {
        return RGB(BlendFadeComponent(GetRValue(c), GetRValue(Bg), level), BlendFadeComponent(GetGValue(c), GetGValue(Bg), level),
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

TEST_CASE("every mode makes at its start all it holds, takes nothing more at its steps, releases it at stop and gives the pen back")
{
    // name, handler, mode, transparent colour, Falling's count, ticks per run, objects held while running
    const struct { const char* Name; AnimationHandler Handler; int32_t Mode, Transparent, Count, Ticks, Made; } rows[] = {
        {"Static", AnimateStatic, ModeStatic, -1, 0, 40, 0}, {"Plain", AnimatePlain, ModePlain, -1, 0, 40, 0},
        {"Many: its mask", AnimatePlain, ModeMany, int32_t{Green}, 0, 40, 4}, {"Bounce", AnimateBounce, ModeBounce, -1, 0, 40, 0},
        {"Fade: a section", AnimateFade, ModeFade, -1, 0, 40, 2}, {"Drip: its pen", AnimateDrip, ModeDrip, -1, 0, 40, 1},
        {"Drip before its first step", AnimateDrip, ModeDrip, -1, 0, 0, 1},  // Falling: 3 surfaces, the darkening's 3, each copy's
        {"Falling: 15 transparent copies", AnimateFalling, ModeFalling, int32_t{Green}, 15, 40, 6 + 3 + 15 * 4},
        {"Falling: 1000 asked for, 50 made", AnimateFalling, ModeFalling, -1, 1000, 40, 6 + 3 + 50 * 2},
        {"Falling: -7", AnimateFalling, ModeFalling, int32_t{Green}, -7, 40, 6},
    };
    for (const auto& row : rows) {
        INFO(std::string(row.Name));
        Scene scene(60, 40, Quarters(60, 40), AW, AH, row.Transparent);
        // Falling fast enough that copies leave and are replaced during the run.
        Settings->FallingLogoCount = row.Count, Settings->FallingSpeed = 300, Settings->FallingDirection = 15;
        Engine.CurrentMode = row.Mode;
        const int before = LiveGdiObjects();
        std::srand(5);
        int changes = 0, taken = 0;
        for (int run = 0; run < 2; ++run) {  // a new start in any state begins clean
            scene.Run(row.Handler, AnimStart);
            const int takenAtStart = TakenSoFar();
            for (int tick = 0; tick < row.Ticks; ++tick, changes += LiveGdiObjects() != before + row.Made)
                scene.Run(row.Handler, tick % 10 == 5 ? AnimRepaint : AnimTick);
            taken += TakenSoFar() - takenAtStart;
        }
        CHECK_EQ(std::pair(changes, taken), std::pair(0, 0));
        scene.Run(row.Handler, AnimStop);
        scene.Run(row.Handler, AnimStop);  // a second stop is harmless
        CHECK_EQ(LiveGdiObjects(), before);
        CHECK(GetCurrentObject(scene.Dc, OBJ_PEN) == scene.Pen);
    }
}

TEST_CASE("mode changes through the saver window leave no GDI objects")
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;  // as the host window: its context, and what is selected in it, lives as long as it
    windowClass.lpfnWndProc = SaverWindowProc, windowClass.lpszClassName = "GlimmoraEngineTest";
    RegisterClassA(&windowClass);
    const auto pump = [] {
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&message);
    };
    UsePackage(64, 48, Quarters(64, 48), int32_t{Green});
    Settings->EnabledModes = 254, Settings->DripIntervalMs = 10;  // every mode
    const int before = LiveGdiObjects();
    Engine.SettingsPreview = TRUE;  // uses the package already in memory
    HWND window = CreateWindowExA(0, "GlimmoraEngineTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
    REQUIRE(KillTimer(window, StartDelayTimer));  // the first mode waits a moment before its ticks begin
    const HGDIOBJ windowPen = GetCurrentObject(Engine.WindowDC, OBJ_PEN);
    for (int change = 0; change < 120; ++change) {
        for (UINT_PTR timer : {ModeChangeTimer, TickTimer, TickTimer})
            PostMessageA(window, WM_TIMER, timer, 0);
        PostMessageA(window, WM_PAINT, 0, 0);
        pump();
    }
    Settings->EnabledModes = ModeStatic;
    PostMessageA(window, WM_TIMER, ModeChangeTimer, 0);
    pump();
    CHECK(GetCurrentObject(Engine.WindowDC, OBJ_PEN) == windowPen);
    // Drip leaves the background brush selected in the window's own context, which outlives the destruction: the brush
    // must still be deleted then, not kept alive by its selection.
    Settings->EnabledModes = ModeDrip;
    for (UINT_PTR timer : {ModeChangeTimer, TickTimer})
        PostMessageA(window, WM_TIMER, timer, 0);
    pump();
    const HGDIOBJ brush = LogoSurface.BackgroundBrush;
    REQUIRE(GetCurrentObject(Engine.WindowDC, OBJ_BRUSH) == brush);
    SendMessageA(window, WM_DESTROY, 0, 0);
    CHECK_EQ(GetObjectType(brush), 0u);
    DestroyWindow(window);
    CHECK_EQ(LiveGdiObjects(), before);
    Engine.SettingsPreview = FALSE;
}

TEST_CASE("Drip draws the logo centred and slides whole columns of it down")
{
    constexpr int32_t W = 40, H = 30, CW = 100, CH = 300, Left = (CW - W) / 2, Top = (CH - H) / 2;
    Scene scene(W, H, Unique, CW, CH);
    const Painter logo = Placed(Unique, Left, Top, W, H);
    std::srand(1);
    scene.Run(AnimateDrip, AnimStart);
    CHECK_EQ(scene.Wrong(Empty), 0);
    scene.Run(AnimateDrip, AnimTick);
    CHECK_EQ(scene.Wrong(logo), 0);
    scene.Run(AnimateDrip, AnimTick, 60);
    const Picture dripped = scene.Snap();
    int slid = 0, wrong = 0;
    for (int32_t x = 0; x < CW; ++x) {  // each column is the logo's slid down from its first drawn row, or background
        int32_t first = 0;
        while (first < CH - 1 && dripped(x, first) == Bg)
            ++first;
        for (int32_t y = 0; y < CH; ++y)
            wrong += dripped(x, y) != logo(x, y - (first - Top));
        slid += first > Top && first < CH - 1;
    }
    CHECK_EQ(wrong, 0);
    CHECK(slid > W / 2);
    scene.Run(AnimateDrip, AnimStop);
}

TEST_CASE("transparent Falling copies leave out the transparent colour and let the nearer one's key show through")
{
    // The left half is the top-left colour (the mask's key), top right the transparent colour, bottom right blue.
    const Painter logo = [](int32_t x, int32_t y) { return x < 20 ? Magenta : y < 15 ? Green : Blue; };
    Scene scene(40, 30, logo, 100, 80, int32_t{Green});
    Settings->FallingLogoCount = 2, Settings->FallingSpeed = 0, Settings->FallingDirection = FallDown;
    Settings->FallingSizeByDepth = 0, Settings->FallingFadeInDistance = 0;
    // A seed for two overlapping copies at full size with different depths.
    unsigned seed = 0;
    RECT places[2], overlap;
    int depths[2] = {};
    while (depths[0] == depths[1] || !IntersectRect(&overlap, &places[0], &places[1])) {
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
        const COLORREF shown = n != Bg && n != Magenta ? n : f;
        return shown == Green ? Bg : shown;
    }), 0);
    scene.Run(AnimateFalling, AnimStop);
}

TEST_CASE("without HALFTONE and msimg32, as on Windows 95, shrunk logos keep their colours and the transparent one stays out")
{
    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    const auto withMsimg32 = OptionalSystemEntries().TransparentBlt;
    RefuseHalftone = true, SystemEntries.TransparentBlt = nullptr;
    // What shrinks: the preview's scaled logo (drawn leaving out magenta), Drip's preview stretched from the logo as
    // loaded, Falling's copies by depth (magenta turned into the background at the start).
    for (auto [handler, preview, transparent, w, h, cw, ch] : {std::tuple{AnimationHandler{AnimateStatic}, TRUE, int32_t{Magenta},
             256, 192, desktop.right / 8, desktop.bottom / 8}, {AnimateDrip, TRUE, -1, 256, 192, 160L, 120L},
             {AnimateFalling, FALSE, int32_t{Magenta}, 64, 48, LONG{AW} + 1, LONG{AH}}}) {
        INFO(cw, " x ", ch);
        ControlPanelPreview = preview;
        Scene scene(w, h, [](int32_t x, int32_t) { return x % 3 == 0 ? Red : x % 3 == 1 ? Green : Magenta; }, cw, ch, transparent);
        Settings->FallingSizeByDepth = 1, Settings->FallingFadeInDistance = 0, Settings->FallingLogoCount = 20;
        std::srand(2), scene.Run(handler, AnimStart), scene.Run(handler, AnimTick);
        const std::vector<COLORREF> shown = scene.Snap().Pixels;
        const auto count = [&](COLORREF colour) { return std::count(shown.begin(), shown.end(), colour); };
        CHECK_EQ(std::tuple(count(RGB(0, 0, 0)), transparent >= 0 && count(Magenta), count(Bg) < cw * ch), std::tuple(0, false, true));
        scene.Run(handler, AnimStop);
    }
    RefuseHalftone = false, SystemEntries.TransparentBlt = withMsimg32, ControlPanelPreview = FALSE;
}

TEST_CASE("Falling shows after every step what composing and showing the whole frame shows; far copies are darkened")
{
    for (const int32_t transparent : {int32_t{Green}, -1}) {  // the first sized and darkened by depth, falling down; the other left
        Scene scene(40, 30, Quarters(40, 30), AW, AH, transparent);
        Settings->FallingLogoCount = 12, Settings->FallingSpeed = 40, Settings->FallingDirection = transparent < 0 ? FallLeft : FallDown;
        Settings->FallingSizeByDepth = Settings->FallingFadeInDistance = transparent >= 0;
        std::vector<Picture> frames[2];  // by the step alone; with a repaint before each step, which shows the whole frame
        int undarkened = 0, wrongTicks = 0;
        for (int whole = 0; whole < 2; ++whole) {
            std::srand(3), scene.Run(AnimateFalling, AnimStart);
            for (int tick = 0; tick < 60; ++tick) {
                scene.Run(AnimateFalling, AnimRepaint, whole), scene.Run(AnimateFalling, AnimTick);
                frames[whole].push_back(scene.Snap());
                for (const COLORREF pixel : frames[whole].back().Pixels)
                    undarkened += transparent >= 0 && (pixel == Red || pixel == Blue || pixel == Yellow);
            }
            scene.Run(AnimateFalling, AnimStop);
        }
        for (size_t tick = 0; tick < frames[0].size(); ++tick)
            wrongTicks += frames[0][tick].Pixels != frames[1][tick].Pixels;
        CHECK_EQ(std::pair(wrongTicks, undarkened), std::pair(0, 0));
    }
}

static std::string PackedLayout;  // of the last logo packed as the tool packs it
TEST_CASE("Falling and Fade show the same pixels from the logo in each layout the tool packs as from its 24 bits")
{
    const auto colour = [](COLORREF first, uint32_t k) { return (first + samples::NthColour(k)) & 0xFFFFFF; };
    const auto noise = [=](uint32_t colours) {  // every pixel one of so many colours, at random
        return Painter([=](int32_t x, int32_t y) { return colour(0, samples::Scatter(uint32_t(y * 45 + x)) % colours); });
    };
    const auto bands = [=](COLORREF first, uint32_t colours, int32_t width) {  // every other row noise, whose pixels fill no words
        return Painter([=](int32_t x, int32_t y) {
            return colour(first, (y % 2 ? samples::Scatter(uint32_t(y * 45 + x)) : uint32_t(x / width + y * 7)) % colours);
        });
    };
    const auto smallest = [](int32_t w, int32_t h, const uint32_t* pixels) {
        PackedPicture packed = PackPicture(w, h, pixels, false);
        return PackedLayout = BmpLayoutName(packed.Layout), packed.Bmp;
    };
    // The logo, the layout it is packed in, the transparent colour.
    const struct { Painter Logo; const char* Layout; int32_t Transparent; } rows[] = {
        {noise(2), "1-bit", -1}, {noise(16), "4-bit", -1}, {noise(256), "8-bit", -1}, {bands(Green, 3, 8), "RLE4", int32_t{Green}},
        {bands(Red, 40, 3), "RLE8", -1}, {Unique, "24-bit", -1}};
    for (const auto& row : rows)
        for (const AnimationHandler handler : {AnimateFalling, AnimateFade}) {
            std::vector<COLORREF> shown[2];
            for (int packing = 0; packing < 2; ++packing) {
                PackLogo = packing ? +smallest : EncodeBmp24;
                Scene scene(45, 35, row.Logo, AW, AH, row.Transparent);
                Settings->FallingLogoCount = 12, Settings->FallingSpeed = 40, Settings->FadeSpeed = 7, Settings->FadeRandomPositions = 0;
                std::srand(11), scene.Run(handler, AnimStart), scene.Run(handler, AnimTick, 9);
                shown[packing] = scene.Snap().Pixels;
                scene.Run(handler, AnimStop);
            }
            CHECK_EQ(PackedLayout, row.Layout);
            CHECK((shown[0] == shown[1] && std::count(shown[0].begin(), shown[0].end(), Bg) < AW * AH));
        }
    PackLogo = EncodeBmp24;
}
