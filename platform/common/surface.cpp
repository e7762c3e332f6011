// Software RGB565 surfaces with the blit rules of BltFast: no clipping, exact colour keys.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/common/surface_internal.h"

namespace {
// The surfaces alive, so that all of them can be lost at once.
constexpr int MAX_SURFACES = 64;
Surface* alive[MAX_SURFACES];
bool sharedInPlace = false;

// Single pixels set in shared pixels in place, with what they held, to be put back.
struct PixelSet {
    uint16_t* at;
    uint16_t was;
};
bool undoingPixelSets = false;
PixelSet pixelSets[64];
int32_t pixelSetCount = 0;

constexpr uint16_t LOST_PIXEL = 0xF81F;
// The pixels that surfaces show without memory of their own: blank ones, and lost kept
// pictures. Each kind the largest asked for so far, with those before it, which surfaces may
// still show. Never freed, nor written.
std::vector<uint16_t*>& blankBlocks = *new std::vector<uint16_t*>;
std::vector<uint16_t*>& wipedBlocks = *new std::vector<uint16_t*>;
size_t blankSize = 0, wipedSize = 0;

const uint16_t* SharedBlock(std::vector<uint16_t*>& blocks, size_t& size, size_t count,
                            uint16_t value) {
    if (count > size) {
        // Zeroed by the system, page by page as it is first read.
        auto* block = static_cast<uint16_t*>(std::calloc(count, sizeof(uint16_t)));
        if (!block) return nullptr;
        if (value != 0) std::fill_n(block, count, value);
        blocks.push_back(block);
        size = count;
    }
    return blocks.back();
}

size_t PixelCount(const Surface* surface) {
    return static_cast<size_t>(surface->width) * surface->height;
}

// Pixels that are not a kept picture's are never written in place.
bool OwnedElsewhere(const Surface* surface) {
    return surface->blank || surface->wiped;
}

}  // namespace

Surface* CreateOffscreenSurface(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
    auto* surface = new (std::nothrow) Surface{};
    if (!surface) return nullptr;
    surface->width = width;
    surface->height = height;
    // Blank until first drawn into, when it takes memory of its own: a surface that is never
    // drawn (a kept picture's, shown from the picture; an undrawn screen) costs none.
    const uint16_t* blank = SharedBlock(blankBlocks, blankSize, PixelCount(surface), 0);
    if (!blank) {
        delete surface;
        return nullptr;
    }
    SharePixels(surface, blank);
    surface->blank = true;
    for (Surface*& slot : alive) {
        if (!slot) {
            slot = surface;
            break;
        }
    }
    return surface;
}

void ReleaseSurface(Surface* surface) {
    if (!surface) return;
    for (Surface*& slot : alive) {
        if (slot == surface) slot = nullptr;
    }
    if (!surface->sharedPixels) std::free(surface->pixels);
    delete surface;
}

void WriteSharedPixelsInPlace() {
    sharedInPlace = true;
}

void UndoSharedPixelSets(bool undo) {
    undoingPixelSets = undo;
}

void PutBackSharedPixels() {
    while (pixelSetCount > 0) {
        const PixelSet& set = pixelSets[--pixelSetCount];
        *set.at = set.was;
    }
}

uint16_t* WritablePixels(Surface* surface) {
    if (!surface->sharedPixels || (sharedInPlace && !OwnedElsewhere(surface))) {
        return surface->pixels;
    }
    size_t size = PixelCount(surface) * sizeof(uint16_t);
    auto* own = static_cast<uint16_t*>(surface->blank ? std::calloc(size, 1) : std::malloc(size));
    if (!own) return nullptr;
    if (!surface->blank) std::memcpy(own, surface->pixels, size);
    surface->pixels = own;
    surface->sharedPixels = surface->blank = surface->wiped = false;
    return own;
}

void SharePixels(Surface* surface, const uint16_t* pixels) {
    if (!surface->sharedPixels) std::free(surface->pixels);
    surface->pixels = const_cast<uint16_t*>(pixels);
    surface->sharedPixels = true;
    surface->blank = surface->wiped = false;
}

int32_t SurfaceWidth(const Surface* surface) {
    return surface ? surface->width : 0;
}
int32_t SurfaceHeight(const Surface* surface) {
    return surface ? surface->height : 0;
}

HRESULT BltFast(Surface* dst, int32_t x, int32_t y, Surface* src, const RECT* srcRect,
                uint32_t flags) {
    if (!dst || !src) return DDERR_INVALIDPARAMS;
    if (dst->lost || src->lost) return DDERR_SURFACELOST;
    RECT r = srcRect ? *srcRect : RECT{0, 0, src->width, src->height};
    if (r.left < 0 || r.top < 0 || r.right > src->width || r.bottom > src->height ||
        r.left >= r.right || r.top >= r.bottom) {
        return DDERR_INVALIDRECT;
    }
    // Widen before adding so that huge coordinates cannot wrap into the target.
    int64_t w = int64_t{r.right} - r.left;
    int64_t h = int64_t{r.bottom} - r.top;
    if (x < 0 || y < 0 || x + w > dst->width || y + h > dst->height) return DDERR_INVALIDRECT;

    bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) && src->hasColorKey;
    CopyPixels(dst, x, y, src, r, keyed);
    return DD_OK;
}

