#include "platform/common/game_folders.h"

// The real game runs from its installation as well as from a game folder.
bool MayRunInstalled() {
    return true;
}
