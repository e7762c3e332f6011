// What showing a frame in which every pixel changed costs with no game at all: the game's two
// landscape pictures, shifted by 4 pixels a frame as when they scroll, scaled into the window's
// pixels by the game's own scaler and sent to the X server through MIT-SHM, as SDL sends the
// game's window surface; 38 frames a second for ten seconds. Prints this program's CPU and the
// X server's, in percent of one core: the least a scrolled frame costs on the software path.
//   present_floor X_SERVER_PID   (from a folder holding the game's data/)
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sdl/scaler.h"

namespace {

constexpr int32_t SCREEN_WIDTH = 640, SCREEN_HEIGHT = 480, FRAMES = 380, FRAME_NS = 26'000'000;

double Seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// User and system time of a process, in seconds.
double ProcessSeconds(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i) {
        if (i >= 14) ticks += std::stod(field);
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

int Channel(uint32_t mask, uint32_t value, uint32_t top) {
    int shift = 0;
    while (mask && !(mask & 1)) mask >>= 1, ++shift;
    return static_cast<int>((value * mask / top) << shift);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: present_floor X_SERVER_PID\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display || !XShmQueryExtension(display)) {
        std::fprintf(stderr, "present_floor: no X display with MIT-SHM\n");
        return 1;
    }
    int screen = DefaultScreen(display);
    int width = DisplayWidth(display, screen), height = DisplayHeight(display, screen);
    Visual* visual = DefaultVisual(display, screen);
    Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, 0, 0);
    XMapWindow(display, window);
    GC gc = XCreateGC(display, window, 0, nullptr);

    XShmSegmentInfo shm{};
    XImage* image = XShmCreateImage(display, visual, DefaultDepth(display, screen), ZPixmap,
                                    nullptr, &shm, width, height);
    if (!image || image->bits_per_pixel != 32) {
        std::fprintf(stderr, "present_floor: wants a screen of 32 bits a pixel\n");
        return 1;
    }
    shm.shmid = shmget(IPC_PRIVATE, image->bytes_per_line * height, IPC_CREAT | 0600);
    shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
    XShmAttach(display, &shm);
    XSync(display, False);
    shmctl(shm.shmid, IPC_RMID, nullptr);

    // RGB565 to the window's pixels, each channel widened to its full range.
    std::vector<uint32_t> table(65536);
    for (uint32_t i = 0; i < table.size(); ++i) {
        table[i] = Channel(visual->red_mask, i >> 11, 31) |
                   Channel(visual->green_mask, (i >> 5) & 63, 63) |
                   Channel(visual->blue_mask, i & 31, 31);
    }
    // The two screens of landscape side by side, in the game's 16-bit pixels.
    std::vector<uint16_t> world(2 * SCREEN_WIDTH * SCREEN_HEIGHT),
        picture(SCREEN_WIDTH * SCREEN_HEIGHT);
    const char* halves[] = {"data/side1.bmp", "data/side2.bmp"};
    for (int half = 0; half < 2; ++half) {
        SDL_Surface* loaded = SDL_LoadBMP(halves[half]);
        SDL_Surface* pixels =
            loaded ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB565, 0) : nullptr;
        if (!pixels || pixels->w != SCREEN_WIDTH || pixels->h != SCREEN_HEIGHT) {
            std::fprintf(stderr, "present_floor: cannot read %s\n", halves[half]);
            return 1;
        }
        for (int32_t row = 0; row < SCREEN_HEIGHT; ++row) {
            std::memcpy(&world[(row * 2 + half) * SCREEN_WIDTH],
                        static_cast<uint8_t*>(pixels->pixels) + row * pixels->pitch,
                        SCREEN_WIDTH * 2);
        }
        SDL_FreeSurface(pixels);
        SDL_FreeSurface(loaded);
    }

    sdlscaler::Placement placement =
        sdlscaler::PlacePicture(width, height, SCREEN_WIDTH, SCREEN_HEIGHT);
    sdlscaler::Target target{reinterpret_cast<uint8_t*>(image->data), image->bytes_per_line, width,
                             height, 4};
    int32_t shownWidth = SCREEN_WIDTH * placement.scale,
            shownHeight = SCREEN_HEIGHT * placement.scale;

    const std::string server = argv[1];
    double server0 = ProcessSeconds(server), own0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (int32_t frame = 0; frame < FRAMES; ++frame) {
        int32_t scroll = frame * 4 % SCREEN_WIDTH;
        for (int32_t row = 0; row < SCREEN_HEIGHT; ++row) {
            std::copy_n(&world[row * 2 * SCREEN_WIDTH + scroll], SCREEN_WIDTH,
                        &picture[row * SCREEN_WIDTH]);
        }
        sdlscaler::ScalePicture(picture.data(), SCREEN_WIDTH * 2,
                                RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, placement, table.data(),
                                target);
        XShmPutImage(display, window, gc, image, placement.x, placement.y, placement.x, placement.y,
                     shownWidth, shownHeight, False);
        XSync(display, False);
        next.tv_nsec += FRAME_NS;
        if (next.tv_nsec >= 1'000'000'000) next.tv_nsec -= 1'000'000'000, ++next.tv_sec;
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
    double seconds = FRAMES * (FRAME_NS / 1e9);
    double own = Seconds(CLOCK_PROCESS_CPUTIME_ID) - own0;
    double xServer = ProcessSeconds(server) - server0;
    std::printf("whole frames of %dx%d on %dx%d: %.1f%% (sender %.1f + X %.1f) of one core\n",
                shownWidth, shownHeight, width, height, 100 * (own + xServer) / seconds,
                100 * own / seconds, 100 * xServer / seconds);
    XShmDetach(display, &shm);
    XCloseDisplay(display);
    return 0;
}
