// The Windows entry: the game with the show command Windows gives it.
#include "app/app.h"
#include "platform/files.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    // Waits and the frame clock to the millisecond: at the default 15.6 ms tick the frames
    // would come 31 ms apart instead of 26, and the whole game would run slow.
    timeBeginPeriod(1);
    // Installed, the game's own files lie where it is installed, but the music and the
    // effects are named to the system relative to the working folder: the game works there.
    // What it writes has its own folder, chosen already, and does not move with it.
    std::string lettering = HostPath("font.des");
    size_t slash = lettering.find_last_of("\\/");
    if (slash != std::string::npos) SetCurrentDirectoryA(lettering.substr(0, slash + 1).c_str());
    int code = GameMain(showCommand);
    timeEndPeriod(1);
    return code;
}
