// Drip and Falling against Wine's real GDI: pictures drawn into memory
// contexts and compared pixel for pixel where the operations are exact, the
// window's pen, and every GDI object the modes create, counted until it is gone.
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/falling_depth.h"
#include "shell/host.h"
#include "testkit.h"
#include "win/engine_fixture.h"

int LiveGdiObjects();

namespace {

constexpr COLORREF Magenta = RGB(255, 0, 255);

using Painter = std::function<COLORREF(int32_t x, int32_t y)>;

// Every pixel its own colour, so a pixel found anywhere tells where it came from.
COLORREF UniquePixel(int32_t x, int32_t y)
{
    return RGB(10 + x * 5, 10 + y * 7, 200);
}

void Tick(HDC dc, int times, int32_t (*handler)(HDC, int32_t))
{
    for (int i = 0; i < times; ++i)
        handler(dc, AnimTick);
}

// How far column x shows `logoColumn` slid down below `top`: background above
// and below, the column's pixels in between (cut off by the window's bottom).
// -1 when the column is not such a slid copy.
int32_t SlideOf(const Picture& picture, int32_t x, int32_t top, int32_t height,
                const std::function<COLORREF(int32_t row)>& logoColumn)
{
    for (int32_t slide = 0; top + slide < picture.Height; ++slide) {
        bool matches = true;
        for (int32_t y = 0; y < picture.Height && matches; ++y) {
            const int32_t row = y - top - slide;
            matches = picture.At(x, y) == (row >= 0 && row < height ? logoColumn(row) : Background);
        }
        if (matches)
            return slide;
    }
    return -1;
}

}  // namespace

// --- Drip --------------------------------------------------------------------

