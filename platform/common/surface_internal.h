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
};
