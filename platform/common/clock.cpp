// The game's clock moves only when the game wakes; see clock_driver.h.
#include "platform/clock.h"

#include <cstdint>

#include "platform/common/driver.h"
#include "platform/common/online.h"
#include "platform/common/queue.h"
#include "platform/common/recorder.h"

namespace {

uint32_t gameClock = 0;
bool clockStarted = false;
bool seedGiven = false;
uint32_t givenSeed = 0;

}  // namespace

uint32_t timeGetTime() {
    const ClockDriver& driver = BACKEND_DRIVER.clock;
    if (!driver.woke) return driver.now();
    if (!clockStarted) {
        gameClock = driver.now();
        clockStarted = true;
        RecordStart(gameClock);
    }
    return gameClock;
}

void UseRandomSeed(uint32_t seed) {
    givenSeed = seed;
    seedGiven = true;
}

uint32_t RandomSeedFromClock() {
    const ClockDriver& driver = BACKEND_DRIVER.clock;
    uint32_t seed = seedGiven ? givenSeed : driver.seed ? driver.seed() : driver.now();
    if (driver.woke) RecordSeed(seed);
    return seed;
}

int32_t CommonSleepMs(uint32_t wakeAt) {
    if (!QueueEmpty()) return 0;
    // A timer due before the frame must wake us in time to queue its tick.
    uint32_t timerDue = NextTimerDue(timeGetTime());
    if (timerDue != UINT32_MAX && static_cast<int32_t>(timerDue - wakeAt) < 0) wakeAt = timerDue;
    return static_cast<int32_t>(wakeAt - BACKEND_DRIVER.clock.now());
}

void CommonWake() {
    const ClockDriver& driver = BACKEND_DRIVER.clock;
    gameClock = driver.now();
    clockStarted = true;
    RecordWake(gameClock);
    driver.woke();
}
