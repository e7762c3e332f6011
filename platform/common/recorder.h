// The recording's writer, for every backend that records: the backend opens the file its
// own way and tells the writer everything the game reads from it. Each Record call does
// nothing unless a recording runs. StopRecording (platform/record.h) ends it.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/common/recording_format.h"
#include "platform/window.h"

// Called after each frame is shown while the recording runs, for what a backend adds.
using FrameShownHook = void (*)();

// Takes over the open, empty file, writes the first line and listens to the messages the
// game takes; path names the file in messages. frameShown may be null. With a copy set and
// no file, the recording is kept by the copy alone.
void BeginRecording(FILE* file, const char* path, FrameShownHook frameShown);
// Receives every whole line written from now on, screenshots left out; set before
// BeginRecording, for a recording kept in memory as well as (or instead of) in a file.
using RecordingCopy = void (*)(const char* line, size_t size);
void CopyRecording(RecordingCopy copy);
// Writes the moment being played if it is not written yet, so that what is recorded so far
// ends with it.
void RecordMomentNow();
// Writes a screenshot line into the recording at the moment being written, and flushes.
void RecordScreenshot(const char* name);
// Writes out what the recording holds so far.
void FlushRecording();

void RecordSeed(uint32_t seed);
// The clock the game saw first; it stays the game's clock until the first wait.
void RecordStart(uint32_t clock);
// The game woke from a wait and sees this clock until it waits again.
void RecordWake(uint32_t clock);
void RecordCursor(POINT cursor);
void RecordKeyState(int virtualKey, bool down);
// A frame is on the screen.
void RecordFrameShown();
