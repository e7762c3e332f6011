// The application shell: the entry and frame loop, the game states and the window
// procedure, and the music.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/gdi.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "state/game_state.h"

constexpr uintptr_t TIMER_CREDITS1 = 111;
constexpr uintptr_t TIMER_CREDITS2 = 222;
constexpr uintptr_t TIMER_CLOCK = 666;
constexpr uint32_t CREDITS1_MS = 10000;
constexpr uint32_t CREDITS2_MS = 18000;
constexpr uint32_t CLOCK_MS = 1000;

// 1 once the quit button was clicked: leaving the credits then ends the program.
extern uint8_t quitAfterCredits;

extern HWND mainWindow;
extern FILE* logFile;
extern uint32_t lastFrameTime;

// The whole program: start-up, frame loop, end. Answers the process exit code.
int GameMain(int showCommand);
// Start-up steps 1 to 10; answers 0 when the loop may run, else the exit code.
int StartUp(int showCommand);
// Runs the frame loop until Quit or the window is gone.
void RunFrameLoop();
// True when a frame is due: more than 25 ms since the last, as an unsigned difference.
bool FrameDue(uint32_t now, uint32_t last);
// One frame: the frame functions of the state, then the flip.
void RunFrame();
int CreateGameWindow(int showCommand);

LRESULT GameWindowProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);

extern MCI_OPEN_PARMS musicOpenParams;
extern MCI_PLAY_PARMS musicPlayParams;
MCIERROR OpenMusic(const char* fileName);
void PlayMusic();
