// Recording a play-through on the real display as a replay script, which
// sidescroller-replay plays back to the same frames, hits, score and high-score file.
#pragma once

// Starts writing to path; false, with the reason on stderr, when the file cannot be made.
// Called before the game starts.
bool StartRecording(const char* path);
// Writes what is left and closes the file.
void StopRecording();
