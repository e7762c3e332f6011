// Where the game starts its effects: every shot, hit or miss, once the score and the magazine
// have changed, and every reload once the magazine is full again; nothing else.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "hunt/hunt.h"
#include "platform/headless/headless.h"
#include "tests/support/game_fixture.h"

namespace {

struct Heard {
    std::string file;
    int32_t score;
    int32_t shotsLeft;
};
std::vector<Heard> heard;

// The game as it stands when the sound starts.
void Listen(const HeadlessSoundEvent& event) {
    if (!event.music) heard.push_back({event.file, score, shotsLeft});
}

class SoundCallSiteTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        heard.clear();
        HeadlessSetSoundHook(Listen);
        GameState = Playing;
        ResetGame();
        cursorPos = {300, 200};
    }
    void Click(uint32_t message) { GameWindowProc(mainWindow, message, 0, 0); }
};

TEST_F(SoundCallSiteTest, EveryShotPlaysAfterTheScoreAndTheMagazineChanged) {
    for (int shot = 1; shot <= 8; ++shot) {
        // Whatever it hits, the sound starts with the score and magazine already final.
        cursorPos = {40 * shot, 25 * shot};
        Click(WM_LBUTTONDOWN);
        ASSERT_EQ(heard.size(), static_cast<size_t>(shot));
        EXPECT_EQ(heard.back().file, "data\\shot.wav");
        EXPECT_EQ(heard.back().shotsLeft, 8 - shot);
        EXPECT_EQ(heard.back().score, score);
        Frame();
    }
}

TEST_F(SoundCallSiteTest, AReloadPlaysOnceTheMagazineIsFull) {
    shotsLeft = 0;
    Click(WM_RBUTTONDOWN);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].file, "data\\load.wav");
    EXPECT_EQ(heard[0].shotsLeft, 8);
}

TEST_F(SoundCallSiteTest, AnEmptyLeftClickAndAnEarlyRightClickPlayNothing) {
    shotsLeft = 0;
    Click(WM_LBUTTONDOWN);
    EXPECT_EQ(shotsLeft, 0);
    for (int left = 1; left <= 8; ++left) {
        shotsLeft = left;
        Click(WM_RBUTTONDOWN);
        EXPECT_EQ(shotsLeft, left);
    }
    EXPECT_TRUE(heard.empty());
}

TEST_F(SoundCallSiteTest, OutsideTheGameTheButtonsPlayNothing) {
    for (GameStateValue state : {MainMenu, HighScores, CreditsDevelopers, Logo, NameEntry}) {
        GameState = state;
        shotsLeft = 0;
        Click(WM_RBUTTONDOWN);
        shotsLeft = 8;
        cursorPos = {0, 0};  // away from every menu button
        Click(WM_LBUTTONDOWN);
    }
    EXPECT_TRUE(heard.empty());
}

// The same through the replay: eight quick shots, a reload right after, and the clicks that
// do nothing, as the dump's sound list shows them.
using SoundReplayTest = RunFolderTest;

TEST_F(SoundReplayTest, ShotsAndReloadAppearInTheDumpsAsTheyStart) {
    ReplayOutcome run = RunScript(R"(
key SPACE
wait 100
key A
wait 100
key RETURN
wait 100
move 210 95
frames 2
click left
frames 2
dump
move 300 200
frames 2
click left
click right
wait 30
dump
click left
click left
click left
click left
click left
click left
click left
wait 30
dump
click left
wait 30
dump
click right
wait 30
dump
)");
    ASSERT_EQ(run.dumps.size(), 5u);
    ASSERT_EQ(run.dumps[0]["state"].Int(), Playing);
    EXPECT_EQ(run.dumps[1]["sounds"].size(), 1u);
    EXPECT_EQ(run.dumps[1]["sounds"][0].text, "data\\shot.wav");
    EXPECT_EQ(run.dumps[1]["shotsLeft"].Int(), 7);
    ASSERT_EQ(run.dumps[2]["sounds"].size(), 7u);
    for (const Json& sound : run.dumps[2]["sounds"].items) EXPECT_EQ(sound.text, "data\\shot.wav");
    EXPECT_EQ(run.dumps[2]["shotsLeft"].Int(), 0);
    EXPECT_EQ(run.dumps[3]["sounds"].size(), 0u);
    EXPECT_EQ(run.dumps[4]["sounds"].size(), 1u);
    EXPECT_EQ(run.dumps[4]["sounds"][0].text, "data\\load.wav");
    EXPECT_EQ(run.dumps[4]["shotsLeft"].Int(), 8);
}

}  // namespace
