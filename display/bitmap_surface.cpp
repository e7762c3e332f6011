// Pictures from bitmap files into surfaces, and colour keys named as ordinary colours.
#include <cstring>

#include "display/display.h"

Surface* LoadBitmapSurface(DirectDraw* dd, const char* name, int32_t, int32_t,
                           std::string* problem) {
    Bitmap* bitmap = LoadBitmapFile(name, problem);
    if (!bitmap) return nullptr;
    Surface* surface = nullptr;
    if (CreateSurface(dd, DDSCAPS_OFFSCREENPLAIN, BitmapWidth(bitmap), BitmapHeight(bitmap),
                      &surface) != DD_OK) {
        DeleteBitmap(bitmap);
        if (problem) *problem = "too large for the display's memory";
        return nullptr;
    }
    CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    DeleteBitmap(bitmap);
    return surface;
}

// Stretches the bitmap's rectangle over the whole surface; with the sizes the game uses
// the copy is pixel for pixel.
HRESULT CopyBitmapToSurface(Surface* surface, Bitmap* bitmap, int32_t x, int32_t y, int32_t width,
                            int32_t height) {
    if (!surface || !bitmap) return E_FAIL;
    if (width == 0) width = BitmapWidth(bitmap);
    if (height == 0) height = BitmapHeight(bitmap);
    int32_t surfaceWidth = SurfaceWidth(surface);
    int32_t surfaceHeight = SurfaceHeight(surface);
    HDC dc = nullptr;
    HRESULT result = GetDC(surface, &dc);
    if (result != DD_OK) return result;
    StretchBitmap(dc, 0, 0, surfaceWidth, surfaceHeight, bitmap, x, y, width, height);
    ReleaseDC(surface, dc);
    return DD_OK;
}

// Writes the colour into the top-left pixel, reads back what the surface made of it,
// and puts the old pixel back.
uint32_t MatchSurfaceColor(Surface* surface, COLORREF color) {
    uint32_t answer = CLR_INVALID;
    COLORREF saved = 0;
    HDC dc = nullptr;
    if (color != CLR_INVALID && GetDC(surface, &dc) == DD_OK) {
        saved = GetPixel(dc, 0, 0);
        SetPixel(dc, 0, 0, color);
        ReleaseDC(surface, dc);
    }
    SurfaceLock lock;
    HRESULT result;
    while ((result = Lock(surface, &lock)) == DDERR_WASSTILLDRAWING) {
    }
    if (result == DD_OK) {
        // Only the first pixel's bytes: a 1 x 1 surface holds no more than that.
        uint32_t raw = 0;
        std::memcpy(&raw, lock.bits, lock.rgbBitCount / 8);
        answer = raw;
        if (lock.rgbBitCount < 32) answer &= (1u << lock.rgbBitCount) - 1;
        Unlock(surface);
    }
    if (color != CLR_INVALID && GetDC(surface, &dc) == DD_OK) {
        SetPixel(dc, 0, 0, saved);
        ReleaseDC(surface, dc);
    }
    return answer;
}

HRESULT SetSurfaceColorKey(Surface* surface, COLORREF color) {
    uint32_t value = MatchSurfaceColor(surface, color);
    DDCOLORKEY key = {value, value};
    return SetColorKey(surface, DDCKEY_SRCBLT, &key);
}
