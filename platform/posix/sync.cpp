#include "platform/posix/sync.h"

#include <unistd.h>

int SyncToDisk(int fd) {
    return fsync(fd);
}
