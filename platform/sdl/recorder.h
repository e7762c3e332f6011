// What the SDL backend tells the recorder (platform/common/recorder.h), and how it opens
// the recording.
#pragma once

#include <cstdio>

#include "platform/common/recorder.h"

// Opens path for a new recording, emptied, or says on stderr why not and answers nullptr
// (platform/record.h says what is refused).
FILE* OpenRecordingFile(const char* path);
