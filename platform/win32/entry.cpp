// The Windows entry: the game with the show command Windows gives it.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app.h"
#include "app/command_line.h"
#include "platform/common/game_folders.h"
#include "platform/common/online.h"
#include "platform/files.h"
#include "platform/record.h"

namespace {

const char FILES_HELP[] =
    "Unzipped, the game reads and writes in its own folder, high.dat (the ten best scores)\n"
    "beside sidescroller.exe. Installed, it reads its files from share\\sidescroller in\n"
    "the installation and keeps high.dat and log.txt in %LOCALAPPDATA%\\Sidescroller.\n";

// The box wraps lines to its own width in a proportional font: a sentence that goes on in
// the next line of the console's text (which starts in lower case) is joined to it.
std::string ForTheBox(const std::string& text) {
    std::string box = text;
    for (size_t i = 1; i + 1 < box.size(); ++i) {
        if (box[i] == '\n' && box[i - 1] != '\n' && std::islower(uint8_t(box[i + 1]))) box[i] = ' ';
    }
    return box;
}

// A window program has no console to print to: what it answers is shown in a message box,
// and also written to stdout or stderr for whoever started it from one.
int Answer(const std::string& text, FILE* stream, UINT icon, int code) {
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
    MessageBoxA(nullptr, ForTheBox(text).c_str(), "Sidescroller", MB_OK | MB_TOPMOST | icon);
    return code;
}

// The Windows game runs from its installation as well as from an unzipped folder. Said
// before every static object is built, as the game reads its lettering before WinMain.
[[gnu::constructor(101)]] void MayRunInstalled() {
    AllowInstalledRun();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    // The Windows game records only for the board (--online), in memory: --record is an
    // unknown option here.
    const char* board = nullptr;
    std::string problem;
    CommandLine line;
    if (TakeOnlineOption(&__argc, __argv, &board, &problem)) {
        line = ReadCommandLine(__argc, __argv, nullptr, 0);
    } else {
        line.action = CommandLine::Wrong;
        line.problem = problem;
    }
    std::string usage = GameUsage(false, (std::string(ONLINE_HELP) + "\n" + FILES_HELP).c_str());
    switch (line.action) {
        case CommandLine::Help:
            return Answer(usage, stdout, MB_ICONINFORMATION, 0);
        case CommandLine::Version:
            return Answer(VersionText("sidescroller"), stdout, MB_ICONINFORMATION, 0);
        case CommandLine::Wrong:
            return Answer("sidescroller: " + line.problem + "\n" + usage, stderr, MB_ICONERROR, 2);
        case CommandLine::Run:
            break;
    }
    // Waits and the frame clock to the millisecond: at the default 15.6 ms tick the frames
    // would come 31 ms apart instead of 26, and the whole game would run slow.
    timeBeginPeriod(1);
    // Installed, the game's own files lie where it is installed, but the music and the
    // effects are named to the system relative to the working folder: the game works there.
    // What it writes has its own folder, chosen already, and does not move with it.
    std::string lettering = HostPath("font.des");
    size_t slash = lettering.find_last_of("\\/");
    if (slash != std::string::npos) SetCurrentDirectoryA(lettering.substr(0, slash + 1).c_str());
    if (board) StartOnline(board, false);
    int code = GameMain(showCommand);
    StopRecording();
    StopOnline();
    timeEndPeriod(1);
    return code;
}
