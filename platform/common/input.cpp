// The held-key table and the cursor: what the game reads between two waits is what the
// backend's events left there, and what it reads goes into the recording.
#include "platform/common/input.h"

#include <cstring>

#include "platform/common/display_driver.h"
#include "platform/common/queue.h"
#include "platform/common/recorder.h"

namespace {

constexpr int KEY_COUNT = 256;
constexpr int LEFT_BUTTON = 1, RIGHT_BUTTON = 2;  // their virtual keys

int heldCount[KEY_COUNT];
POINT cursor = {0, 0};
void (*cursorReadHook)() = nullptr;

bool IsKey(int virtualKey) {
    return virtualKey > 0 && virtualKey < KEY_COUNT;
}

int32_t Clamp(int32_t value, int32_t high) {
    return value < 0 ? 0 : (value > high ? high : value);
}

}  // namespace

void InputPress(int virtualKey) {
    if (IsKey(virtualKey)) ++heldCount[virtualKey];
}

void InputLetGo(int virtualKey) {
    if (IsKey(virtualKey) && heldCount[virtualKey] > 0) --heldCount[virtualKey];
}

void InputSetHeld(int virtualKey, bool held) {
    if (IsKey(virtualKey)) heldCount[virtualKey] = held ? 1 : 0;
}

void InputLetGoAll() {
    std::memset(heldCount, 0, sizeof heldCount);
}

void InputLetGoButtons() {
    heldCount[LEFT_BUTTON] = heldCount[RIGHT_BUTTON] = 0;
}

void InputSetCursor(POINT at) {
    cursor = POINT{Clamp(at.x, DISPLAY_WIDTH - 1), Clamp(at.y, DISPLAY_HEIGHT - 1)};
}

POINT InputCursor() {
    return cursor;
}

LPARAM InputCursorLParam() {
    return static_cast<LPARAM>((static_cast<uint32_t>(cursor.y) << 16) |
                               (static_cast<uint32_t>(cursor.x) & 0xFFFF));
}

void InputSetCursorReadHook(void (*hook)()) {
    cursorReadHook = hook;
}

void InputPost(uint32_t message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = CommonWindow();
    if (IsWindow(hwnd)) QueuePost(hwnd, message, wParam, lParam);
}

void InputReset() {
    InputLetGoAll();
    cursor = POINT{0, 0};
}

bool GetCursorPos(POINT* point) {
    if (!point) return false;
    *point = cursor;
    RecordCursor(cursor);
    if (cursorReadHook) cursorReadHook();
    return true;
}

int16_t GetAsyncKeyState(int virtualKey) {
    if (!IsKey(virtualKey)) return 0;
    RecordKeyState(virtualKey, heldCount[virtualKey] > 0);
    return heldCount[virtualKey] > 0 ? static_cast<int16_t>(0x8000) : 0;
}
