// verify_full_replay [--kept] SCRIPT...: each script replayed by the game's own code with
// every pixel drawn and every picture read from its file, each in a process that never ran
// the game before, as sidescroller-replay plays it. Prints for each script its finished
// games and its final state, for the verifier's fast path to be held to. With --kept the
// pictures are decoded once, by a first start-up, and each replay is forked from there:
// still every pixel drawn, at a fraction of the cost, for many scripts.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/headless/headless.h"
#include "server/verify/replay_games.h"
#include "server/verify/verify.h"

namespace {

bool Print(const verify::ReplayedGame& game) {
    std::printf("game %d ", game.score);
    for (unsigned char c : game.name) std::printf("%02x", c);
    std::printf(" %s\n", verify::InputDigest(game.input).c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    if (argc > 1 && std::string(argv[1]) == "--kept") {
        first = 2;
        HeadlessKeepPictures(true);
        Script closed;
        closed.commands.push_back(ScriptCommand{CommandKind::Close, 0, 0, "", 0});
        verify::ReplayGames(closed, true, nullptr, nullptr);
    }
    for (int i = first; i < argc; ++i) {
        std::fflush(stdout);
        pid_t child = fork();
        if (child == 0) {
            if (first == 2) HeadlessOwnKeptPictures();
            std::ifstream in(argv[i], std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            Script script;
            std::string error;
            std::printf("script %s\n", argv[i]);
            if (!ParseScript(text.str(), &script, &error)) {
                std::printf("refused\n");
            } else {
                std::string state;
                verify::ReplayGames(script, true, Print, &state);
                std::printf("state %s\n", state.c_str());
            }
            std::fflush(stdout);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::printf("script %s\nfailed %d\n", argv[i], status);
        }
    }
    return 0;
}
