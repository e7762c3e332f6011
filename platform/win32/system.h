// The Windows build uses the system's own declarations wherever the game calls a system
// function by its name: windows, messages, GDI, music and sound, and DirectDraw's types and
// constants. The clock and the input the game reads go through the shared clock and queue
// (below).
#pragma once

#include <cstdint>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h brings these in already; named here because the game depends on them.
#include <mmsystem.h>
// After windows.h, which it needs.
#include <ddraw.h>

// A recorded game must replay exactly, so the game sees one clock value, one cursor and one
// state of each key from one waking to the next, and takes the input that arrived before the
// waking, in the order the replay gives it: the clock, the queue and its timers are the ones
// every system shares (platform/common/clock.cpp and queue.cpp), fed by the system's own
// calls at each waking (platform/win32/window.cpp, docs/windows.md). The game calls them by
// their Windows names, which lead there; the backend reaches the system's own with the name
// in parentheses, which a macro with arguments leaves alone.
uint32_t MomentClock();
BOOL MomentPeekMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT remove);
UINT_PTR MomentSetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL MomentKillTimer(HWND window, UINT_PTR id);
BOOL MomentCursorPos(POINT* point);
SHORT MomentKeyState(int virtualKey);
#define timeGetTime() MomentClock()
#undef PeekMessage
#define PeekMessage(...) MomentPeekMessage(__VA_ARGS__)
#define SetTimer(...) MomentSetTimer(__VA_ARGS__)
#define KillTimer(...) MomentKillTimer(__VA_ARGS__)
#define GetCursorPos(...) MomentCursorPos(__VA_ARGS__)
#define GetAsyncKeyState(...) MomentKeyState(__VA_ARGS__)
