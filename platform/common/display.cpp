// DirectDraw's calls over the display driver: the screen and its back buffer are software
// surfaces made once (platform/common/surface.cpp); Flip hands the frame to the driver.
#include "platform/common/driver.h"
#include "platform/common/surface_internal.h"

struct DirectDraw {
    const DisplayDriver* driver;
};

namespace {

DirectDraw theDirectDraw = {nullptr};
Surface* screen = nullptr;  // holds what is shown, until the flip copies the next frame in
Surface* back = nullptr;
bool exclusive = false;
int cursorCount = 0;

bool Allows(DisplayStep step) {
    return theDirectDraw.driver && theDirectDraw.driver->allows(step);
}

}  // namespace

HRESULT DirectDrawCreate(DirectDraw** directDraw) {
    theDirectDraw.driver = &BACKEND_DRIVER.display;
    if (!Allows(DisplayStep::Create)) return DDERR_GENERIC;
    if (!directDraw) return DDERR_INVALIDPARAMS;
    *directDraw = &theDirectDraw;
    return DD_OK;
}

void CommonReleaseDisplay() {
    ReleaseSurface(screen);
    ReleaseSurface(back);
    screen = back = nullptr;
    cursorCount = 0;
}

HRESULT SetCooperativeLevel(DirectDraw* directDraw, HWND window, uint32_t flags) {
    if (!Allows(DisplayStep::Cooperate)) return DDERR_GENERIC;
    if (directDraw != &theDirectDraw || !IsWindow(window)) return DDERR_GENERIC;
    exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    return DD_OK;
}

// The backend keeps its own desktop mode: only the game's one mode is there to set.
HRESULT SetDisplayMode(DirectDraw* directDraw, int32_t width, int32_t height, int32_t bpp) {
    if (!Allows(DisplayStep::Mode) || directDraw != &theDirectDraw) return DDERR_GENERIC;
    if (width != DISPLAY_WIDTH || height != DISPLAY_HEIGHT || bpp != 16) {
        return DDERR_INVALIDPARAMS;
    }
    return directDraw->driver->open(exclusive) ? DD_OK : DDERR_GENERIC;
}

HRESULT CreatePrimarySurface(DirectDraw* directDraw, uint32_t, int32_t backBufferCount,
                             Surface** primary) {
    if (!Allows(DisplayStep::Primary) || directDraw != &theDirectDraw || !primary) {
        return DDERR_GENERIC;
    }
    if (backBufferCount != 1) return DDERR_INVALIDPARAMS;
    if (!screen) screen = CreateOffscreenSurface(DISPLAY_WIDTH, DISPLAY_HEIGHT);
    if (!back) back = CreateOffscreenSurface(DISPLAY_WIDTH, DISPLAY_HEIGHT);
    if (!screen || !back) return DDERR_GENERIC;
    screen->attached = back;
    if (directDraw->driver->made) directDraw->driver->made(screen, back);
    *primary = screen;
    return DD_OK;
}

HRESULT GetAttachedSurface(Surface* primary, uint32_t, Surface** attached) {
    if (!Allows(DisplayStep::Attached) || !primary || primary != screen || !attached) {
        return DDERR_GENERIC;
    }
    *attached = back;
    return DD_OK;
}

HRESULT CreateSurface(DirectDraw*, uint32_t, int32_t width, int32_t height, Surface** surface) {
    if (!surface) return DDERR_INVALIDPARAMS;
    *surface = CreateOffscreenSurface(width, height);
    return *surface ? DD_OK : DDERR_GENERIC;
}

// A lost screen shows nothing until the game restores it (Restore takes the back buffer
// along); the game then draws every picture again.
HRESULT Flip(Surface* primary, Surface* override, uint32_t) {
    if (!primary || primary != screen) return DDERR_GENERIC;
    Surface* frame = override ? override : back;
    if (screen->lost || frame->lost) {
        theDirectDraw.driver->lost();
        return DDERR_SURFACELOST;
    }
    theDirectDraw.driver->present(screen, frame);
    return DD_OK;
}

int ShowCursor(bool show) {
    Allows(DisplayStep::Cursor);
    cursorCount += show ? 1 : -1;
    if (theDirectDraw.driver && theDirectDraw.driver->showCursor) {
        theDirectDraw.driver->showCursor(cursorCount >= 0);
    }
    return cursorCount;
}

bool CommonCursorShown() {
    return cursorCount >= 0;
}
