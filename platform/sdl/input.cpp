// Keyboard and mouse on the real display: SDL events become the window's messages, the held
// keys and the cursor position the game polls.
#include "platform/common/queue.h"
#include "platform/sdl/backend.h"
#include "platform/sdl/keymap.h"
#include "platform/sdl/recorder.h"
#include "platform/window.h"

namespace {

constexpr int kKeyCount = 256;
constexpr int32_t kScreenWidth = 640;
constexpr int32_t kScreenHeight = 480;

// How many physical keys hold each virtual key down (both Shift keys are VK_SHIFT), and the
// virtual key each physical key went down as, so that its release matches its press.
int heldCount[kKeyCount];
uint8_t downAs[SDL_NUM_SCANCODES];
POINT cursor = {0, 0};
bool inputDue = true;

void PostToWindow(uint32_t message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = CommonWindow();
    if (IsWindow(hwnd)) QueuePost(hwnd, message, wParam, lParam);
}

LPARAM CursorLParam() {
    return static_cast<LPARAM>((static_cast<uint32_t>(cursor.y) << 16) |
                               (static_cast<uint32_t>(cursor.x) & 0xFFFF));
}

void KeyDown(const SDL_KeyboardEvent& key) {
    uint16_t mod = key.keysym.mod;
    int vk = sdlinput::VirtualKeyFor(key.keysym.sym, key.keysym.scancode, mod);
    if (vk <= 0 || vk >= kKeyCount) return;
    if (!key.repeat && key.keysym.scancode < SDL_NUM_SCANCODES && !downAs[key.keysym.scancode]) {
        downAs[key.keysym.scancode] = static_cast<uint8_t>(vk);
        ++heldCount[vk];
    }
    switch (sdlinput::ActionForKey(vk, mod, key.repeat != 0)) {
        case sdlinput::KeyAction::KeyDown:
            // Repeat count 1; bit 30 says the key was already down, as for auto-repeat.
            PostToWindow(WM_KEYDOWN, static_cast<WPARAM>(vk), key.repeat ? (1 | (1 << 30)) : 1);
            break;
        case sdlinput::KeyAction::ToggleFullScreen:
            SdlToggleFullScreen();
            break;
        case sdlinput::KeyAction::Close:
            PostToWindow(WM_CLOSE, 0, 0);
            break;
        case sdlinput::KeyAction::None:
            break;
    }
}

void KeyUp(const SDL_KeyboardEvent& key) {
    if (key.keysym.scancode >= SDL_NUM_SCANCODES) return;
    uint8_t vk = downAs[key.keysym.scancode];
    downAs[key.keysym.scancode] = 0;
    if (vk && heldCount[vk] > 0) --heldCount[vk];
}

// A window position becomes the picture pixel under it.
void MoveCursor(int32_t x, int32_t y) {
    POINT p = SdlWindowToPicture(x, y);
    cursor = sdlinput::ClampCursor(p.x, p.y, kScreenWidth, kScreenHeight);
}

void MouseButton(const SDL_MouseButtonEvent& button) {
    MoveCursor(button.x, button.y);
    int vk = button.button == SDL_BUTTON_LEFT ? 1 : (button.button == SDL_BUTTON_RIGHT ? 2 : 0);
    if (!vk) return;
    if (button.state == SDL_PRESSED) {
        ++heldCount[vk];
        PostToWindow(vk == 1 ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, static_cast<WPARAM>(vk),
                     CursorLParam());
    } else if (heldCount[vk] > 0) {
        --heldCount[vk];
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
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) PostToWindow(WM_CLOSE, 0, 0);
            // A button let go in another window never comes back up here.
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) heldCount[1] = heldCount[2] = 0;
            // The picture moved under a cursor that stayed put.
            if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) SdlSyncCursor();
            break;
        case SDL_QUIT:
            PostToWindow(WM_CLOSE, 0, 0);
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
void BackendPumpEvents() {
    if (!inputDue || !SDL_WasInit(SDL_INIT_VIDEO)) return;
    inputDue = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) SdlHandleEvent(event);
}

bool GetCursorPos(POINT* point) {
    if (!point) return false;
    *point = cursor;
    RecordCursor(cursor);
    return true;
}

int16_t GetAsyncKeyState(int virtualKey) {
    if (virtualKey <= 0 || virtualKey >= kKeyCount) return 0;
    RecordKeyState(virtualKey, heldCount[virtualKey] > 0);
    return heldCount[virtualKey] > 0 ? static_cast<int16_t>(0x8000) : 0;
}
