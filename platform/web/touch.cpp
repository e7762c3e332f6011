// A touch screen works the game as the mouse and the keys do: the page's touch layer
// (touch.js) tells the game where a finger is and what it did, and this turns that into the
// cursor and the messages a mouse and keys would send, so the game and its recording see
// nothing new.
#include <emscripten.h>

#include "platform/common/input.h"
#include "platform/web/backend.h"
#include "state/game_state.h"

namespace {

// The hot spot of the game's sight lies this far right of and below the cursor: a finger
// aims with the hot spot, not with the sprite's corner, which the finger would hide.
constexpr int32_t HOT_SPOT = 25;
constexpr int32_t RIGHT_EDGE_ZONE = 590;  // where the game scrolls right

bool shotWaiting = false;
bool shotAimed = false;  // a frame has read the cursor since the tap
int8_t shotOn = 0;       // the screen the shot was tapped on

// The end-game control holds Escape: the key message saves the score, and the game frame
// that finds Escape held goes to the menu. A quick tap may be over before any frame ran,
// so the key is let go only at a waking after a frame has read it.
bool escapeHeld = false;
bool escapeLetGo = false;
bool escapeRead = false;

}  // namespace

extern "C" {

// Pressed and let go: Escape, held at least until a frame has seen it. Only in a game,
// where Escape ends it; on the name-entry screen it would be typed.
EMSCRIPTEN_KEEPALIVE void WebTouchEndGame(int down) {
    if (down && !escapeHeld && GameState == Playing) {
        escapeHeld = true;
        escapeLetGo = false;
        escapeRead = false;
        WebControlKey(VK_ESCAPE, true);
    } else if (!down && escapeHeld) {
        escapeLetGo = true;
    }
}

// Which screen is shown, so that the page knows what a tap on it means.
EMSCRIPTEN_KEEPALIVE int WebTouchScreen() {
    return GameState;
}

EMSCRIPTEN_KEEPALIVE void WebTouchAim(double clientX, double clientY) {
    POINT finger = WebPictureAt(clientX, clientY);
    InputSetCursor(POINT{finger.x - HOT_SPOT, finger.y - HOT_SPOT});
}

// The game shoots at the cursor its last frame read, so a tap's shot is sent only once a
// frame has read the cursor the finger set, at the next waking, so that a replay of the
// recording, which takes the input of one waking before its frame, shoots there too. On
// another screen by then, the shot is dropped.
EMSCRIPTEN_KEEPALIVE void WebTouchShoot() {
    shotWaiting = true;
    shotAimed = false;
    shotOn = GameState;
}

// A second finger reloads; the first finger's shot, if not yet sent, is not part of a
// two-finger tap (it would empty the fresh magazine by one).
EMSCRIPTEN_KEEPALIVE void WebTouchReload() {
    shotWaiting = false;
    InputPost(WM_RBUTTONDOWN, 2, InputCursorLParam());
}

EMSCRIPTEN_KEEPALIVE void WebTouchKey(int virtualKey) {
    if (virtualKey > 0 && virtualKey < 256)
        InputPost(WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
}

// The last finger lifted: a mouse left at an edge scrolls on, a lifted finger must not, so
// a cursor in an edge zone moves one pixel in.
EMSCRIPTEN_KEEPALIVE void WebTouchLifted() {
    POINT at = InputCursor();
    if (at.x == 0) at.x = 1;
    if (at.x >= RIGHT_EDGE_ZONE) at.x = RIGHT_EDGE_ZONE - 1;
    InputSetCursor(at);
}

}  // extern "C"

void TouchCursorRead() {
    if (shotWaiting) shotAimed = true;
    if (escapeHeld) escapeRead = true;
}

void TouchWoke() {
    if (escapeHeld && escapeLetGo && escapeRead) {
        escapeHeld = false;
        WebControlKey(VK_ESCAPE, false);
    }
    if (!shotWaiting || !shotAimed) return;
    shotWaiting = false;
    if (GameState == shotOn) InputPost(WM_LBUTTONDOWN, 1, InputCursorLParam());
}
