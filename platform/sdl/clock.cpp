// The clock and the frame loop's wait on the real display.
#include "platform/clock.h"

#include <chrono>

#include "platform/common/queue.h"
#include "platform/sdl/backend.h"

// Milliseconds of the monotonic clock, which counts from boot like the original counter, so
// the seed differs from run to run; the cast keeps the 32-bit wrap.
uint32_t timeGetTime() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

uint32_t RandomSeedFromClock() {
    return timeGetTime();
}

void WaitForWork(uint32_t wakeAt) {
    uint32_t now = timeGetTime();
    if (!QueueEmpty()) return;
    // A timer due before the frame must wake us in time to queue its tick.
    uint32_t timerDue = NextTimerDue(now);
    if (timerDue != UINT32_MAX && static_cast<int32_t>(timerDue - wakeAt) < 0) wakeAt = timerDue;
    int32_t wait = static_cast<int32_t>(wakeAt - now);
    if (wait <= 0) return;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Delay(static_cast<uint32_t>(wait));
        return;
    }
    // The event that ends the wait is handled here rather than put back, so that the
    // next PeekMessage finds its message.
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, wait)) SdlHandleEvent(event);
}
