// The table and the menu buttons through whole runs of the game: a game ended by the
// clock and by Escape, and the buttons across a visit to another screen.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/game_fixture.h"

namespace {

// Ten old entries of -100 under the name "OLD", so that a score of 0 leads the table.
std::string OldTable() {
    std::string lines;
    for (int slot = 0; slot < 10; slot++) {
        lines += "\xB0\xB3\xBB" + std::string(7, '\xFF') + " 355\n";
    }
    return lines;
}

// Through the logo and the name entry ("ABC") to the menu at 100 ms, the cursor then on
// the new game button until 200 ms.
const char* const TO_MENU =
    "key A\nkey A\nkey B\nkey C\nkey RETURN\nwait 100\n"
    "move 185 65\nwait 100\n";

int CountInFile(const std::string& file, const std::string& record) {
    int count = 0;
    for (size_t at = file.find(record); at != std::string::npos; at = file.find(record, at + 1)) {
        count++;
    }
    return count;
}

const std::string ABC_RECORD = "\xBE\xBD\xBC" + std::string(7, '\xFF') + " 255\n";
// After the first insertion: the new score, then the two empty zero entries that waited in
// slots 11 and 12, then seven of the old entries, which sank below them.
const std::string AFTER_INSERTION = ABC_RECORD + std::string(10, '\xFF') + " 255\n" +
                                    std::string(10, '\xFF') + " 255\n" +
                                    OldTable().substr(0, 7 * 15);

using HighScoreReplayTest = RunFolderTest;

TEST_F(HighScoreReplayTest, TheClockEndsTheGameWithTheScoreAlreadyOnTheFirstPicture) {
    WriteTextFile("high.dat", OldTable());
    // The click starts the game at 201 ms; the 121st clock tick after it comes at 121000.
    ReplayOutcome run = RunScript(std::string(TO_MENU) +
                                  "click left\nwait 120790\ndump\n"
                                  "frames 1\ndump\nframes 1\ndump\n");
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_EQ(run.dumps[0]["state"].Int(), 1);
    EXPECT_EQ(run.dumps[0]["secondsLeft"].Int(), 0);
    const Json* first = nullptr;
    for (size_t k = 1; k < 3 && !first; k++) {
        if (run.dumps[k]["state"].Int() == 4) first = &run.dumps[k];
    }
    ASSERT_NE(first, nullptr) << "the clock did not end the game";
    EXPECT_EQ((*first)["highScorePhase"].Int(), 2);  // the first high-score frame
    EXPECT_EQ((*first)["highScores"][0]["score"].Int(), 0);
    EXPECT_EQ(NameBytes((*first)["highScores"][0]["name"]), "ABC");
    EXPECT_EQ((*first)["highScores"][3]["score"].Int(), -100);
    EXPECT_EQ(ReadTextFile("high.dat"), AFTER_INSERTION);
}

TEST_F(HighScoreReplayTest, EscapeSavesOnceAndTheMenuFollows) {
    WriteTextFile("high.dat", OldTable());
    ReplayOutcome run = RunScript(std::string(TO_MENU) +
                                  "dump\nclick left\nmove 20 20\nwait 3000\n"
                                  "down ESCAPE\nframes 1\nup ESCAPE\ndump\nwait 2000\ndump\n");
    ASSERT_EQ(run.dumps.size(), 3u);
    const Json& menu = run.dumps[1];
    EXPECT_EQ(menu["state"].Int(), 2);
    EXPECT_EQ(menu["highScores"][0]["score"].Int(), 0);
    EXPECT_EQ(NameBytes(menu["highScores"][0]["name"]), "ABC");
    EXPECT_EQ(run.dumps[2]["state"].Int(), 2);
    EXPECT_EQ(CountInFile(ReadTextFile("high.dat"), ABC_RECORD), 1);
    EXPECT_EQ(ReadTextFile("high.dat"), AFTER_INSERTION);

    // The new game button, hovered before the click, came back at rest on picture 0 with
    // the tick its cut-short cycle left.
    const Json& before = run.dumps[0]["buttons"][0];
    ASSERT_EQ(before["animating"].Int(), 1);
    const Json& after = run.dumps[2]["buttons"][0];
    EXPECT_EQ(after["animating"].Int(), 0);
    EXPECT_EQ(after["frame"].Int(), 0);
    EXPECT_EQ(after["tick"].Int(), before["tick"].Int());
}

TEST_F(HighScoreReplayTest, TheHighScoreButtonResumesItsCycleAfterTheVisit) {
    ReplayOutcome run = RunScript(std::string(TO_MENU) +
                                  "move 235 345\nframes 10\ndump\n"
                                  "click left\nframes 5\ndump\n"
                                  "move 20 20\nkey SPACE\nwait 1\ndump\nframes 1\ndump\n");
    ASSERT_EQ(run.dumps.size(), 4u);
    const Json& hovered = run.dumps[0]["buttons"][3];
    EXPECT_EQ(hovered["frame"].Int(), 2);
    EXPECT_EQ(hovered["tick"].Int(), 2);
    EXPECT_EQ(run.dumps[1]["state"].Int(), 4);
    EXPECT_EQ(run.dumps[1]["highScorePhase"].Int(), 10);
    for (int k = 1; k < 3; k++) {
        EXPECT_EQ(run.dumps[k]["buttons"][3]["frame"].Int(), 2) << k;
        EXPECT_EQ(run.dumps[k]["buttons"][3]["tick"].Int(), 2) << k;
        EXPECT_EQ(run.dumps[k]["buttons"][3]["animating"].Int(), 1) << k;
    }
    EXPECT_EQ(run.dumps[2]["state"].Int(), 2);
    EXPECT_EQ(run.dumps[3]["buttons"][3]["frame"].Int(), 2);
    EXPECT_EQ(run.dumps[3]["buttons"][3]["tick"].Int(), 3);
}

}  // namespace
