// Bounce and Fade against Wine's real GDI: their handlers draw into memory
// contexts, every pixel is read back, and every GDI object they create is
// counted from start to stop.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/fade_blend.h"
#include "engine/logo_surface.h"
#include "package/bmp_format.h"
#include "package/package.h"
#include "testkit.h"
#include "win/engine_fixture.h"

int LiveGdiObjects();

namespace {

constexpr COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255), Yellow = RGB(255, 255, 0);
constexpr COLORREF Background = RGB(0x20, 0x30, 0x40);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr int AreaWidth = 160, AreaHeight = 120;
constexpr int LogoWidth = 24, LogoHeight = 16;

// Colours as 0x00RRGGBB for the encoder.
uint32_t EncoderColour(COLORREF colour)
{
    return static_cast<uint32_t>(GetRValue(colour)) << 16 | static_cast<uint32_t>(GetGValue(colour)) << 8 |
           GetBValue(colour);
}

COLORREF QuarterColour(int x, int y, int width, int height)
{
    return y < height / 2 ? (x < width / 2 ? Red : Green) : (x < width / 2 ? Blue : Yellow);
}

// Red, green / blue, yellow.
std::vector<uint8_t> QuarterLogo(int32_t width, int32_t height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[y * width + x] = EncoderColour(QuarterColour(x, y, width, height));
    return EncodeBmp24(width, height, pixels.data());
}

// A different colour in every pixel and every component.
COLORREF DistinctColour(int x, int y)
{
    return RGB(40 * x + 10, 50 * y + 7, 200 - 30 * x - 20 * y);
}

std::vector<uint8_t> DistinctLogo(int32_t width, int32_t height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[y * width + x] = EncoderColour(DistinctColour(x, y));
    return EncodeBmp24(width, height, pixels.data());
}

// The package, the settings and a surface of the area's size, as StartMode
// leaves them for an untiled, opaque mode.
void OpenSurface(const std::vector<uint8_t>& logo)
{
    FreePackageImage();
    ResetSettings();
    PackageImage = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED, logo.size()));
    std::memcpy(PackageImage, logo.data(), logo.size());
    PackageTrailer.ImageSize = static_cast<int32_t>(logo.size());
    PackageTrailer.BackgroundColor = Background;
    PackageTrailer.TransparentColor = -1;
    LogoSurface.DisplayDC = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    LogoSurface.BackgroundBrush = CreateSolidBrush(Background);
    LogoSurface.ClientWidth = AreaWidth;
    LogoSurface.ClientHeight = AreaHeight;
    LoadLogoSurface();
    LogoSurface.Tiled = FALSE;
    LogoSurface.DrawTransparent = FALSE;
    LogoSurface.Width = LogoSurface.NaturalWidth;
    LogoSurface.Height = LogoSurface.NaturalHeight;
}

// A memory context of the display's format standing in for the window's.
struct Canvas {
    HDC Context;
    HBITMAP Bitmap;
    HGDIOBJ Previous;
};

Canvas MakeCanvas(COLORREF fill)
{
    Canvas canvas;
    canvas.Context = CreateCompatibleDC(LogoSurface.DisplayDC);
    canvas.Bitmap = CreateCompatibleBitmap(LogoSurface.DisplayDC, AreaWidth, AreaHeight);
    canvas.Previous = SelectObject(canvas.Context, canvas.Bitmap);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all = {0, 0, AreaWidth, AreaHeight};
    FillRect(canvas.Context, &all, brush);
    DeleteObject(brush);
    return canvas;
}

void FreeCanvas(Canvas& canvas)
{
    SelectObject(canvas.Context, canvas.Previous);
    DeleteDC(canvas.Context);
    DeleteObject(canvas.Bitmap);
}

// Every pixel of the canvas as a COLORREF, rows top-down.
struct Picture {
    std::vector<COLORREF> Pixels;
    COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y) * AreaWidth + x]; }
};

