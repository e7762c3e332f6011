// DirectDraw's display and the cursor's display count, emulated once over a small display
// driver (its backend's, platform/common/driver.h): the screen and its back buffer are
// software surfaces, and the driver only shows what the game flips.
#pragma once

#include <cstdint>

#include "platform/display.h"

// The one screen the game knows, whatever the backend scales it to.
constexpr int32_t DISPLAY_WIDTH = 640;
constexpr int32_t DISPLAY_HEIGHT = 480;

// The calls of the window and the display the driver hears of first; it may refuse each but
// ShowCursor's.
enum class DisplayStep { Window, Show, Update, Create, Cooperate, Mode, Primary, Attached, Cursor };

struct DisplayDriver {
    // Whether the call may go ahead; refused, it answers failure.
    bool (*allows)(DisplayStep step);
    // Opens the screen at DISPLAY_WIDTH x DISPLAY_HEIGHT, the game's alone when exclusive (the
    // cursor kept in it); false when it cannot be drawn to. Asked again at every start.
    bool (*open)(bool exclusive);
    // The screen and its back buffer exist, made now or kept from an earlier start; may be null.
    void (*made)(Surface* screen, Surface* back);
    // Copies the frame into the screen, which holds what is shown until then, and shows it.
    void (*present)(Surface* screen, Surface* frame);
    // A flip found the screen or the frame lost: nothing was shown.
    void (*lost)();
    // The system cursor is to be shown or hidden; may be null.
    void (*showCursor)(bool shown);
};

// The screen and the back buffer go; the next primary surface is made afresh.
void CommonReleaseDisplay();
// Whether the system cursor shows: the display count ShowCursor keeps is not negative.
bool CommonCursorShown();
