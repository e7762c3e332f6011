// Start-up in its order, its failure paths, the frame pacing and the end of the loop.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/app.h"
#include "display/display.h"
#include "platform/headless/headless.h"
#include "tests/support/game_fixture.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Calls() {
    const char* names[256];
    int n = HeadlessCallLog(names, 256);
    return std::vector<std::string>(names, names + n);
}

using StartUpTest = RunFolderTest;

TEST_F(StartUpTest, RunsItsStepsInOrder) {
    HeadlessReset();
    ASSERT_EQ(StartUp(1), 0);
    std::vector<std::string> expected = {
        "RandomSeedFromClock", "CreateWindowEx",      "ShowWindow",     "UpdateWindow",
        "DirectDrawCreate",    "SetCooperativeLevel", "SetDisplayMode", "CreatePrimarySurface",
        "GetAttachedSurface",  "ShowCursor"};
    EXPECT_EQ(Calls(), expected);
    EXPECT_EQ(GameState, Logo);
    EXPECT_TRUE(fs::exists("log.txt"));
    EXPECT_EQ(fs::file_size("log.txt"), 0u);
    EXPECT_FALSE(HeadlessCursorShown());
    uintptr_t ids[4];
    ASSERT_EQ(RunningTimers(ids, 4), 1);
    EXPECT_EQ(ids[0], TIMER_CLOCK);
    for (Surface* s : {assetSurfaces.side1, assetSurfaces.side2, assetSurfaces.logo,
                       assetSurfaces.font, backBuffer, primarySurface}) {
        EXPECT_NE(s, nullptr);
    }
}

TEST_F(StartUpTest, EveryFailingDisplayStepStopsWithAMessageAndNoClock) {
    const std::pair<uint32_t, const char*> failures[] = {
        {FAIL_CREATE_WINDOW, "window"},
        {FAIL_DIRECTDRAW, "display driver"},
        {FAIL_COOPERATIVE_LEVEL, "screen"},
        {FAIL_DISPLAY_MODE, "640 x 480 x 16"},
        {FAIL_PRIMARY_SURFACE, "primary surface"},
        {FAIL_ATTACHED_SURFACE, "back buffer"},
    };
    for (auto [failure, words] : failures) {
        fs::remove("log.txt");
        ReleaseDisplay();
        HeadlessReset();
        HeadlessSetFailures(failure);
        assetSurfaces = AssetSurfaces{};
        testing::internal::CaptureStderr();
        EXPECT_NE(StartUp(1), 0) << words;
        std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find(words), std::string::npos) << errors;
        // The log file was made before the window, and stays behind.
        EXPECT_TRUE(fs::exists("log.txt"));
        uintptr_t ids[4];
        EXPECT_EQ(RunningTimers(ids, 4), 0);
        // No picture is loaded once the display could not be set up.
        EXPECT_EQ(assetSurfaces.side2, nullptr);
    }
}

TEST_F(StartUpTest, AMissingOrBrokenPictureIsNamedAndStopsTheGame) {
    for (const char* broken : {"para.bmp", "highscore.bmp"}) {
        fs::remove_all("data");
        fs::create_directory("data");
        for (const auto& entry : fs::directory_iterator(fs::path(SOURCE_DIR) / "data")) {
            if (entry.path().filename() != broken) fs::copy(entry.path(), "data");
        }
        WriteTextFile(std::string("data/") + broken, "BM broken");
        ReleaseDisplay();
        HeadlessReset();
        testing::internal::CaptureStderr();
        EXPECT_NE(StartUp(1), 0);
        std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find("cannot use the picture data/" + std::string(broken)),
                  std::string::npos)
            << errors;
    }
}

TEST(FramePacing, AFrameIsDueOnlyAfterMoreThan25Ms) {
    EXPECT_FALSE(FrameDue(1025, 1000));
    EXPECT_TRUE(FrameDue(1026, 1000));
    EXPECT_FALSE(FrameDue(1000, 1000));
    // Across the wrap of the 32-bit clock the pacing holds.
    EXPECT_FALSE(FrameDue(0x00000009u, 0xFFFFFFF0u));
    EXPECT_TRUE(FrameDue(0x0000000Au, 0xFFFFFFF0u));
    EXPECT_FALSE(FrameDue(0xFFFFFFFFu, 0xFFFFFFF0u));
}

using FrameLoopTest = RunFolderTest;

TEST_F(FrameLoopTest, FirstFrameComesAt26MsAndEveryFrameFlipsOnce) {
    ReplayOutcome run = RunScript("wait 25\ndump\nwait 1\ndump\nwait 25\ndump\nwait 1\ndump\n");
    ASSERT_EQ(run.dumps.size(), 4u);
    EXPECT_EQ(run.dumps[0]["frames"].Int(), 0);
    EXPECT_EQ(run.dumps[1]["frames"].Int(), 1);
    EXPECT_EQ(run.dumps[2]["frames"].Int(), 1);
    EXPECT_EQ(run.dumps[3]["frames"].Int(), 2);
    EXPECT_EQ(run.exitCode, 0);
}

TEST_F(FrameLoopTest, PacingHoldsAcrossTheClocksWrap) {
    ReplayOutcome run =
        RunScript("start 4294967280\nwait 25\ndump\nwait 1\ndump\nframes 10\ndump\n");
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_EQ(run.dumps[0]["frames"].Int(), 0);
    EXPECT_EQ(run.dumps[1]["frames"].Int(), 1);
    EXPECT_EQ(run.dumps[1]["t"].Int(), 10);  // 4294967280 + 26 wrapped
    EXPECT_EQ(run.dumps[2]["frames"].Int(), 11);
    EXPECT_EQ(run.dumps[2]["t"].Int(), 10 + 10 * 26);
}

TEST_F(FrameLoopTest, ClosingTheWindowEndsTheProgramWithZero) {
    ReplayOutcome run = RunScript("wait 100\nclose\nwait 100\ndump\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.dumps.empty());
}

TEST_F(FrameLoopTest, QuitEndsTheLoopBeforeAnyFurtherFrame) {
    HeadlessReset();
    ASSERT_EQ(StartUp(1), 0);
    GameState = Quit;
    RunFrameLoop();
    EXPECT_EQ(HeadlessFlipCount(), 0u);
}

TEST_F(FrameLoopTest, TheClockTimerTicksOnceASecondInEveryState) {
    ReplayOutcome run = RunScript("dump\nwait 999\ndump\nwait 1\ndump\nwait 5000\ndump\n");
    ASSERT_EQ(run.dumps.size(), 4u);
    int64_t start = run.dumps[0]["secondsLeft"].Int();
    EXPECT_EQ(run.dumps[1]["secondsLeft"].Int(), start);
    EXPECT_EQ(run.dumps[2]["secondsLeft"].Int(), start - 1);
    EXPECT_EQ(run.dumps[3]["secondsLeft"].Int(), start - 6);
}

}  // namespace
