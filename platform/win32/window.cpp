// The game's clock and input on Windows. From one waking to the next the game sees one clock
// value, one cursor and one state of each key, and takes the input that arrived before the
// waking, in the order it came, then the ticks of its timers: as a replay gives them, so that
// what the recorder writes plays back to the same game. The clock, the queue and the timers
// are the ones every system shares (platform/common/clock.cpp and queue.cpp); the system's
// own clock, message queue, cursor and keys feed them here.
#include "platform/window.h"

#include "platform/clock.h"
#include "platform/common/driver.h"
#include "platform/common/queue.h"
#include "platform/common/recorder.h"

namespace {

constexpr int KEY_COUNT = 256;
constexpr LONG SCREEN_RIGHT = DISPLAY_WIDTH - 1;
constexpr LONG SCREEN_BOTTOM = DISPLAY_HEIGHT - 1;
// More than a waking ever brings; a window that keeps making messages cannot hold the game.
constexpr int MESSAGES_PER_WAKING = 4096;

uint32_t waking = 1;  // counts the wakings, so that a read knows whether it is the first
uint32_t keyReadAt[KEY_COUNT];
bool keyHeld[KEY_COUNT];
uint32_t cursorReadAt = 0;
POINT cursor = {0, 0};  // where a replay's cursor starts

uint32_t SystemClock() {
    return (timeGetTime)();
}

// The input a recording holds is queued for the game (dropped when the queue is full, as on
// every system); everything else is the system's business and goes to the window at once,
// as a replay's queue never holds it either.
bool GameInput(const MSG& msg) {
    return msg.hwnd && (msg.message == WM_KEYDOWN || msg.message == WM_LBUTTONDOWN ||
                        msg.message == WM_RBUTTONDOWN || msg.message == WM_CLOSE);
}

void Woke() {
    waking++;
    MSG msg;
    for (int n = 0; n < MESSAGES_PER_WAKING && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); n++) {
        if (GameInput(msg)) {
            QueuePost(msg.hwnd, msg.message, msg.wParam, msg.lParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

LONG Clamp(LONG value, LONG high) {
    return value < 0 ? 0 : (value > high ? high : value);
}

const ClockDriver SYSTEM_CLOCK = {.now = SystemClock, .woke = Woke, .seed = nullptr};
// The window, the display and the sound are the system's own: nothing of them is emulated.
const WindowDriver SYSTEM_WINDOW = {};
const DisplayDriver SYSTEM_DISPLAY = {};
const SoundDriver SYSTEM_SOUND = {};

}  // namespace

extern "C" const Driver BACKEND_DRIVER = {SYSTEM_WINDOW, SYSTEM_DISPLAY, SYSTEM_CLOCK,
                                          SYSTEM_SOUND};

// Until input arrives, a timer is due, or the frame's time.
void WaitForWork(uint32_t wakeAt) {
    int32_t ms = CommonSleepMs(wakeAt);
    if (ms > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT);
    CommonWake();
}

BOOL MomentPeekMessage(MSG* msg, HWND, UINT, UINT, UINT remove) {
    return QueueTake(msg, remove);
}

UINT_PTR MomentSetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC) {
    return IsWindow(window) ? QueueSetTimer(window, id, elapseMs) : 0;
}

BOOL MomentKillTimer(HWND, UINT_PTR id) {
    return QueueKillTimer(id);
}

// Held inside the screen, as a replay's cursor is. A query that fails (another desktop has
// the input) leaves the cursor where it was.
BOOL MomentCursorPos(POINT* point) {
    if (!point) return FALSE;
    POINT now;
    if (cursorReadAt != waking && (GetCursorPos)(&now)) {
        cursor = POINT{Clamp(now.x, SCREEN_RIGHT), Clamp(now.y, SCREEN_BOTTOM)};
    }
    cursorReadAt = waking;
    *point = cursor;
    RecordCursor(cursor);
    return TRUE;
}

SHORT MomentKeyState(int virtualKey) {
    if (virtualKey <= 0 || virtualKey >= KEY_COUNT) return 0;
    if (keyReadAt[virtualKey] != waking) {
        SHORT state = (GetAsyncKeyState)(virtualKey);
        keyHeld[virtualKey] = (state & 0x8000) != 0;
        keyReadAt[virtualKey] = waking;
    }
    RecordKeyState(virtualKey, keyHeld[virtualKey]);
    return keyHeld[virtualKey] ? static_cast<SHORT>(0x8000) : 0;
}
