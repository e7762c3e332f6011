// Bitmap files read with SDL and held as 32-bit pixels until they are copied into surfaces.
#include "platform/bitmap.h"

#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/files.h"

struct Bitmap {
    SDL_Surface* pixels;  // ARGB8888
};

namespace {
constexpr int64_t kMaxSide = 4096;
}

// A damaged header can claim a picture of gigabytes; no picture of the game comes near
// this size, so such a file is refused before anything is allocated for it.
bool PlausibleSize(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    uint8_t header[26] = {};
    size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (got < 18 || header[0] != 'B' || header[1] != 'M') return false;
    uint32_t infoSize =
        header[14] | header[15] << 8 | header[16] << 16 | uint32_t{header[17]} << 24;
    int64_t w = 0, h = 0;
    if (infoSize == 12 && got >= 22) {
        w = static_cast<int16_t>(header[18] | header[19] << 8);
        h = static_cast<int16_t>(header[20] | header[21] << 8);
    } else if (infoSize >= 40 && got >= 26) {
        w = static_cast<int32_t>(header[18] | header[19] << 8 | header[20] << 16 |
                                 uint32_t{header[21]} << 24);
        h = static_cast<int32_t>(header[22] | header[23] << 8 | header[24] << 16 |
                                 uint32_t{header[25]} << 24);
    }
    if (h < 0) h = -h;
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide;
}

Bitmap* LoadBitmapFile(const char* gameName) {
    if (!gameName) return nullptr;
    std::string path = HostPath(gameName);
    if (!PlausibleSize(path)) return nullptr;
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (!loaded) return nullptr;
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!converted) return nullptr;
    if (converted->w <= 0 || converted->h <= 0) {
        SDL_FreeSurface(converted);
        return nullptr;
    }
    return new Bitmap{converted};
}

void DeleteBitmap(Bitmap* bitmap) {
    if (!bitmap) return;
    SDL_FreeSurface(bitmap->pixels);
    delete bitmap;
}

int32_t BitmapWidth(const Bitmap* bitmap) {
    return bitmap ? bitmap->pixels->w : 0;
}
int32_t BitmapHeight(const Bitmap* bitmap) {
    return bitmap ? bitmap->pixels->h : 0;
}

uint32_t BitmapPixel(const Bitmap* bitmap, int32_t x, int32_t y) {
    const SDL_Surface* s = bitmap->pixels;
    if (x < 0 || y < 0 || x >= s->w || y >= s->h) return 0;
    const auto* row = static_cast<const uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch;
    uint32_t argb = reinterpret_cast<const uint32_t*>(row)[x];
    uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return r | (g << 8) | (b << 16);
}
