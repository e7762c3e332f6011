// Finished games are seen where the game enters a score in its table: the table's Insert is
// wrapped at link time (-Wl,--wrap, as the fuzz targets stand in for calls), so the game's
// code stays as it is and every way a game ends (the clock, Escape pressed or held) is seen
// at the very moment, with the name and score it entered.
#include "server/verify/replay_games.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/replay/replay.h"
#include "hunt/hunt.h"
#include "platform/headless/headless.h"
#include "screens/screens.h"
#include "state/game_state.h"

// NOLINTBEGIN(bugprone-reserved-identifier): the names the linker's --wrap gives.
extern "C" void __real__ZN14HighScoreTable6InsertEiPKc(HighScoreTable* table, int32_t score,
                                                       const char* name);
extern "C" void __wrap__ZN14HighScoreTable6InsertEiPKc(HighScoreTable* table, int32_t score,
                                                       const char* name);
// NOLINTEND(bugprone-reserved-identifier)

namespace verify {

namespace {

// The table's Save caps every score it keeps at this; a score below the ten best is not
// kept at all, but it is below the cap too.
constexpr int32_t kTableCap = 9999;

GameSink sink = nullptr;
ReplayedGame game;
bool inGame = false;
uint32_t firstFrame = 0;

void Append(std::string* to, int64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) to->push_back(static_cast<char>(value >> (8 * i)));
}

// A game's input begins with the first input handed to it while it is being played.
void OnInput(const ScriptCommand& c) {
    if (!sink) return;
    if (!inGame && GameState == Playing && !GameEndRequested()) {
        inGame = true;
        firstFrame = HeadlessFlipCount();
        game.input.clear();
    }
    if (!inGame) return;
    game.input.push_back(static_cast<char>(c.kind));
    Append(&game.input, c.a, 4);
    Append(&game.input, c.b, 4);
    Append(&game.input, HeadlessFlipCount() - firstFrame, 4);
}

}  // namespace

int32_t StoredScore(int32_t score) {
    return score > kTableCap ? kTableCap : score;
}

void GameEntered(int32_t score, const char* name) {
    if (!sink) return;
    game.score = StoredScore(score);
    game.name.assign(name ? name : "", name ? strnlen(name, 12) : 0);
    if (!inGame) game.input.clear();
    inGame = false;
    if (!sink(game)) std::_Exit(0);
    game.input.clear();
}

int ReplayGames(const Script& script, bool draw, GameSink gameSink, std::string* finalState) {
    sink = gameSink;
    inGame = false;
    game = ReplayedGame{};
    SetReplayInputHook(OnInput);
    HeadlessSetDrawing(draw);
    char* dumped = nullptr;
    size_t dumpedSize = 0;
    FILE* out = finalState ? open_memstream(&dumped, &dumpedSize) : nullptr;
    int code;
    if (finalState) {
        // Before the window is closed, which ends the program with the command that closes
        // it: the state the game was left in.
        Script withDump = script;
        ScriptCommand dump;
        dump.kind = CommandKind::Dump;
        auto close = withDump.commands.begin();
        while (close != withDump.commands.end() && close->kind != CommandKind::Close) ++close;
        withDump.commands.insert(close, dump);
        code = RunReplay(withDump, out ? out : stdout);
    } else {
        code = RunReplay(script, stdout);
    }
    if (out) {
        std::fclose(out);
        finalState->assign(dumped, dumpedSize);
        while (!finalState->empty() && finalState->back() == '\n') finalState->pop_back();
        std::free(dumped);
    }
    SetReplayInputHook(nullptr);
    HeadlessSetDrawing(true);
    sink = nullptr;
    return code;
}

}  // namespace verify

extern "C" void __wrap__ZN14HighScoreTable6InsertEiPKc(HighScoreTable* table, int32_t score,
                                                       const char* name) {
    __real__ZN14HighScoreTable6InsertEiPKc(table, score, name);
    verify::GameEntered(score, name);
}
