// The headless backend: a clock that moves only when told, scripted input, no window on
// any screen. Tests and the replay drive it through platform/headless/headless.h.
#include "platform/headless/headless.h"

#include "platform/common/bitmap_file.h"
#include "platform/common/driver.h"
#include "platform/common/input.h"
#include "platform/common/queue.h"
#include "platform/common/sequencer.h"
#include "platform/common/surface_internal.h"
#include "platform/headless/backend.h"

namespace {

uint32_t clockMs = 0;
uint32_t seed = 1;
HeadlessIdleHook idleHook = nullptr;
uint32_t failures = 0;
const char* callLog[256];
int callCount = 0;

}  // namespace

void HeadlessLogCall(const char* name) {
    if (callCount < 256) callLog[callCount] = name;
    ++callCount;
}

int HeadlessCallLog(const char** names, int capacity) {
    int count = callCount < 256 ? callCount : 256;
    if (count > capacity) count = capacity;
    for (int i = 0; i < count; ++i) names[i] = callLog[i];
    return count;
}

void HeadlessReset() {
    clockMs = 0;
    seed = 1;
    InputReset();
    idleHook = nullptr;
    failures = 0;
    callCount = 0;
    CommonResetWindowState();
    HeadlessResetDisplay();
    PutBackSharedPixels();
    HeadlessResetSound();
}

bool HeadlessFails(uint32_t failure) {
    return (failures & failure) != 0;
}
void HeadlessSetFailures(uint32_t f) {
    failures = f;
}

void HeadlessSetClock(uint32_t ms) {
    clockMs = ms;
}
void HeadlessSetSeed(uint32_t s) {
    seed = s;
}

void HeadlessAdvance(uint32_t ms) {
    clockMs += ms;
    QueueDueTimers(clockMs);
}

void HeadlessSetCursor(int32_t x, int32_t y) {
    InputSetCursor(POINT{x, y});
}

void HeadlessSetKeyHeld(int virtualKey, bool held) {
    InputSetHeld(virtualKey, held);
}

void HeadlessQueueInput(uint32_t message, WPARAM wParam) {
    QueuePost(CommonWindow(), message, wParam, 0);
}

void HeadlessCloseWindow() {
    if (IsWindow(CommonWindow())) QueuePost(CommonWindow(), WM_CLOSE, 0, 0);
}

void HeadlessKeepPictures(bool keep) {
    KeepBitmapsLoaded(keep);
    UndoSharedPixelSets(keep);
    KeepMusicLength(keep);
}

void HeadlessOwnKeptPictures() {
    WriteSharedPixelsInPlace();
}

void HeadlessSetIdleHook(HeadlessIdleHook hook) {
    idleHook = hook;
}

namespace {

const ClockDriver HEADLESS_CLOCK = {
    .now = [] { return clockMs; },
    .woke = nullptr,
    .seed =
        [] {
            HeadlessLogCall("RandomSeedFromClock");
            return seed;
        },
};

const WindowDriver HEADLESS_WINDOW = {};

}  // namespace

extern "C" const Driver BACKEND_DRIVER = {HEADLESS_WINDOW, HEADLESS_DISPLAY, HEADLESS_CLOCK,
                                          HEADLESS_SOUND};

void WaitForWork(uint32_t wakeAt) {
    // A timer due before the frame wakes the game first; with none, the frame does.
    uint32_t timerDue = NextTimerDue(clockMs);
    if (timerDue != UINT32_MAX && static_cast<int32_t>(timerDue - wakeAt) < 0) wakeAt = timerDue;
    if (idleHook) {
        idleHook(wakeAt);
        return;
    }
    if (static_cast<int32_t>(wakeAt - clockMs) > 0) clockMs = wakeAt;
    QueueDueTimers(clockMs);
}
