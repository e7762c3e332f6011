// The flush of a file or folder to the disk, alone in its own file so that a build which
// never keeps what it writes (the fuzzers) can link one that skips the wait.
#pragma once

// fsync: 0 once what was written to the descriptor is on the disk, else -1 with errno.
int SyncToDisk(int fd);
