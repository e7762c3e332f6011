// The clock and the frame loop's wait on the real display. The game's clock moves when the
// game wakes from a wait, and input is taken in at the same moment: between two waits the
// game sees one clock value and one state of the keys and the cursor, as a replay does,
// so that a recorded play-through plays back exactly.
#include "platform/clock.h"

#include <chrono>

#include "platform/common/queue.h"
#include "platform/sdl/backend.h"
#include "platform/sdl/recorder.h"

namespace {

uint32_t gameClock = 0;
bool clockStarted = false;

// Milliseconds of the monotonic clock, which counts from boot like the original counter, so
// the seed differs from run to run; the cast keeps the 32-bit wrap.
uint32_t SteadyMs() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace

uint32_t timeGetTime() {
    if (!clockStarted) {
        gameClock = SteadyMs();
        clockStarted = true;
        RecordStart(gameClock);
    }
    return gameClock;
}

uint32_t RandomSeedFromClock() {
    uint32_t seed = SteadyMs();
    RecordSeed(seed);
    return seed;
}

void WaitForWork(uint32_t wakeAt) {
    uint32_t now = SteadyMs();
    SDL_Event event;
    bool woken = false;
    if (QueueEmpty()) {
        // A timer due before the frame must wake us in time to queue its tick.
        uint32_t timerDue = NextTimerDue(timeGetTime());
        if (timerDue != UINT32_MAX && static_cast<int32_t>(timerDue - wakeAt) < 0)
            wakeAt = timerDue;
        int32_t wait = static_cast<int32_t>(wakeAt - now);
        if (wait > 0 && !SDL_WasInit(SDL_INIT_VIDEO)) SDL_Delay(static_cast<uint32_t>(wait));
        if (wait > 0 && SDL_WasInit(SDL_INIT_VIDEO)) woken = SDL_WaitEventTimeout(&event, wait);
    }
    gameClock = SteadyMs();
    clockStarted = true;
    RecordWake(gameClock);
    SdlTakeInput();
    // The event that ended the wait is handled here rather than put back.
    if (woken) SdlHandleEvent(event);
}
