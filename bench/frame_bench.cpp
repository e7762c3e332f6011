// The cost of one frame of each state, logic and drawing into the back buffer, on the
// headless backend. Run: build/bench/frame_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "display/display.h"
#include "hunt/hunt.h"
#include "platform/headless/headless.h"
#include "screens/screens.h"

namespace {

void StartOnce() {
    static bool started = false;
    if (started) return;
    started = true;
    if (chdir(SOURCE_DIR) != 0) std::abort();
    bitmapFont = BitmapFont{};
    bitmapFont.Load("font.des");
    HeadlessReset();
    if (StartUp(1) != 0) std::abort();
}

// Everything on screen at once: six birds, the plane, the para, ten popups, a full magazine.
void BusiestGame() {
    GameState = Playing;
    ResetGame();
    scrollX = 300;
    for (int i = 0; i < 4; ++i) {
        bigBirds[i].x = 350 + i * 120;
        bigBirds[i].y = 60 + i * 80;
        bigBirds[i].dx = bigBirds[i].dy = 0;
    }
    for (int i = 0; i < 2; ++i) {
        smallBirds[i].x = 400 + i * 200;
        smallBirds[i].y = 300;
        smallBirds[i].dx = smallBirds[i].dy = 0;
    }
    plane.x = 500;
    plane.dx = 0;
    para.x = 600;
    para.y = 100;
    para.dx = para.dy = 0;
    for (ScorePopup& p : popups) {
        std::snprintf(p.text, sizeof p.text, "%d", 20);
        p.active = 1;
        p.x = 300;
        p.y = 300;
        p.ttl = 1 << 30;
    }
    shotsLeft = 8;
}

void FrameOf(benchmark::State& state, int8_t gameState) {
    StartOnce();
    if (gameState == Playing) {
        BusiestGame();
    } else {
        GameState = gameState;
    }
    for (auto _ : state) {
        GameState = gameState;
        if (gameState == Playing) secondsLeft = 60;
        RunFrame();
        benchmark::ClobberMemory();
    }
}

void BM_GameFrameBusiest(benchmark::State& s) {
    FrameOf(s, Playing);
}
void BM_MainMenuFrame(benchmark::State& s) {
    FrameOf(s, MainMenu);
}
void BM_HighScoresFrame(benchmark::State& s) {
    FrameOf(s, HighScores);
}
void BM_CreditsFrame(benchmark::State& s) {
    FrameOf(s, CreditsGreetings);
}
void BM_LogoFrame(benchmark::State& s) {
    FrameOf(s, Logo);
}
void BM_NameEntryFrame(benchmark::State& s) {
    FrameOf(s, NameEntry);
}

BENCHMARK(BM_GameFrameBusiest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MainMenuFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HighScoresFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CreditsFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LogoFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NameEntryFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
