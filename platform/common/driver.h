// A backend is one record of drivers, which every Windows call emulated in platform/common/
// goes through: the window and its input, the display, the clock and the sound. Each backend
// defines BACKEND_DRIVER beside WaitForWork, the one Windows-named call it makes itself (the
// browser's sleep works only through direct calls). Common code is linked after the backend,
// so a backend library asks the linker for the record by its plain name (--undefined).
#pragma once

#include <cstdint>

#include "platform/common/clock_driver.h"
#include "platform/common/display_driver.h"
#include "platform/common/sound_driver.h"

struct WindowDriver {
    // Makes the backend's window for the game's full-screen one; false when it cannot. May be
    // null: there is nothing to make.
    bool (*create)(const char* title, int32_t x, int32_t y, int32_t width, int32_t height);
    // Shows the window and brings it to the front; may be null.
    void (*show)();
    // The desktop's size, false when it cannot be known; null where the screen is the picture.
    bool (*desktop)(int32_t* width, int32_t* height);
    // Moves the system's pending input into the queue; null where input arrives by callbacks.
    void (*pump)();
};

struct Driver {
    const WindowDriver& window;
    const DisplayDriver& display;
    const ClockDriver& clock;
    const SoundDriver& sound;
};

extern "C" const Driver BACKEND_DRIVER;
