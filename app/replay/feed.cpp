// The held keys and the cursor are set and the messages posted through the calls every
// backend shares, so a recording drives the game alike wherever it is played.
#include "app/replay/feed.h"

#include "platform/common/input.h"
#include "platform/common/queue.h"

namespace {

void Post(uint32_t message, WPARAM wParam) {
    QueuePost(CommonWindow(), message, wParam, 0);
}

}  // namespace

bool IsInputCommand(CommandKind kind) {
    switch (kind) {
        case CommandKind::Move:
        case CommandKind::Key:
        case CommandKind::Down:
        case CommandKind::Up:
        case CommandKind::Click:
        case CommandKind::Close:
        case CommandKind::Hold:
        case CommandKind::Release:
            return true;
        default:
            return false;
    }
}

void FeedInput(const ScriptCommand& c) {
    int key = static_cast<int>(c.a);
    switch (c.kind) {
        case CommandKind::Move:
            InputSetCursor(POINT{static_cast<int32_t>(c.a), static_cast<int32_t>(c.b)});
            break;
        case CommandKind::Key:
            Post(WM_KEYDOWN, static_cast<WPARAM>(key));
            break;
        case CommandKind::Down:
            InputSetHeld(key, true);
            Post(WM_KEYDOWN, static_cast<WPARAM>(key));
            break;
        case CommandKind::Up:
            InputSetHeld(key, false);
            Post(WM_KEYUP, static_cast<WPARAM>(key));
            break;
        case CommandKind::Click:
            Post(c.a ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, 0);
            Post(c.a ? WM_RBUTTONUP : WM_LBUTTONUP, 0);
            break;
        case CommandKind::Close:
            if (IsWindow(CommonWindow())) Post(WM_CLOSE, 0);
            break;
        // Every caller feeds only what IsInputCommand names, so the rest never comes here.
        case CommandKind::Hold:
        case CommandKind::Release:
        default:
            InputSetHeld(key, c.kind == CommandKind::Hold);
            break;
    }
}
