// Shared between the files of the web backend only.
#pragma once

#include <cstdint>

#include "platform/window.h"

// Listens to the page's mouse and keyboard; called once the window exists.
void WebStartInput();

// What the recorder hears: everything the game reads from the browser. Each call does
// nothing unless a recording runs (it runs from the start of every visit).
void RecordSeed(uint32_t seed);
void RecordStart(uint32_t clock);
void RecordWake(uint32_t clock);
void RecordCursor(POINT cursor);
void RecordKeyState(int virtualKey, bool down);
void RecordFrameShown();
// Writes out what the recording holds, so that the page can read it whole.
extern "C" void WebFlushRecording();
