// The game in a web page. The page has laid out the game's files in the working folder
// before it calls main; when the game ends, the page offers to play again.
#include <emscripten.h>

#include "app/app.h"
#include "platform/record.h"
#include "platform/web/backend.h"
#include "state/high_score_table.h"

EM_JS(void, WebGameEnded, (int code), { sidescrollerPage.gameEnded(code); });

// A stored table that was not a table file is replaced, once the game has read it, by the
// table the game has, saved as every table is (storage.js).
extern "C" EMSCRIPTEN_KEEPALIVE void WebSaveScores() {
    highScoreTable.Save();
}

int main() {
    // A recording watched is neither recorded again nor played when it cannot be watched.
    if (WatchBegin()) {
        if (!Watching()) return 2;
        int code = GameMain(1);
        WatchEnded();
        return code;
    }
    // Every visit is recorded, so that the page can save the play-through at any time.
    StartRecording("/recording.txt");
    int code = GameMain(1);
    WebFlushRecording();
    WebGameEnded(code);
    return code;
}
