// Included first into a test build of the runtime: every GDI object that the
// engine creates or deletes goes through a counter, because Wine cannot say
// how many GDI objects a process holds.
#pragma once

#include <windows.h>

// Each creator: result type, name, parameters, arguments.
#define GLIMMORA_COUNTED_CREATORS(X)                                                                          \
    X(HDC, CreateDCA, (LPCSTR a, LPCSTR b, LPCSTR c, const DEVMODEA* d), (a, b, c, d))                        \
    X(HDC, CreateCompatibleDC, (HDC dc), (dc))                                                                \
    X(HBITMAP, CreateCompatibleBitmap, (HDC dc, int w, int h), (dc, w, h))                                    \
    X(HBITMAP, CreateDIBitmap, (HDC dc, const BITMAPINFOHEADER* h, DWORD i, const void* b, const BITMAPINFO* f, \
                                UINT u), (dc, h, i, b, f, u))                                                  \
    X(HBITMAP, CreateBitmap, (int w, int h, UINT p, UINT c, const void* b), (w, h, p, c, b))                  \
    X(HBITMAP, CreateDIBSection, (HDC dc, const BITMAPINFO* f, UINT u, void** b, HANDLE s, DWORD o),            \
      (dc, f, u, b, s, o))                                                                                     \
    X(HBRUSH, CreateSolidBrush, (COLORREF c), (c))                                                            \
    X(HPEN, CreatePen, (int s, int w, COLORREF c), (s, w, c))                                                 \
    X(HFONT, CreateFontIndirectA, (const LOGFONTA* f), (f))                                                   \
    X(HDC, GetDC, (HWND w), (w))

#define GLIMMORA_DECLARE_COUNTED(Type, Name, Parameters, Arguments) Type Counted##Name Parameters;
GLIMMORA_COUNTED_CREATORS(GLIMMORA_DECLARE_COUNTED)
int CountedReleaseDC(HWND window, HDC dc);
BOOL CountedDeleteDC(HDC dc);
BOOL CountedDeleteObject(HGDIOBJ object);

// Objects created through the counter and not yet deleted.
int LiveGdiObjects();

#ifndef GLIMMORA_GDI_COUNTER
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
#endif
