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

// Playing for the board, the seed is the board's token's (platform/web/online.js), so that
// the server replays the game the player saw; otherwise it comes from the clock.
EM_JS(double, WebBoardSeed, (),
      { return window.sidescrollerOnline ? sidescrollerOnline.seed() : -1; });

// Watching a recording, the game's clock and seed are the recording's (watch.cpp): the page's
// clock only sets the pace, and the visitor's input is not taken.
uint32_t ClockNow() {
    return Watching() ? WatchNow() : NowMs();
}

void ClockWoke() {
    if (!Watching()) TouchWoke();
}

uint32_t ClockSeed() {
    if (Watching()) return WatchSeed();
    double given = WebBoardSeed();
    return given < 0 ? NowMs() : static_cast<uint32_t>(given);
}

const ClockDriver WEB_CLOCK = {.now = ClockNow, .woke = ClockWoke, .seed = ClockSeed};

}  // namespace

extern "C" const Driver BACKEND_DRIVER = {WEB_WINDOW, WEB_DISPLAY, WEB_CLOCK, WEB_SOUND};

void WaitForWork(uint32_t wakeAt) {
    if (Watching()) {
        WatchWait();
        return;
    }
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
