// Where a recording may go on a POSIX system, and how an earlier recording is known.
#pragma once

#include <cstdio>

// Every message about the recording starts with the program's name.
constexpr char PROGRAM_NAME[] = "sidescroller";
// The first line of every recording, by which an earlier one is known and may be replaced.
constexpr char RECORDING_FIRST_LINE[] =
    "# A play-through recorded with sidescroller --record; sidescroller-replay plays it.\n";
// Opens path for a new recording, emptied, or says on stderr why not and answers nullptr
// (platform/record.h says what is refused).
FILE* OpenRecordingFile(const char* path);
