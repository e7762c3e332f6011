// One window and the calls on it, over the message queue and timers of queue.cpp.
#include <cstring>

#include "platform/common/driver.h"
#include "platform/common/queue.h"

struct Window {
    WindowProc proc;
    bool alive;
};

namespace {

constexpr int MAX_CLASSES = 4;

WNDCLASS classes[MAX_CLASSES];
char classNames[MAX_CLASSES][64];
int classCount = 0;
Window theWindow;
bool windowMade = false;

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
    QueueReset();
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

bool PeekMessage(MSG* msg, HWND, uint32_t, uint32_t, uint32_t remove) {
    if (BACKEND_DRIVER.window.pump) BACKEND_DRIVER.window.pump();
    return QueueTake(msg, remove);
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
    QueueClearTimers();
    return true;
}

LRESULT DefWindowProc(HWND window, uint32_t message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) DestroyWindow(window);
    return 0;
}

uintptr_t SetTimer(HWND window, uintptr_t id, uint32_t elapseMs, void*) {
    return IsWindow(window) ? QueueSetTimer(window, id, elapseMs) : 0;
}

bool KillTimer(HWND, uintptr_t id) {
    return QueueKillTimer(id);
}
