// The main menu: background, four animated buttons and the cursor sprite. Clicks are
// handled by the window procedure against the same hot spot and hit rectangle.
#include "display/display.h"
#include "hunt/hunt.h"
#include "screens/screens.h"

MenuButton newGameButton;
MenuButton quitButton;
MenuButton creditsButton;
MenuButton highScoreButton;
POINT hotSpot;
RECT hitRect;

namespace {

// A button sheet: pictures of 225 x 53 in two columns, 15 pictures, 4 frames each.
constexpr int32_t PICTURE_WIDTH = 225;
constexpr int32_t PICTURE_HEIGHT = 53;
constexpr int32_t SHEET_COLUMNS = 2;
constexpr int32_t PICTURE_COUNT = 15;
constexpr int32_t FRAMES_PER_PICTURE = 4;

// The hover and click area is larger than the picture drawn at the same corner.
constexpr int32_t HIT_WIDTH = 300;
constexpr int32_t HIT_HEIGHT = 70;

// In the order of the hover tests, the drawing and the click tests.
MenuButton* const menuButtons[] = {&newGameButton, &quitButton, &creditsButton, &highScoreButton};

}  // namespace

void MenuButton::Init(Surface* sheet, int32_t atX, int32_t atY) {
    surface = sheet;
    x = atX;
    y = atY;
    hitX = atX;
    hitY = atY;
    tick = 0;
    frame = 0;
    animating = 0;
}

void MenuButton::SelectFrame() {
    frameRect.left = PICTURE_WIDTH * (frame % SHEET_COLUMNS);
    frameRect.top = PICTURE_HEIGHT * (frame / SHEET_COLUMNS);
    frameRect.right = frameRect.left + PICTURE_WIDTH;
    frameRect.bottom = frameRect.top + PICTURE_HEIGHT;
}

void MenuButton::Draw() {
    SelectFrame();
    BltFast(backBuffer, x, y, surface, &frameRect, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void MenuButton::Animate() {
    if (animating == 0) return;
    tick++;
    if (tick < FRAMES_PER_PICTURE) return;
    tick = 0;
    frame++;
    if (frame < PICTURE_COUNT) return;
    frame = 0;
    animating = 0;
}

void MainMenuFrame() {
    ReadCursorAndScroll();
    hotSpot.x = cursorPos.x + HOT_SPOT;
    hotSpot.y = cursorPos.y + HOT_SPOT;

    // A hovered button starts a cycle; one already running goes on, one left alone finishes.
    for (MenuButton* button : menuButtons) {
        hitRect.left = button->hitX;
        hitRect.top = button->hitY;
        hitRect.right = button->hitX + HIT_WIDTH;
        hitRect.bottom = button->hitY + HIT_HEIGHT;
        if (PtInRect(&hitRect, hotSpot)) button->animating = 1;
    }

    BltFast(backBuffer, 0, 0, assetSurfaces.menu, nullptr, DDBLTFAST_WAIT);
    // Drawn before the step, so each picture change shows from the next frame.
    for (MenuButton* button : menuButtons) {
        button->Draw();
        button->Animate();
    }
    BltFast(backBuffer, cursorPos.x, cursorPos.y, assetSurfaces.cursor, nullptr,
            DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}
