// The counter behind gdi_counting.h: a handle is live from its creation until
// the call that deletes or releases it succeeds.
#include <windows.h>

namespace {

constexpr int Capacity = 4096;
HANDLE Live[Capacity];
int LiveCount;

#ifdef GLIMMORA_PUBLISH_GDI_COUNT
// The soak build shows its count to the program that watches it, in a
// shared page named after the process.
void Publish()
{
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
}
#else
void Publish() {}
#endif

template <typename Handle>
Handle Note(Handle handle)
{
    if (handle && LiveCount < Capacity)
        Live[LiveCount++] = handle;
    Publish();
    return handle;
}

void Forget(HANDLE handle)
{
    for (int i = 0; i < LiveCount; ++i)
        if (Live[i] == handle) {
            Live[i] = Live[--LiveCount];
            break;
        }
    Publish();
}

}  // namespace

int LiveGdiObjects() { return LiveCount; }

HDC CountedCreateDCA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode)
{
    return Note(CreateDCA(driver, device, port, mode));
}
HDC CountedCreateCompatibleDC(HDC dc) { return Note(CreateCompatibleDC(dc)); }
HBITMAP CountedCreateCompatibleBitmap(HDC dc, int width, int height)
{
    return Note(CreateCompatibleBitmap(dc, width, height));
}
HBITMAP CountedCreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                              const BITMAPINFO* info, UINT usage)
{
    return Note(CreateDIBitmap(dc, header, init, bits, info, usage));
}
HBITMAP CountedCreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits)
{
    return Note(CreateBitmap(width, height, planes, bitCount, bits));
}
HBITMAP CountedCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset)
{
    return Note(CreateDIBSection(dc, info, usage, bits, section, offset));
}
HBRUSH CountedCreateSolidBrush(COLORREF colour) { return Note(CreateSolidBrush(colour)); }
HPEN CountedCreatePen(int style, int width, COLORREF colour) { return Note(CreatePen(style, width, colour)); }
HFONT CountedCreateFontIndirectA(const LOGFONTA* font) { return Note(CreateFontIndirectA(font)); }
HDC CountedGetDC(HWND window) { return Note(GetDC(window)); }

int CountedReleaseDC(HWND window, HDC dc)
{
    const int released = ReleaseDC(window, dc);
    if (released)
        Forget(dc);
    return released;
}

BOOL CountedDeleteDC(HDC dc)
{
    const BOOL deleted = DeleteDC(dc);
    if (deleted)
        Forget(dc);
    return deleted;
}

BOOL CountedDeleteObject(HGDIOBJ object)
{
    const BOOL deleted = DeleteObject(object);
    if (deleted)
        Forget(object);
    return deleted;
}
