// Placeholder until the high-score table lands.
#include "screens/screens.h"

int32_t highScorePhase;

void HighScoreTable::Clear() {}
void HighScoreTable::Load() {}
void HighScoreTable::Save() {}
void HighScoreTable::Insert(int32_t, const char*) {}
void HighScoreTable::Sort() {}
void HighScoresFrame() {}
