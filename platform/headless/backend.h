// Shared between the files of the headless backend only.
#pragma once

void HeadlessResetSound();
// The screen goes, and the flips counted with it.
void HeadlessResetDisplay();
void HeadlessLogCall(const char* name);
