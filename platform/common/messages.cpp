// One window, a fixed-size message queue and the window timers. Timer ticks are made when
// the queue is read, after the posted messages, and at most one per timer waits at a time,
// as the system's timers behave.
#include <cstring>

#include "platform/clock.h"
#include "platform/common/driver.h"
#include "platform/common/queue.h"

struct Window {
    WindowProc proc;
    bool alive;
};

namespace {

constexpr int QUEUE_SIZE = 1024;
constexpr int MAX_TIMERS = 16;
constexpr int MAX_CLASSES = 4;

struct Timer {
    uintptr_t id;
    uint32_t interval;
    uint32_t due;
    uint64_t order;         // when it was set, for the running list
    uint64_t pendingSince;  // 0 when no tick waits
    bool used;
};

WNDCLASS classes[MAX_CLASSES];
char classNames[MAX_CLASSES][64];
int classCount = 0;
Window theWindow;
bool windowMade = false;
MSG queue[QUEUE_SIZE];
int queueHead = 0;
int queueCount = 0;
Timer timers[MAX_TIMERS];
uint64_t timerSerial = 0;
MessageTakenHook messageTaken = nullptr;

// Signed distance on the wrapping clock, so that due times work across the wrap.
bool Reached(uint32_t now, uint32_t due) {
    return static_cast<int32_t>(now - due) >= 0;
}

WindowProc ClassProc(const char* className) {
    for (int i = 0; i < classCount; ++i) {
        if (className && std::strcmp(classNames[i], className) == 0) return classes[i].lpfnWndProc;
    }
    return nullptr;
}

}  // namespace

HWND CommonWindow() {
    return windowMade ? &theWindow : nullptr;
}

void MarkWindowDestroyed() {
    theWindow.alive = false;
}

void CommonResetWindowState() {
    classCount = 0;
    theWindow = Window{};
    windowMade = false;
    queueHead = queueCount = 0;
    for (Timer& t : timers) t = Timer{};
    timerSerial = 0;
}

bool RegisterClass(const WNDCLASS* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || classCount == MAX_CLASSES) return false;
    if (ClassProc(windowClass->lpszClassName)) return false;
    classes[classCount] = *windowClass;
    std::strncpy(classNames[classCount], windowClass->lpszClassName, sizeof classNames[0] - 1);
    ++classCount;
    return true;
}

HWND CreateWindowEx(uint32_t, const char* className, const char* title, uint32_t, int32_t x,
                    int32_t y, int32_t width, int32_t height, HWND, void*, HINSTANCE, void*) {
    const Driver& driver = BACKEND_DRIVER;
    if (!driver.display.allows(DisplayStep::Window)) return nullptr;
    WindowProc proc = ClassProc(className);
    if (!proc) return nullptr;
    if (driver.window.create && !driver.window.create(title ? title : "", x, y, width, height)) {
        return nullptr;
    }
    theWindow = Window{proc, true};
    windowMade = true;
    return &theWindow;
}

bool ShowWindow(HWND window, int) {
    const WindowDriver& driver = BACKEND_DRIVER.window;
    if (!BACKEND_DRIVER.display.allows(DisplayStep::Show) || !IsWindow(window)) return false;
    if (driver.show) driver.show();
    return true;
}

bool UpdateWindow(HWND window) {
    return BACKEND_DRIVER.display.allows(DisplayStep::Update) && IsWindow(window);
}

// Without a desktop of its own, the screen is the picture the game knows.
int32_t GetSystemMetrics(int index) {
    int32_t width = DISPLAY_WIDTH, height = DISPLAY_HEIGHT;
    const WindowDriver& driver = BACKEND_DRIVER.window;
    if (driver.desktop && !driver.desktop(&width, &height)) return 0;
    if (index == SM_CXSCREEN) return width;
    return index == SM_CYSCREEN ? height : 0;
}

// One program, one module: any non-null handle will do.
HINSTANCE GetModuleHandle(const char*) {
    static char module;
    return reinterpret_cast<HINSTANCE>(&module);
}

bool IsWindow(HWND window) {
    return window && window == &theWindow && theWindow.alive;
}

