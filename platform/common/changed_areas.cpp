// What a frame changed of the screen, found one way for every backend that sends only that.
#include "platform/common/changed_areas.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// Sixty-four bytes at a time without a branch between, then eight: a still screen compares
// every row of every frame, and the web's C library compares four bytes at a time.
bool SamePixels(const uint16_t* a, const uint16_t* b, int32_t count) {
    int32_t x = 0;
    for (; x + 32 <= count; x += 32) {
        uint64_t p[8], q[8];
        std::memcpy(p, a + x, sizeof p);
        std::memcpy(q, b + x, sizeof q);
        uint64_t diff = 0;
        for (int32_t i = 0; i < 8; ++i) diff |= p[i] ^ q[i];
        if (diff != 0) return false;
    }
    for (; x + 4 <= count; x += 4) {
        uint64_t p, q;
        std::memcpy(&p, a + x, sizeof p);
        std::memcpy(&q, b + x, sizeof q);
        if (p != q) return false;
    }
    for (; x < count; ++x) {
        if (a[x] != b[x]) return false;
    }
    return true;
}

// The tile columns in which rows [top, bottom) differ, one bit each.
uint64_t ChangedTiles(const uint16_t* before, const uint16_t* after, int32_t width, int32_t tile,
                      int32_t top, int32_t bottom) {
    const int32_t columns = (width + tile - 1) / tile;
    const uint64_t all = columns == 64 ? ~uint64_t{0} : (uint64_t{1} << columns) - 1;
    uint64_t changed = 0;
    for (int32_t row = top; row < bottom && changed != all; ++row) {
        const uint16_t* was = before + static_cast<size_t>(row) * width;
        const uint16_t* is = after + static_cast<size_t>(row) * width;
        if (SamePixels(was, is, width)) continue;
        for (int32_t c = 0; c < columns; ++c) {
            if (changed & (uint64_t{1} << c)) continue;
            int32_t x = c * tile, n = std::min(tile, width - x);
            if (!SamePixels(was + x, is + x, n)) changed |= uint64_t{1} << c;
        }
    }
    return changed;
}

RECT AreaAround(const RECT* areas, int32_t count) {
    RECT around = {0, 0, 0, 0};
    for (int32_t i = 0; i < count; ++i) {
        const RECT& a = areas[i];
        around = i == 0 ? a
                        : RECT{std::min(around.left, a.left), std::min(around.top, a.top),
                               std::max(around.right, a.right), std::max(around.bottom, a.bottom)};
    }
    return around;
}

}  // namespace

int32_t FindChangedAreas(const uint16_t* before, const uint16_t* after, int32_t width,
                         int32_t height, RECT* areas) {
    // Tiles wider than 16 only for pictures wider than 64 of them.
    const int32_t tile = std::max(CHANGED_TILE, (width + 63) / 64);
    int32_t count = 0;
    for (int32_t top = 0; top < height; top += CHANGED_TILE) {
        int32_t bottom = std::min(height, top + CHANGED_TILE);
        uint64_t changed = ChangedTiles(before, after, width, tile, top, bottom);
        for (int32_t c = 0; c < 64 && (changed >> c) != 0;) {
            if (!((changed >> c) & 1)) {
                ++c;
                continue;
            }
            int32_t run = c;
            while (c < 64 && ((changed >> c) & 1)) ++c;
            RECT area{run * tile, top, std::min(c * tile, width), bottom};
            // A run right under one of the same columns lengthens it.
            RECT* above = nullptr;
            for (int32_t i = 0; i < count && !above; ++i) {
                if (areas[i].left == area.left && areas[i].right == area.right &&
                    areas[i].bottom == top) {
                    above = &areas[i];
                }
            }
            if (above) {
                above->bottom = bottom;
            } else if (count < MAX_CHANGED_AREAS) {
                areas[count++] = area;
            } else {
                // Out of room: the last area grows to cover this one too.
                RECT& last = areas[count - 1];
                last = RECT{std::min(last.left, area.left), std::min(last.top, area.top),
                            std::max(last.right, area.right), bottom};
            }
        }
    }
    return count;
}

RECT ChangedArea(const uint16_t* before, const uint16_t* after, int32_t width, int32_t height) {
    RECT areas[MAX_CHANGED_AREAS];
    return AreaAround(areas, FindChangedAreas(before, after, width, height, areas));
}
