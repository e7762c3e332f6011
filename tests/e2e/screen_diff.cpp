// Compares two pictures of the game's screen at the display's own 16-bit precision and says
// how many pixels differ; with a third name it writes those pixels, red on grey, to look at.
//   screen_diff A.bmp B.bmp [DIFF.bmp]     exit 0: same size, 1: they differ in size, 2: error
#include <SDL.h>

#include <cstdio>

namespace {

SDL_Surface* Load(const char* path) {
    SDL_Surface* loaded = SDL_LoadBMP(path);
    if (!loaded) {
        std::fprintf(stderr, "screen_diff: %s: %s\n", path, SDL_GetError());
        return nullptr;
    }
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(loaded);
    return rgb;
}

uint32_t Pixel(const SDL_Surface* s, int x, int y) {
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) +
                                             y * s->pitch)[x];
}

// What a 5-6-5 display keeps of a colour.
uint32_t As565(uint32_t rgb) {
    return rgb & 0xF8FCF8;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: screen_diff A.bmp B.bmp [DIFF.bmp]\n");
        return 2;
    }
    SDL_Surface* a = Load(argv[1]);
    SDL_Surface* b = Load(argv[2]);
    if (!a || !b) return 2;
    if (a->w != b->w || a->h != b->h) {
        std::printf("sizes differ: %dx%d and %dx%d\n", a->w, a->h, b->w, b->h);
        return 1;
    }
    SDL_Surface* marks =
        argc > 3 ? SDL_ConvertSurfaceFormat(a, SDL_PIXELFORMAT_RGB888, 0) : nullptr;
    long differ = 0;
    for (int y = 0; y < a->h; ++y) {
        for (int x = 0; x < a->w; ++x) {
            bool same = As565(Pixel(a, x, y)) == As565(Pixel(b, x, y));
            differ += !same;
            if (marks) {
                uint32_t grey = (Pixel(a, x, y) >> 2) & 0x3F3F3F;
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(marks->pixels) +
                                            y * marks->pitch)[x] = same ? grey : 0xFF0000;
            }
        }
    }
    std::printf("%ld of %d pixels differ\n", differ, a->w * a->h);
    if (marks && SDL_SaveBMP(marks, argv[3]) != 0) {
        std::fprintf(stderr, "screen_diff: %s: %s\n", argv[3], SDL_GetError());
        return 2;
    }
    return 0;
}
