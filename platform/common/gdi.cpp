// Device contexts of surfaces. A small fixed pool: a surface gives out one context at a
// time, and nothing is allocated per call.
#include <cstring>
#include <vector>

#include "platform/bitmap.h"
#include "platform/common/bitmap_file.h"
#include "platform/common/gdi_internal.h"
#include "platform/common/surface_internal.h"

namespace {
DeviceContext pool[8];

// A kept picture copied whole into a surface of its size, as every start-up does, is
// converted once; later copies take the converted pixels.
struct ConvertedBitmap {
    const Bitmap* bitmap;
    std::vector<uint16_t> pixels;
};
std::vector<ConvertedBitmap>& converted = *new std::vector<ConvertedBitmap>;

bool WholeCopy(HDC dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, const Bitmap* bitmap,
               int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    return BitmapKept(bitmap) && dx == 0 && dy == 0 && sx == 0 && sy == 0 &&
           dw == BitmapWidth(bitmap) && dh == BitmapHeight(bitmap) && sw == dw && sh == dh &&
           dc->surface && dc->surface->width == dw && dc->surface->height == dh &&
           !dc->surface->undrawn;
}
}  // namespace

HRESULT GetDC(Surface* surface, DeviceContext** dc) {
    if (!surface || !dc) return DDERR_INVALIDPARAMS;
    if (surface->lost) return DDERR_SURFACELOST;
    for (DeviceContext& c : pool) {
        if (c.inUse && c.surface == surface) return DDERR_GENERIC;
    }
    for (DeviceContext& c : pool) {
        if (!c.inUse) {
            c = DeviceContext{surface, 0, OPAQUE, nullptr, true};
            *dc = &c;
            return DD_OK;
        }
    }
    return DDERR_GENERIC;
}

HRESULT ReleaseDC(Surface* surface, DeviceContext* dc) {
    if (!dc || !dc->inUse || dc->surface != surface) return DDERR_INVALIDPARAMS;
    dc->inUse = false;
    return DD_OK;
}

COLORREF SetTextColor(DeviceContext* dc, COLORREF color) {
    COLORREF old = dc->textColor;
    dc->textColor = color;
    return old;
}

int SetBkMode(DeviceContext* dc, int mode) {
    int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}

Font* SelectObject(DeviceContext* dc, Font* font) {
    Font* old = dc->font;
    dc->font = font;
    return old;
}

bool StretchBitmap(HDC dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, const Bitmap* bitmap,
                   int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    if (!dc || !bitmap || dw <= 0 || dh <= 0) return false;
    bool whole = WholeCopy(dc, dx, dy, dw, dh, bitmap, sx, sy, sw, sh);
    if (whole) {
        for (const ConvertedBitmap& c : converted) {
            if (c.bitmap != bitmap) continue;
            SharePixels(dc->surface, c.pixels.data());
            return true;
        }
    }
    for (int32_t row = 0; row < dh; ++row) {
        int32_t fromY = sy + static_cast<int32_t>(int64_t{row} * sh / dh);
        for (int32_t col = 0; col < dw; ++col) {
            int32_t fromX = sx + static_cast<int32_t>(int64_t{col} * sw / dw);
            SurfaceSetPixel(dc->surface, dx + col, dy + row, BitmapPixel(bitmap, fromX, fromY));
        }
    }
    if (whole) {
        const uint16_t* pixels = dc->surface->pixels;
        converted.push_back(ConvertedBitmap{
            bitmap, std::vector<uint16_t>(pixels, pixels + size_t(dw) * size_t(dh))});
    }
    return true;
}

COLORREF GetPixel(DeviceContext* dc, int32_t x, int32_t y) {
    return dc ? SurfaceGetPixel(dc->surface, x, y) : CLR_INVALID;
}

COLORREF SetPixel(DeviceContext* dc, int32_t x, int32_t y, COLORREF color) {
    return dc ? SurfaceSetPixel(dc->surface, x, y, color) : CLR_INVALID;
}
