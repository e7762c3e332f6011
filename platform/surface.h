// Surfaces: fixed-size pictures of 16-bit RGB565 pixels with an optional source colour
// key, and the DirectDraw-shaped calls the game draws with. Nothing here clips: a blit
// that does not fit wholly draws nothing and answers an error, as BltFast always did.
#pragma once

#include <cstdint>

#include "platform/types.h"

struct Surface;

#ifdef _WIN32
#include "platform/win32/system.h"
#else
constexpr uint32_t DDBLTFAST_NOCOLORKEY = 0;
constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 1;
constexpr uint32_t DDBLTFAST_WAIT = 16;

constexpr uint32_t DDBLT_COLORFILL = 0x400;
constexpr uint32_t DDBLT_WAIT = 0x1000000;

constexpr uint32_t DDCKEY_SRCBLT = 8;

struct DDCOLORKEY {
    uint32_t dwColorSpaceLowValue;
    uint32_t dwColorSpaceHighValue;
};

#endif

// What a lock hands out: the pixel memory of the whole surface.
struct SurfaceLock {
    void* bits;
    int32_t pitch;  // bytes per row
    int32_t width;
    int32_t height;
    uint32_t rgbBitCount;
};

// An offscreen surface of w x h pixels in the display's format; null when it cannot be made.
Surface* CreateOffscreenSurface(int32_t width, int32_t height);
void ReleaseSurface(Surface* surface);

int32_t SurfaceWidth(const Surface* surface);
int32_t SurfaceHeight(const Surface* surface);

// Copies srcRect of src (the whole of src when srcRect is null) to (x, y) of dst. With
// DDBLTFAST_SRCCOLORKEY the source pixels equal to src's colour key are left out. An
// empty, inverted or out-of-source rectangle, or a destination not wholly inside dst,
// draws nothing and answers DDERR_INVALIDRECT.
HRESULT BltFast(Surface* dst, int32_t x, int32_t y, Surface* src, const RECT* srcRect,
                uint32_t flags);

// Fills the whole surface with one raw pixel value (DDBLT_COLORFILL).
HRESULT ColorFill(Surface* dst, uint32_t fillColor, uint32_t flags);

HRESULT SetColorKey(Surface* surface, uint32_t flags, const DDCOLORKEY* key);
// True and the key in *key when the surface has a source colour key.
bool GetColorKey(const Surface* surface, DDCOLORKEY* key);

HRESULT Lock(Surface* surface, SurfaceLock* lock);
HRESULT Unlock(Surface* surface);

// GDI-style pixel access: colours as 0x00BBGGRR, converted to and from RGB565.
COLORREF SurfaceGetPixel(Surface* surface, int32_t x, int32_t y);  // CLR_INVALID outside
COLORREF SurfaceSetPixel(Surface* surface, int32_t x, int32_t y, COLORREF color);

// Brings back a surface whose memory was lost while another program had the screen; its
// pixels are undefined until drawn again.
HRESULT Restore(Surface* surface);

// The RGB565 value a colour becomes, and back.
constexpr uint16_t ColorToPixel(COLORREF color) {
    return static_cast<uint16_t>(((GetRValue(color) >> 3) << 11) | ((GetGValue(color) >> 2) << 5) |
                                 (GetBValue(color) >> 3));
}
// Widens by repeating the top bits, so that full intensity reads back as 255.
constexpr COLORREF PixelToColor(uint16_t pixel) {
    uint8_t r5 = pixel >> 11, g6 = (pixel >> 5) & 0x3F, b5 = pixel & 0x1F;
    return RGB(static_cast<uint8_t>((r5 << 3) | (r5 >> 2)),
               static_cast<uint8_t>((g6 << 2) | (g6 >> 4)),
               static_cast<uint8_t>((b5 << 3) | (b5 >> 2)));
}
