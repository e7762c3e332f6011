// The little of GDI the game uses: one font, text written on a surface through its device
// context with a transparent background, and single pixels.
#pragma once

#include <cstdint>

#include "platform/surface.h"

#ifdef _WIN32
#include "platform/win32/system.h"
#else
struct Font;
struct DeviceContext;
using HFONT = Font*;
using HDC = DeviceContext*;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Height is the cell height in pixels, width the average character width in pixels.
HFONT CreateFont(int32_t height, int32_t width, int32_t escapement, int32_t orientation,
                 int32_t weight, uint32_t italic, uint32_t underline, uint32_t strikeOut,
                 uint32_t charSet, uint32_t outPrecision, uint32_t clipPrecision, uint32_t quality,
                 uint32_t pitchAndFamily, const char* faceName);

COLORREF SetTextColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
HFONT SelectObject(HDC dc, HFONT font);
// Writes length bytes of text with its cell's top-left corner at (x, y).
bool TextOut(HDC dc, int32_t x, int32_t y, const char* text, int32_t length);

COLORREF GetPixel(HDC dc, int32_t x, int32_t y);
COLORREF SetPixel(HDC dc, int32_t x, int32_t y, COLORREF color);
#endif

struct Bitmap;

// Stretches the bitmap's rectangle (sx, sy, sw, sh) over the context's rectangle (dx, dy, dw,
// dh), nearest pixel, converting to the surface's colours on the way, as StretchDIBits does
// with SRCCOPY. A surface's pictures are copied in this one call, never pixel by pixel.
bool StretchBitmap(HDC dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, const Bitmap* bitmap,
                   int32_t sx, int32_t sy, int32_t sw, int32_t sh);

// The device context of a surface, for GDI calls on its pixels; one at a time.
HRESULT GetDC(Surface* surface, HDC* dc);
HRESULT ReleaseDC(Surface* surface, HDC dc);
