#include "platform/common/game_folders.h"

// The page lays the game's files out in its working folder, where "high.dat" is kept too.
bool MayRunInstalled() {
    return false;
}
