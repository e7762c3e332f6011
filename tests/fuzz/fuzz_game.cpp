// The whole game under any stream of mouse moves, buttons, keys and waits: the replay driver
// plays the input from the logo on, and after every frame the game must still make sense.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/app.h"
#include "app/replay/replay.h"
#include "display/display.h"
#include "hunt/hunt.h"
#include "platform/common/queue.h"
#include "platform/headless/headless.h"
#include "screens/screens.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/game_input.h"
#include "tests/support/game_records.h"

namespace {

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "fuzz_game: %s (state %d, score %d, shots %d, scroll %d)\n", what,
                 GameState, score, shotsLeft, scrollX);
    std::abort();
}

// A shot changes the score by what one hit gives, or not at all; nothing else changes it
// but the start of a game, which sets it to 0.
int32_t lastScore;
bool shotPending;
int8_t lastState;

void SettleScore() {
    if (score != lastScore && score != 0) {
        int32_t change = score - lastScore;
        if (!shotPending || (change != 10 && change != 20 && change != -30)) {
            Broken("the score changed by what no hit gives");
        }
    }
    lastScore = score;
    shotPending = false;
}

void MessageTaken(const MSG& msg) {
    SettleScore();
    if (msg.message == WM_LBUTTONDOWN && GameState == Playing && shotsLeft > 0) {
        shotPending = true;
    }
}

// Whatever a save wrote loads back to the ten entries the game shows.
void CheckSavedTable() {
    HighScoreTable loaded;
    loaded.Clear();
    loaded.Load();
    for (int i = 0; i < 10; ++i) {
        const HighScoreEntry& shown = highScoreTable.entries[i];
        if (loaded.entries[i].score != shown.score ||
            std::memcmp(loaded.entries[i].name, shown.name, 10) != 0) {
            Broken("high.dat does not load to the table the game saved");
        }
    }
}

void AfterFrame() {
    SettleScore();
    if (GameState < Playing || GameState > NameEntry) Broken("not one of the game's states");
    if (shotsLeft < 0 || shotsLeft > MAGAZINE_SIZE) Broken("the magazine is out of range");
    if (scrollX < 0 || scrollX > WORLD_WIDTH - SCREEN_WIDTH || scrollX % SCROLL_STEP != 0) {
        Broken("the scroll position is out of range");
    }
    if (secondsLeft > GAME_SECONDS) Broken("more time left than a game has");
    if (cursorPos.x < 0 || cursorPos.x > CURSOR_MAX_X || cursorPos.y < 0 ||
        cursorPos.y > CURSOR_MAX_Y) {
        Broken("the cursor is off the screen");
    }
    if (nameEntry.length < 0 || nameEntry.length > 8 || nameEntry.x != 313 - 7 * nameEntry.length) {
        Broken("the name field is out of shape");
    }
    // Every save happens as a game ends, by Escape or the clock; a game cut short by the
    // window's close is not saved.
    if (lastState == Playing && GameState != Playing) CheckSavedTable();
    lastState = GameState;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    namespace fs = std::filesystem;
    EnterPrivateFolder();
    fs::create_directory_symlink(fs::path(SOURCE_DIR) / "data", "data");
    fs::create_symlink(fs::path(SOURCE_DIR) / "font.des", "font.des");
    // The records built before main read "font.des" from wherever the fuzzer was started.
    bitmapFont = BitmapFont{};
    bitmapFont.Load("font.des");
    KeepGameRecords();
    // An input runs 30 frames or so from the start of the program: the pictures decoded once
    // a run, and the screen's pixels, which nothing the game decides reads, left undrawn.
    HeadlessKeepPictures(true);
    HeadlessSetDrawing(false);
    SetMessageTakenHook(MessageTaken);
    HeadlessSetFlipHook(AfterFrame);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Script& script = *new Script;
    DecodeGameInput(data, size, script);
    std::remove("high.dat");
    RestoreGameRecords();
    lastScore = score;
    shotPending = false;
    lastState = GameState;
    static FILE* nowhere = std::fopen("/dev/null", "w");
    RunReplay(script, nowhere);
    // The game leaves its log open for the process's end, which each input stands for.
    if (logFile) std::fclose(logFile);
    return 0;
}