Picture ReadCanvas(Canvas& canvas)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = AreaWidth;
    info.bmiHeader.biHeight = -AreaHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> raw(static_cast<size_t>(AreaWidth) * AreaHeight);
    SelectObject(canvas.Context, canvas.Previous);
    GetDIBits(canvas.Context, canvas.Bitmap, 0, AreaHeight, raw.data(), &info, DIB_RGB_COLORS);
    SelectObject(canvas.Context, canvas.Bitmap);
    Picture picture;
    for (uint32_t pixel : raw)
        picture.Pixels.push_back(RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF));
    return picture;
}

// Pixels that differ from what `expected` says of them.
int CountWrong(const Picture& picture, COLORREF (*expected)(int x, int y, const void* context), const void* context)
{
    int wrong = 0;
    for (int y = 0; y < AreaHeight; ++y)
        for (int x = 0; x < AreaWidth; ++x)
            wrong += picture.At(x, y) != expected(x, y, context);
    return wrong;
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
        OpenSurface(QuarterLogo(LogoWidth, LogoHeight));
        Settings->BounceSpeed = row.Speed;
        Settings->BounceGravity = row.Gravity;
        Settings->BounceWrapSides = row.Wrap;
        NormaliseSettings(Settings);
        Canvas canvas = MakeCanvas(Background);
        std::srand(7);
        AnimateBounce(canvas.Context, AnimStart);

        int wrongTicks = 0, places = 0, offTheArea = 0;
        POINT last = {-1000, -1000};
        for (int tick = 0; tick < 400; ++tick) {
            AnimateBounce(canvas.Context, AnimTick);
            const POINT at = {LogoSurface.X, LogoSurface.Y};
            const auto expected = [](int x, int y, const void* context) {
                const POINT& logo = *static_cast<const POINT*>(context);
                const int dx = x - logo.x, dy = y - logo.y;
                if (dx < 0 || dy < 0 || dx >= LogoWidth || dy >= LogoHeight)
                    return Background;
                return QuarterColour(dx, dy, LogoWidth, LogoHeight);
            };
            const int wrong = CountWrong(ReadCanvas(canvas), expected, &at);
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
        const Picture before = ReadCanvas(canvas);
        AnimateBounce(canvas.Context, AnimRepaint);
        CHECK(ReadCanvas(canvas).Pixels == before.Pixels);

        AnimateBounce(canvas.Context, AnimStop);
        FreeCanvas(canvas);
        CloseSurface();
    }
}

TEST_CASE(bounce_creates_its_back_buffer_once_per_run_and_releases_it_at_stop)
{
    OpenSurface(QuarterLogo(LogoWidth, LogoHeight));
    Canvas canvas = MakeCanvas(Background);
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
    const Picture stopped = ReadCanvas(canvas);
    AnimateBounce(canvas.Context, AnimTick);
    CHECK(ReadCanvas(canvas).Pixels == stopped.Pixels);
    CHECK_EQ(LiveGdiObjects(), before);
    FreeCanvas(canvas);
    CloseSurface();
}

namespace {

struct FadeFrame {
    POINT At;
    int32_t Level;
};

COLORREF ExpectedFadePixel(int x, int y, const void* context)
{
    const FadeFrame& frame = *static_cast<const FadeFrame*>(context);
    const int dx = x - frame.At.x, dy = y - frame.At.y;
    if (dx < 0 || dy < 0 || dx >= LogoWidth || dy >= LogoHeight)
        return Background;
    return BlendColour(QuarterColour(dx, dy, LogoWidth, LogoHeight), frame.Level);
}

}  // namespace

