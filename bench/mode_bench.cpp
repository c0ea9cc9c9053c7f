// Prints what each mode costs: per step at 1920 × 1080 with a 640 × 480 logo,
// beside floors measured in the same run, and Fade's blend against the
// literal formula. Run under Wine in an X server of 1920 × 1080
// (scripts/bench.sh, which also measures whole runs of the real saver).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/driver.h"
#include "engine/engine.h"
#include "engine/fade_blend.h"
#include "engine/logo_surface.h"
#include "package/bmp_format.h"
#include "package/package.h"

namespace {

constexpr int ClientWidth = 1920, ClientHeight = 1080;
constexpr int LogoWidth = 640, LogoHeight = 480;

double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Timing {
    double Median;  // microseconds
    double Mean;
};

// `runs` timings of `step`. Modes that hold or pause between drawings have
// a small median; the mean counts their drawing steps too.
template <typename Step>
Timing TimeSteps(int runs, Step step)
{
    std::vector<double> times(static_cast<size_t>(runs));
    double total = 0;
    for (double& time : times) {
        const double start = Now();
        step();
        time = (Now() - start) * 1e6;
        total += time;
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return {times[static_cast<size_t>(runs / 2)], total / runs};
}



// A logo with detail in every row: colour gradients and a transparent-colour square (0x00RRGGBB).
uint32_t BenchLogoPixel(int x, int y, int width, int height)
{
    return (x > width / 3 && x < width / 2 && y > height / 3 && y < height / 2)
               ? 0xFF00FF
               : static_cast<uint32_t>((x * 255 / width) << 16 | (y * 255 / height) << 8 | ((x + y) & 255));
}

std::vector<uint8_t> BenchLogo(int width, int height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = BenchLogoPixel(x, y, width, height);
    return EncodeBmp24(width, height, pixels.data());
}

void UsePackage(const std::vector<uint8_t>& logo, int32_t enabledModes)
{
    FreePackageImage();
    ResetSettings();
    PackageImage = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED, logo.size()));
    std::memcpy(PackageImage, logo.data(), logo.size());
    PackageTrailer.ImageSize = static_cast<int32_t>(logo.size());
    PackageTrailer.BackgroundColor = RGB(16, 24, 48);
    PackageTrailer.TransparentColor = RGB(255, 0, 255);
    Settings->EnabledModes = enabledModes;
}

HWND OpenSaverWindow()
{
    static bool registered;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = SaverWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "GlimmoraBench";
        RegisterClassA(&windowClass);
        registered = true;
    }
    Engine.SettingsPreview = TRUE;
    HWND window = CreateWindowExA(0, "GlimmoraBench", "", WS_POPUP | WS_VISIBLE, 0, 0, ClientWidth, ClientHeight,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    return window;
}

void PerStepTable()
{
    std::printf("Per step at %d x %d, logo %d x %d (microseconds over 400 steps):\n", ClientWidth, ClientHeight,
                LogoWidth, LogoHeight);
    std::printf("  %-8s %10s %10s\n", "mode", "median", "mean");
    const std::vector<uint8_t> logo = BenchLogo(LogoWidth, LogoHeight);
    for (int row = 0; row < ModeCount; ++row) {
        UsePackage(logo, ModeRows[row].Bit);
        HWND window = OpenSaverWindow();
        HDC dc = Engine.WindowDC;
        for (int warm = 0; warm < 20; ++warm)
            DispatchAnimEvent(window, dc, AnimTick);
        const Timing step = TimeSteps(400, [&] {
            DispatchAnimEvent(window, dc, AnimTick);
            GdiFlush();
        });
        std::printf("  %-8s %10.1f %10.1f\n", ModeRows[row].Name, step.Median, step.Mean);
        DestroyWindow(window);
    }

    // Floors: one full-client copy, and a memcpy of as many bytes as Fade blends.
    UsePackage(logo, ModeStatic);
    HWND window = OpenSaverWindow();
    HDC memory = CreateCompatibleDC(Engine.WindowDC);
    HBITMAP bitmap = CreateCompatibleBitmap(Engine.WindowDC, ClientWidth, ClientHeight);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const double blit = TimeSteps(200, [&] {
        BitBlt(Engine.WindowDC, 0, 0, ClientWidth, ClientHeight, memory, 0, 0, SRCCOPY);
        GdiFlush();
    }).Median;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    DestroyWindow(window);
    const size_t fadeBytes = FadeBufferBytes(LogoWidth, LogoHeight);
    std::vector<uint8_t> from(fadeBytes, 7), to(fadeBytes);
    const double copy = TimeSteps(400, [&] { std::memcpy(to.data(), from.data(), fadeBytes); }).Median;
    std::printf("  floor: full-client BitBlt %10.1f\n", blit);
    std::printf("  floor: memcpy of %zu bytes %7.1f\n", fadeBytes, copy);
}