HRESULT ColorFill(Surface* dst, uint32_t fillColor, uint32_t) {
    if (!dst) return DDERR_INVALIDPARAMS;
    if (dst->lost) return DDERR_SURFACELOST;
    FillPixels(dst, static_cast<uint16_t>(fillColor));
    return DD_OK;
}

HRESULT SetColorKey(Surface* surface, uint32_t flags, const DDCOLORKEY* key) {
    if (!surface || !(flags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
    if (!key) {
        surface->hasColorKey = false;
        return DD_OK;
    }
    surface->hasColorKey = true;
    surface->colorKey = static_cast<uint16_t>(key->dwColorSpaceLowValue);
    return DD_OK;
}

bool GetColorKey(const Surface* surface, DDCOLORKEY* key) {
    if (!surface || !surface->hasColorKey) return false;
    key->dwColorSpaceLowValue = key->dwColorSpaceHighValue = surface->colorKey;
    return true;
}

HRESULT Lock(Surface* surface, SurfaceLock* lock) {
    if (!surface || !lock) return DDERR_INVALIDPARAMS;
    if (surface->lost) return DDERR_SURFACELOST;
    bool readOnly = surface->sharedPixels && !OwnedElsewhere(surface) && undoingPixelSets;
    if (!readOnly && !WritablePixels(surface)) return DDERR_GENERIC;
    surface->locked = true;
    lock->bits = surface->pixels;
    lock->pitch = surface->width * 2;
    lock->width = surface->width;
    lock->height = surface->height;
    lock->rgbBitCount = 16;
    return DD_OK;
}

HRESULT Unlock(Surface* surface) {
    if (!surface || !surface->locked) return DDERR_NOTLOCKED;
    surface->locked = false;
    return DD_OK;
}

HRESULT Restore(Surface* surface) {
    if (!surface) return DDERR_INVALIDPARAMS;
    surface->lost = false;
    if (surface->attached) surface->attached->lost = false;
    return DD_OK;
}

void CommonLoseSurfaces() {
    for (Surface* surface : alive) {
        if (!surface) continue;
        surface->lost = true;
        surface->locked = false;
        // What another program left in video memory: nothing of the game's pictures. A kept
        // picture, shown without a copy of its own, shows the wiped pixels the same way.
        const uint16_t* wiped = nullptr;
        if (surface->sharedPixels && !surface->undrawn) {
            wiped = SharedBlock(wipedBlocks, wipedSize, PixelCount(surface), LOST_PIXEL);
        }
        if (wiped) {
            SharePixels(surface, wiped);
            surface->wiped = true;
        } else {
            FillPixels(surface, LOST_PIXEL);
        }
    }
}

COLORREF SurfaceGetPixel(Surface* surface, int32_t x, int32_t y) {
    if (!surface || x < 0 || y < 0 || x >= surface->width || y >= surface->height) {
        return CLR_INVALID;
    }
    return PixelToColor(surface->pixels[y * surface->width + x]);
}

COLORREF SurfaceSetPixel(Surface* surface, int32_t x, int32_t y, COLORREF color) {
    if (!surface || x < 0 || y < 0 || x >= surface->width || y >= surface->height) {
        return CLR_INVALID;
    }
    uint16_t value = ColorToPixel(color);
    if (surface->undrawn) return PixelToColor(value);
    uint16_t* at = surface->pixels + y * surface->width + x;
    if (surface->sharedPixels && !OwnedElsewhere(surface) && undoingPixelSets &&
        pixelSetCount < 64) {
        pixelSets[pixelSetCount++] = PixelSet{at, *at};
        *at = value;
    } else if (WritablePixels(surface)) {
        surface->pixels[y * surface->width + x] = value;
    }
    return PixelToColor(value);
}

// Widened as the window's conversion widens them: red and blue to floor(v * 255 / 31), green
// to 4v + v / 24, so that a screenshot shows the colours the real screen does.
bool SurfaceRowAsShown(Surface* surface, int32_t y, uint32_t* rgb) {
    if (!surface || !rgb || y < 0 || y >= surface->height) return false;
    const uint16_t* row = surface->pixels + static_cast<size_t>(y) * surface->width;
    for (int32_t x = 0; x < surface->width; ++x) {
        uint32_t r5 = row[x] >> 11, g6 = (row[x] >> 5) & 0x3F, b5 = row[x] & 0x1F;
        rgb[x] = (r5 * 255 / 31) << 16 | (4 * g6 + g6 / 24) << 8 | b5 * 255 / 31;
    }
    return true;
}
