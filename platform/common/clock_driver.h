// The game's clock and the frame loop's wait, kept once over a small clock driver. The
// game's clock moves only when the game wakes from a wait, and the backend takes in its
// input at the same moment: between two waits the game sees one clock value and one state
// of the keys and the cursor, as a replay does, so that a recorded play-through plays back
// exactly. A backend's WaitForWork sleeps itself, between CommonSleepMs and CommonWake: in
// the browser the sleep puts the stack aside, which only direct calls allow.
#pragma once

#include <cstdint>

struct ClockDriver {
    // The backend's millisecond counter: it never goes back, wraps at 32 bits like the
    // original one, and differs from run to run.
    uint32_t (*now)();
    // The game woke and sees the clock's new value until it waits again: the backend takes
    // its input in now. Null for a clock that only its owner moves (the null driver's): the
    // game reads it as it is, and the recorder hears nothing of it.
    void (*woke)();
    // The game's random seed; the counter itself when null.
    uint32_t (*seed)();
};

// How long WaitForWork may sleep, or less when input arrives: until wakeAt or a timer due
// before it, none while a message waits.
int32_t CommonSleepMs(uint32_t wakeAt);
// The game woke from WaitForWork: the clock moves.
void CommonWake();
