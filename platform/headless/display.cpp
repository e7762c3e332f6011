// The headless display: surfaces in memory; Flip copies the back buffer to the screen
// picture that tests and the replay look at.
#include "platform/display.h"

#include "platform/common/surface_internal.h"
#include "platform/headless/backend.h"
#include "platform/headless/headless.h"

struct DirectDraw {
    int unused;
};

bool HeadlessFails(uint32_t failure);

namespace {
DirectDraw theDirectDraw;
Surface* screen = nullptr;
Surface* back = nullptr;
uint32_t flips = 0;
int cursorCount = 0;
HeadlessFlipHook flipHook = nullptr;
bool drawing = true;
}  // namespace

void HeadlessResetDisplay() {
    ReleaseSurface(screen);
    ReleaseSurface(back);
    screen = back = nullptr;
    flips = 0;
    cursorCount = 0;
}

HRESULT DirectDrawCreate(DirectDraw** directDraw) {
    HeadlessLogCall("DirectDrawCreate");
    if (HeadlessFails(FAIL_DIRECTDRAW)) return DDERR_GENERIC;
    *directDraw = &theDirectDraw;
    return DD_OK;
}

HRESULT SetCooperativeLevel(DirectDraw*, HWND window, uint32_t) {
    HeadlessLogCall("SetCooperativeLevel");
    if (HeadlessFails(FAIL_COOPERATIVE_LEVEL) || !IsWindow(window)) return DDERR_GENERIC;
    return DD_OK;
}

HRESULT SetDisplayMode(DirectDraw*, int32_t width, int32_t height, int32_t bpp) {
    HeadlessLogCall("SetDisplayMode");
    if (HeadlessFails(FAIL_DISPLAY_MODE) || width != 640 || height != 480 || bpp != 16) {
        return DDERR_GENERIC;
    }
    return DD_OK;
}

HRESULT CreatePrimarySurface(DirectDraw*, uint32_t, int32_t backBufferCount, Surface** primary) {
    HeadlessLogCall("CreatePrimarySurface");
    if (HeadlessFails(FAIL_PRIMARY_SURFACE) || backBufferCount != 1) return DDERR_GENERIC;
    HeadlessResetDisplay();
    screen = CreateOffscreenSurface(640, 480);
    back = CreateOffscreenSurface(640, 480);
    if (screen) {
        screen->attached = back;
        screen->undrawn = !drawing;
    }
    if (back) back->undrawn = !drawing;
    *primary = screen;
    return DD_OK;
}

HRESULT GetAttachedSurface(Surface* primary, uint32_t, Surface** attached) {
    HeadlessLogCall("GetAttachedSurface");
    if (HeadlessFails(FAIL_ATTACHED_SURFACE) || !primary || primary != screen) return DDERR_GENERIC;
    *attached = back;
    return DD_OK;
}

HRESULT CreateSurface(DirectDraw*, uint32_t, int32_t width, int32_t height, Surface** surface) {
    *surface = CreateOffscreenSurface(width, height);
    return *surface ? DD_OK : DDERR_GENERIC;
}

HRESULT Flip(Surface* primary, Surface*, uint32_t) {
    if (!primary || primary != screen) return DDERR_GENERIC;
    // A frame that could not be shown still counts as a frame run.
    ++flips;
    HRESULT shown = BltFast(screen, 0, 0, back, nullptr, DDBLTFAST_WAIT) == DDERR_SURFACELOST
                        ? DDERR_SURFACELOST
                        : DD_OK;
    if (flipHook) flipHook();
    return shown;
}

int ShowCursor(bool show) {
    HeadlessLogCall("ShowCursor");
    cursorCount += show ? 1 : -1;
    return cursorCount;
}

void HeadlessLoseSurfaces() {
    CommonLoseSurfaces();
}

Surface* HeadlessScreen() {
    return flips ? screen : nullptr;
}
uint32_t HeadlessFlipCount() {
    return flips;
}
void HeadlessSetDrawing(bool draw) {
    drawing = draw;
}
void HeadlessSetFlipHook(HeadlessFlipHook hook) {
    flipHook = hook;
}
bool HeadlessCursorShown() {
    return cursorCount >= 0;
}
