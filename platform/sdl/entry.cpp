// The game on the real display. "--record FILE" writes the play-through as a replay script.
#include <cstdio>

#include "app/app.h"
#include "app/command_line.h"
#include "platform/common/game_folders.h"
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
    CommandLine line = ReadCommandLine(argc, argv, "record", 0);
    switch (line.action) {
        case CommandLine::Help:
            std::fputs(GameUsage(true, FILES_HELP).c_str(), stdout);
            return 0;
        case CommandLine::Version:
            std::fputs(VersionText("sidescroller").c_str(), stdout);
            return 0;
        case CommandLine::Wrong:
            std::fprintf(stderr, "sidescroller: %s\n%s", line.problem.c_str(),
                         GameUsage(true, FILES_HELP).c_str());
            return 2;
        case CommandLine::Run:
            break;
    }
    if (line.value) {
        if (int refused = StartRecording(line.value)) return refused;
    }
    int code = GameMain(1);
    // A recording that could not be written whole fails a game that otherwise ended well.
    int recorded = StopRecording();
    return code != 0 ? code : recorded;
}
