// The fuzzers write "high.dat" millions of times into a folder nobody keeps: waiting for
// the disk each time made the high-score target ten times slower and proved nothing.
#include "platform/posix/sync.h"

int SyncToDisk(int) {
    return 0;
}
