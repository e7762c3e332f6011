// The game frame: start-of-game values, the cursor and the scrolling view, the landscape and
// the tree, and the order in which every object of the hunt draws and moves.
#include <cstdio>
#include <cstring>

#include "display/display.h"
#include "hunt/hunt.h"
#include "hunt/random.h"
#include "platform/window.h"
#include "screens/screens.h"
#include "state/game_state.h"

int32_t scrollX;
int32_t score;
int32_t secondsLeft;
int32_t shotsLeft;
POINT cursorPos;

namespace {

constexpr int32_t MAX_SCROLL_X = WORLD_WIDTH - SCREEN_WIDTH;
constexpr int32_t PARA_CHANCE = 500;
constexpr int32_t PLANE_CHANCE = 150;
constexpr int32_t CHANCE_HIT = 2;  // "1 in N" means the draw modulo N equals 2

constexpr RECT TREE_RECT = {0, 0, 344, 402};
constexpr int32_t TREE_WORLD_X = 226;
constexpr int32_t TREE_Y = 78;

constexpr int32_t MAGAZINE_X = 600;
constexpr int32_t MAGAZINE_Y = 370;
constexpr int32_t CARTRIDGE_SPACING = 30;

constexpr int32_t CLOCK_X = 20;
constexpr int32_t CLOCK_Y = 20;
constexpr int32_t SCORE_X = 560;
constexpr int32_t SCORE_Y = 10;

constexpr uint32_t KEYED = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT;

// Set by the Escape key-down; the next game frame treats it as Escape held.
bool gameEndRequested;

bool KeyDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

void StartPlaneOrParaAtRandom() {
    if (!para.active && GameRandom() % PARA_CHANCE == CHANCE_HIT) para.Spawn();
    if (!plane.active && GameRandom() % PLANE_CHANCE == CHANCE_HIT) plane.Spawn();
}

void DrawMagazine() {
    for (int32_t k = 0; k < shotsLeft; k++) {
        BltFast(backBuffer, MAGAZINE_X - CARTRIDGE_SPACING * k, MAGAZINE_Y, assetSurfaces.ammo,
                nullptr, KEYED);
    }
}

// Applied after the picture is drawn, so the change shows from the next frame on.
void ScrollWithArrowKeys() {
    if (KeyDown(VK_RIGHT) && scrollX != MAX_SCROLL_X) scrollX += SCROLL_STEP;
    if (KeyDown(VK_LEFT) && scrollX != 0) scrollX -= SCROLL_STEP;
}

void EndGameOnEscape() {
    if (KeyDown(VK_ESCAPE) || gameEndRequested) {
        // Held before its key-down was handled (the system updates the key's state before it
        // delivers the message): the key-down would find the menu and save nothing, and the
        // game would be lost. It is saved here instead, once.
        if (!gameEndRequested) SaveGameScore();
        gameEndRequested = false;
        GameState = MainMenu;
    }
}

void DrawNumber(int32_t value, int32_t x, int32_t y) {
    char text[12];
    std::snprintf(text, sizeof text, "%i", value);
    bitmapFont.DrawBitmapText(x, y, text, static_cast<int32_t>(std::strlen(text)));
}

void StopMenuButton(MenuButton& button) {
    button.animating = 0;
    button.frame = 0;
}

}  // namespace

void SaveGameScore() {
    highScoreTable.Insert(score, nameEntry.name);
    highScoreTable.Save();
}

void RequestGameEnd() {
    gameEndRequested = true;
}

bool GameEndRequested() {
    return gameEndRequested;
}

void ReadCursorAndScroll() {
    // A failed query leaves the stored position as it was.
    GetCursorPos(&cursorPos);
    if (cursorPos.x >= CURSOR_MAX_X) {
        if (scrollX + SCREEN_WIDTH < WORLD_WIDTH) scrollX += SCROLL_STEP;
        cursorPos.x = CURSOR_MAX_X;
    }
    if (cursorPos.x == 0 && scrollX != 0) scrollX -= SCROLL_STEP;
    if (cursorPos.y >= CURSOR_MAX_Y) cursorPos.y = CURSOR_MAX_Y;
}

void DrawBackdrop() {
    // At either end one of the two rectangles is empty and the platform leaves it out.
    const RECT left = {scrollX, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    BltFast(backBuffer, 0, 0, assetSurfaces.side1, &left, DDBLTFAST_WAIT);
    const RECT right = {0, 0, scrollX, SCREEN_HEIGHT};
    BltFast(backBuffer, SCREEN_WIDTH - scrollX, 0, assetSurfaces.side2, &right, DDBLTFAST_WAIT);
}

void DrawTreeLayer() {
    RECT source = TREE_RECT;
    int32_t screenX = TREE_WORLD_X - scrollX;
    // The tree ends well inside the world, so only its left side ever needs trimming; from
    // scrollX 570 on the rectangle is empty or inverted and nothing is drawn.
    if (scrollX > TREE_WORLD_X) {
        source.left = scrollX - TREE_WORLD_X;
        screenX = 0;
    }
    BltFast(backBuffer, screenX, TREE_Y, assetSurfaces.baum, &source, KEYED);
}

void UpdateObjects() {
    for (Bird& bird : smallBirds) {
        bird.ComputeFrameRect();
        bird.ClipAndDraw();
        bird.Advance();
    }
    plane.ClipAndDraw();
    plane.Move();
    para.AnimateAndDraw();
    para.Move();
    for (Bird& bird : bigBirds) {
        bird.ComputeFrameRect();
        bird.ClipAndDraw();
        bird.Advance();
    }
}

void PlayingFrame() {
    StartPlaneOrParaAtRandom();
    ReadCursorAndScroll();
    DrawBackdrop();
    UpdateObjects();
    DrawTreeLayer();
    DrawMagazine();
    BltFast(backBuffer, cursorPos.x, cursorPos.y, assetSurfaces.cursor, nullptr, KEYED);
    ScrollWithArrowKeys();
    // The frame still completes after Escape; the frame loop then draws the menu over it.
    EndGameOnEscape();
    DrawNumber(secondsLeft, CLOCK_X, CLOCK_Y);
    DrawNumber(score, SCORE_X, SCORE_Y);
    for (ScorePopup& popup : popups) {
        if (!popup.active) continue;
        popup.Draw();
        popup.Update();
    }
}

void ResetGame() {
    // The high-score button keeps its animation on purpose.
    StopMenuButton(newGameButton);
    StopMenuButton(quitButton);
    StopMenuButton(creditsButton);
    highScorePhase = 0;
    scrollX = 0;
    secondsLeft = GAME_SECONDS;
    score = 0;
    shotsLeft = MAGAZINE_SIZE;
    SpawnInitialBirds();
    plane.Spawn();
    para.Spawn();
    for (ScorePopup& popup : popups) popup.active = 0;
    gameEndRequested = false;
}
