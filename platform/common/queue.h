// The message queue and timers that every backend shares. A backend feeds input into it,
// through its window driver's pump or its own callbacks; the window calls of
// platform/window.h are built on it.
#pragma once

#include <cstdint>

#include "platform/window.h"

HWND CommonWindow();
void MarkWindowDestroyed();
// Forgets the window, the class, the queue and the timers.
void CommonResetWindowState();

// Posts a message; false when the queue is full (the message is then dropped).
bool QueuePost(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);
// Marks every timer that has come due by now; each gives one WM_TIMER.
void QueueDueTimers(uint32_t now);
// The clock time at which the next timer comes due, or UINT32_MAX when none runs.
uint32_t NextTimerDue(uint32_t now);
bool QueueEmpty();

// Called with every message PeekMessage hands out and removes; the recorder listens here.
using MessageTakenHook = void (*)(const MSG& msg);
void SetMessageTakenHook(MessageTakenHook hook);
