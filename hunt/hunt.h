// The hunt: one game's values, the birds, the plane and the para, shots and popups.
#pragma once

#include <cstdint>

#include "platform/surface.h"
#include "platform/types.h"

constexpr int32_t WORLD_WIDTH = 1280;
constexpr int32_t SCREEN_WIDTH = 640;
constexpr int32_t SCREEN_HEIGHT = 480;
constexpr int32_t SCROLL_STEP = 4;
constexpr int32_t CURSOR_MAX_X = 590;
constexpr int32_t CURSOR_MAX_Y = 430;
constexpr int32_t HOT_SPOT = 25;
constexpr int32_t MAGAZINE_SIZE = 8;
constexpr int32_t GAME_SECONDS = 120;

extern int32_t scrollX;
extern int32_t score;
extern int32_t secondsLeft;
extern int32_t shotsLeft;
extern POINT cursorPos;

struct Bird {
    RECT srcRect;
    RECT frameRect;
    int32_t x;
    int32_t y;
    int32_t dx;
    int32_t dy;
    Surface* image;
    int32_t frame;
    int32_t tick;
    uint8_t falling;
    uint8_t active;
    int32_t screenX;
    int32_t screenY;
    int32_t direction;
    int16_t size;  // 0 big, 1 small

    void Prepare();
    void Respawn();
    void ComputeFrameRect();
    void ClipAndDraw();
    void Advance();
    void Deactivate();
    void Hit();
};
extern Bird smallBirds[2];
extern Bird bigBirds[4];

struct Plane {
    int32_t x;
    int32_t y;
    int32_t dx;
    int32_t dy;
    int32_t screenX;
    int32_t screenY;
    uint8_t hit;
    uint8_t active;
    int32_t direction;
    RECT srcRect;
    RECT frameRect;

    void Spawn();
    void ClipAndDraw();
    void Move();
    void Clear();
    void Hit();
};
extern Plane plane;

struct Para {
    int32_t x;
    int32_t y;
    int32_t screenX;
    int32_t screenY;
    int32_t dx;
    int32_t dy;
    int32_t frame;
    int32_t tick;
    int32_t direction;
    RECT srcRect;
    RECT frameRect;
    uint8_t active;
    uint8_t hit;

    void Spawn();
    void AnimateAndDraw();
    void ComputeFrameRect();
    void Clip();
    void Move();
    void Deactivate();
    void Hit();
};
extern Para para;

struct ScorePopup {
    int32_t x;
    int32_t y;
    int32_t ttl;
    uint8_t active;
    char text[11];

    void Start(int32_t points);
    void Draw();
    void Update();
};
constexpr int POPUP_SLOTS = 10;
extern ScorePopup popups[POPUP_SLOTS];

// The cursor step shared by the game and the menu frames: read, scroll at the edges, clamp.
void ReadCursorAndScroll();

void PlayingFrame();
void ResetGame();
// Called by the window procedure right after the Escape key-down saved the score: the next
// game frame then ends the game as if Escape were still held, even when the key was released
// before it. ResetGame forgets a request that no game frame consumed.
void RequestGameEnd();
// Puts the game's score with the typed name into the high-score table and saves it.
void SaveGameScore();
// True from RequestGameEnd until the game frame that ends the game: its score is saved.
bool GameEndRequested();
void DrawBackdrop();
void DrawTreeLayer();
void UpdateObjects();
void SpawnInitialBirds();
void FireShot();
