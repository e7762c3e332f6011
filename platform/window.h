// The one window, its message queue and timers, and the input queries. Messages and
// virtual-key codes keep their original numeric values; Windows has them all itself.
#pragma once

#include <cstdint>

#include "platform/types.h"

#ifdef _WIN32
#include "platform/win32/system.h"
#else
struct Window;
using HWND = Window*;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using WindowProc = LRESULT (*)(HWND, uint32_t, WPARAM, LPARAM);

constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;

constexpr uint32_t PM_NOREMOVE = 0;
constexpr uint32_t PM_REMOVE = 1;

constexpr uint32_t CS_VREDRAW = 1;
constexpr uint32_t CS_HREDRAW = 2;
constexpr uint32_t WS_EX_TOPMOST = 8;
constexpr uint32_t WS_POPUP = 0x80000000u;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

enum VirtualKey : int {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_PAUSE = 19,
    VK_CAPITAL = 20,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_NUMPAD0 = 96,
    VK_MULTIPLY = 106,
    VK_ADD = 107,
    VK_SEPARATOR = 108,
    VK_SUBTRACT = 109,
    VK_DECIMAL = 110,
    VK_DIVIDE = 111,
    VK_F1 = 112,
    VK_F12 = 123,
    VK_NUMLOCK = 144,
    VK_SCROLL = 145
};

struct MSG {
    HWND hwnd;
    uint32_t message;
    WPARAM wParam;
    LPARAM lParam;
    uint32_t time;
};

struct Module;
using HINSTANCE = Module*;

// Icon, cursor, background and menu have no meaning here and stay null.
struct WNDCLASS {
    uint32_t style;
    WindowProc lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    void* hIcon;
    void* hCursor;
    void* hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
};

// The program's own module; never null.
HINSTANCE GetModuleHandle(const char* moduleName);

bool RegisterClass(const WNDCLASS* windowClass);
// The full-screen window; null when it cannot be made. Parent, menu, instance and creation
// data are not used.
HWND CreateWindowEx(uint32_t exStyle, const char* className, const char* title, uint32_t style,
                    int32_t x, int32_t y, int32_t width, int32_t height, HWND parent, void* menu,
                    HINSTANCE instance, void* param);
bool ShowWindow(HWND window, int showCommand);
bool UpdateWindow(HWND window);
bool IsWindow(HWND window);
int32_t GetSystemMetrics(int index);

bool PeekMessage(MSG* msg, HWND window, uint32_t filterMin, uint32_t filterMax, uint32_t remove);
bool TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
bool PostMessage(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// The system's own handling: WM_CLOSE destroys the window, which sends WM_DESTROY.
LRESULT DefWindowProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);
bool DestroyWindow(HWND window);

// Each tick arrives as a WM_TIMER message with the id as wParam. Setting a running id
// starts it afresh.
uintptr_t SetTimer(HWND window, uintptr_t id, uint32_t elapseMs, void* timerProc);
bool KillTimer(HWND window, uintptr_t id);
// Ids of the running timers, in the order they were set; answers how many were written.
int RunningTimers(uintptr_t* ids, int capacity);

// The cursor in 640 x 480 screen pixels, clamped to the screen.
bool GetCursorPos(POINT* point);
// The high bit is set while the key is down.
int16_t GetAsyncKeyState(int virtualKey);

#endif

// Sleeps until a message may be waiting or the clock reaches wakeAt, whichever is first.
// The frame loop calls it instead of spinning.
void WaitForWork(uint32_t wakeAt);
