// Included first into a test build of the runtime: every GDI object that the engine creates or deletes goes
// through a counter, because Wine cannot say how many GDI objects a process holds; memory and files that it
// takes are counted too, so that a test can tell that a mode's steps take none.
#pragma once

#include <windows.h>

HANDLE NoteGdiObject(HANDLE created);
BOOL ForgetGdiObject(BOOL deleted, HANDLE object);
int LiveGdiObjects();  // created through the counter and not yet deleted
int TakenSoFar();      // GDI objects created, blocks allocated and files opened, ever
HGLOBAL NoteAllocation(HGLOBAL allocated);
HANDLE NoteFileOpen(HANDLE opened);
extern bool RefuseHalftone;  // while a test sets it, HALFTONE stretching fails, as on Windows 95, 98 and Me

// Inside its own expansion a macro's name is the real function.
#define GLIMMORA_COUNTED(Type, Call) static_cast<Type>(NoteGdiObject(Call))
#define CreateDCA(...) GLIMMORA_COUNTED(HDC, CreateDCA(__VA_ARGS__))
#define CreateCompatibleDC(...) GLIMMORA_COUNTED(HDC, CreateCompatibleDC(__VA_ARGS__))
#define CreateCompatibleBitmap(...) GLIMMORA_COUNTED(HBITMAP, CreateCompatibleBitmap(__VA_ARGS__))
#define CreateDIBitmap(...) GLIMMORA_COUNTED(HBITMAP, CreateDIBitmap(__VA_ARGS__))
#define CreateDIBSection(...) GLIMMORA_COUNTED(HBITMAP, CreateDIBSection(__VA_ARGS__))
#define CreateBitmap(...) GLIMMORA_COUNTED(HBITMAP, CreateBitmap(__VA_ARGS__))
#define CreateSolidBrush(...) GLIMMORA_COUNTED(HBRUSH, CreateSolidBrush(__VA_ARGS__))
#define CreatePen(...) GLIMMORA_COUNTED(HPEN, CreatePen(__VA_ARGS__))
#define CreateFontIndirectA(...) GLIMMORA_COUNTED(HFONT, CreateFontIndirectA(__VA_ARGS__))
#define GlobalAlloc(...) NoteAllocation(GlobalAlloc(__VA_ARGS__))
#define CreateFileA(...) NoteFileOpen(CreateFileA(__VA_ARGS__))
#define GetDC(...) GLIMMORA_COUNTED(HDC, GetDC(__VA_ARGS__))
#define ReleaseDC(window, dc) ForgetGdiObject(ReleaseDC(window, dc), dc)
#define DeleteDC(dc) ForgetGdiObject(DeleteDC(dc), dc)
#define DeleteObject(object) ForgetGdiObject(DeleteObject(object), object)
#define SetStretchBltMode(dc, mode) (RefuseHalftone && (mode) == HALFTONE ? 0 : SetStretchBltMode(dc, mode))
