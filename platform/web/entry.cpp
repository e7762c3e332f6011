// The game in a web page. The page has laid out the game's files in the working folder
// before it calls main; when the game ends, the page offers to play again.
#include <emscripten.h>

#include "app/app.h"
#include "platform/record.h"
#include "platform/web/backend.h"

EM_JS(void, WebGameEnded, (int code), { sidescrollerPage.gameEnded(code); });

int main() {
    // Every visit is recorded, so that the page can save the play-through at any time.
    StartRecording("/recording.txt");
    int code = GameMain(1);
    WebFlushRecording();
    WebGameEnded(code);
    return code;
}
