// Placeholder until the SDL backend lands: the game links but cannot open a window.
#include "platform/clock.h"
#include "platform/common/queue.h"
#include "platform/display.h"

struct DirectDraw {
    int unused;
};

uint32_t timeGetTime() { return 0; }
uint32_t RandomSeedFromClock() { return 0; }
void BackendPumpEvents() {}
void WaitForWork(uint32_t) {}
HWND CreateWindowEx(uint32_t, const char*, const char*, uint32_t, int32_t, int32_t, int32_t,
                    int32_t) {
    return nullptr;
}
bool ShowWindow(HWND, int) { return false; }
bool UpdateWindow(HWND) { return false; }
int32_t GetSystemMetrics(int) { return 0; }
bool GetCursorPos(POINT*) { return false; }
int16_t GetAsyncKeyState(int) { return 0; }
HRESULT DirectDrawCreate(DirectDraw**) { return DDERR_GENERIC; }
HRESULT SetCooperativeLevel(DirectDraw*, HWND, uint32_t) { return DDERR_GENERIC; }
HRESULT SetDisplayMode(DirectDraw*, int32_t, int32_t, int32_t) { return DDERR_GENERIC; }
HRESULT CreatePrimarySurface(DirectDraw*, uint32_t, int32_t, Surface**) { return DDERR_GENERIC; }
HRESULT GetAttachedSurface(Surface*, uint32_t, Surface**) { return DDERR_GENERIC; }
HRESULT CreateSurface(DirectDraw*, uint32_t, int32_t, int32_t, Surface**) { return DDERR_GENERIC; }
HRESULT Flip(Surface*, Surface*, uint32_t) { return DDERR_GENERIC; }
int ShowCursor(bool) { return 0; }