TEST_CASE(drip_draws_the_logo_centred_first_and_then_slides_its_columns_down)
{
    constexpr int32_t Width = 40, Height = 30, ClientWidth = 200, ClientHeight = 400;
    constexpr int32_t Left = (ClientWidth - Width) / 2, Top = (ClientHeight - Height) / 2;
    UsePackage(PaintedLogo(Width, Height, UniquePixel), -1);
    OpenLoadedSurface(ClientWidth, ClientHeight, false, false);
    Canvas canvas = MakeCanvas(ClientWidth, ClientHeight);
    const auto logoAt = [&](int32_t x, int32_t y) {
        const bool inside = x >= Left && x < Left + Width && y >= Top && y < Top + Height;
        return inside ? UniquePixel(x - Left, y - Top) : Background;
    };

    std::srand(1);
    AnimateDrip(canvas.Context, AnimStart);
    CHECK_EQ(CountDifferences(Snapshot(canvas), [](int32_t, int32_t) { return Background; }), 0);
    AnimateDrip(canvas.Context, AnimTick);
    CHECK_EQ(CountDifferences(Snapshot(canvas), logoAt), 0);

    // The second step drips one to five neighbouring columns.
    AnimateDrip(canvas.Context, AnimTick);
    const Picture second = Snapshot(canvas);
    int moved = 0;
    for (int32_t x = 0; x < ClientWidth; ++x)
        moved += SlideOf(second, x, Top, Height, [&](int32_t row) { return logoAt(x, Top + row); }) > 0;
    CHECK(moved >= 1 && moved <= 5);

    Tick(canvas.Context, 300, AnimateDrip);
    const Picture later = Snapshot(canvas);
    int slid = 0;
    for (int32_t x = 0; x < ClientWidth; ++x) {
        TEST_ROW("column " + std::to_string(x));
        const int32_t slide = SlideOf(later, x, Top, Height, [&](int32_t row) { return logoAt(x, Top + row); });
        const bool logoColumn = x >= Left && x < Left + Width;
        // Columns beside the logo never move; the logo's own move as whole columns.
        CHECK(logoColumn ? slide >= 0 : slide == 0);
        slid += slide > 0;
    }
    CHECK_EQ(slid, Width);

    AnimateDrip(canvas.Context, AnimStop);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(drip_after_a_repaint_shows_the_logo_whole_and_keeps_the_rows_above_each_columns_offset)
{
    constexpr int32_t Width = 40, Height = 30, ClientWidth = 100, ClientHeight = 300;
    constexpr int32_t Left = (ClientWidth - Width) / 2, Top = (ClientHeight - Height) / 2;
    UsePackage(PaintedLogo(Width, Height, UniquePixel), -1);
    OpenLoadedSurface(ClientWidth, ClientHeight, false, false);
    Canvas canvas = MakeCanvas(ClientWidth, ClientHeight);
    const auto logoAt = [&](int32_t x, int32_t y) {
        const bool inside = x >= Left && x < Left + Width && y >= Top && y < Top + Height;
        return inside ? UniquePixel(x - Left, y - Top) : Background;
    };

    std::srand(2);
    AnimateDrip(canvas.Context, AnimStart);
    Tick(canvas.Context, 60, AnimateDrip);
    const Picture before = Snapshot(canvas);
    std::vector<int32_t> offsets(Width);
    for (int32_t a = 0; a < Width; ++a)
        offsets[a] = SlideOf(before, Left + a, Top, Height, [&](int32_t row) { return logoAt(Left + a, Top + row); });

    // What the driver does on WM_PAINT: background, then the repaint.
    HBRUSH background = CreateSolidBrush(Background);
    RECT all = {0, 0, ClientWidth, ClientHeight};
    FillRect(canvas.Context, &all, background);
    DeleteObject(background);
    AnimateDrip(canvas.Context, AnimRepaint);
    CHECK_EQ(CountDifferences(Snapshot(canvas), logoAt), 0);

    Tick(canvas.Context, 60, AnimateDrip);
    const Picture after = Snapshot(canvas);
    int changed = 0;
    for (int32_t a = 0; a < Width; ++a) {
        TEST_ROW("column " + std::to_string(a) + ", slid " + std::to_string(offsets[a]));
        REQUIRE(offsets[a] >= 0);
        const int32_t x = Left + a;
        // The rows above the column's offset less one are never touched again.
        for (int32_t row = 0; row + 1 < offsets[a]; ++row)
            CHECK_EQ(after.At(x, Top + row), UniquePixel(a, row));
        bool columnChanged = false;
        for (int32_t y = 0; y < ClientHeight; ++y)
            columnChanged |= after.At(x, y) != logoAt(x, y);
        // A later slide paints from the bottom row of the earlier gap on.
        if (columnChanged && offsets[a] > 0)
            CHECK_EQ(after.At(x, Top + offsets[a] - 1), Background);
        changed += columnChanged;
    }
    CHECK(changed > Width / 2);

    AnimateDrip(canvas.Context, AnimStop);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(tiled_drip_slides_columns_across_the_whole_window)
{
    constexpr int32_t Width = 30, Height = 20, ClientWidth = 100, ClientHeight = 60;
    UsePackage(PaintedLogo(Width, Height, UniquePixel), -1);
    OpenLoadedSurface(ClientWidth, ClientHeight, true, false);
    CHECK_EQ(LogoSurface.Width, ClientWidth);
    Canvas canvas = MakeCanvas(ClientWidth, ClientHeight);
    const auto tileAt = [&](int32_t x, int32_t y) { return UniquePixel(x % Width, y % Height); };

    std::srand(3);
    AnimateDrip(canvas.Context, AnimStart);
    AnimateDrip(canvas.Context, AnimTick);
    CHECK_EQ(CountDifferences(Snapshot(canvas), tileAt), 0);

    Tick(canvas.Context, 200, AnimateDrip);
    const Picture later = Snapshot(canvas);
    int slidLeft = 0, slidRight = 0, wrong = 0;
    for (int32_t x = 0; x < ClientWidth; ++x) {
        const int32_t slide =
            SlideOf(later, x, 0, ClientHeight, [&](int32_t row) { return tileAt(x, row); });
        wrong += slide < 0;
        slidLeft += slide > 0 && x < Width;
        slidRight += slide > 0 && x >= 3 * Width;
    }
    CHECK_EQ(wrong, 0);
    CHECK(slidLeft > 0);
    CHECK(slidRight > 0);

    AnimateDrip(canvas.Context, AnimStop);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(drip_gives_the_window_its_pen_back_and_deletes_its_own)
{
    UsePackage(PaintedLogo(16, 12, UniquePixel), -1);
    OpenLoadedSurface(64, 64, false, false);
    Canvas canvas = MakeCanvas(64, 64);
    HPEN windowPen = CreatePen(PS_SOLID, 1, Red);  // not counted: this file is not the runtime
    SelectObject(canvas.Context, windowPen);
    const int baseline = LiveGdiObjects();

    struct Row { const char* Name; int Ticks; bool Repaint; int PensWhileRunning; };
    const Row rows[] = {
        {"stopped before the first step", 0, false, 0},
        {"stopped after steps", 40, false, 1},
        {"stopped after steps and repaints", 40, true, 1},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        AnimateDrip(canvas.Context, AnimStart);
        Tick(canvas.Context, row.Ticks, AnimateDrip);
        if (row.Repaint) {
            AnimateDrip(canvas.Context, AnimRepaint);
            AnimateDrip(canvas.Context, AnimRepaint);
            Tick(canvas.Context, 5, AnimateDrip);
        }
        CHECK_EQ(LiveGdiObjects(), baseline + row.PensWhileRunning);
        HGDIOBJ running = GetCurrentObject(canvas.Context, OBJ_PEN);
        if (row.PensWhileRunning) {
            LOGPEN pen = {};
            CHECK(running != windowPen);
            CHECK(GetObjectA(running, sizeof pen, &pen) == sizeof pen);
            CHECK_EQ(pen.lopnColor, Background);
            CHECK(GetCurrentObject(canvas.Context, OBJ_BRUSH) == LogoSurface.BackgroundBrush);
        }
        AnimateDrip(canvas.Context, AnimStop);
        CHECK(GetCurrentObject(canvas.Context, OBJ_PEN) == windowPen);
        CHECK_EQ(LiveGdiObjects(), baseline);
    }

    SelectObject(canvas.Context, GetStockObject(BLACK_PEN));
    DeleteObject(windowPen);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(drip_without_columns_draws_nothing_and_stops_cleanly)
{
    UsePackage(PaintedLogo(16, 12, UniquePixel), -1);
    OpenLoadedSurface(64, 48, false, false);
    LogoSurface.Width = 0;
    Canvas canvas = MakeCanvas(64, 48);
    const int baseline = LiveGdiObjects();
    AnimateDrip(canvas.Context, AnimStart);
    Tick(canvas.Context, 50, AnimateDrip);
    CHECK_EQ(CountDifferences(Snapshot(canvas), [](int32_t, int32_t) { return Background; }), 0);
    AnimateDrip(canvas.Context, AnimStop);
    CHECK_EQ(LiveGdiObjects(), baseline);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(drip_in_the_control_panel_stretches_the_logo_as_loaded_and_drips_the_scaled_rectangle)
{
    constexpr int32_t Width = 64, Height = 48, ClientWidth = 152, ClientHeight = 112;
    UsePackage(QuarterLogo(Width, Height), -1);
    ControlPanelPreview = TRUE;
    OpenLoadedSurface(ClientWidth, ClientHeight, false, false);
    const int32_t scaledWidth = LogoSurface.Width;
    REQUIRE(scaledWidth > 0 && scaledWidth < ClientWidth / 2);
    Canvas canvas = MakeCanvas(ClientWidth, ClientHeight);

    std::srand(4);
    AnimateDrip(canvas.Context, AnimStart);
    AnimateDrip(canvas.Context, AnimTick);
    // Wine's halftone does not average as Windows does: only the quarters' middles are certain.
    const Picture whole = Snapshot(canvas);
    CHECK_EQ(whole.At(38, 28), Red);
    CHECK_EQ(whole.At(114, 28), Green);
    CHECK_EQ(whole.At(38, 84), Blue);
    CHECK_EQ(whole.At(114, 84), Yellow);

    Tick(canvas.Context, 100, AnimateDrip);
    const Picture later = Snapshot(canvas);
    int changedInside = 0, changedOutside = 0;
    for (int32_t y = 0; y < ClientHeight; ++y)
        for (int32_t x = 0; x < ClientWidth; ++x) {
            const bool changed = later.At(x, y) != whole.At(x, y);
            (x < scaledWidth ? changedInside : changedOutside) += changed;
        }
    CHECK(changedInside > 0);
    CHECK_EQ(changedOutside, 0);

    AnimateDrip(canvas.Context, AnimStop);
    ControlPanelPreview = FALSE;
    FreeCanvas(canvas);
    CloseSurface();
}

// --- Falling -----------------------------------------------------------------

namespace {

struct FallingSetup {
    int32_t Count;
    int32_t Speed;
    int32_t Direction;
    bool SizeByDepth;
    bool Darken;
};

void UseFallingSettings(const FallingSetup& setup)
{
    Settings->FallingLogoCount = setup.Count;
    Settings->FallingSpeed = setup.Speed;
    Settings->FallingDirection = setup.Direction;
    Settings->FallingSizeByDepth = setup.SizeByDepth;
    Settings->FallingFadeInDistance = setup.Darken;
}

// The first `count` rand() results after srand(seed).
std::vector<int> RandomsAfter(unsigned seed, int count)
{
    std::srand(seed);
    std::vector<int> values(count);
    for (int& value : values)
        value = std::rand();
    return values;
}

// A seed whose first copy has this depth and lies wholly inside the client
// area at this size; 0 when none of the first hundred thousand does.
unsigned SeedFor(int depthRemainder, int32_t copyWidth, int32_t copyHeight, int32_t clientWidth, int32_t clientHeight)
{
    for (unsigned seed = 1; seed < 100000; ++seed) {
        const std::vector<int> r = RandomsAfter(seed, 3);
        const int32_t x = r[1] % clientWidth - copyWidth / 2, y = r[2] % clientHeight - copyHeight / 2;
        if (r[0] % 90 == depthRemainder && x >= 0 && y >= 0 && x + copyWidth <= clientWidth &&
            y + copyHeight <= clientHeight)
            return seed;
    }
    return 0;
}

RECT ExtentOf(const Picture& picture)
{
    RECT extent = {picture.Width, picture.Height, 0, 0};
    for (int32_t y = 0; y < picture.Height; ++y)
        for (int32_t x = 0; x < picture.Width; ++x)
            if (picture.At(x, y) != Background) {
                extent.left = x < extent.left ? x : extent.left;
                extent.top = y < extent.top ? y : extent.top;
                extent.right = x + 1 > extent.right ? x + 1 : extent.right;
                extent.bottom = y + 1 > extent.bottom ? y + 1 : extent.bottom;
            }
    return extent;
}

}  // namespace

TEST_CASE(falling_releases_at_stop_everything_it_made_at_start_and_for_each_copy)
{
    struct Row {
        const char* Name;
        int32_t Count;
        int32_t Transparent;
        int32_t SizeByDepth;
        int ObjectsPerCopy;
        int Copies;
    };
    const Row rows[] = {
        {"fifteen opaque copies", 15, -1, 1, 2, 15},
        {"fifteen transparent copies", 15, static_cast<int32_t>(Green), 1, 4, 15},
        {"transparent copies at full size", 15, static_cast<int32_t>(Green), 0, 4, 15},
        {"a thousand asked for, fifty made", 1000, -1, 1, 2, 50},
        {"none", 0, -1, 1, 2, 0},
        {"a negative count", -7, static_cast<int32_t>(Green), 1, 4, 0},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        UsePackage(QuarterLogo(60, 40), row.Transparent);
        OpenLoadedSurface(160, 120, false, row.Transparent >= 0);
        // Fast enough that copies leave and are replaced during the run.
        UseFallingSettings({row.Count, 300, 15, row.SizeByDepth != 0, true});
        Canvas canvas = MakeCanvas(160, 120);
        const int baseline = LiveGdiObjects();

        std::srand(5);
        AnimateFalling(canvas.Context, AnimStart);
        CHECK_EQ(LiveGdiObjects(), baseline + 6);
        AnimateFalling(canvas.Context, AnimTick);
        const int running = LiveGdiObjects();
        CHECK_EQ(running, baseline + 6 + row.Copies * row.ObjectsPerCopy);
        for (int step = 0; step < 40; ++step) {
            AnimateFalling(canvas.Context, AnimTick);
            if (LiveGdiObjects() != running) {
                CHECK_EQ(LiveGdiObjects(), running);
                break;
            }
        }
        if (row.Copies == 0)
            CHECK_EQ(CountDifferences(Snapshot(canvas), [](int32_t, int32_t) { return Background; }), 0);

        // A new start in any state begins clean.
        AnimateFalling(canvas.Context, AnimStart);
        CHECK_EQ(LiveGdiObjects(), baseline + 6);
        AnimateFalling(canvas.Context, AnimTick);
        AnimateFalling(canvas.Context, AnimStop);
        CHECK_EQ(LiveGdiObjects(), baseline);
        AnimateFalling(canvas.Context, AnimStop);
        CHECK_EQ(LiveGdiObjects(), baseline);
        FreeCanvas(canvas);
        CloseSurface();
    }
}

TEST_CASE(a_falling_copy_is_the_logo_exactly_and_moves_down_by_whole_pixels)
{
    constexpr int32_t Width = 40, Height = 30, ClientWidth = 160, ClientHeight = 200;
    UsePackage(PaintedLogo(Width, Height, UniquePixel), -1);
    OpenLoadedSurface(ClientWidth, ClientHeight, false, false);
    UseFallingSettings({1, 10, FallDown, false, false});
    Canvas canvas = MakeCanvas(ClientWidth, ClientHeight);

    // Room below for the second frame: the copy is placed as if it were 40 rows higher.
    const unsigned seed = SeedFor(40, Width, Height + 40, ClientWidth, ClientHeight);
    REQUIRE(seed != 0);
    std::srand(seed);
    AnimateFalling(canvas.Context, AnimStart);
    AnimateFalling(canvas.Context, AnimTick);
    const Picture first = Snapshot(canvas);
    const RECT at = ExtentOf(first);
    CHECK_EQ(at.right - at.left, Width);
    CHECK_EQ(at.bottom - at.top, Height);
    CHECK_EQ(CountDifferences(first, [&](int32_t x, int32_t y) {
                 const bool inside = x >= at.left && x < at.right && y >= at.top && y < at.bottom;
                 return inside ? UniquePixel(x - at.left, y - at.top) : Background;
             }),
             0);

    // Depth 5.0 moves 6 pixels a step at speed 10; the frame before is gone.
    AnimateFalling(canvas.Context, AnimTick);
    const Picture second = Snapshot(canvas);
    const RECT moved = ExtentOf(second);
    CHECK_EQ(moved.left, at.left);
    CHECK_EQ(moved.top, at.top + 6);
    CHECK_EQ(moved.bottom - moved.top, Height);

    AnimateFalling(canvas.Context, AnimStop);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(falling_copies_shrink_and_darken_by_depth)
{
    constexpr int32_t ClientWidth = 400, ClientHeight = 300;
    struct Row {
        const char* Name;
        int DepthRemainder;
        bool SizeByDepth;
        int32_t CopyWidth, CopyHeight;
        COLORREF Colour;
    };
    // The logo is RGB(255, 100, 0): 255 and 100 darken to 237 and 93 at depth 1.0, 78 and 30 at 9.9.
    const Row rows[] = {
        {"nearest", 0, true, 300, 200, RGB(237, 93, 0)},
        {"farthest", 89, true, 30, 20, RGB(78, 30, 0)},
        {"farthest at full size", 89, false, 300, 200, RGB(78, 30, 0)},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        UsePackage(PaintedLogo(300, 200, [](int32_t, int32_t) { return RGB(255, 100, 0); }), -1);
        OpenLoadedSurface(ClientWidth, ClientHeight, false, false);
        UseFallingSettings({1, 0, FallDown, row.SizeByDepth, true});
        Canvas canvas = MakeCanvas(ClientWidth, ClientHeight);
        const unsigned seed = SeedFor(row.DepthRemainder, row.CopyWidth, row.CopyHeight, ClientWidth, ClientHeight);
        REQUIRE(seed != 0);
        std::srand(seed);
        AnimateFalling(canvas.Context, AnimStart);
        AnimateFalling(canvas.Context, AnimTick);
        const Picture picture = Snapshot(canvas);
        const RECT at = ExtentOf(picture);
        CHECK_EQ(at.right - at.left, row.CopyWidth);
        CHECK_EQ(at.bottom - at.top, row.CopyHeight);
        CHECK_EQ(CountDifferences(picture, [&](int32_t x, int32_t y) {
                     const bool inside = x >= at.left && x < at.right && y >= at.top && y < at.bottom;
                     return inside ? row.Colour : Background;
                 }),
                 0);
        AnimateFalling(canvas.Context, AnimStop);
        FreeCanvas(canvas);
        CloseSurface();
    }
}

TEST_CASE(falling_transparent_copies_show_the_background_for_the_transparent_colour_and_see_through_the_key)
{
    // Left half the top-left colour (the mask's key), top right the transparent
    // colour, bottom right opaque blue.
    constexpr int32_t Width = 40, Height = 30, ClientWidth = 100, ClientHeight = 80;
    const Painter logo = [](int32_t x, int32_t y) { return x < Width / 2 ? Magenta : y < Height / 2 ? Green : Blue; };
    struct Row { const char* Name; COLORREF Transparent; bool Overlap; };
    const Row rows[] = {
        {"overlapping, transparent colour not the key", Green, true},
        {"apart, transparent colour not the key", Green, false},
        {"overlapping, the key is the transparent colour", Magenta, true},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        UsePackage(PaintedLogo(Width, Height, logo), static_cast<int32_t>(row.Transparent));
        OpenLoadedSurface(ClientWidth, ClientHeight, false, true);
        UseFallingSettings({2, 0, FallDown, false, false});
        Canvas canvas = MakeCanvas(ClientWidth, ClientHeight);

        // Two copies at full size with different depths, overlapping or not.
        unsigned seed = 1;
        RECT places[2];
        double depths[2];
        for (; seed < 100000; ++seed) {
            const std::vector<int> r = RandomsAfter(seed, 6);
            for (int i = 0; i < 2; ++i) {
                depths[i] = (r[3 * i] % 90 + 10) / 10.0;
                const int32_t x = r[3 * i + 1] % ClientWidth - Width / 2, y = r[3 * i + 2] % ClientHeight - Height / 2;
                places[i] = {x, y, x + Width, y + Height};
            }
            RECT overlap;
            const bool overlapping = IntersectRect(&overlap, &places[0], &places[1]) != 0;
            if (depths[0] != depths[1] && overlapping == row.Overlap)
                break;
        }
        REQUIRE(seed < 100000);
        const int farther = depths[0] > depths[1] ? 0 : 1, nearer = 1 - farther;

        std::srand(seed);
        AnimateFalling(canvas.Context, AnimStart);
        AnimateFalling(canvas.Context, AnimTick);

        // The farther copy lies on plain background: a plain copy. The nearer
        // one, when it overlaps, lets what lies beneath show where the logo
        // has its key colour.
        std::vector<COLORREF> expected(static_cast<size_t>(ClientWidth) * ClientHeight, Background);
        for (int copy : {farther, nearer})
            for (int32_t y = places[copy].top; y < places[copy].bottom; ++y)
                for (int32_t x = places[copy].left; x < places[copy].right; ++x) {
                    if (x < 0 || y < 0 || x >= ClientWidth || y >= ClientHeight)
                        continue;
                    const COLORREF pixel = logo(x - places[copy].left, y - places[copy].top);
                    COLORREF& target = expected[static_cast<size_t>(y) * ClientWidth + x];
                    if (copy == nearer && row.Overlap && pixel == Magenta)
                        continue;
                    target = pixel == row.Transparent ? Background : pixel;
                }
        const Picture picture = Snapshot(canvas);
        CHECK_EQ(CountDifferences(picture, [&](int32_t x, int32_t y) {
                     return expected[static_cast<size_t>(y) * ClientWidth + x];
                 }),
                 0);
        AnimateFalling(canvas.Context, AnimStop);
        FreeCanvas(canvas);
        CloseSurface();
    }
}

TEST_CASE(a_darkened_transparent_copy_keeps_the_exact_background_around_the_logo)
{
    // The key colour is the transparent colour; depth 5.0 darkens 200 to 130.
    constexpr int32_t Width = 40, Height = 30, ClientWidth = 100, ClientHeight = 80;
    struct Row { const char* Name; bool SizeByDepth; int DepthRemainder; int Value; };
    const Row rows[] = {
        {"full size", false, 40, 130},
        {"sized by depth 1.0", true, 0, 186},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        const auto halves = [](int32_t x, int32_t) { return x < Width / 2 ? Magenta : RGB(200, 200, 200); };
        UsePackage(PaintedLogo(Width, Height, halves), static_cast<int32_t>(Magenta));
        OpenLoadedSurface(ClientWidth, ClientHeight, false, true);
        UseFallingSettings({1, 0, FallDown, row.SizeByDepth, true});
        Canvas canvas = MakeCanvas(ClientWidth, ClientHeight);
        const unsigned seed = SeedFor(row.DepthRemainder, Width, Height, ClientWidth, ClientHeight);
        REQUIRE(seed != 0);
        std::srand(seed);
        AnimateFalling(canvas.Context, AnimStart);
        AnimateFalling(canvas.Context, AnimTick);
        const Picture picture = Snapshot(canvas);
        const RECT at = ExtentOf(picture);
        CHECK_EQ(at.right - at.left, Width / 2);
        CHECK_EQ(at.bottom - at.top, Height);
        const COLORREF grey = RGB(row.Value, row.Value, row.Value);
        CHECK_EQ(CountDifferences(picture, [&](int32_t x, int32_t y) {
                     const bool inside = x >= at.left && x < at.right && y >= at.top && y < at.bottom;
                     return inside ? grey : Background;
                 }),
                 0);
        AnimateFalling(canvas.Context, AnimStop);
        FreeCanvas(canvas);
        CloseSurface();
    }
}

// --- Through the saver window ---------------------------------------------------

TEST_CASE(mode_changes_between_drip_and_falling_leave_no_gdi_objects_behind)
{
    UsePackage(QuarterLogo(64, 48),
               static_cast<int32_t>(Green));
    Settings->EnabledModes = ModeDrip | ModeFalling;
    Settings->DripIntervalMs = 10;
    Settings->DripTile = 1;
    const int beforeWindow = LiveGdiObjects();
    HWND window = OpenSaverWindow("GlimmoraDripFallingTest");
    REQUIRE(window != nullptr);
    HGDIOBJ windowPen = GetCurrentObject(Engine.WindowDC, OBJ_PEN);
    MSG message;
    int highest = 0, drips = 0, falls = 0;
    for (int change = 0; change < 200; ++change) {
        PostMessageA(window, WM_TIMER, ModeChangeTimer, 0);
        for (int tick = 0; tick < 3; ++tick)
            PostMessageA(window, WM_TIMER, TickTimer, 0);
        PostMessageA(window, WM_PAINT, 0, 0);
        PostMessageA(window, WM_TIMER, TickTimer, 0);
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        highest = LiveGdiObjects() > highest ? LiveGdiObjects() : highest;
        drips += Engine.CurrentMode == ModeDrip;
        falls += Engine.CurrentMode == ModeFalling;
        if (Engine.CurrentMode == ModeDrip)
            CHECK(GetCurrentObject(Engine.WindowDC, OBJ_PEN) != windowPen);
    }
    // Falling at most: window context, display, brush, logo and its context,
    // six of its own, fifteen copies of four.
    std::printf("    GDI objects: %d before the window, at most %d running; %d Drip and %d Falling runs\n",
                beforeWindow, highest, drips, falls);
    CHECK(drips > 0 && falls > 0);
    CHECK(highest <= beforeWindow + 5 + 6 + 15 * 4);

    // A change away from Drip gives the window context its pen back.
    Settings->EnabledModes = ModeFalling;
    PostMessageA(window, WM_TIMER, ModeChangeTimer, 0);
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    CHECK(GetCurrentObject(Engine.WindowDC, OBJ_PEN) == windowPen);

    DestroyWindow(window);
    CHECK_EQ(LiveGdiObjects(), beforeWindow);
    Engine.SettingsPreview = FALSE;
    FreePackageImage();
}

TEST_MAIN()
