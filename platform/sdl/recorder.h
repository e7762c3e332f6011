// What the SDL backend tells the recorder: everything the game reads from the platform.
// Each call does nothing unless a recording runs.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/posix/recording_file.h"
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
