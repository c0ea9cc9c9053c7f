// A long run of the real saver (scripts/soak.sh): full screen with every mode and a mode change forced every second,
// ten minutes unless told otherwise. It prints the saver's GDI objects (counted by a test build of the runtime, as Wine
// cannot) and committed KiB each minute, and fails when the saver stopped answering, did not close with 0 on a key, or
// held more in its last minute than in its first (a leak grows with the changes; sixty have all but surely shown every mode).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include "e2e/driver.h"

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(60, std::atoi(argv[1])) : 600;
    const std::string saver = e2e::WorkFolder() + "soak.scr", runtime = e2e::WindowsPath(GLIMMORA_SOAK_RUNTIME);
    e2e::RunTool("create --runtime \"" + runtime + "\" --logo \"" + e2e::TestLogoPath() + "\" --out \"" + saver +
                 "\" --transparent #FF00FF --set EnabledModes=254");
    e2e::RunningSaver run = e2e::StartFullScreen(saver);  // no window when the tool failed
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, ("Local\\GlimmoraLiveGdiObjects." + std::to_string(run.Process.Id)).c_str());
    const volatile LONG* gdiObjects = mapping ? static_cast<const LONG*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4)) : nullptr;
    if (!run.Window || !gdiObjects)
        return std::printf("no saver window, or no GDI count: is it the counting build?\n"), 1;
    long first[2] = {}, last[2] = {}, unanswered = 0;  // the most GDI objects and committed KiB in the first and the last minute
    for (int second = 1; second <= seconds; ++second) {
        PostMessageA(run.Window, WM_TIMER, 7, 0);
        e2e::PumpMessagesFor(1000);
        unanswered += !e2e::Answers(run.Window, 1000);
        const long sample[2] = {*gdiObjects, long(e2e::CommittedMemory(run.Process.Handle) / 1024)};
        for (int i = 0; i < 2; ++i)
            first[i] = std::max(first[i], second <= 60 ? sample[i] : 0), last[i] = std::max(last[i], second > seconds - 60 ? sample[i] : 0);
        if (second % 60 == 0)
            std::printf("minute %2d: %ld GDI objects, %ld KiB committed\n", second / 60, sample[0], sample[1]);
    }
    e2e::PressKey(VK_SPACE);
    const bool closed = e2e::EndsWithZero(&run), held = unanswered == 0 && closed && last[0] <= first[0] && last[1] <= first[1] + 1024;
    std::printf("unanswered WM_NULL: %ld; closed with 0 on a key: %d\nsoak: %s\n", unanswered, int(closed), held ? "held" : "FAILED");
    return held ? 0 : 1;
}
