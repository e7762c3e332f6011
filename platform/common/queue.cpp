// The message queue and the window timers. Timer ticks are made when the queue is read,
// after the posted messages, and at most one per timer waits at a time, as the system's
// timers behave. They tick by the game's clock, so a replay makes them at the same moments.
#include "platform/common/queue.h"

#include "platform/clock.h"

namespace {

constexpr int QUEUE_SIZE = 1024;
constexpr int MAX_TIMERS = 16;

struct Timer {
    HWND window;
    uintptr_t id;
    uint32_t interval;
    uint32_t due;
    uint64_t order;         // when it was set, for the running list
    uint64_t pendingSince;  // 0 when no tick waits
    bool used;
};

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

MSG Message(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    return msg;
}

}  // namespace

void QueueReset() {
    queueHead = queueCount = 0;
    QueueClearTimers();
    timerSerial = 0;
}

bool QueuePost(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (queueCount == QUEUE_SIZE) return false;
    queue[(queueHead + queueCount) % QUEUE_SIZE] = Message(window, message, wParam, lParam);
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

bool QueueTake(MSG* msg, uint32_t remove) {
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
    *msg = Message(first->window, WM_TIMER, first->id, 0);
    if (remove & PM_REMOVE) {
        first->pendingSince = 0;
        if (messageTaken) messageTaken(*msg);
    }
    return true;
}

void SetMessageTakenHook(MessageTakenHook hook) {
    messageTaken = hook;
}

uintptr_t QueueSetTimer(HWND window, uintptr_t id, uint32_t elapseMs) {
    Timer* slot = nullptr;
    for (Timer& t : timers) {
        if (t.used && t.id == id) slot = &t;
    }
    for (Timer& t : timers) {
        if (!slot && !t.used) slot = &t;
    }
    if (!slot) return 0;
    uint64_t order = slot->used ? slot->order : ++timerSerial;
    *slot = Timer{window, id, elapseMs, timeGetTime() + elapseMs, order, 0, true};
    return id;
}

bool QueueKillTimer(uintptr_t id) {
    for (Timer& t : timers) {
        if (t.used && t.id == id) {
            t = Timer{};
            return true;
        }
    }
    return false;
}

void QueueClearTimers() {
    for (Timer& t : timers) t = Timer{};
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
