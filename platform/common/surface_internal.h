// The software surface both backends draw with.
#pragma once

#include <cstdint>

#include "platform/surface.h"

struct Surface {
    int32_t width;
    int32_t height;
    uint16_t* pixels;  // width * height, rows top to bottom
    bool hasColorKey;
    uint16_t colorKey;
    bool locked;
    bool lost;          // its memory went while another program had the screen
    Surface* attached;  // a flipping chain's back buffer, restored with its primary
    // What is drawn into it is never looked at (a replay that needs only the game's state):
    // every call checks and answers as ever, but its pixels are left as they are.
    bool undrawn;
};

// Every surface loses its memory, as when another program takes the screen: drawing with
// it fails until it is restored, and its pixels are gone.
void CommonLoseSurfaces();

// The pixel work of a blit and a fill, apart from their checks (pixels.cpp): a blit's
// rectangle is checked against both surfaces before it gets here.
void CopyPixels(Surface* dst, int64_t x, int64_t y, const Surface* src, const RECT& from,
                bool keyed);
void FillPixels(Surface* surface, uint16_t value);
