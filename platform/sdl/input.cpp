// Keyboard and mouse on the real display: SDL events become the window's messages, the held
// keys and the cursor position the game polls (platform/common/input.cpp).
#include "platform/common/input.h"

#include "platform/common/display_driver.h"
#include "platform/sdl/backend.h"
#include "platform/sdl/keymap.h"
#include "platform/sdl/recorder.h"
#include "platform/window.h"

namespace {

constexpr int KEY_COUNT = 256;

// The virtual key each physical key went down as, so that its release matches its press.
uint8_t downAs[SDL_NUM_SCANCODES];
bool inputDue = true;

void KeyDown(const SDL_KeyboardEvent& key) {
    uint16_t mod = key.keysym.mod;
    int vk = sdlinput::VirtualKeyFor(key.keysym.sym, key.keysym.scancode, mod);
    if (vk <= 0 || vk >= KEY_COUNT) return;
    if (!key.repeat && key.keysym.scancode < SDL_NUM_SCANCODES && !downAs[key.keysym.scancode]) {
        downAs[key.keysym.scancode] = static_cast<uint8_t>(vk);
        InputPress(vk);
    }
    switch (sdlinput::ActionForKey(vk, mod, key.repeat != 0)) {
        case sdlinput::KeyAction::KeyDown:
            // Repeat count 1; bit 30 says the key was already down, as for auto-repeat.
            InputPost(WM_KEYDOWN, static_cast<WPARAM>(vk), key.repeat ? (1 | (1 << 30)) : 1);
            break;
        case sdlinput::KeyAction::ToggleFullScreen:
            SdlToggleFullScreen();
            break;
        case sdlinput::KeyAction::Close:
            InputPost(WM_CLOSE, 0, 0);
            break;
        case sdlinput::KeyAction::None:
            break;
    }
}

void KeyUp(const SDL_KeyboardEvent& key) {
    if (key.keysym.scancode >= SDL_NUM_SCANCODES) return;
    uint8_t vk = downAs[key.keysym.scancode];
    downAs[key.keysym.scancode] = 0;
    if (vk) InputLetGo(vk);
}

// A window position becomes the picture pixel under it, held at the picture's nearest edge.
void MoveCursor(int32_t x, int32_t y) {
    InputSetCursor(SdlWindowToPicture(x, y));
}

void MouseButton(const SDL_MouseButtonEvent& button) {
    MoveCursor(button.x, button.y);
    int vk = button.button == SDL_BUTTON_LEFT ? 1 : (button.button == SDL_BUTTON_RIGHT ? 2 : 0);
    if (!vk) return;
    if (button.state == SDL_PRESSED) {
        InputPress(vk);
        InputPost(vk == 1 ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, static_cast<WPARAM>(vk),
                  InputCursorLParam());
    } else {
        InputLetGo(vk);
    }
}

}  // namespace

void SdlHandleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
            KeyDown(event.key);
            break;
        case SDL_KEYUP:
            KeyUp(event.key);
            break;
        case SDL_MOUSEMOTION:
            MoveCursor(event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            MouseButton(event.button);
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) InputPost(WM_CLOSE, 0, 0);
            // A button let go in another window never comes back up here.
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) InputLetGoButtons();
            // The picture moved under a cursor that stayed put.
            if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) SdlSyncCursor();
            break;
        case SDL_QUIT:
            InputPost(WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

void SdlSyncCursor() {
    if (!SdlWindow()) return;
    int x, y;
    SDL_GetMouseState(&x, &y);
    MoveCursor(x, y);
}

void SdlTakeInput() {
    inputDue = true;
}

// Input is taken in once after each wait, so that the game's work between two waits sees
// one state of the input, as in a replay; what arrives meanwhile ends the next wait at once.
void SdlPumpEvents() {
    if (!inputDue || !SDL_WasInit(SDL_INIT_VIDEO)) return;
    inputDue = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) SdlHandleEvent(event);
}
