// The display on the real screen: the game draws into software surfaces, and Flip scales the
// back buffer by a whole number into the middle of the window, on black. Where a GPU draws
// OpenGL, SDL's renderer does the scaling; everywhere else (no driver, or one that rasterizes
// on the CPU) the picture is scaled here straight into the window's own pixels, which SDL
// hands to the X server through shared memory, and only what the frame changed is sent.
#include <SDL_opengl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/common/changed_areas.h"
#include "platform/common/display_driver.h"
#include "platform/common/queue.h"
#include "platform/sdl/backend.h"
#include "platform/sdl/recorder.h"
#include "platform/sdl/scaler.h"

namespace {

// SDL's renderer, where a GPU draws or SDL_RENDER_DRIVER asks for it.
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;

// The software path: the window's surface as last seen, RGB565 to its pixel format, and
// whether the whole window (borders too) must be drawn and sent again.
SDL_Surface* windowSurface = nullptr;
int32_t windowSurfaceWidth = 0;
int32_t windowSurfaceHeight = 0;
uint32_t windowSurfaceFormat = 0;
uint32_t toWindowPixel[65536];
std::atomic<bool> wholeWindowStale{true};

HRESULT Complain(const char* what) {
    std::fprintf(stderr, "Sidescroller: %s: %s\n", what, SDL_GetError());
    return DDERR_GENERIC;
}

sdlscaler::Placement PlacementIn(int32_t width, int32_t height) {
    return sdlscaler::PlacePicture(width, height, DISPLAY_WIDTH, DISPLAY_HEIGHT);
}

// A window uncovered, shown again or resized has lost what was drawn in it. Called by SDL as
// events arrive, possibly on another thread.
int WatchWindow(void*, SDL_Event* event) {
    if (event->type != SDL_WINDOWEVENT) return 0;
    switch (event->window.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            wholeWindowStale = true;
            break;
        default:
            break;
    }
    return 0;
}

bool WindowSurfaceUsable(const SDL_Surface* surface) {
    int bytes = surface ? surface->format->BytesPerPixel : 0;
    return bytes == 2 || bytes == 4;
}

// Widened to 8 bits a channel exactly as SDL widens them everywhere else (the replay's
// screenshots, a renderer's texture), so that every way of showing a frame agrees.
void FillPixelTable(const SDL_PixelFormat* format) {
    static uint16_t every[65536];
    for (uint32_t pixel = 0; pixel < 65536; ++pixel) every[pixel] = static_cast<uint16_t>(pixel);
    SDL_ConvertPixels(256, 256, SDL_PIXELFORMAT_RGB565, every, 256 * 2, SDL_PIXELFORMAT_RGB888,
                      toWindowPixel, 256 * 4);
    for (uint32_t& value : toWindowPixel) {
        value = SDL_MapRGB(format, (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }
}

// The window's surface, found anew after a resize; its borders are cleared to black then.
SDL_Surface* CurrentWindowSurface() {
    SDL_Surface* surface = SDL_GetWindowSurface(SdlWindow());
    if (!WindowSurfaceUsable(surface)) return nullptr;
    if (surface != windowSurface || surface->w != windowSurfaceWidth ||
        surface->h != windowSurfaceHeight) {
        windowSurface = surface;
        windowSurfaceWidth = surface->w;
        windowSurfaceHeight = surface->h;
        wholeWindowStale = true;
    }
    if (surface->format->format != windowSurfaceFormat) {
        windowSurfaceFormat = surface->format->format;
        FillPixelTable(surface->format);
    }
    return surface;
}

// What the frame being flipped changed, in picture pixels; found before the primary takes it.
RECT changedAreas[MAX_CHANGED_AREAS];
int32_t changedAreaCount = 0;
SDL_Rect sentRects[MAX_CHANGED_AREAS];

void PresentToWindowSurface(const SurfaceLock& picture) {
    SDL_Surface* target = CurrentWindowSurface();
    if (!target) {
        // This frame's changes are lost to the window; the next one sends everything.
        wholeWindowStale = true;
        return;
    }
    bool whole = wholeWindowStale.exchange(false);
    if (whole) {
        SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        changedAreas[0] = RECT{0, 0, DISPLAY_WIDTH, DISPLAY_HEIGHT};
        changedAreaCount = 1;
    }
    sdlscaler::Placement placement = PlacementIn(target->w, target->h);
    sdlscaler::Target pixels{static_cast<uint8_t*>(target->pixels), target->pitch, target->w,
                             target->h, target->format->BytesPerPixel};
    const SDL_Rect window{0, 0, target->w, target->h};
    int sent = 0;
    for (int32_t i = 0; i < changedAreaCount; ++i) {
        const RECT& area = changedAreas[i];
        sdlscaler::ScalePicture(static_cast<const uint16_t*>(picture.bits), picture.pitch, area,
                                placement, toWindowPixel, pixels);
        int32_t s = placement.scale;
        SDL_Rect scaled{placement.x + area.left * s, placement.y + area.top * s,
                        (area.right - area.left) * s, (area.bottom - area.top) * s};
        if (SDL_IntersectRect(&scaled, &window, &sentRects[sent])) ++sent;
    }
    if (whole) {
        SDL_UpdateWindowSurface(SdlWindow());
    } else if (sent > 0) {
        SDL_UpdateWindowSurfaceRects(SdlWindow(), sentRects, sent);
    }
}

void PresentWithRenderer(const SurfaceLock& picture) {
    SDL_UpdateTexture(texture, nullptr, picture.bits, picture.pitch);
    int width = 0, height = 0;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    sdlscaler::Placement placement = PlacementIn(width, height);
    SDL_Rect shown{placement.x, placement.y, DISPLAY_WIDTH * placement.scale,
                   DISPLAY_HEIGHT * placement.scale};
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &shown);
    SDL_RenderPresent(renderer);
}

void Present(Surface* picture) {
    SurfaceLock lock;
    if (Lock(picture, &lock) != DD_OK) return;
    if (renderer) {
        PresentWithRenderer(lock);
    } else {
        PresentToWindowSurface(lock);
    }
    Unlock(picture);
}

}  // namespace

POINT SdlWindowToPicture(int32_t x, int32_t y) {
    SDL_Window* window = SdlWindow();
    if (!window) return {x, y};
    // Mouse positions are in window units, the picture is placed in pixels; on most screens
    // the two are the same.
    int width = 0, height = 0, pixelWidth = 0, pixelHeight = 0;
    SDL_GetWindowSize(window, &width, &height);
    SDL_GetWindowSizeInPixels(window, &pixelWidth, &pixelHeight);
    if (width > 0 && height > 0 && (width != pixelWidth || height != pixelHeight)) {
        x = static_cast<int32_t>(int64_t{x} * pixelWidth / width);
        y = static_cast<int32_t>(int64_t{y} * pixelHeight / height);
    }
    return sdlscaler::WindowToPicture(PlacementIn(pixelWidth, pixelHeight), x, y);
}

namespace {

// Without a render node no GPU can draw: the question below costs loading the OpenGL driver,
// 60 to 100 ms of the start, so it is asked only where the answer may be yes.
bool MayHaveGpu() {
#ifdef __linux__
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        if (entry.path().filename().string().starts_with("renderD")) return true;
    }
    return false;
#else
    return true;
#endif
}

// True when OpenGL is drawn by a GPU, not rasterized on the CPU (Mesa's llvmpipe, softpipe)
// or missing: asked of a small hidden window of its own, since the answer is only in the
// driver's name.
bool GpuDrawsOpenGl() {
    if (!MayHaveGpu()) return false;
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 32, 32, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!probe) return false;
    bool gpu = false;
    if (SDL_GLContext context = SDL_GL_CreateContext(probe)) {
        using GetString = const GLubyte*(APIENTRY*)(GLenum);
        auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const char* name =
            getString ? reinterpret_cast<const char*>(getString(GL_RENDERER)) : nullptr;
        gpu = name && !std::strstr(name, "llvmpipe") && !std::strstr(name, "softpipe") &&
              !std::strstr(name, "Software") && !std::strstr(name, "swrast");
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(probe);
    return gpu;
}

// A renderer only where it pays: where SDL_RENDER_DRIVER asks for one, or where the picture
// must be scaled and a GPU is there to do it.
bool WantsRenderer(SDL_Window* window) {
    if (SDL_GetHint(SDL_HINT_RENDER_DRIVER)) return true;
    int width = 0, height = 0;
    SDL_GetWindowSizeInPixels(window, &width, &height);
    if (PlacementIn(width, height).scale == 1) return false;
    return GpuDrawsOpenGl();
}

bool StartRenderer(SDL_Window* window) {
    renderer = SDL_CreateRenderer(window, -1, 0);
    if (!renderer) return false;
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                DISPLAY_WIDTH, DISPLAY_HEIGHT);
    if (texture) return true;
    SDL_DestroyRenderer(renderer);
    renderer = nullptr;
    return false;
}

