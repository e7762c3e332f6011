// The game on the real display. "--record FILE" writes the play-through as a replay script,
// "--online URL" plays for the leaderboard there.
#include <cstdio>

#include "app/app.h"
#include "app/command_line.h"
#include "platform/common/game_folders.h"
#include "platform/common/online.h"
#include "platform/record.h"

namespace {

const char FILES_HELP[] =
    "Started in a folder that holds font.des and data/, the game reads and writes there.\n"
    "Otherwise it reads its pictures, sounds and music from ../share/sidescroller beside\n"
    "the program, and keeps high.dat (the ten best scores) and log.txt in\n"
    "$XDG_DATA_HOME/sidescroller (by default ~/.local/share/sidescroller).\n";

// The real game may run from its installation. Said before every static object is built,
// as the game reads its lettering before main.
[[gnu::constructor(101)]] void MayRunInstalled() {
    AllowInstalledRun();
}

}  // namespace

int main(int argc, char** argv) {
    const char* board = nullptr;
    std::string problem;
    CommandLine line;
    if (TakeOnlineOption(&argc, argv, &board, &problem)) {
        line = ReadCommandLine(argc, argv, "record", 0);
    } else {
        line.action = CommandLine::Wrong;
        line.problem = problem;
    }
    std::string usage = GameUsage(true, (std::string(ONLINE_HELP) + "\n" + FILES_HELP).c_str());
    switch (line.action) {
        case CommandLine::Help:
            std::fputs(usage.c_str(), stdout);
            return 0;
        case CommandLine::Version:
            std::fputs(VersionText("sidescroller").c_str(), stdout);
            return 0;
        case CommandLine::Wrong:
            std::fprintf(stderr, "sidescroller: %s\n%s", line.problem.c_str(), usage.c_str());
            return 2;
        case CommandLine::Run:
            break;
    }
    // The board comes first, so that the recording, in memory and in the file, starts whole.
    if (board) StartOnline(board, line.value != nullptr);
    if (line.value) {
        if (int refused = StartRecording(line.value)) {
            StopOnline();
            return refused;
        }
    }
    int code = GameMain(1);
    // A recording that could not be written whole fails a game that otherwise ended well.
    int recorded = StopRecording();
    StopOnline();
    return code != 0 ? code : recorded;
}
