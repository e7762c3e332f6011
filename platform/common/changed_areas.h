// What a frame changed of the screen, for the backends that send the system only that: the SDL
// window gets its areas, the page's canvas the rectangle around them.
#pragma once

#include <cstdint>

#include "platform/types.h"

// The parts of the picture that differ between two frames, in tiles of 16 x 16 pixels: each
// run of changed tiles in a band of 16 rows is an area, lengthened by a run of the same columns
// in the bands below. Answers how many areas it wrote (at most MAX_CHANGED_AREAS; more are
// joined into the last one).
constexpr int32_t CHANGED_TILE = 16;
constexpr int32_t MAX_CHANGED_AREAS = 128;
int32_t FindChangedAreas(const uint16_t* before, const uint16_t* after, int32_t width,
                         int32_t height, RECT* areas);

// The rectangle around every changed area; empty (left == right) when nothing changed.
RECT ChangedArea(const uint16_t* before, const uint16_t* after, int32_t width, int32_t height);
