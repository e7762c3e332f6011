// Shared between the files of the SDL backend only.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/common/driver.h"
#include "platform/types.h"

extern const WindowDriver SDL_WINDOW;
extern const DisplayDriver SDL_DISPLAY;
extern const SoundDriver SDL_SOUND;

// Starts SDL's video once; false, with SDL's reason on stderr, when it cannot.
bool SdlVideoReady();
// The game's window, null before CreateWindowEx made it.
SDL_Window* SdlWindow();
// The picture pixel under a window position, outside the picture too, as the display placed
// the picture in the window now.
POINT SdlWindowToPicture(int32_t x, int32_t y);
// Takes the window full screen after the first picture has been shown.
void SdlFirstPictureShown();
// Between full screen and a window of its own, as Alt+Enter asks.
void SdlToggleFullScreen();
// Handles one SDL event: input becomes window messages, held keys and the cursor.
void SdlHandleEvent(const SDL_Event& event);
// Takes in the input that waits, once after each wait (the window driver's pump).
void SdlPumpEvents();
// Lets the next PeekMessage take in the input that waits; until then it takes none.
void SdlTakeInput();
// Takes the cursor position SDL knows now, for before the first mouse event.
void SdlSyncCursor();
