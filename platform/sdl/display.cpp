// The display on the real screen: the game draws into software surfaces, and Flip hands the
// back buffer to one streaming texture that SDL scales to the window with the aspect kept.
#include "platform/display.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/common/queue.h"
#include "platform/sdl/backend.h"
#include "platform/sdl/recorder.h"

struct DirectDraw {
    int unused;
};

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

DirectDraw theDirectDraw;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
Surface* screen = nullptr;
Surface* back = nullptr;
int cursorCount = 0;

HRESULT Complain(const char* what) {
    std::fprintf(stderr, "Sidescroller: %s: %s\n", what, SDL_GetError());
    return DDERR_GENERIC;
}

void Present(Surface* picture) {
    SurfaceLock lock;
    if (Lock(picture, &lock) != DD_OK) return;
    SDL_UpdateTexture(texture, nullptr, lock.bits, lock.pitch);
    Unlock(picture);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
}

}  // namespace

SDL_Renderer* SdlRenderer() {
    return renderer;
}

HRESULT DirectDrawCreate(DirectDraw** directDraw) {
    if (!directDraw) return DDERR_INVALIDPARAMS;
    if (!SdlVideoReady()) return DDERR_GENERIC;
    *directDraw = &theDirectDraw;
    return DD_OK;
}

namespace {

SDL_Renderer* CreateSoftwareRenderer(SDL_Window* window) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_Renderer* software = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    return software ? software : SDL_CreateRenderer(window, -1, 0);
}

// On a screen of the picture's own size nothing is scaled, and SDL's software renderer
// copies straight into the window for less than starting a GPU driver would cost, even
// one that rasterizes on the CPU. Scaling is where a GPU driver is cheaper, so it is taken
// for every other size. SDL_RENDER_DRIVER is always respected.
SDL_Renderer* CreateRenderer(SDL_Window* window) {
    if (SDL_GetHint(SDL_HINT_RENDER_DRIVER)) return SDL_CreateRenderer(window, -1, 0);
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w == kWidth && h == kHeight) return CreateSoftwareRenderer(window);
    SDL_Renderer* accelerated = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    return accelerated ? accelerated : CreateSoftwareRenderer(window);
}

}  // namespace

HRESULT SetCooperativeLevel(DirectDraw* directDraw, HWND window, uint32_t flags) {
    if (directDraw != &theDirectDraw || !IsWindow(window) || !SdlWindow()) return DDERR_GENERIC;
    // The screen is the game's alone: the cursor stays in the window, so that it reaches the
    // picture's left and right edges instead of leaving for another screen.
    if (flags & DDSCL_EXCLUSIVE) SDL_SetWindowGrab(SdlWindow(), SDL_TRUE);
    return DD_OK;
}

// The desktop keeps its own mode; the 640 x 480 picture is scaled into it, letterboxed.
HRESULT SetDisplayMode(DirectDraw* directDraw, int32_t width, int32_t height, int32_t bpp) {
    if (directDraw != &theDirectDraw || !SdlWindow()) return DDERR_GENERIC;
    if (width != kWidth || height != kHeight || bpp != 16) return DDERR_INVALIDPARAMS;
    if (!renderer) renderer = CreateRenderer(SdlWindow());
    if (!renderer) return Complain("cannot create a renderer");
    if (SDL_RenderSetLogicalSize(renderer, width, height) != 0) {
        return Complain("cannot scale the picture");
    }
    return DD_OK;
}

HRESULT CreatePrimarySurface(DirectDraw* directDraw, uint32_t, int32_t backBufferCount,
                             Surface** primary) {
    if (directDraw != &theDirectDraw || !renderer || !primary) return DDERR_GENERIC;
    if (backBufferCount != 1) return DDERR_INVALIDPARAMS;
    if (!texture) {
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                    kWidth, kHeight);
    }
    if (!texture) return Complain("cannot create the screen texture");
    if (!screen) screen = CreateOffscreenSurface(kWidth, kHeight);
    if (!back) back = CreateOffscreenSurface(kWidth, kHeight);
    if (!screen || !back) return DDERR_GENERIC;
    *primary = screen;
    SdlSyncCursor();
    return DD_OK;
}

HRESULT GetAttachedSurface(Surface* primary, uint32_t, Surface** attached) {
    if (!primary || primary != screen || !attached) return DDERR_GENERIC;
    *attached = back;
    return DD_OK;
}

HRESULT CreateSurface(DirectDraw*, uint32_t, int32_t width, int32_t height, Surface** surface) {
    if (!surface) return DDERR_INVALIDPARAMS;
    *surface = CreateOffscreenSurface(width, height);
    return *surface ? DD_OK : DDERR_GENERIC;
}

// The primary keeps a copy of what is shown, so that reading it gives the picture on screen.
namespace {

// Taken while the program is loaded, before the entry runs.
const auto programStart = std::chrono::steady_clock::now();

// With SIDESCROLLER_TRACE_STARTUP set, says how long the first picture took to show.
void ReportFirstFrame() {
    static bool reported = false;
    if (reported || !std::getenv("SIDESCROLLER_TRACE_STARTUP")) return;
    reported = true;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - programStart);
    std::fprintf(stderr, "Sidescroller: first frame shown %lld ms after start\n",
                 static_cast<long long>(ms.count()));
}

}  // namespace

HRESULT Flip(Surface* primary, Surface* override, uint32_t) {
    if (!primary || primary != screen || !texture) return DDERR_GENERIC;
    Surface* shown = override ? override : back;
    if (shown != screen) BltFast(screen, 0, 0, shown, nullptr, DDBLTFAST_WAIT);
    Present(screen);
    RecordFrameShown();
    ReportFirstFrame();
    return DD_OK;
}

int ShowCursor(bool show) {
    cursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCount;
}
