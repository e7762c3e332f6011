// A script's input handed to the game as the headless replay hands it, for every player of
// recordings: the replay and the page that watches one.
#pragma once

#include "app/replay/script.h"

// True for the commands that are input of the moment being played (move, key, down, up,
// click, close, hold, release).
bool IsInputCommand(CommandKind kind);
// Sets the cursor or the held keys, or posts the messages, that an input command stands for.
void FeedInput(const ScriptCommand& command);
