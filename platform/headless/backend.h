// Shared between the files of the headless backend only.
#pragma once

#include "platform/common/driver.h"

extern const DisplayDriver HEADLESS_DISPLAY;
extern const SoundDriver HEADLESS_SOUND;

void HeadlessResetSound();
// The screen goes, and the flips counted with it.
void HeadlessResetDisplay();
void HeadlessLogCall(const char* name);
