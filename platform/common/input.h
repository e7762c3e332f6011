// The held keys and the cursor the game polls (GetAsyncKeyState, GetCursorPos), kept once:
// each backend feeds them from its own events, and posts the messages those events make.
#pragma once

#include <cstdint>

#include "platform/window.h"

// A key or mouse button (VK_LBUTTON, VK_RBUTTON) goes down: one more physical key holds it,
// as both Shift keys hold VK_SHIFT. Let go, one fewer.
void InputPress(int virtualKey);
void InputLetGo(int virtualKey);
// Held outright or not at all, whatever held it.
void InputSetHeld(int virtualKey, bool held);
// Every key and button, or the mouse buttons alone, let go where this window never heard it.
void InputLetGoAll();
void InputLetGoButtons();

// The cursor, held inside the screen.
void InputSetCursor(POINT at);
POINT InputCursor();
// The cursor as a mouse message's lParam.
LPARAM InputCursorLParam();
// Told each time the game reads the cursor; may be null.
void InputSetCursorReadHook(void (*hook)());

// Posts to the game's window, if there is one.
void InputPost(uint32_t message, WPARAM wParam, LPARAM lParam);
// No key held, the cursor at (0, 0).
void InputReset();
