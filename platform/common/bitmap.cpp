// Bitmap files read with SDL and held as 32-bit pixels until they are copied into surfaces.
#include "platform/bitmap.h"

#include <SDL.h>

#include <string>

#include "platform/common/bitmap_file.h"

struct Bitmap {
    SDL_Surface* pixels;  // ARGB8888
};

Bitmap* LoadBitmapFile(const char* gameName, std::string* problem) {
    std::string why;
    std::string data = ReadBitmapFile(gameName, &why);
    if (!why.empty()) return RefuseBitmap(problem, why);
    SDL_Surface* loaded =
        SDL_LoadBMP_RW(SDL_RWFromConstMem(data.data(), static_cast<int>(data.size())), 1);
    if (!loaded) return RefuseBitmap(problem, "damaged");
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!converted) return RefuseBitmap(problem, "too large for the memory left");
    if (converted->w <= 0 || converted->h <= 0) {
        SDL_FreeSurface(converted);
        return RefuseBitmap(problem, "damaged (no pixels)");
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
