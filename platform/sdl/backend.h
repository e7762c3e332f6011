// Shared between the files of the SDL backend only.
#pragma once

#include <SDL.h>

#include <cstdint>

// Starts SDL's video once; false, with SDL's reason on stderr, when it cannot.
bool SdlVideoReady();
// The game's window, null before CreateWindowEx made it.
SDL_Window* SdlWindow();
// The renderer the display draws with, null before SetDisplayMode made it.
SDL_Renderer* SdlRenderer();
// Between full screen and a window of its own, as Alt+Enter asks.
void SdlToggleFullScreen();
// Handles one SDL event: input becomes window messages, held keys and the cursor.
void SdlHandleEvent(const SDL_Event& event);
// Lets the next PeekMessage take in the input that waits; until then it takes none.
void SdlTakeInput();
// Takes the cursor position SDL knows now, for before the first mouse event.
void SdlSyncCursor();
