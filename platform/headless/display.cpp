// The headless display: Flip copies the back buffer to the screen picture that tests and the
// replay look at.
#include "platform/common/display_driver.h"
#include "platform/common/surface_internal.h"
#include "platform/headless/backend.h"
#include "platform/headless/headless.h"

bool HeadlessFails(uint32_t failure);

namespace {

Surface* screen = nullptr;
uint32_t flips = 0;
HeadlessFlipHook flipHook = nullptr;
bool drawing = true;

// Each step by the name the call log gives it and the failure that refuses it.
struct StepCall {
    const char* name;
    uint32_t failure;
};
const StepCall STEP_CALLS[] = {
    {"CreateWindowEx", FAIL_CREATE_WINDOW},
    {"ShowWindow", FAIL_NONE},
    {"UpdateWindow", FAIL_NONE},
    {"DirectDrawCreate", FAIL_DIRECTDRAW},
    {"SetCooperativeLevel", FAIL_COOPERATIVE_LEVEL},
    {"SetDisplayMode", FAIL_DISPLAY_MODE},
    {"CreatePrimarySurface", FAIL_PRIMARY_SURFACE},
    {"GetAttachedSurface", FAIL_ATTACHED_SURFACE},
    {"ShowCursor", FAIL_NONE},
};

bool Allows(DisplayStep step) {
    const StepCall& call = STEP_CALLS[static_cast<int>(step)];
    HeadlessLogCall(call.name);
    if (HeadlessFails(call.failure)) return false;
    // Every start-up begins on a new screen that has not flipped yet.
    if (step == DisplayStep::Primary) HeadlessResetDisplay();
    return true;
}

bool Open(bool) {
    return true;
}

void Made(Surface* madeScreen, Surface* back) {
    screen = madeScreen;
    screen->undrawn = back->undrawn = !drawing;
}

// A frame that could not be shown still counts as a frame run.
void Flipped() {
    ++flips;
    if (flipHook) flipHook();
}

void Present(Surface* shown, Surface* frame) {
    BltFast(shown, 0, 0, frame, nullptr, DDBLTFAST_WAIT);
    Flipped();
}

}  // namespace

extern const DisplayDriver HEADLESS_DISPLAY = {Allows, Open, Made, Present, Flipped, nullptr};

void HeadlessResetDisplay() {
    CommonReleaseDisplay();
    screen = nullptr;
    flips = 0;
}

void HeadlessLoseSurfaces() {
    CommonLoseSurfaces();
}

Surface* HeadlessScreen() {
    return flips ? screen : nullptr;
}
uint32_t HeadlessFlipCount() {
    return flips;
}
void HeadlessSetDrawing(bool draw) {
    drawing = draw;
}
void HeadlessSetFlipHook(HeadlessFlipHook hook) {
    flipHook = hook;
}
bool HeadlessCursorShown() {
    return CommonCursorShown();
}
