// Where a recording may go on a POSIX system, and how an earlier recording is known.
#pragma once

#include <cstdio>

#include "platform/common/recording_format.h"
// Opens path for a new recording, emptied, or says on stderr why not and answers nullptr
// (platform/record.h says what is refused).
FILE* OpenRecordingFile(const char* path);
