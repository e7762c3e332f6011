// What showing one frame costs the game on a 1920 x 1080 window: finding what changed (a
// scrolled frame, and a still one, which compares every row), and scaling a whole changed
// frame by 2 into the window's 32-bit pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/common/changed_areas.h"
#include "platform/sdl/scaler.h"

namespace {

constexpr int32_t SCREEN_WIDTH = 640, SCREEN_HEIGHT = 480, WINDOW_WIDTH = 1920,
                  WINDOW_HEIGHT = 1080;

std::vector<uint16_t> Picture(uint32_t seed) {
    std::vector<uint16_t> picture(SCREEN_WIDTH * SCREEN_HEIGHT);
    for (auto& pixel : picture)
        pixel = static_cast<uint16_t>((seed = seed * 1664525 + 1013904223) >> 16);
    return picture;
}

void BM_ScaleWholeFrameBy2(benchmark::State& state) {
    std::vector<uint16_t> picture = Picture(1);
    std::vector<uint32_t> table(65536);
    for (uint32_t i = 0; i < table.size(); ++i) table[i] = i * 0x10101;
    std::vector<uint8_t> window(WINDOW_WIDTH * WINDOW_HEIGHT * 4);
    auto placement =
        sdlscaler::PlacePicture(WINDOW_WIDTH, WINDOW_HEIGHT, SCREEN_WIDTH, SCREEN_HEIGHT);
    for (auto _ : state) {
        sdlscaler::ScalePicture(picture.data(), SCREEN_WIDTH * 2,
                                RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, placement, table.data(),
                                {window.data(), WINDOW_WIDTH * 4, WINDOW_WIDTH, WINDOW_HEIGHT, 4});
        benchmark::ClobberMemory();
    }
}

// The search over a frame whose every row changed (argument 2) and over a still one (1).
void BM_FindChanges(benchmark::State& state) {
    std::vector<uint16_t> before = Picture(1),
                          after = Picture(static_cast<uint32_t>(state.range(0)));
    RECT areas[MAX_CHANGED_AREAS];
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            FindChangedAreas(before.data(), after.data(), SCREEN_WIDTH, SCREEN_HEIGHT, areas));
    }
}

}  // namespace

BENCHMARK(BM_ScaleWholeFrameBy2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindChanges)->Arg(2)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
