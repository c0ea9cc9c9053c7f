// A long run of the real saver (scripts/soak.sh): full screen with every mode
// enabled and a mode change forced every second, for ten minutes unless told
// otherwise. It prints the saver's GDI objects (from a test build of the
// runtime that counts them, since Wine cannot), its committed private memory
// and its handles at the start, every minute and at the end, and fails when
// the saver stopped answering, did not close with 0 on a key, or ended
// holding more than it held in its first minute.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "e2e/driver.h"

namespace {

// The handles that another process holds, found by duplicating each handle
// value in turn: Wine reports a handle count of 0. Handles are given out
// from the lowest free value, so a leak would fill the values in order; the
// first 2047 are probed.
DWORD HandleCount(HANDLE process)
{
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < 0x2000; value += 4) {
        HANDLE copy;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS)) {
            CloseHandle(copy);
            ++count;
        }
    }
    return count;
}

struct Sample {
    long GdiObjects;
    SIZE_T CommittedKiB;
    DWORD Handles;
};

struct Range {
    Sample Low;
    Sample High;
};

void Widen(Range* range, const Sample& sample, bool first)
{
    if (first) {
        *range = {sample, sample};
        return;
    }
    range->Low.GdiObjects = std::min(range->Low.GdiObjects, sample.GdiObjects);
    range->High.GdiObjects = std::max(range->High.GdiObjects, sample.GdiObjects);
    range->Low.CommittedKiB = std::min(range->Low.CommittedKiB, sample.CommittedKiB);
    range->High.CommittedKiB = std::max(range->High.CommittedKiB, sample.CommittedKiB);
    range->Low.Handles = std::min(range->Low.Handles, sample.Handles);
    range->High.Handles = std::max(range->High.Handles, sample.Handles);
}

void PrintRow(const char* when, const std::string& gdiObjects, const std::string& committedKiB,
              const std::string& handles)
{
    std::printf("%-14s %12s %14s %8s\n", when, gdiObjects.c_str(), committedKiB.c_str(), handles.c_str());
    std::fflush(stdout);
}

template <typename Number>
std::string Span(Number low, Number high)
{
    return low == high ? std::to_string(low) : std::to_string(low) + "-" + std::to_string(high);
}

void PrintSample(const char* when, const Sample& sample)
{
    PrintRow(when, std::to_string(sample.GdiObjects), std::to_string(sample.CommittedKiB),
             std::to_string(sample.Handles));
}

void PrintRange(const char* when, const Range& range)
{
    PrintRow(when, Span(range.Low.GdiObjects, range.High.GdiObjects),
             Span(range.Low.CommittedKiB, range.High.CommittedKiB), Span(range.Low.Handles, range.High.Handles));
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(60, std::atoi(argv[1])) : 600;
    const std::string saver = e2e::WorkFolder() + "soak.scr";
    const e2e::ProgramResult made = e2e::RunConsoleProgram(
        "\"" + e2e::AuthorToolPath() + "\" create --runtime \"" GLIMMORA_SOAK_RUNTIME "\" --logo \"" +
        e2e::TestLogoPath() + "\" --out \"" + saver +
        "\" --transparent #FF00FF --set EnabledModes=254 --set ChangeModeEnabled=1");
    if (!made.Finished || made.ExitCode != 0) {
        std::printf("could not make the saver: %s\n", made.Output.c_str());
        return 1;
    }

    e2e::RunningSaver run = e2e::StartFullScreen(saver);
    if (!run.Window) {
        std::printf("the saver showed no window\n");
        return 1;
    }
    const std::string countName = "Local\\GlimmoraLiveGdiObjects." + std::to_string(run.Process.Id);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, countName.c_str());
    const volatile LONG* gdiObjects =
        mapping ? static_cast<const volatile LONG*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(LONG))) : nullptr;
    if (!gdiObjects) {
        std::printf("the saver shows no GDI count: is it the counting build?\n");
        return 1;
    }

    std::printf("%d s with a mode change every second; ranges over each minute\n", seconds);
    PrintRow("", "GDI objects", "committed KiB", "handles");
    Range firstMinute = {}, minute = {}, lastMinute = {};
    Sample end = {};
    int unanswered = 0;
    const DWORD begin = GetTickCount();
    for (int second = 1; second <= seconds; ++second) {
        PostMessageA(run.Window, WM_TIMER, 7, 0);
        const DWORD elapsed = GetTickCount() - begin, due = static_cast<DWORD>(second) * 1000;
        e2e::PumpMessagesFor(due > elapsed ? due - elapsed : 0);
        DWORD_PTR answer;
        if (!SendMessageTimeoutA(run.Window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer))
            ++unanswered;
        DWORD exitCode = STILL_ACTIVE;
        if (!GetExitCodeProcess(run.Process.Handle, &exitCode) || exitCode != STILL_ACTIVE) {
            std::printf("the saver ended after %d s with exit code %lu\n", second, exitCode);
            return 1;
        }
        const Sample sample = {*gdiObjects, e2e::CommittedMemory(run.Process.Handle) / 1024,
                               HandleCount(run.Process.Handle)};
        if (second == 1)
            PrintSample("start", sample);
        if (second == seconds)
            end = sample;
        const bool minuteStarts = (second - 1) % 60 == 0;
        Widen(&minute, sample, minuteStarts);
        if (second <= 60)
            Widen(&firstMinute, sample, second == 1);
        if (second > seconds - 60)
            Widen(&lastMinute, sample, second == seconds - 59);
        if (second % 60 == 0) {
            const std::string label = "minute " + std::to_string(second / 60);
            PrintRange(label.c_str(), minute);
        }
    }
    PrintSample("end", end);

    e2e::PressKey(VK_SPACE);
    const bool closed = e2e::EndsWithZero(&run);
    std::printf("unanswered WM_NULL: %d; closed with 0 on a key: %s\n", unanswered, closed ? "yes" : "no");
    // A leak grows with the changes; sixty changes have all but surely shown every mode.
    const bool held = lastMinute.High.GdiObjects <= firstMinute.High.GdiObjects &&
                      lastMinute.High.Handles <= firstMinute.High.Handles &&
                      lastMinute.High.CommittedKiB <= firstMinute.High.CommittedKiB + 1024;
    std::printf("soak: %s\n", unanswered == 0 && closed && held ? "held" : "FAILED");
    return unanswered == 0 && closed && held ? 0 : 1;
}
