// Recording a play-through on the real display as a replay script, which
// sidescroller-replay plays back to the same frames, hits, score and high-score file.
#pragma once

// Starts writing to path; answers 0, or the program's exit code (2) with the reason on
// stderr when the path is refused: one of the game's own files (by identity, so a link or
// another spelling counts), an existing file that is not a recording, or anything but a
// regular file (the null device and the full device excepted). Never blocks. Called before
// the game starts.
int StartRecording(const char* path);
// Writes what is left and closes the file; answers 0, or 1 when any write or the close
// failed (said on stderr once, when it happened): the recording is incomplete.
int StopRecording();
