// The counter behind gdi_counting.h: a handle is live from its creation until the call that deletes or releases it
// succeeds. The soak build shows its count to the program that watches it, in a shared page named after the process.
#include <windows.h>

namespace {

HANDLE Live[4096];
int LiveCount;
int Taken;

void Publish()
{
#ifdef GLIMMORA_PUBLISH_GDI_COUNT
    static volatile LONG* shared;
    char name[64];
    if (!shared && wsprintfA(name, "Local\\GlimmoraLiveGdiObjects.%lu", GetCurrentProcessId()) > 0)
        if (HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name))
            shared = static_cast<volatile LONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    if (shared)
        *shared = LiveCount;
#endif
}

}  // namespace

bool RefuseHalftone;

int LiveGdiObjects() { return LiveCount; }
int TakenSoFar() { return Taken; }
HGLOBAL NoteAllocation(HGLOBAL allocated) { return ++Taken, allocated; }
HANDLE NoteFileOpen(HANDLE opened) { return ++Taken, opened; }

HANDLE NoteGdiObject(HANDLE created)
{
    ++Taken;
    if (created && LiveCount < 4096)
        Live[LiveCount++] = created;
    Publish();
    return created;
}

BOOL ForgetGdiObject(BOOL deleted, HANDLE object)
{
    for (int i = 0; deleted && i < LiveCount; ++i)
        if (Live[i] == object) {
            Live[i] = Live[--LiveCount];
            break;
        }
    Publish();
    return deleted;
}
