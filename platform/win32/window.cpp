// The little the game needs of Windows beyond its own calls: a wait that wakes for input or
// the next frame, and the clock as the random seed.
#include "platform/window.h"

#include "platform/clock.h"

void WaitForWork(uint32_t wakeAt) {
    int32_t left = static_cast<int32_t>(wakeAt - timeGetTime());
    if (left <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
}

uint32_t RandomSeedFromClock() {
    return timeGetTime();
}
