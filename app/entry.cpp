// Start-up in its fixed order, the window, and the end of the program.
#include <cstdio>
#include <string>

#include "app/app.h"
#include "display/display.h"
#include "hunt/random.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/report.h"

uint8_t quitAfterCredits;
HWND mainWindow;
FILE* logFile;

int CreateGameWindow(int showCommand) {
    HINSTANCE instance = GetModuleHandle(nullptr);
    WNDCLASS windowClass = {
        CS_HREDRAW | CS_VREDRAW, GameWindowProc, 0, 0, instance, nullptr, nullptr, nullptr, nullptr,
        "Window_Class"};
    RegisterClass(&windowClass);
    mainWindow = CreateWindowEx(WS_EX_TOPMOST, "Window_Class", "Sidescroller", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                nullptr, nullptr, instance, nullptr);
    if (!mainWindow) return 0;
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    return 1;
}

int StartUp(int showCommand) {
    SeedGameRandom(RandomSeedFromClock());
    OpenMusic("data\\tavok.mid");
    PlayMusic();
    logFile = OpenGameFile("log.txt", "w+");
    GameState = Logo;
    textFont = CreateFont(20, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    // A game that cannot show itself says why and fails, rather than vanishing with 0.
    if (!CreateGameWindow(showCommand)) {
        ReportFatal("cannot create the game window");
        return 1;
    }
    if (!InitDisplay(mainWindow)) {
        ReportFatal(InitDisplayFailure());
        return 1;
    }
    SetTimer(mainWindow, TIMER_CLOCK, CLOCK_MS, nullptr);
    lastFrameTime = timeGetTime();
    return 0;
}

int GameMain(int showCommand) {
    int failed = StartUp(showCommand);
    if (failed) return failed;
    RunFrameLoop();
    PostMessage(mainWindow, WM_CLOSE, 0, 0);
    return 0;
}
