// The display in the page: surfaces in memory, and Flip puts the rows the frame changed on
// the page's <canvas> through putImageData. The canvas is 640 x 480; the page scales it.
#include "platform/display.h"

#include <emscripten.h>

#include <cstring>

#include "platform/common/surface_internal.h"
#include "platform/web/backend.h"

struct DirectDraw {
    int unused;
};

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

DirectDraw theDirectDraw;
Surface* screen = nullptr;
Surface* back = nullptr;
int cursorCount = 0;
bool anyShown = false;
uint32_t flips = 0;
uint16_t shown[kWidth * kHeight];  // what the canvas holds
uint32_t rgba[kWidth * kHeight];   // the canvas's bytes: red, green, blue, alpha
uint32_t rgbaOf[65536];            // RGB565 to those bytes

// The same widening as the native window's (see SurfaceRowAsShown), so that the page shows
// the colours of the headless replay's screenshots exactly.
void MakeColourTable() {
    for (uint32_t p = 0; p < 65536; ++p) {
        uint32_t r5 = p >> 11, g6 = (p >> 5) & 0x3F, b5 = p & 0x1F;
        uint32_t r = r5 * 255 / 31, g = 4 * g6 + g6 / 24, b = b5 * 255 / 31;
        rgbaOf[p] = r | g << 8 | b << 16 | 0xFF000000u;
    }
}

EM_JS(void, WebPutArea, (const uint32_t* pixels, int left, int top, int width, int height),
      { sidescrollerPage.putArea(pixels, left, top, width, height); });

// Puts on the canvas the smallest rectangle that holds every pixel the frame changed: a still
// screen costs nothing, a flying bird its own box rather than the rows it crosses.
void ShowOnPage() {
    const uint16_t* pixels = screen->pixels;
    int32_t left = kWidth, right = -1, top = kHeight, bottom = -1;
    for (int32_t y = 0; y < kHeight; ++y) {
        const uint16_t* now = pixels + y * kWidth;
        const uint16_t* was = shown + y * kWidth;
        if (anyShown && std::memcmp(now, was, kWidth * sizeof(uint16_t)) == 0) continue;
        int32_t first = 0, last = kWidth - 1;
        if (anyShown) {
            while (now[first] == was[first]) ++first;
            while (now[last] == was[last]) --last;
        }
        if (first < left) left = first;
        if (last > right) right = last;
        if (y < top) top = y;
        bottom = y;
    }
    if (bottom < 0) return;
    for (int32_t y = top; y <= bottom; ++y) {
        size_t row = static_cast<size_t>(y) * kWidth;
        for (int32_t x = left; x <= right; ++x) rgba[row + x] = rgbaOf[pixels[row + x]];
        std::memcpy(shown + row + left, pixels + row + left, (right + 1 - left) * sizeof(uint16_t));
    }
    anyShown = true;
    WebPutArea(rgba, left, top, right + 1 - left, bottom + 1 - top);
}

}  // namespace

HRESULT DirectDrawCreate(DirectDraw** directDraw) {
    *directDraw = &theDirectDraw;
    return DD_OK;
}

HRESULT SetCooperativeLevel(DirectDraw*, HWND window, uint32_t) {
    return IsWindow(window) ? DD_OK : DDERR_GENERIC;
}

HRESULT SetDisplayMode(DirectDraw*, int32_t width, int32_t height, int32_t bpp) {
    return width == kWidth && height == kHeight && bpp == 16 ? DD_OK : DDERR_GENERIC;
}

HRESULT CreatePrimarySurface(DirectDraw*, uint32_t, int32_t backBufferCount, Surface** primary) {
    if (backBufferCount != 1) return DDERR_GENERIC;
    if (!screen) {
        MakeColourTable();
        screen = CreateOffscreenSurface(kWidth, kHeight);
        back = CreateOffscreenSurface(kWidth, kHeight);
        if (!screen || !back) return DDERR_GENERIC;
        screen->attached = back;
    }
    *primary = screen;
    return DD_OK;
}

HRESULT GetAttachedSurface(Surface* primary, uint32_t, Surface** attached) {
    if (!primary || primary != screen) return DDERR_GENERIC;
    *attached = back;
    return DD_OK;
}

HRESULT CreateSurface(DirectDraw*, uint32_t, int32_t width, int32_t height, Surface** surface) {
    *surface = CreateOffscreenSurface(width, height);
    return *surface ? DD_OK : DDERR_GENERIC;
}

HRESULT Flip(Surface* primary, Surface*, uint32_t) {
    if (!primary || primary != screen) return DDERR_GENERIC;
    if (BltFast(screen, 0, 0, back, nullptr, DDBLTFAST_WAIT) == DDERR_SURFACELOST) {
        return DDERR_SURFACELOST;
    }
    ++flips;
    ShowOnPage();
    RecordFrameShown();
    return DD_OK;
}

// For the figures: the frames run since the start.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t WebFrames() {
    return flips;
}

// The page never shows the system cursor over the picture: the game draws its own.
int ShowCursor(bool show) {
    cursorCount += show ? 1 : -1;
    return cursorCount;
}
