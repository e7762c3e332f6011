// The Windows entry: the game with the show command Windows gives it.
#include "app/app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    // Waits and the frame clock to the millisecond: at the default 15.6 ms tick the frames
    // would come 31 ms apart instead of 26, and the whole game would run slow.
    timeBeginPeriod(1);
    int code = GameMain(showCommand);
    timeEndPeriod(1);
    return code;
}
