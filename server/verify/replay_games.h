// The replay itself, in whichever process runs it: the game's own code over the headless
// backend, with every finished game reported as it is entered in the table.
#pragma once

#include <cstdint>
#include <string>

#include "app/replay/script.h"

namespace verify {

// A finished game as the replay sees it: the input is every input command handed to the
// game from the first one of the game to the moment its score was entered, each as its
// kind, its values and the frame of the game it came in (not the clock of its waking).
struct ReplayedGame {
    std::string name;  // up to the first zero byte
    int32_t score = 0;
    std::string input;
};

// Called at each finished game; false stops the replay at once (it never returns then).
using GameSink = bool (*)(const ReplayedGame& game);

// Plays the script to its end. draw false leaves the screen's pixels undrawn. With
// finalState, the state is dumped after the last command and kept there. Answers the
// game's exit code.
int ReplayGames(const Script& script, bool draw, GameSink sink, std::string* finalState);

// The score as the table keeps it.
int32_t StoredScore(int32_t score);

}  // namespace verify
