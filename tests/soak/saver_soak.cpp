// A long run of the real saver (scripts/soak.sh), full screen with every mode
// and a mode change forced every second, ten minutes unless told otherwise. It
// prints the saver's GDI objects (counted by a test build of the runtime, as
// Wine cannot), committed memory and handles over each minute, and fails when
// the saver stopped answering, did not close with 0 on a key, or held more in
// its last minute than in its first.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "e2e/driver.h"

namespace {

// Wine reports a handle count of 0: the values are probed by duplicating them.
// Handles are given out from the lowest free value, so a leak fills them in order.
long HandleCount(HANDLE process)
{
    long count = 0;
    for (ULONG_PTR value = 4; value < 0x2000; value += 4) {
        HANDLE copy;
        if (DuplicateHandle(process, HANDLE(value), GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
            count += CloseHandle(copy);
    }
    return count;
}

constexpr int Kinds = 3;  // GDI objects, committed KiB, handles
struct Range {
    long Low[Kinds], High[Kinds];
    void Widen(const long* sample, bool first)
    {
        for (int i = 0; i < Kinds; ++i) {
            Low[i] = first ? sample[i] : std::min(Low[i], sample[i]);
            High[i] = first ? sample[i] : std::max(High[i], sample[i]);
        }
    }
    void Print(const std::string& when) const
    {
        std::printf("%-14s", when.c_str());
        for (int i = 0; i < Kinds; ++i)
            std::printf(" %14s", (std::to_string(Low[i]) + (Low[i] == High[i] ? "" : "-" + std::to_string(High[i]))).c_str());
        std::printf("\n");
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(60, std::atoi(argv[1])) : 600;
    const std::string saver = e2e::WorkFolder() + "soak.scr";
    const e2e::ProgramResult made = e2e::RunTool("create --runtime \"" GLIMMORA_SOAK_RUNTIME "\" --logo \"" + e2e::TestLogoPath() +
                                                 "\" --out \"" + saver + "\" --transparent #FF00FF --set EnabledModes=254");
    e2e::RunningSaver run = made.ExitCode == 0 ? e2e::StartFullScreen(saver) : e2e::RunningSaver{};
    if (!run.Window)
        return std::printf("no saver window: %s\n", made.Output.c_str()), 1;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, ("Local\\GlimmoraLiveGdiObjects." + std::to_string(run.Process.Id)).c_str());
    const volatile LONG* gdiObjects = mapping ? static_cast<const volatile LONG*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(LONG))) : nullptr;
    if (!gdiObjects)
        return std::printf("the saver shows no GDI count: is it the counting build?\n"), 1;

    std::printf("%d s with a mode change every second; ranges over each minute\n%-14s %14s %14s %14s\n", seconds, "",
                "GDI objects", "committed KiB", "handles");
    Range first = {}, minute = {}, last = {};
    int unanswered = 0;
    const DWORD begin = GetTickCount();
    for (int second = 1; second <= seconds; ++second) {
        PostMessageA(run.Window, WM_TIMER, 7, 0);
        const DWORD elapsed = GetTickCount() - begin, due = DWORD(second) * 1000;
        e2e::PumpMessagesFor(due > elapsed ? due - elapsed : 0);
        unanswered += !e2e::Answers(run.Window, 1000);
        DWORD exitCode = STILL_ACTIVE;
        if (!GetExitCodeProcess(run.Process.Handle, &exitCode) || exitCode != STILL_ACTIVE)
            return std::printf("the saver ended after %d s with exit code %lu\n", second, exitCode), 1;
        const long sample[Kinds] = {*gdiObjects, long(e2e::CommittedMemory(run.Process.Handle) / 1024), HandleCount(run.Process.Handle)};
        minute.Widen(sample, (second - 1) % 60 == 0);
        if (second == 1)
            minute.Print("start");
        if (second <= 60)
            first.Widen(sample, second == 1);
        if (second > seconds - 60)
            last.Widen(sample, second == seconds - 59);
        if (second % 60 == 0)
            minute.Print("minute " + std::to_string(second / 60));
    }
    e2e::PressKey(VK_SPACE);
    const bool closed = e2e::EndsWithZero(&run);
    // A leak grows with the changes; sixty changes have all but surely shown every mode.
    const bool held = last.High[0] <= first.High[0] && last.High[1] <= first.High[1] + 1024 && last.High[2] <= first.High[2];
    std::printf("unanswered WM_NULL: %d; closed with 0 on a key: %s\nsoak: %s\n", unanswered, closed ? "yes" : "no",
                unanswered == 0 && closed && held ? "held" : "FAILED");
    return unanswered == 0 && closed && held ? 0 : 1;
}
