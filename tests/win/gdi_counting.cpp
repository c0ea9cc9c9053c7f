// The counter behind gdi_counting.h: a handle is live from its creation until
// the call that deletes or releases it succeeds.
#define GLIMMORA_GDI_COUNTER
#include "gdi_counting.h"

namespace {

HANDLE Live[4096];
int LiveCount;

// The soak build shows its count to the program that watches it, in a shared
// page named after the process.
void Publish()
{
#ifdef GLIMMORA_PUBLISH_GDI_COUNT
    static volatile LONG* shared;
    if (!shared) {
        char name[64];
        wsprintfA(name, "Local\\GlimmoraLiveGdiObjects.%lu", GetCurrentProcessId());
        HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name);
        if (mapping)
            shared = static_cast<volatile LONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
        if (!shared)
            return;
    }
    *shared = LiveCount;
#endif
}

template <typename Handle>
Handle Note(Handle handle)
{
    if (handle && LiveCount < 4096)
        Live[LiveCount++] = handle;
    Publish();
    return handle;
}

template <typename Result>
Result Forget(Result done, HANDLE handle)
{
    for (int i = 0; done && i < LiveCount; ++i)
        if (Live[i] == handle) {
            Live[i] = Live[--LiveCount];
            break;
        }
    Publish();
    return done;
}

}  // namespace

int LiveGdiObjects() { return LiveCount; }

#define GLIMMORA_DEFINE_COUNTED(Type, Name, Parameters, Arguments) \
    Type Counted##Name Parameters { return Note(Name Arguments); }
GLIMMORA_COUNTED_CREATORS(GLIMMORA_DEFINE_COUNTED)
int CountedReleaseDC(HWND window, HDC dc) { return Forget(ReleaseDC(window, dc), dc); }
BOOL CountedDeleteDC(HDC dc) { return Forget(DeleteDC(dc), dc); }
BOOL CountedDeleteObject(HGDIOBJ object) { return Forget(DeleteObject(object), object); }
