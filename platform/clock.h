// The multimedia clock: an unsigned 32-bit millisecond counter that wraps.
#pragma once

#include <cstdint>

uint32_t timeGetTime();

// The value the game seeds its random numbers with at start-up: the clock itself on the
// real display, a scripted seed in a replay.
uint32_t RandomSeedFromClock();
