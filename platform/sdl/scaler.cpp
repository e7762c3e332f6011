// Whole-number scaling of the RGB565 picture into the window's own pixels.
#include "platform/sdl/scaler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace sdlscaler {

namespace {

// Division rounding down and up for any sign of a; s > 0.
int32_t FloorDiv(int32_t a, int32_t s) {
    return a >= 0 ? a / s : -((-a + s - 1) / s);
}
int32_t CeilDiv(int32_t a, int32_t s) {
    return a >= 0 ? (a + s - 1) / s : -(-a / s);
}

// One picture row into one window row, each pixel repeated scale times. Scales 1 and 2, by
// far the most common, get loops of their own that the compiler can unroll.
template <typename Pixel>
void WidenRow(const uint16_t* from, int32_t count, const uint32_t* table, int32_t scale,
              Pixel* to) {
    if (scale == 1) {
        for (int32_t i = 0; i < count; ++i) to[i] = static_cast<Pixel>(table[from[i]]);
    } else if (scale == 2) {
        for (int32_t i = 0; i < count; ++i) {
            auto value = static_cast<Pixel>(table[from[i]]);
            to[2 * i] = value;
            to[2 * i + 1] = value;
        }
    } else {
        for (int32_t i = 0; i < count; ++i) {
            auto value = static_cast<Pixel>(table[from[i]]);
            for (int32_t k = 0; k < scale; ++k) *to++ = value;
        }
    }
}

}  // namespace

Placement PlacePicture(int32_t windowWidth, int32_t windowHeight, int32_t pictureWidth,
                       int32_t pictureHeight) {
    int32_t scale = std::max(1, std::min(windowWidth / pictureWidth, windowHeight / pictureHeight));
    return {scale, (windowWidth - pictureWidth * scale) / 2,
            (windowHeight - pictureHeight * scale) / 2};
}

POINT WindowToPicture(const Placement& placement, int32_t x, int32_t y) {
    return {FloorDiv(x - placement.x, placement.scale), FloorDiv(y - placement.y, placement.scale)};
}

void ScalePicture(const uint16_t* picture, int32_t picturePitch, RECT area,
                  const Placement& placement, const uint32_t* table, const Target& target) {
    const int32_t s = placement.scale;
    // Only picture pixels whose whole square lies in the window.
    int32_t left = std::max(area.left, CeilDiv(-placement.x, s));
    int32_t right = std::min(area.right, FloorDiv(target.width - placement.x, s));
    int32_t top = std::max(area.top, CeilDiv(-placement.y, s));
    int32_t bottom = std::min(area.bottom, FloorDiv(target.height - placement.y, s));
    if (left >= right || top >= bottom) return;
    const int32_t bpp = target.bytesPerPixel;
    const size_t rowBytes = static_cast<size_t>(right - left) * s * bpp;
    for (int32_t row = top; row < bottom; ++row) {
        const auto* from = reinterpret_cast<const uint16_t*>(
                               reinterpret_cast<const uint8_t*>(picture) + row * picturePitch) +
                           left;
        uint8_t* to = target.pixels +
                      static_cast<std::ptrdiff_t>(placement.y + row * s) * target.pitch +
                      static_cast<std::ptrdiff_t>(placement.x + left * s) * bpp;
        if (bpp == 4) {
            WidenRow(from, right - left, table, s, reinterpret_cast<uint32_t*>(to));
        } else {
            WidenRow(from, right - left, table, s, reinterpret_cast<uint16_t*>(to));
        }
        // The further window rows of a scaled row are copies of the first.
        for (int32_t k = 1; k < s; ++k) std::memcpy(to + k * target.pitch, to, rowBytes);
    }
}

}  // namespace sdlscaler
