// The engine against Wine's real GDI and USER, in this process: the logo
// surface drawn into memory contexts, and a saver window whose every GDI
// object is counted while its mode changes hundreds of times.
#include <windows.h>

#include <vector>

#include "shell/host.h"
#include "testkit.h"
#include "win/engine_fixture.h"

int LiveGdiObjects();

namespace {

RECT Extent(HDC dc, int width, int height)
{
    RECT extent = {width, height, 0, 0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (GetPixel(dc, x, y) != Background) {
                extent.left = x < extent.left ? x : extent.left;
                extent.top = y < extent.top ? y : extent.top;
                extent.right = x + 1 > extent.right ? x + 1 : extent.right;
                extent.bottom = y + 1 > extent.bottom ? y + 1 : extent.bottom;
            }
    return extent;
}

// Private memory committed to this process, counted region by region: Wine
// leaves the process memory counters at zero.
SIZE_T CommittedMemory()
{
    SIZE_T committed = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* address = nullptr; VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += region.RegionSize;
    return committed;
}

}  // namespace

TEST_CASE(control_panel_preview_scales_the_logo_as_the_preview_is_to_the_desktop)
{
    UsePackage(QuarterLogo(64, 48), -1);
    Settings->EnabledModes = ModeStatic;
    OpenSurface(152, 112);
    ControlPanelPreview = TRUE;
    LoadLogoSurface();
    ControlPanelPreview = FALSE;

    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    const int width = static_cast<int>(152.0 / desktop.right * 64), height = static_cast<int>(112.0 / desktop.bottom * 48);
    CHECK_EQ(LogoSurface.NaturalWidth, width);
    CHECK_EQ(LogoSurface.NaturalHeight, height);
    CHECK_EQ(LogoSurface.UnscaledWidth, 64);
    CHECK_EQ(LogoSurface.UnscaledHeight, 48);
    CHECK(LogoSurface.UnscaledDC != nullptr);

    // Static centres the scaled logo in the preview.
    Canvas canvas = MakeCanvas(152, 112);
    LogoSurface.Width = LogoSurface.NaturalWidth;
    LogoSurface.Height = LogoSurface.NaturalHeight;
    AnimateStatic(canvas.Context, AnimStart);
    const RECT logo = Extent(canvas.Context, 152, 112);
    CHECK_EQ(logo.left, static_cast<LONG>((152 - width) / 2));
    CHECK_EQ(logo.top, static_cast<LONG>((112 - height) / 2));
    CHECK_EQ(logo.right - logo.left, static_cast<LONG>(width));
    CHECK_EQ(logo.bottom - logo.top, static_cast<LONG>(height));
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(tiling_fills_the_client_area_column_by_column)
{
    UsePackage(QuarterLogo(30, 20), -1);
    Settings->EnabledModes = ModeDrip;
    OpenSurface(100, 50);
    LoadLogoSurface();
    LogoSurface.Tiled = TRUE;
    Canvas canvas = MakeCanvas(100, 50);
    DrawLogo(canvas.Context);
    // Four columns (0, 30, 60, 90), three rows (0, 20, 40), the last of each cut off.
    struct Row { int X, Y; COLORREF Colour; };
    const Row rows[] = {{0, 0, Red}, {29, 19, Yellow}, {90, 0, Red}, {99, 9, Red}, {95, 45, Red}, {65, 35, Blue},
                        {75, 5, Green}, {75, 15, Yellow}, {99, 49, Red}};
    for (const Row& row : rows) {
        TEST_ROW(std::to_string(row.X) + ", " + std::to_string(row.Y));
        CHECK_EQ(GetPixel(canvas.Context, row.X, row.Y), row.Colour);
    }
    // A logo without size draws nothing, and returns.
    LogoSurface.NaturalWidth = 0;
    DrawLogo(canvas.Context);
    FreeCanvas(canvas);
    CloseSurface();
}

TEST_CASE(a_logo_as_wide_as_the_client_area_narrows_it_by_one)
{
    UsePackage(QuarterLogo(100, 40), -1);
    Settings->EnabledModes = ModeStatic;
    OpenSurface(100, 41);
    LoadLogoSurface();
    CHECK_EQ(LogoSurface.ClientWidth, 99);
    CHECK_EQ(LogoSurface.ClientHeight, 41);
    CloseSurface();
}

TEST_CASE(mode_changes_create_no_lasting_gdi_objects_and_keep_memory_flat)
{
    UsePackage(QuarterLogo(64, 48), static_cast<int32_t>(Green));
    Settings->EnabledModes = ModeStatic | ModePlain | ModeMany;
    const int beforeWindow = LiveGdiObjects();
    HWND window = OpenSaverWindow("GlimmoraEngineTest");
    REQUIRE(window != nullptr);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    const int running = LiveGdiObjects();
    CHECK(running > beforeWindow);

    const SIZE_T committedBefore = CommittedMemory();
    int highest = running;
    for (int change = 0; change < 300; ++change) {
        PostMessageA(window, WM_TIMER, ModeChangeTimer, 0);
        PostMessageA(window, WM_TIMER, TickTimer, 0);
        PostMessageA(window, WM_PAINT, 0, 0);
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        highest = LiveGdiObjects() > highest ? LiveGdiObjects() : highest;
    }
    const SIZE_T committedAfter = CommittedMemory();
    std::printf("    GDI objects: %d before the window, %d running, %d after 300 mode changes (at most %d)\n",
                beforeWindow, running, LiveGdiObjects(), highest);
    std::printf("    committed memory: %zu KiB before, %zu KiB after 300 mode changes\n", committedBefore / 1024,
                committedAfter / 1024);
    CHECK_EQ(LiveGdiObjects(), running);
    // 300 leaked logos of 64 × 48 would take several megabytes.
    CHECK(committedAfter < committedBefore + 1024 * 1024);

    DestroyWindow(window);
    CHECK_EQ(LiveGdiObjects(), beforeWindow);
    Engine.SettingsPreview = FALSE;
    FreePackageImage();
}

TEST_MAIN()
