// The display in the page: surfaces in memory, and Flip puts the area the frame changed on
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
Surface* screen = nullptr;  // what the canvas shows, until the flip copies the next frame in
Surface* back = nullptr;
int cursorCount = 0;
bool anyShown = false;
uint32_t flips = 0;
uint32_t rgba[kWidth * kHeight];  // the canvas's bytes: red, green, blue, alpha
uint32_t rgbaOf[65536];           // RGB565 to those bytes

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

// Eight bytes at a time: the C library's memcmp goes byte by byte here, and a still screen
// compares every row of every frame.
bool SameRow(const uint16_t* a, const uint16_t* b) {
    for (int32_t x = 0; x < kWidth; x += 4) {
        uint64_t p, q;
        std::memcpy(&p, a + x, sizeof p);
        std::memcpy(&q, b + x, sizeof q);
        if (p != q) return false;
    }
    return true;
}

// The smallest rectangle that holds every pixel of the new frame that differs from the shown
// one: a still screen costs nothing, a flying bird its own box rather than the rows it crosses.
RECT ChangedArea(const uint16_t* now, const uint16_t* was) {
    if (!anyShown) return RECT{0, 0, kWidth, kHeight};
    RECT area = {kWidth, kHeight, 0, 0};
    for (int32_t y = 0; y < kHeight; ++y) {
        const uint16_t* a = now + y * kWidth;
        const uint16_t* b = was + y * kWidth;
        if (SameRow(a, b)) continue;
        int32_t first = 0, last = kWidth - 1;
        while (a[first] == b[first]) ++first;
        while (a[last] == b[last]) --last;
        if (first < area.left) area.left = first;
        if (last + 1 > area.right) area.right = last + 1;
        if (y < area.top) area.top = y;
        area.bottom = y + 1;
    }
    return area;
}

void ShowOnPage(const RECT& area) {
    const uint16_t* pixels = screen->pixels;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        size_t row = static_cast<size_t>(y) * kWidth;
        for (int32_t x = area.left; x < area.right; ++x) rgba[row + x] = rgbaOf[pixels[row + x]];
    }
    anyShown = true;
    WebPutArea(rgba, area.left, area.top, area.right - area.left, area.bottom - area.top);
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
    // The screen's pixels went with the loss; the canvas is drawn whole once it is back.
    if (screen->lost || back->lost) {
        anyShown = false;
        return DDERR_SURFACELOST;
    }
    // Only the flip writes the screen, so until it does the screen holds what the canvas shows.
    RECT area = ChangedArea(back->pixels, screen->pixels);
    if (area.left < area.right) {
        BltFast(screen, area.left, area.top, back, &area, DDBLTFAST_WAIT);
        ShowOnPage(area);
    }
    ++flips;
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
