// The 640 x 480 picture in a window of any size: scaled by the largest whole number that fits,
// centred on black, so every picture pixel becomes an equal square and stays sharp. Pure
// functions over plain memory, so that they can be checked without a display.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace sdlscaler {

// Where the picture lies in a window: whole-number scale and the top-left corner, which is
// negative on a window smaller than the picture (the picture is then cropped, centred).
struct Placement {
    int32_t scale;
    int32_t x;
    int32_t y;
};

Placement PlacePicture(int32_t windowWidth, int32_t windowHeight, int32_t pictureWidth,
                       int32_t pictureHeight);

// The picture pixel under a window position, outside the picture too (the caller clamps, so
// that the cursor reaches the first and the last column from the black borders).
POINT WindowToPicture(const Placement& placement, int32_t x, int32_t y);

// Copies rows [top, bottom) and columns [left, right) of an RGB565 picture into a window
// buffer of 2 or 4 bytes a pixel, scaled as placed, each picture pixel looked up in table
// (RGB565 value to the window's pixel value). Window pixels outside the window are skipped.
struct Target {
    uint8_t* pixels;
    int32_t pitch;  // bytes per row
    int32_t width;
    int32_t height;
    int32_t bytesPerPixel;  // 2 or 4
};
void ScalePicture(const uint16_t* picture, int32_t picturePitch, RECT area,
                  const Placement& placement, const uint32_t* table, const Target& target);

}  // namespace sdlscaler