void FadeBlendTable()
{
    std::printf("Fade's blend, table per frame against the formula per component (median microseconds):\n");
    const int sizes[][2] = {{640, 480}, {1024, 768}};
    for (const auto& size : sizes) {
        const int width = size[0], height = size[1];
        const size_t bytes = static_cast<size_t>(height) * FadeRowBytes(width);
        std::vector<uint8_t> source(bytes), fast(bytes), literal(bytes);
        for (size_t i = 0; i < bytes; ++i)
            source[i] = static_cast<uint8_t>(i * 7 + i / 3);
        int level = 0;
        const double table = TimeSteps(101, [&] {
            BlendFadeFrame(source.data(), fast.data(), width, height, RGB(16, 24, 48), level++ % 101);
        }).Median;
        level = 0;
        const double formula = TimeSteps(101, [&] {
            BlendFadeFrameLiteral(source.data(), literal.data(), width, height, RGB(16, 24, 48), level++ % 101);
        }).Median;
        bool identical = true;
        for (int l = 0; l <= 100 && identical; ++l) {
            BlendFadeFrame(source.data(), fast.data(), width, height, RGB(16, 24, 48), l);
            BlendFadeFrameLiteral(source.data(), literal.data(), width, height, RGB(16, 24, 48), l);
            identical = fast == literal;
        }
        std::printf("  %4d x %-4d table %9.1f  formula %9.1f  %5.1f times faster  outputs %s\n", width, height, table,
                    formula, formula / table, identical ? "byte-identical at every level" : "DIFFER");
    }
}

// The floor for a whole run: a window that only takes timer messages of the
// same period as a mode's ticks. scripts/bench.sh measures its CPU time.
int IdleWindow(UINT period)
{
    HWND window = CreateWindowExA(0, "Static", "idle", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    SetTimer(window, 1, period, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

// Milliseconds from starting `program` to the screen's centre showing
// `colour`; the process is ended then. Negative when it never showed.
double StartToFirstFrame(const std::string& program, const std::string& arguments, COLORREF colour)
{
    HDC screen = GetDC(nullptr);
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    e2e::WaitUntil([&] { return GetPixel(screen, x, y) != colour; });  // the last run's window is gone
    const double start = Now();
    e2e::Process process = e2e::StartCommandLine(program, "\"" + program + "\" " + arguments);
    bool shown = false;
    while (!(shown = GetPixel(screen, x, y) == colour) && Now() - start < e2e::Patience / 1000.0)
        Sleep(1);
    const double elapsed = (Now() - start) * 1000;
    TerminateProcess(process.Handle, 0);
    e2e::ExitCode(&process);
    ReleaseDC(nullptr, screen);
    return shown ? elapsed : -1;
}

// The saver's start to its first frame beside a minimal window program's
// start to its first paint, alternately, the median of each.
int StartTable(const char* saver, const char* firstPaint)
{
    constexpr int Runs = 7;
    // The saver shows Static: the logo's centre pixel at the screen's centre.
    const uint32_t centre = BenchLogoPixel(LogoWidth / 2, LogoHeight / 2, LogoWidth, LogoHeight);
    const COLORREF saverColour = RGB(centre >> 16, centre >> 8 & 0xFF, centre & 0xFF);
    std::vector<double> saverTimes, windowTimes;
    for (int run = 0; run < Runs; ++run) {
        windowTimes.push_back(StartToFirstFrame(e2e::WindowsPath(firstPaint), "", RGB(0x31, 0x41, 0x59)));
        saverTimes.push_back(StartToFirstFrame(e2e::WindowsPath(saver), "/s", saverColour));
    }
    std::sort(saverTimes.begin(), saverTimes.end());
    std::sort(windowTimes.begin(), windowTimes.end());
    const double saverMedian = saverTimes[Runs / 2], windowMedian = windowTimes[Runs / 2];
    std::printf("Start to first frame on the screen, median of %d starts (ms):\n", Runs);
    std::printf("  minimal window program %8.1f\n  saver (Static)         %8.1f   %.2f times the minimal program\n",
                windowMedian, saverMedian, saverMedian / windowMedian);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "idle") == 0)
        return IdleWindow(static_cast<UINT>(std::atoi(argv[2])));
    if (argc > 3 && std::strcmp(argv[1], "start") == 0)
        return StartTable(argv[2], argv[3]);
    // scripts/bench.sh makes savers from this logo for its whole-run table.
    e2e::WriteWholeFile(e2e::WorkFolder() + "bench-logo.bmp", BenchLogo(LogoWidth, LogoHeight));
    PerStepTable();
    FadeBlendTable();
    return 0;
}
