// The display in the page: surfaces in memory, and Flip puts the area the frame changed on
// the page's <canvas> through putImageData. The canvas is 640 x 480; the page scales it.
#include <emscripten.h>

#include "platform/common/changed_areas.h"
#include "platform/common/display_driver.h"
#include "platform/common/surface_internal.h"
#include "platform/web/backend.h"

namespace {

bool anyShown = false;
uint32_t flips = 0;
uint32_t rgba[DISPLAY_WIDTH * DISPLAY_HEIGHT];  // the canvas's bytes: red, green, blue, alpha
uint32_t rgbaOf[65536];                         // RGB565 to those bytes

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

void ShowOnPage(const Surface* screen, const RECT& area) {
    const uint16_t* pixels = screen->pixels;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        size_t row = static_cast<size_t>(y) * DISPLAY_WIDTH;
        for (int32_t x = area.left; x < area.right; ++x) rgba[row + x] = rgbaOf[pixels[row + x]];
    }
    anyShown = true;
    WebPutArea(rgba, area.left, area.top, area.right - area.left, area.bottom - area.top);
}

bool Open(bool) {
    static const bool tableMade = (MakeColourTable(), true);
    return tableMade;
}

bool Allows(DisplayStep) {
    return true;
}

// Only the flip writes the screen, so until it does the screen holds what the canvas shows.
void Present(Surface* screen, Surface* frame) {
    RECT area = anyShown ? ChangedArea(screen->pixels, frame->pixels, DISPLAY_WIDTH, DISPLAY_HEIGHT)
                         : RECT{0, 0, DISPLAY_WIDTH, DISPLAY_HEIGHT};
    if (area.left < area.right) {
        BltFast(screen, area.left, area.top, frame, &area, DDBLTFAST_WAIT);
        ShowOnPage(screen, area);
    }
    ++flips;
    RecordFrameShown();
}

// The screen's pixels went with the loss; the canvas is drawn whole once it is back.
void Lost() {
    anyShown = false;
}

}  // namespace

// The page never shows the system cursor over the picture: the game draws its own.
extern const DisplayDriver WEB_DISPLAY = {Allows, Open, nullptr, Present, Lost, nullptr};

// For the figures: the frames run since the start.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t WebFrames() {
    return flips;
}
