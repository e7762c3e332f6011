// What the SDL backend tells the recorder: everything the game reads from the platform.
// Each call does nothing unless a recording runs.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/window.h"

void RecordSeed(uint32_t seed);
// The clock the game saw first; it stays the game's clock until the first wait.
void RecordStart(uint32_t clock);
// The game woke from a wait and sees this clock until it waits again.
void RecordWake(uint32_t clock);
void RecordCursor(POINT cursor);
void RecordKeyState(int virtualKey, bool down);
// A frame is on the screen.
void RecordFrameShown();

// Every message about the recording starts with the program's name.
constexpr char PROGRAM_NAME[] = "sidescroller";
// The first line of every recording, by which an earlier one is known and may be replaced.
constexpr char RECORDING_FIRST_LINE[] =
    "# A play-through recorded with sidescroller --record; sidescroller-replay plays it.\n";
// Opens path for a new recording, emptied, or says on stderr why not and answers nullptr
// (platform/record.h says what is refused).
FILE* OpenRecordingFile(const char* path);
