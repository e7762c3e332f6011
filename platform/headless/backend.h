// Shared between the files of the headless backend only.
#pragma once

void HeadlessResetSound();
void HeadlessLogCall(const char* name);
