#pragma once
// Counts the GDI objects and icons alive that the including code made. Force-included into a second
// build of the drawing code, because Wine's GetGuiResources counts no GDI objects.
#include <windows.h>

inline long gdiLiveObjects = 0;
template <class Result>
Result Counted(Result result, int change) { if (result) gdiLiveObjects += change; return result; }

#define CreateCompatibleDC(dc) Counted(CreateCompatibleDC(dc), 1)
#define CreateFontIndirectA(font) Counted(CreateFontIndirectA(font), 1)
#define CreateSolidBrush(colour) Counted(CreateSolidBrush(colour), 1)
#define CreateCompatibleBitmap(dc, width, height) Counted(CreateCompatibleBitmap(dc, width, height), 1)
#define CreateBitmap(width, height, planes, bits, data) Counted(CreateBitmap(width, height, planes, bits, data), 1)
#define CreateIconIndirect(info) Counted(CreateIconIndirect(info), 1)
#define GetIconInfo(icon, info) Counted(GetIconInfo(icon, info), 2)   // copies of colour and mask bitmaps
#define DeleteDC(dc) Counted(DeleteDC(dc), -1)
#define DeleteObject(object) Counted(DeleteObject(object), -1)
#define DestroyIcon(icon) Counted(DestroyIcon(icon), -1)
