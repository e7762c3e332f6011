// The game's clock moves only when the game wakes; see clock_driver.h.
#include <cstdint>

#include "platform/common/clock_driver.h"
#include "platform/common/online.h"
#include "platform/common/queue.h"

namespace {

uint32_t gameClock = 0;
bool clockStarted = false;
bool seedGiven = false;
uint32_t givenSeed = 0;

}  // namespace

uint32_t CommonTimeGetTime(const ClockDriver& driver) {
    if (!clockStarted) {
        gameClock = driver.now();
        clockStarted = true;
        driver.started(gameClock);
    }
    return gameClock;
}

void UseRandomSeed(uint32_t seed) {
    givenSeed = seed;
    seedGiven = true;
}

uint32_t CommonRandomSeedFromClock(const ClockDriver& driver) {
    uint32_t seed = seedGiven ? givenSeed : driver.now();
    driver.seeded(seed);
    return seed;
}

int32_t CommonSleepMs(const ClockDriver& driver, uint32_t wakeAt) {
    if (!QueueEmpty()) return 0;
    // A timer due before the frame must wake us in time to queue its tick.
    uint32_t timerDue = NextTimerDue(CommonTimeGetTime(driver));
    if (timerDue != UINT32_MAX && static_cast<int32_t>(timerDue - wakeAt) < 0) wakeAt = timerDue;
    return static_cast<int32_t>(wakeAt - driver.now());
}

void CommonWake(const ClockDriver& driver) {
    gameClock = driver.now();
    clockStarted = true;
    driver.woke(gameClock);
}
