// The screens around the game: main menu, high-score table, logo, credits, name entry.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/surface.h"
#include "platform/types.h"
#include "state/high_score_table.h"

struct MenuButton {
    int32_t x;
    int32_t y;
    int32_t hitX;
    int32_t hitY;
    int32_t tick;
    int32_t frame;
    Surface* surface;
    RECT frameRect;
    int32_t animating;

    void Init(Surface* surface, int32_t x, int32_t y);
    void SelectFrame();
    void Draw();
    void Animate();
};
extern MenuButton newGameButton;
extern MenuButton quitButton;
extern MenuButton creditsButton;
extern MenuButton highScoreButton;

// The one hot spot and hit rectangle shared by the menu frame and the click handler.
extern POINT hotSpot;
extern RECT hitRect;

void MainMenuFrame();

extern int32_t highScorePhase;

void HighScoresFrame();

struct NameEntryField {
    char name[12];
    int32_t length;
    int32_t x;
    int32_t y;
};
extern NameEntryField nameEntry;

void LogoFrame();
void CreditsFrame();
void NameEntryFrame();
