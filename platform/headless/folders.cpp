#include "platform/common/game_folders.h"

// Replays and tests run in the folder they are started in, and nowhere else.
bool MayRunInstalled() {
    return false;
}
