// Any picture file either loads into a surface of its own size or gives none.
#include <cstdlib>

#include "display/display.h"
#include "platform/headless/headless.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteInput("data/p.bmp", data, size);
    static DirectDraw* dd = nullptr;
    if (!dd && DirectDrawCreate(&dd) != DD_OK) std::abort();
    Surface* surface = LoadBitmapSurface(dd, "data\\p.bmp", 0, 0);
    if (surface) {
        SetSurfaceColorKey(surface, COLOR_WHITE);
        ReleaseSurface(surface);
    }
    return 0;
}
