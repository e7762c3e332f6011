// The clock and the frame loop's wait in the browser. The wait yields to the page (the
// stack is put aside by ASYNCIFY and taken up again by a browser timer), so nothing spins
// and the page's input callbacks run meanwhile. As on the real display, the game's clock
// moves only when the game wakes, so that the recording plays back exactly.
#include "platform/clock.h"

#include <emscripten.h>

#include "platform/common/queue.h"
#include "platform/web/backend.h"

namespace {

uint32_t gameClock = 0;
bool clockStarted = false;
// The time the game spent awake, between waking and its next wait, for the figures.
double awakeSince = 0;
double awakeMs = 0;
uint32_t sleeps = 0;

// The wall clock in ms at the page's start plus the page's monotonic clock, on 32 bits with
// the wrap of the original counter: it never goes back, and differs from visit to visit.
EM_JS(double, WebNowMs, (), { return performance.timeOrigin + performance.now(); });

uint32_t NowMs() {
    return static_cast<uint32_t>(static_cast<uint64_t>(WebNowMs())) - WebHeldMs();
}

}  // namespace

uint32_t timeGetTime() {
    if (!clockStarted) {
        gameClock = NowMs();
        clockStarted = true;
        RecordStart(gameClock);
    }
    return gameClock;
}

uint32_t RandomSeedFromClock() {
    uint32_t seed = NowMs();
    RecordSeed(seed);
    return seed;
}

void WaitForWork(uint32_t wakeAt) {
    WebWaitWhileHeld();
    if (QueueEmpty()) {
        // A timer due before the frame must wake us in time to queue its tick.
        uint32_t timerDue = NextTimerDue(timeGetTime());
        if (timerDue != UINT32_MAX && static_cast<int32_t>(timerDue - wakeAt) < 0)
            wakeAt = timerDue;
        int32_t wait = static_cast<int32_t>(wakeAt - NowMs());
        if (wait > 0) {
            if (awakeSince > 0) awakeMs += emscripten_get_now() - awakeSince;
            ++sleeps;
            emscripten_sleep(static_cast<unsigned>(wait));
            awakeSince = emscripten_get_now();
        }
    }
    gameClock = NowMs();
    clockStarted = true;
    RecordWake(gameClock);
    TouchWoke();
}

extern "C" EMSCRIPTEN_KEEPALIVE double WebAwakeMs() {
    return awakeMs;
}

// For the figures: how often the wait has yielded to the page.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t WebSleeps() {
    return sleeps;
}

// The input arrived through callbacks while the game slept; there is nothing left to fetch.
void BackendPumpEvents() {}
