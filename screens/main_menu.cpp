// Placeholder until the main menu lands.
#include "screens/screens.h"

MenuButton newGameButton;
MenuButton quitButton;
MenuButton creditsButton;
MenuButton highScoreButton;
POINT hotSpot;
RECT hitRect;

void MenuButton::Init(Surface* s, int32_t bx, int32_t by) {
    surface = s;
    x = hitX = bx;
    y = hitY = by;
    tick = frame = animating = 0;
}
void MenuButton::SelectFrame() {}
void MenuButton::Draw() {}
void MenuButton::Animate() {}
void MainMenuFrame() {}
