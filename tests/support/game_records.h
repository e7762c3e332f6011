// The game's records as the program started, kept and put back, so that each whole-game run
// in one process (a test, a fuzz input) starts as a new program would.
#pragma once

// Keeps the records as they are now; called once, before anything has changed them.
void KeepGameRecords();
// Puts every record back as it was kept.
void RestoreGameRecords();