TEST_CASE(fade_frames_blend_the_centred_logo_hold_clear_and_pause)
{
    OpenSurface(QuarterLogo(LogoWidth, LogoHeight));
    Settings->FadeSpeed = 5;
    Settings->FadeRandomPositions = 0;
    Canvas canvas = MakeCanvas(White);
    AnimateFade(canvas.Context, AnimStart);
    const POINT centre = {(AreaWidth - LogoWidth) / 2, (AreaHeight - LogoHeight) / 2};
    CHECK_EQ(LogoSurface.X, centre.x);
    CHECK_EQ(LogoSurface.Y, centre.y);
    // Nothing is drawn at the start.
    CHECK_EQ(ReadCanvas(canvas).At(centre.x, centre.y), White);

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
    Picture previous = ReadCanvas(canvas);
    int wrongTicks = 0;
    for (size_t tick = 0; tick < levels.size(); ++tick) {
        AnimateFade(canvas.Context, AnimTick);
        const Picture now = ReadCanvas(canvas);
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
                                         ExpectedFadePixel(centre.x + x, centre.y + y, &frame);
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
    Canvas check = MakeCanvas(Background);
    Settings->FadeSpeed = 50;
    AnimateFade(check.Context, AnimStart);
    for (int tick = 0; tick < 52; ++tick)
        AnimateFade(check.Context, AnimTick);
    CHECK_EQ(CountWrong(ReadCanvas(check), ExpectedFadePixel, &full), 0);
    CHECK_EQ(ReadCanvas(check).At(centre.x, centre.y), Red);

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
        OpenSurface(DistinctLogo(row.Width, row.Height));
        Settings->FadeSpeed = 50;
        Settings->FadeRandomPositions = 0;
        Canvas canvas = MakeCanvas(Background);
        AnimateFade(canvas.Context, AnimStart);
        const int left = (AreaWidth - row.Width) / 2, top = (AreaHeight - row.Height) / 2;
        // Frames at 0 and 50, a hold of 49 ticks, then the frame at 100.
        for (int tick = 0; tick < 52; ++tick) {
            AnimateFade(canvas.Context, AnimTick);
            if (tick != 1 && tick != 51)
                continue;
            const int32_t level = tick == 1 ? 50 : 100;
            const Picture picture = ReadCanvas(canvas);
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
    OpenSurface(QuarterLogo(LogoWidth, LogoHeight));
    Settings->FadeSpeed = 50;
    Settings->FadeRandomPositions = 1;
    Canvas canvas = MakeCanvas(Background);
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
        CHECK_EQ(CountWrong(ReadCanvas(canvas), ExpectedFadePixel, &full), 0);
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
    OpenSurface(QuarterLogo(LogoWidth, LogoHeight));
    Settings->FadeSpeed = 50;
    Settings->FadeRandomPositions = 0;
    Canvas canvas = MakeCanvas(Background);
    AnimateFade(canvas.Context, AnimStart);
    // 0, 50, then ten of the hold's 49 ticks.
    for (int tick = 0; tick < 12; ++tick)
        AnimateFade(canvas.Context, AnimTick);
    AnimateFade(canvas.Context, AnimStop);

    FreeCanvas(canvas);
    canvas = MakeCanvas(White);
    AnimateFade(canvas.Context, AnimStart);
    const Picture white = ReadCanvas(canvas);
    int drawnEarly = 0;
    for (int tick = 0; tick < 39; ++tick) {
        AnimateFade(canvas.Context, AnimTick);
        drawnEarly += !(ReadCanvas(canvas).Pixels == white.Pixels);
    }
    CHECK_EQ(drawnEarly, 0);
    AnimateFade(canvas.Context, AnimTick);
    const FadeFrame empty = {{(AreaWidth - LogoWidth) / 2, (AreaHeight - LogoHeight) / 2}, 0};
    CHECK_EQ(ReadCanvas(canvas).At(empty.At.x, empty.At.y), Background);
    AnimateFade(canvas.Context, AnimStop);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(fade_creates_its_objects_once_per_run_and_releases_them_at_stop)
{
    OpenSurface(QuarterLogo(LogoWidth, LogoHeight));
    Settings->FadeSpeed = 7;
    Canvas canvas = MakeCanvas(Background);
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
    const Picture stopped = ReadCanvas(canvas);
    AnimateFade(canvas.Context, AnimTick);
    CHECK(ReadCanvas(canvas).Pixels == stopped.Pixels);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_MAIN()
