// What the SDL backend tells the recorder (platform/common/recorder.h), and how it opens
// the recording.
#pragma once

#include <cstdio>

#include "platform/common/recorder.h"
#include "platform/posix/recording_file.h"
