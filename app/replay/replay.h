// The game driven headlessly by a script: the same entry and frame loop as the real game,
// over the headless backend.
#pragma once

#include <cstdio>
#include <string>

#include "app/replay/script.h"
#include "platform/surface.h"

// Runs the game with the script; answers the program's exit code, or 2 when a screenshot
// could not be written.
int RunReplay(const Script& script, FILE* out);
// The same with a checked script file read as it is played; header holds its seed and start.
int RunReplay(const Script& header, ScriptFile* file, FILE* out);

// Called with each input command (move, key, down, up, click, close, hold, release) as the
// replay hands it to the game, before it takes effect; it stays set across replays.
using ReplayInputHook = void (*)(const ScriptCommand& command);
void SetReplayInputHook(ReplayInputHook hook);

// The whole game state as one JSON line, without the line end. The sounds are those
// started since *soundsSeen, which moves on.
std::string DumpState(int* soundsSeen);

// Writes a surface as a 24-bit bottom-up BMP; false when the file cannot be written.
bool WriteBmp(const char* path, Surface* surface);
