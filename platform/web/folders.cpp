#include <emscripten.h>

#include "platform/common/game_folders.h"
#include "screens/screens.h"

// The page lays the game's files out in its working folder, where "high.dat" is kept too.
bool MayRunInstalled() {
    return false;
}

// A stored table that was not a table file is replaced, once the game has read it, by the
// table the game has, saved as every table is (storage.js).
extern "C" EMSCRIPTEN_KEEPALIVE void WebSaveScores() {
    highScoreTable.Save();
}
