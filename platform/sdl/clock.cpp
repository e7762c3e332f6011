// The clock driver on the real display: the monotonic clock, and a wait that input ends.
#include "platform/clock.h"

#include <chrono>

#include "platform/sdl/backend.h"
#include "platform/sdl/recorder.h"

namespace {

SDL_Event wokenBy;  // the event that ended the last wait
bool woken = false;

// Milliseconds of the monotonic clock, which counts from boot like the original counter, so
// the seed differs from run to run; the cast keeps the 32-bit wrap.
uint32_t SteadyMs() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void Woke() {
    SdlTakeInput();
    // The event that ended the wait is handled here rather than put back.
    if (woken) SdlHandleEvent(wokenBy);
    woken = false;
}

const ClockDriver SDL_CLOCK = {.now = SteadyMs, .woke = Woke, .seed = nullptr};

}  // namespace

extern "C" const Driver BACKEND_DRIVER = {SDL_WINDOW, SDL_DISPLAY, SDL_CLOCK, SDL_SOUND};

// Until input arrives, once there is a window to send it.
void WaitForWork(uint32_t wakeAt) {
    int32_t ms = CommonSleepMs(wakeAt);
    if (ms > 0 && !SDL_WasInit(SDL_INIT_VIDEO)) SDL_Delay(static_cast<uint32_t>(ms));
    if (ms > 0 && SDL_WasInit(SDL_INIT_VIDEO)) woken = SDL_WaitEventTimeout(&wokenBy, ms);
    CommonWake();
}
