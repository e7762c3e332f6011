// The message queue and timers that every backend shares. A backend feeds input into it,
// through its window driver's pump or its own callbacks; the window calls of
// platform/window.h are built on it (messages.cpp), and on Windows the game's queue and
// timers are (platform/win32/window.cpp), while the window stays the system's.
#pragma once

#include <cstdint>

#include "platform/window.h"

// The emulated window of messages.cpp.
HWND CommonWindow();
void MarkWindowDestroyed();
// Forgets the window, the class, the queue and the timers.
void CommonResetWindowState();

// Empties the queue and stops every timer.
void QueueReset();

// Posts a message; false when the queue is full (the message is then dropped).
bool QueuePost(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);
// Marks every timer that has come due by now; each gives one WM_TIMER.
void QueueDueTimers(uint32_t now);
// The clock time at which the next timer comes due, or UINT32_MAX when none runs.
uint32_t NextTimerDue(uint32_t now);
bool QueueEmpty();
// PeekMessage on the queue: the posted messages first, then a tick of a timer come due by
// the game's clock; with PM_REMOVE it is taken out, and the hook below hears of it.
bool QueueTake(MSG* msg, uint32_t remove);

// A timer of the window that ticks every elapseMs from now; setting a running id starts it
// afresh. Answers the id, or 0 when every timer is in use.
uintptr_t QueueSetTimer(HWND window, uintptr_t id, uint32_t elapseMs);
bool QueueKillTimer(uintptr_t id);
void QueueClearTimers();
// Ids of the running timers, in the order they were set; answers how many were written.
int RunningTimers(uintptr_t* ids, int capacity);

// Called with every message PeekMessage hands out and removes; the recorder listens here.
using MessageTakenHook = void (*)(const MSG& msg);
void SetMessageTakenHook(MessageTakenHook hook);
