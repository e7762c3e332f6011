// The page holds the game while the device stands upright or the page is in the background
// (touch.js says when). The frame loop's wait then lasts until the page lets go, so no frame
// is drawn and no timer ticks, and the held time is taken off the game's clock: the round
// goes on with the seconds it had.
#include <emscripten.h>

#include "platform/web/backend.h"

namespace {

double heldTotal = 0;

EM_JS(int, WebPageHolds, (),
      { return window.sidescrollerTouch && sidescrollerTouch.holds() ? 1 : 0; });
// Resolves when the page lets go; the stack waits aside meanwhile (ASYNCIFY).
EM_ASYNC_JS(double, WebHeldFor, (), { return await sidescrollerTouch.whenLetGo(); });

}  // namespace

void WebWaitWhileHeld() {
    if (WebPageHolds()) heldTotal += WebHeldFor();
}

uint32_t WebHeldMs() {
    return static_cast<uint32_t>(static_cast<uint64_t>(heldTotal));
}