bool QueuePost(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (queueCount == QUEUE_SIZE) return false;
    queue[(queueHead + queueCount) % QUEUE_SIZE] =
        MSG{window, message, wParam, lParam, timeGetTime()};
    ++queueCount;
    return true;
}

bool QueueEmpty() {
    if (queueCount > 0) return false;
    for (const Timer& t : timers) {
        if (t.used && t.pendingSince) return false;
    }
    return true;
}

void QueueDueTimers(uint32_t now) {
    for (Timer& t : timers) {
        if (!t.used || !Reached(now, t.due)) continue;
        if (!t.pendingSince) t.pendingSince = ++timerSerial;
        // Ticks missed while the program was busy are not made up.
        while (Reached(now, t.due)) t.due += t.interval ? t.interval : 1;
    }
}

uint32_t NextTimerDue(uint32_t now) {
    uint32_t best = UINT32_MAX;
    uint32_t bestDistance = UINT32_MAX;
    for (const Timer& t : timers) {
        if (!t.used) continue;
        uint32_t distance = Reached(now, t.due) ? 0 : t.due - now;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = t.due;
        }
    }
    return best;
}

bool PeekMessage(MSG* msg, HWND, uint32_t, uint32_t, uint32_t remove) {
    if (BACKEND_DRIVER.window.pump) BACKEND_DRIVER.window.pump();
    QueueDueTimers(timeGetTime());
    if (queueCount > 0) {
        *msg = queue[queueHead];
        if (remove & PM_REMOVE) {
            queueHead = (queueHead + 1) % QUEUE_SIZE;
            --queueCount;
            if (messageTaken) messageTaken(*msg);
        }
        return true;
    }
    Timer* first = nullptr;
    for (Timer& t : timers) {
        if (t.used && t.pendingSince && (!first || t.pendingSince < first->pendingSince))
            first = &t;
    }
    if (!first) return false;
    *msg = MSG{CommonWindow(), WM_TIMER, first->id, 0, timeGetTime()};
    if (remove & PM_REMOVE) {
        first->pendingSince = 0;
        if (messageTaken) messageTaken(*msg);
    }
    return true;
}

void SetMessageTakenHook(MessageTakenHook hook) {
    messageTaken = hook;
}

bool TranslateMessage(const MSG*) {
    return false;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg || !IsWindow(msg->hwnd) || !msg->hwnd->proc) return 0;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

bool PostMessage(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
    return QueuePost(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    QueuePost(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

bool DestroyWindow(HWND window) {
    if (!IsWindow(window)) return false;
    WindowProc proc = window->proc;
    if (proc) proc(window, WM_DESTROY, 0, 0);
    MarkWindowDestroyed();
    for (Timer& t : timers) t = Timer{};
    return true;
}

LRESULT DefWindowProc(HWND window, uint32_t message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) DestroyWindow(window);
    return 0;
}

uintptr_t SetTimer(HWND window, uintptr_t id, uint32_t elapseMs, void*) {
    if (!IsWindow(window)) return 0;
    Timer* slot = nullptr;
    for (Timer& t : timers) {
        if (t.used && t.id == id) slot = &t;
    }
    for (Timer& t : timers) {
        if (!slot && !t.used) slot = &t;
    }
    if (!slot) return 0;
    uint64_t order = slot->used ? slot->order : ++timerSerial;
    *slot = Timer{id, elapseMs, timeGetTime() + elapseMs, order, 0, true};
    return id;
}

bool KillTimer(HWND, uintptr_t id) {
    for (Timer& t : timers) {
        if (t.used && t.id == id) {
            t = Timer{};
            return true;
        }
    }
    return false;
}

int RunningTimers(uintptr_t* ids, int capacity) {
    int count = 0;
    uint64_t last = 0;
    // Small and fixed: pick the timers in the order they were first set.
    for (int n = 0; n < MAX_TIMERS; ++n) {
        const Timer* next = nullptr;
        for (const Timer& t : timers) {
            if (t.used && t.order > last && (!next || t.order < next->order)) next = &t;
        }
        if (!next) break;
        if (count < capacity) ids[count] = next->id;
        ++count;
        last = next->order;
    }
    return count < capacity ? count : capacity;
}
