// Included first into a test build of the runtime: every GDI object that the
// engine creates or deletes goes through a counter, because Wine cannot say
// how many GDI objects a process holds.
#pragma once

#include <windows.h>

HDC CountedCreateDCA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode);
HDC CountedCreateCompatibleDC(HDC dc);
HBITMAP CountedCreateCompatibleBitmap(HDC dc, int width, int height);
HBITMAP CountedCreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                              const BITMAPINFO* info, UINT usage);
HBITMAP CountedCreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits);
HBITMAP CountedCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                DWORD offset);
HBRUSH CountedCreateSolidBrush(COLORREF colour);
HPEN CountedCreatePen(int style, int width, COLORREF colour);
HFONT CountedCreateFontIndirectA(const LOGFONTA* font);
HDC CountedGetDC(HWND window);
int CountedReleaseDC(HWND window, HDC dc);
BOOL CountedDeleteDC(HDC dc);
BOOL CountedDeleteObject(HGDIOBJ object);

// Objects created through the counter and not yet deleted.
int LiveGdiObjects();

#define CreateDCA CountedCreateDCA
#define CreateCompatibleDC CountedCreateCompatibleDC
#define CreateCompatibleBitmap CountedCreateCompatibleBitmap
#define CreateDIBitmap CountedCreateDIBitmap
#define CreateBitmap CountedCreateBitmap
#define CreateDIBSection CountedCreateDIBSection
#define CreateSolidBrush CountedCreateSolidBrush
#define CreatePen CountedCreatePen
#define CreateFontIndirectA CountedCreateFontIndirectA
#define GetDC CountedGetDC
#define ReleaseDC CountedReleaseDC
#define DeleteDC CountedDeleteDC
#define DeleteObject CountedDeleteObject
