// The first run of screens and the credits paths, end to end through the replay.
#include <algorithm>
#include <string>

#include "tests/support/replay_runner.h"

namespace {

using GameStatesReplayTest = RunFolderTest;

// From the logo through the name entry to the menu, typing "X".
const char* const TO_MENU =
    "wait 100\n"
    "key A\n"
    "key X\n"
    "key RETURN\n"
    "wait 30\n";

bool HasTimer(const Json& dump, int id) {
    const Json& timers = dump["timers"];
    for (size_t i = 0; i < timers.size(); ++i) {
        if (timers[i].Int() == id) return true;
    }
    return false;
}

std::string ClickAt(int hotX, int hotY) {
    return "move " + std::to_string(hotX - 25) + " " + std::to_string(hotY - 25) +
           "\nframes 2\nclick left\nwait 10\ndump\n";
}

TEST_F(GameStatesReplayTest, FirstRunFromTheLogoToTheMenu) {
    ReplayOutcome run = RunScript(
        "wait 100\n dump\n"
        "key A\n wait 30\n dump\n"
        "key B\n key C\n key D\n key BACK\n wait 30\n dump\n"
        "key RETURN\n wait 30\n dump\n");
    ASSERT_EQ(run.dumps.size(), 4u) << run.output;
    EXPECT_EQ(run.dumps[0]["state"].Int(), 7);
    EXPECT_EQ(run.dumps[1]["state"].Int(), 8);
    EXPECT_EQ(NameBytes(run.dumps[1]["name"]), "");
    EXPECT_EQ(run.dumps[1]["nameLength"].Int(), 0);
    EXPECT_EQ(run.dumps[1]["nameX"].Int(), 313);
    EXPECT_EQ(NameBytes(run.dumps[2]["name"]), "BC");
    EXPECT_EQ(run.dumps[2]["nameLength"].Int(), 2);
    EXPECT_EQ(run.dumps[2]["nameX"].Int(), 299);
    EXPECT_EQ(run.dumps[3]["state"].Int(), 2);
    EXPECT_EQ(NameBytes(run.dumps[3]["name"]), "BC");
    EXPECT_EQ(run.dumps[3]["quitAfterCredits"].Int(), 0);
}

TEST_F(GameStatesReplayTest, AKeyOnTheFirstPageStartsTheSecondsEighteenSeconds) {
    ReplayOutcome run = RunScript(std::string(TO_MENU) + ClickAt(210, 270) +
                                  "wait 3000\n key SPACE\n wait 10\n dump\n"
                                  "wait 17900\n dump\n wait 200\n dump\n");
    ASSERT_EQ(run.dumps.size(), 4u) << run.output;
    EXPECT_EQ(run.dumps[0]["state"].Int(), 5);
    EXPECT_TRUE(HasTimer(run.dumps[0], 111));
    EXPECT_EQ(run.dumps[1]["state"].Int(), 6);
    EXPECT_FALSE(HasTimer(run.dumps[1], 111));
    EXPECT_TRUE(HasTimer(run.dumps[1], 222));
    EXPECT_EQ(run.dumps[2]["state"].Int(), 6) << "shown for 18 s from the key";
    // Had the first page's timer fired at 10 s, it would have restarted the 18 s.
    EXPECT_EQ(run.dumps[3]["state"].Int(), 2);
    EXPECT_FALSE(HasTimer(run.dumps[3], 222));
    EXPECT_TRUE(HasTimer(run.dumps[3], 666));
}

TEST_F(GameStatesReplayTest, TheCreditsButtonsPagesReturnToTheMenuByTheirTimers) {
    ReplayOutcome run =
        RunScript(std::string(TO_MENU) + ClickAt(509, 339) +
                  "wait 9950\n dump\n wait 100\n dump\n" + "wait 17900\n dump\n wait 100\n dump\n");
    ASSERT_EQ(run.dumps.size(), 5u) << run.output;
    EXPECT_EQ(run.dumps[1]["state"].Int(), 5);
    EXPECT_EQ(run.dumps[2]["state"].Int(), 6);
    EXPECT_EQ(run.dumps[3]["state"].Int(), 6);
    EXPECT_EQ(run.dumps[4]["state"].Int(), 2);
    EXPECT_EQ(run.dumps[4]["quitAfterCredits"].Int(), 0);
}

TEST_F(GameStatesReplayTest, AfterTheQuitButtonTheTimersEndTheProgram) {
    ReplayOutcome run = RunScript(std::string(TO_MENU) + ClickAt(210, 180) + "wait 10050\n dump\n" +
                                  "wait 18000\n dump\n");
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.dumps.size(), 2u) << "the program ended before the last dump\n" << run.output;
    EXPECT_EQ(run.dumps[0]["state"].Int(), 5);
    EXPECT_EQ(run.dumps[0]["quitAfterCredits"].Int(), 1);
    EXPECT_TRUE(HasTimer(run.dumps[0], 111));
    EXPECT_EQ(run.dumps[1]["state"].Int(), 6);
    EXPECT_TRUE(HasTimer(run.dumps[1], 222));
}

TEST_F(GameStatesReplayTest, AfterTheQuitButtonTwoKeysEndTheProgram) {
    ReplayOutcome run =
        RunReplayBinary(std::string(TO_MENU) + ClickAt(210, 180) +
                        "key SPACE\n wait 10\n dump\n key SPACE\n wait 10\n dump\n");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.dumps.size(), 2u) << run.output;
    EXPECT_EQ(run.dumps[1]["state"].Int(), 6);
}

}  // namespace
