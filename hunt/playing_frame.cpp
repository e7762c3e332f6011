// Placeholder until the hunt lands.
#include "hunt/hunt.h"

int32_t scrollX;
int32_t score;
int32_t secondsLeft;
int32_t shotsLeft;
POINT cursorPos;
Bird smallBirds[2];
Bird bigBirds[4];
Plane plane;
Para para;
ScorePopup popups[POPUP_SLOTS];

void ReadCursorAndScroll() {}
void PlayingFrame() {}
void ResetGame() {}
void FireShot() {}
