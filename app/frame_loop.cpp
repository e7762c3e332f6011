// The frame loop: messages first, then a frame once more than 25 ms have passed.
#include "app/app.h"
#include "display/display.h"
#include "hunt/hunt.h"
#include "platform/clock.h"
#include "screens/screens.h"

uint32_t lastFrameTime;

namespace {
constexpr uint32_t FRAME_MS = 25;
}

// An unsigned difference stays right across the wrap of the 32-bit clock.
bool FrameDue(uint32_t now, uint32_t last) {
    return now - last > FRAME_MS;
}

// The state is read afresh before each test, so a frame function that changes it lets the
// next state's frame draw over it in the same frame.
void RunFrame() {
    if (GameState == Playing) PlayingFrame();
    if (GameState == MainMenu) MainMenuFrame();
    if (GameState == HighScores) HighScoresFrame();
    if (GameState == CreditsDevelopers || GameState == CreditsGreetings) CreditsFrame();
    if (GameState == Logo) LogoFrame();
    if (GameState == NameEntry) NameEntryFrame();
    // Surfaces lost while another program had the screen would stay black for the rest of
    // the run; they are restored, and the next frame draws the game again.
    if (Flip(primarySurface, nullptr, DDFLIP_WAIT) == DDERR_SURFACELOST) RestoreDisplay();
}

void RunFrameLoop() {
    MSG msg;
    for (;;) {
        if (GameState == Quit) break;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            continue;
        }
        // Closed from outside: nothing is left to draw into.
        if (!IsWindow(mainWindow)) break;
        uint32_t now = timeGetTime();
        if (!FrameDue(now, lastFrameTime)) {
            WaitForWork(lastFrameTime + FRAME_MS + 1);
            continue;
        }
        lastFrameTime = now;
        RunFrame();
    }
}
