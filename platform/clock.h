// The multimedia clock: an unsigned 32-bit millisecond counter that wraps.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include "platform/win32/system.h"
#else
uint32_t timeGetTime();

#endif

// The value the game seeds its random numbers with at start-up: the clock itself on the
// real display, a scripted seed in a replay.
uint32_t RandomSeedFromClock();
