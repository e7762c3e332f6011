// The game's own random numbers: the additive feedback generator of the C library on Linux
// (degree 31, separation 3), kept here so that no library's use of rand() moves the game's
// draws, and so that a seed plays the same on every platform.
#pragma once

#include <cstdint>

// Starts the sequence afresh, as srand() does; seed 0 is taken as 1.
void SeedGameRandom(uint32_t seed);
// The next draw, 0 to 2147483647.
int32_t GameRandom();
