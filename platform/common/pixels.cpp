// The pixel loops of blits and fills, which the checks in surface.cpp keep within bounds.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/common/surface_internal.h"

namespace {
// One row of a colour-keyed copy between different surfaces: every pixel but the key's.
// Eight pixels at a time where the processor can, since the tree and the birds are keyed
// and drawn every frame; a pixel at a time the branch mispredicts at every edge.
void CopyKeyedRow(const uint16_t* from, uint16_t* to, int64_t count, uint16_t key) {
    int64_t col = 0;
#if defined(__SSE2__)
    const __m128i keys = _mm_set1_epi16(static_cast<int16_t>(key));
    for (; col + 8 <= count; col += 8) {
        __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + col));
        __m128i target = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + col));
        __m128i isKey = _mm_cmpeq_epi16(source, keys);
        __m128i mixed = _mm_or_si128(_mm_and_si128(isKey, target), _mm_andnot_si128(isKey, source));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + col), mixed);
    }
#endif
    for (; col < count; ++col) {
        if (from[col] != key) to[col] = from[col];
    }
}
}  // namespace

void CopyPixels(Surface* dst, int64_t x, int64_t y, const Surface* src, const RECT& r, bool keyed) {
    if (dst->undrawn) return;
    // Within one surface the source is the copy too.
    if (dst->sharedPixels && !WritablePixels(dst)) return;
    int64_t w = int64_t{r.right} - r.left;
    int64_t h = int64_t{r.bottom} - r.top;
    uint16_t key = src->colorKey;
    for (int64_t row = 0; row < h; ++row) {
        const uint16_t* from = src->pixels + (r.top + row) * src->width + r.left;
        uint16_t* to = dst->pixels + (y + row) * dst->width + x;
        if (!keyed) {
            std::memmove(to, from, static_cast<size_t>(w) * sizeof(uint16_t));
        } else if (src != dst) {
            CopyKeyedRow(from, to, w, key);
        } else {
            // Within one surface the rows may overlap: a pixel at a time, front to back.
            for (int64_t col = 0; col < w; ++col) {
                if (from[col] != key) to[col] = from[col];
            }
        }
    }
}

void FillPixels(Surface* surface, uint16_t value) {
    if (surface->undrawn) return;
    // Every pixel changes: shared ones are left as they are, for a picture's restoring.
    if (surface->sharedPixels) {
        size_t count = static_cast<size_t>(surface->width) * surface->height;
        auto* own = static_cast<uint16_t*>(std::malloc(count * sizeof(uint16_t)));
        if (!own) return;
        surface->pixels = own;
        surface->sharedPixels = surface->blank = surface->wiped = false;
    }
    std::fill_n(surface->pixels, static_cast<size_t>(surface->width) * surface->height, value);
}
