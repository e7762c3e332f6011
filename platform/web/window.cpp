// The game's window is the page's <canvas id="screen">. The page's mouse and keyboard
// become the window's messages, the held keys and the cursor the game polls, with the
// virtual-key codes the system gives (a browser's keyCode is that code for nearly every
// key). The callbacks run only while the game waits, so the game's work between two waits
// sees one state of the input, as on the real display and in a replay.
#include "platform/window.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/common/input.h"
#include "platform/web/backend.h"

namespace {

constexpr int KEY_COUNT = 256;
constexpr int SOME_KEY = 0xFF;  // a key the system has no code for
constexpr int F4 = VK_F1 + 3, F5 = VK_F1 + 4, F10 = VK_F1 + 9, F11 = VK_F1 + 10;
// The picture and the black around it, as the full-screen window natively.
constexpr const char* GAME_AREA = "#game";

// The virtual key each physical key (its keyCode at its location) went down as.
uint8_t downAs[KEY_COUNT * 4];
bool listening = false;

// Browsers agree with the system's codes but for a few keys some of them number apart.
int VirtualKeyFor(const EmscriptenKeyboardEvent& key) {
    unsigned long code = key.keyCode;
    if (code == 173) return 189;  // minus
    if (code == 59) return 186;   // semicolon
    if (code == 61) return 187;   // equals
    if (code == 0 || code >= 255) return SOME_KEY;
    return static_cast<int>(code);
}

EM_JS(void, WebToggleFullScreen, (), { sidescrollerPage.toggleFullScreen(); });

EM_BOOL KeyDown(int, const EmscriptenKeyboardEvent* key, void*) {
    int vk = VirtualKeyFor(*key);
    // The browser keeps its own keys, and the game never hears them: reload, full screen,
    // developer tools, Tab between the page's controls, Control or Command with any key
    // (zoom, find, print), Alt+F4. Control with Alt is AltGr, which types.
    bool browsers = vk == F5 || vk == F11 || vk == VK_F12 || vk == VK_TAB || key->metaKey ||
                    (key->ctrlKey && !key->altKey) || (key->altKey && vk == F4);
    if (browsers) return EM_FALSE;
    size_t physical = (key->keyCode & 0xFF) + 256 * (key->location & 3);
    if (!key->repeat && !downAs[physical]) {
        downAs[physical] = static_cast<uint8_t>(vk);
        InputPress(vk);
    }
    // Alt without Control, and F10 alone, are the system's keys; Control with Alt types.
    bool systemKey = vk == F10 || (key->altKey && !key->ctrlKey);
    if (!systemKey) {
        InputPost(WM_KEYDOWN, static_cast<WPARAM>(vk), key->repeat ? (1 | (1 << 30)) : 1);
    } else if (key->altKey && !key->repeat && vk == VK_RETURN) {
        WebToggleFullScreen();
    }
    // Every other key is the game's and scrolls nothing.
    return EM_TRUE;
}

EM_BOOL KeyUp(int, const EmscriptenKeyboardEvent* key, void*) {
    size_t physical = (key->keyCode & 0xFF) + 256 * (key->location & 3);
    uint8_t vk = downAs[physical];
    downAs[physical] = 0;
    if (vk) InputLetGo(vk);
    return EM_TRUE;
}

EM_JS(void, WebCanvasBox, (double* box), {
    var r = document.getElementById('screen').getBoundingClientRect();
    HEAPF64[box >> 3] = r.left;
    HEAPF64[(box >> 3) + 1] = r.top;
    HEAPF64[(box >> 3) + 2] = r.width;
    HEAPF64[(box >> 3) + 3] = r.height;
});

int32_t Clamp(int32_t value, int32_t high) {
    return value < 0 ? 0 : (value > high ? high : value);
}

// A page position becomes the picture pixel under it; beyond the picture it is held at the
// nearest edge, as the screen's edge holds the cursor, so that edge scrolling works in a
// window too.
bool PictureAt(double clientX, double clientY, POINT* pixel) {
    double box[4];
    WebCanvasBox(box);
    if (box[2] <= 0 || box[3] <= 0) return false;
    auto x = static_cast<int32_t>((clientX - box[0]) * DISPLAY_WIDTH / box[2]);
    auto y = static_cast<int32_t>((clientY - box[1]) * DISPLAY_HEIGHT / box[3]);
    *pixel = POINT{Clamp(x, DISPLAY_WIDTH - 1), Clamp(y, DISPLAY_HEIGHT - 1)};
    return true;
}

void MoveCursor(long clientX, long clientY) {
    POINT at;
    if (PictureAt(clientX, clientY, &at)) InputSetCursor(at);
}

// In full screen the page covers the screen, whose edges hold the pointer by themselves.
EM_BOOL MouseMove(int, const EmscriptenMouseEvent* mouse, void*) {
    MoveCursor(mouse->clientX, mouse->clientY);
    return EM_FALSE;
}

// A pointer that leaves the page through its left or right side stays at that edge.
EM_BOOL MouseLeave(int, const EmscriptenMouseEvent* mouse, void*) {
    double box[4];
    WebCanvasBox(box);
    POINT at = InputCursor();
    if (mouse->clientX <= box[0] + 1) at.x = 0;
    if (mouse->clientX >= box[0] + box[2] - 2) at.x = DISPLAY_WIDTH - 1;
    InputSetCursor(at);
    return EM_FALSE;
}

EM_BOOL MouseButton(int type, const EmscriptenMouseEvent* mouse, void*) {
    int vk = mouse->button == 0 ? 1 : (mouse->button == 2 ? 2 : 0);
    if (!vk) return EM_FALSE;
    MoveCursor(mouse->clientX, mouse->clientY);
    if (type == EMSCRIPTEN_EVENT_MOUSEDOWN) {
        InputPress(vk);
        InputPost(vk == 1 ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, static_cast<WPARAM>(vk),
                  InputCursorLParam());
    } else {
        InputLetGo(vk);
    }
    return EM_TRUE;
}

// A button or key let go in another window never comes back up here.
EM_BOOL Blur(int, const EmscriptenFocusEvent*, void*) {
    InputLetGoAll();
    for (uint8_t& vk : downAs) vk = 0;
    return EM_FALSE;
}

}  // namespace

