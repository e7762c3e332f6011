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

bool Allows(DisplayStep step) {
    switch (step) {
        case DisplayStep::Window:
            HeadlessLogCall("CreateWindowEx");
            return !HeadlessFails(FAIL_CREATE_WINDOW);
        case DisplayStep::Show:
            HeadlessLogCall("ShowWindow");
            return true;
        case DisplayStep::Update:
            HeadlessLogCall("UpdateWindow");
            return true;
        case DisplayStep::Create:
            HeadlessLogCall("DirectDrawCreate");
            return !HeadlessFails(FAIL_DIRECTDRAW);
        case DisplayStep::Cooperate:
            HeadlessLogCall("SetCooperativeLevel");
            return !HeadlessFails(FAIL_COOPERATIVE_LEVEL);
        case DisplayStep::Mode:
            HeadlessLogCall("SetDisplayMode");
            return !HeadlessFails(FAIL_DISPLAY_MODE);
        case DisplayStep::Primary:
            HeadlessLogCall("CreatePrimarySurface");
            if (HeadlessFails(FAIL_PRIMARY_SURFACE)) return false;
            // Every start-up begins on a new screen that has not flipped yet.
            HeadlessResetDisplay();
            return true;
        case DisplayStep::Attached:
            HeadlessLogCall("GetAttachedSurface");
            return !HeadlessFails(FAIL_ATTACHED_SURFACE);
        case DisplayStep::Cursor:
            HeadlessLogCall("ShowCursor");
            return true;
    }
    return false;
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