bool StartWindowSurface() {
    // Without this SDL would back the surface with an OpenGL texture on some drivers.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!CurrentWindowSurface()) return false;
    SDL_AddEventWatch(WatchWindow, nullptr);
    return true;
}

// Taken while the program is loaded, before the entry runs.
const auto programStart = std::chrono::steady_clock::now();

int32_t FindChanges(Surface* before, Surface* after) {
    SurfaceLock was, is;
    if (Lock(before, &was) != DD_OK) return 0;
    int32_t count = 0;
    if (Lock(after, &is) == DD_OK) {
        count = FindChangedAreas(static_cast<const uint16_t*>(was.bits),
                                 static_cast<const uint16_t*>(is.bits), DISPLAY_WIDTH,
                                 DISPLAY_HEIGHT, changedAreas);
        Unlock(after);
    }
    Unlock(before);
    return count;
}

// With SIDESCROLLER_TRACE_STARTUP set, says how long the first picture took to show.
void ReportFirstFrame() {
    static bool reported = false;
    if (reported || !std::getenv("SIDESCROLLER_TRACE_STARTUP")) return;
    reported = true;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - programStart);
    std::fprintf(stderr, "Sidescroller: first frame shown %lld ms after start (%s)\n",
                 static_cast<long long>(ms.count()), renderer ? "renderer" : "window surface");
}

