// The device context of a surface, shared by the pixel calls and the font renderer.
#pragma once

#include "platform/gdi.h"

struct DeviceContext {
    Surface* surface;
    COLORREF textColor;
    int bkMode;
    Font* font;
    bool inUse;
};
