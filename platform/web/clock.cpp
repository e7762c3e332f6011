// The clock driver in the browser. The wait yields to the page (the stack is put aside by
// ASYNCIFY and taken up again by a browser timer), so nothing spins and the page's input
// callbacks run meanwhile.
#include "platform/clock.h"

#include <emscripten.h>

#include "platform/web/backend.h"

namespace {

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

const ClockDriver WEB_CLOCK = {.now = NowMs, .woke = TouchWoke, .seed = nullptr};

}  // namespace

extern "C" const Driver BACKEND_DRIVER = {WEB_WINDOW, WEB_DISPLAY, WEB_CLOCK, WEB_SOUND};

void WaitForWork(uint32_t wakeAt) {
    // While the page holds the game the wait lasts, whatever the queue holds.
    WebWaitWhileHeld();
    int32_t ms = CommonSleepMs(wakeAt);
    if (ms > 0) {
        if (awakeSince > 0) awakeMs += emscripten_get_now() - awakeSince;
        ++sleeps;
        emscripten_sleep(static_cast<unsigned>(ms));
        awakeSince = emscripten_get_now();
    }
    CommonWake();
}

extern "C" EMSCRIPTEN_KEEPALIVE double WebAwakeMs() {
    return awakeMs;
}

// For the figures: how often the wait has yielded to the page.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t WebSleeps() {
    return sleeps;
}