// The desktop keeps its own mode; the 640 x 480 picture is scaled into it, letterboxed.
bool Open(bool exclusive) {
    SDL_Window* window = SdlWindow();
    // The screen is the game's alone: the cursor stays in the window, so that it reaches the
    // picture's left and right edges instead of leaving for another screen.
    if (exclusive) SDL_SetWindowGrab(window, SDL_TRUE);
    if (renderer || windowSurface) return true;
    if (WantsRenderer(window) && StartRenderer(window)) return true;
    if (StartWindowSurface()) return true;
    // A window surface in a format of three bytes a pixel is left to SDL's renderer.
    if (StartRenderer(window)) return true;
    Complain("cannot draw into the window");
    return false;
}

bool Allows(DisplayStep step) {
    switch (step) {
        case DisplayStep::Window:
        case DisplayStep::Show:
        case DisplayStep::Update:
            return true;
        case DisplayStep::Create:
            return SdlVideoReady();
        case DisplayStep::Cooperate:
        case DisplayStep::Mode:
            return SdlWindow() != nullptr;
        case DisplayStep::Primary:
            return renderer || windowSurface;
        case DisplayStep::Attached:
        case DisplayStep::Cursor:
            return true;
    }
    return false;
}

void Made(Surface*, Surface*) {
    SdlSyncCursor();
}

// The screen keeps a copy of what is shown, so that reading it gives the picture on screen.
void PresentFrame(Surface* screen, Surface* frame) {
    if (frame != screen) {
        changedAreaCount = FindChanges(screen, frame);
        BltFast(screen, 0, 0, frame, nullptr, DDBLTFAST_WAIT);
    } else {
        changedAreaCount = 0;
    }
    Present(screen);
    RecordFrameShown();
    ReportFirstFrame();
    SdlFirstPictureShown();
}

// A lost screen is drawn whole once it is back.
void Lost() {
    wholeWindowStale = true;
}

void ShowSystemCursor(bool shown) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace

extern const DisplayDriver SDL_DISPLAY = {Allows, Open, Made, PresentFrame, Lost, ShowSystemCursor};