void WebControlKey(int virtualKey, bool down) {
    if (virtualKey <= 0 || virtualKey >= KEY_COUNT) return;
    if (down) {
        InputPress(virtualKey);
        InputPost(WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
    } else {
        InputLetGo(virtualKey);
    }
}

POINT WebPictureAt(double clientX, double clientY) {
    POINT pixel = InputCursor();
    PictureAt(clientX, clientY, &pixel);
    return pixel;
}

void WebStartInput() {
    // A visitor watching a recording only looks on.
    if (listening || Watching()) return;
    listening = true;
    InputSetCursorReadHook(TouchCursorRead);
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    const char* document = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    emscripten_set_keydown_callback(window, nullptr, false, KeyDown);
    emscripten_set_keyup_callback(window, nullptr, false, KeyUp);
    emscripten_set_mousemove_callback(document, nullptr, false, MouseMove);
    emscripten_set_mouseleave_callback(document, nullptr, false, MouseLeave);
    emscripten_set_mousedown_callback(GAME_AREA, nullptr, false, MouseButton);
    emscripten_set_mouseup_callback(document, nullptr, false, MouseButton);
    emscripten_set_blur_callback(window, nullptr, false, Blur);
}

// The window is the page's canvas; once it exists the page's input is the game's.
extern const WindowDriver WEB_WINDOW = {
    .create =
        [](const char*, int32_t, int32_t, int32_t, int32_t) {
            WebStartInput();
            return true;
        },
    .show = nullptr,
    .desktop = nullptr,
    .pump = nullptr,
};
