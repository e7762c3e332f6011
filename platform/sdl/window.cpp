// The game's one window on the real display: a full-screen desktop window that Alt+Enter
// turns into an ordinary window and back.
#include "platform/window.h"

#include <csignal>
#include <cstdio>

#include "platform/sdl/backend.h"

namespace {

SDL_Window* window = nullptr;
bool fullScreen = true;
bool fullScreenPending = false;

void Complain(const char* what) {
    std::fprintf(stderr, "Sidescroller: %s: %s\n", what, SDL_GetError());
}

// The largest whole multiple of 640 x 480 that leaves room on the desktop for the frame.
void WindowedSize(int* width, int* height) {
    SDL_DisplayMode desktop;
    int scale = 1;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        while (DISPLAY_WIDTH * (scale + 1) <= desktop.w * 9 / 10 &&
               DISPLAY_HEIGHT * (scale + 1) <= desktop.h * 9 / 10) {
            ++scale;
        }
    }
    *width = DISPLAY_WIDTH * scale;
    *height = DISPLAY_HEIGHT * scale;
}

// A closed terminal hangs up: the game ends as SIGTERM ends it, through its own close,
// so that a recording is written to its end.
extern "C" void HangUp(int) {
    std::raise(SIGTERM);
}

bool Create(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!SdlVideoReady()) return false;
    // Made at the desktop's own size: a small window asked to go full screen stays small
    // on an X server without a window manager. It goes full screen once the first picture
    // shows: SDL waits up to 100 ms for a window manager to take a shown window full screen.
    window = SDL_CreateWindow(title, x, y, width, height,
                              SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE);
    if (!window) {
        Complain("cannot create the window");
        return false;
    }
    fullScreen = true;
    fullScreenPending = true;
    return true;
}

void Show() {
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
}

bool Desktop(int32_t* width, int32_t* height) {
    SDL_DisplayMode desktop;
    if (!SdlVideoReady() || SDL_GetDesktopDisplayMode(0, &desktop) != 0) return false;
    *width = desktop.w;
    *height = desktop.h;
    return true;
}

}  // namespace

extern const WindowDriver SDL_WINDOW = {Create, Show, Desktop, SdlPumpEvents};

bool SdlVideoReady() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // The close button is a message to the window, not an order to quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // Whole pixels, sharp as the 640 x 480 mode showed them, not blurred by filtering.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        Complain("cannot start SDL video");
        return false;
    }
    // SDL has taken SIGTERM and SIGINT by now; a SIGHUP ignored on purpose (nohup) stays so.
    struct sigaction hangUp;
    if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler == SIG_DFL) {
        std::signal(SIGHUP, HangUp);
    }
    // Without a reachable display SDL falls back to a driver that shows nothing, and the
    // game would play on unseen; those drivers are for whoever asks for them by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    bool unseen =
        driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
    if (unseen && !(asked && SDL_strcasestr(asked, driver))) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_SetError("no display to show the game on (is DISPLAY or WAYLAND_DISPLAY set?)");
        Complain("cannot start SDL video");
        return false;
    }
    return true;
}

SDL_Window* SdlWindow() {
    return window;
}

void SdlFirstPictureShown() {
    if (!window || !fullScreenPending) return;
    fullScreenPending = false;
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void SdlToggleFullScreen() {
    if (!window) return;
    fullScreenPending = false;
    if (fullScreen) {
        SDL_SetWindowFullscreen(window, 0);
        SDL_SetWindowBordered(window, SDL_TRUE);
        int width, height;
        WindowedSize(&width, &height);
        SDL_SetWindowSize(window, width, height);
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    } else {
        // Back to the desktop's size at (0, 0) first, for the same reason as at creation.
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
            SDL_SetWindowPosition(window, 0, 0);
            SDL_SetWindowSize(window, desktop.w, desktop.h);
        }
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    fullScreen = !fullScreen;
}
