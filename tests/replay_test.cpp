// The replay tool: its script reader, its dump and the binary end to end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "app/replay/script.h"
#include "display/display.h"
#include "platform/bitmap.h"
#include "tests/support/game_fixture.h"

namespace {

TEST(ReplayScript, KeyNamesGiveVirtualKeyCodes) {
    EXPECT_EQ(KeyCodeFromName("A"), 65);
    EXPECT_EQ(KeyCodeFromName("Z"), 90);
    EXPECT_EQ(KeyCodeFromName("0"), 48);
    EXPECT_EQ(KeyCodeFromName("RETURN"), 13);
    EXPECT_EQ(KeyCodeFromName("BACK"), 8);
    EXPECT_EQ(KeyCodeFromName("ESCAPE"), 27);
    EXPECT_EQ(KeyCodeFromName("SPACE"), 32);
    EXPECT_EQ(KeyCodeFromName("LEFT"), 37);
    EXPECT_EQ(KeyCodeFromName("DOWN"), 40);
    EXPECT_EQ(KeyCodeFromName("SHIFT"), 16);
    EXPECT_EQ(KeyCodeFromName("NUMPAD0"), 96);
    EXPECT_EQ(KeyCodeFromName("NUMPAD9"), 105);
    EXPECT_EQ(KeyCodeFromName("DIVIDE"), 111);
    EXPECT_EQ(KeyCodeFromName("F1"), 112);
    EXPECT_EQ(KeyCodeFromName("F12"), 123);
    EXPECT_EQ(KeyCodeFromName("186"), 186);
    // A lone digit is the digit key, as recordings before the key names meant "8" too.
    EXPECT_EQ(KeyCodeFromName("8"), '8');
    EXPECT_EQ(KeyCodeFromName("07"), 7);
    EXPECT_EQ(KeyCodeFromName("a"), -1);
    EXPECT_EQ(KeyCodeFromName("F0"), -1);
    EXPECT_EQ(KeyCodeFromName("NUMPAD10"), -1);
    EXPECT_EQ(KeyCodeFromName("999"), -1);
}

TEST(ReplayScript, ReadsCommandsAndRejectsBadLinesByNumber) {
    Script s;
    std::string error;
    ASSERT_TRUE(
        ParseScript("# a comment\nseed 7\nstart 100\n\nmove 3 4  # trailing\nkey A\n"
                    "down LEFT\nup LEFT\nclick right\nwait 10\nframes 2\ndump\n"
                    "screenshot a.bmp\nclose\n",
                    &s, &error))
        << error;
    EXPECT_EQ(s.seed, 7u);
    EXPECT_EQ(s.start, 100u);
    ASSERT_EQ(s.commands.size(), 10u);
    EXPECT_EQ(s.commands[0].kind, CommandKind::Move);
    EXPECT_EQ(s.commands[0].b, 4);
    EXPECT_EQ(s.commands[1].a, 65);
    EXPECT_EQ(s.commands[4].a, 1);
    EXPECT_EQ(s.commands[8].file, "a.bmp");

    // Every kind of blank between words, and the commands the list above leaves out, read
    // into the same script: nothing of the first stays.
    Script& blanks = s;
    ASSERT_TRUE(ParseScript("\tmove\t-5\v6\f\r\nhold SHIFT\nrelease 16\nat 4294967295\nlose\n",
                            &blanks, &error))
        << error;
    ASSERT_EQ(blanks.commands.size(), 5u);
    EXPECT_EQ(blanks.seed, 1u);
    EXPECT_EQ(blanks.commands[0].a, -5);
    EXPECT_EQ(blanks.commands[0].b, 6);
    EXPECT_EQ(blanks.commands[1].kind, CommandKind::Hold);
    EXPECT_EQ(blanks.commands[2].a, 16);
    EXPECT_EQ(blanks.commands[3].a, 4294967295);
    EXPECT_EQ(blanks.commands[4].kind, CommandKind::Lose);

    const char* bad[] = {"wait\n",
                         "wait -1\n",
                         "wait 1x\n",
                         "move 1\n",
                         "key a\n",
                         "click middle\n",
                         "jump 3\n",
                         "dump now\n",
                         "wait 1\nseed 3\n",
                         "frames 1\nstart 5\n",
                         "seed 99999999999\n",
                         "seed x\n",
                         "start\n",
                         "wait 0000000000001\n",
                         "at 4294967296\n",
                         "at -1\n",
                         "hold NOPE\n",
                         "release\n",
                         "move 1 x\n",
                         "move x 1\n",
                         "move 1 2 3 4 5\n",
                         "up Q Q\n",
                         "down\n",
                         "click\n",
                         "close now\n",
                         "lose 1\n",
                         "screenshot\n",
                         "frames 100000001\n",
                         "move 100001 0\n",
                         "wait 99999999999999999999\n"};
    for (const char* text : bad) {
        Script t;
        EXPECT_FALSE(ParseScript(std::string("dump\n") + text, &t, &error)) << text;
        EXPECT_NE(error.find("line "), std::string::npos) << error;
    }
    Script t;
    ParseScript("dump\n\nwait 1\nbogus\n", &t, &error);
    EXPECT_EQ(error.rfind("line 4:", 0), 0u) << error;
    // A long bad line is quoted by its start only.
    ParseScript("bogus " + std::string(200, 'x') + "\n", &t, &error);
    EXPECT_LT(error.size(), 100u) << error;
    EXPECT_NE(error.find("..."), std::string::npos) << error;
}

// A script from a pipe, which cannot be read twice, is kept as it is checked and played
// from the copy; a file changed after its check ends the play at the first line that no
// longer reads.
TEST(ReplayScript, PipedScriptsPlayFromACopyAndChangedOnesStopAtTheChange) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const char text[] = "seed 5\nmove 1 2\nwait 3\n";
    ASSERT_EQ(write(ends[1], text, sizeof text - 1), static_cast<ssize_t>(sizeof text - 1));
    close(ends[1]);
    FILE* piped = fdopen(ends[0], "rb");
    ScriptFile fromPipe;
    fromPipe.file = piped;
    Script header;
    std::string error;
    ASSERT_TRUE(CheckScriptFile(&fromPipe, &header, &error)) << error;
    EXPECT_EQ(header.seed, 5u);
    ScriptCommand c;
    ASSERT_TRUE(NextScriptCommand(&fromPipe, &c));
    EXPECT_EQ(c.kind, CommandKind::Move);
    ASSERT_TRUE(NextScriptCommand(&fromPipe, &c));
    EXPECT_EQ(c.a, 3);
    EXPECT_FALSE(NextScriptCommand(&fromPipe, &c));
    std::fclose(piped);

    char name[] = "/tmp/sidescroller-script-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, text, sizeof text - 1), static_cast<ssize_t>(sizeof text - 1));
    close(fd);
    FILE* file = std::fopen(name, "rb");
    ScriptFile changed;
    changed.file = file;
    ASSERT_TRUE(CheckScriptFile(&changed, &header, &error)) << error;
    FILE* rewrite = std::fopen(name, "r+b");
    std::fputs("seed 5\nmove 1 2\nwait x\n", rewrite);
    std::fclose(rewrite);
    ASSERT_TRUE(NextScriptCommand(&changed, &c));
    EXPECT_EQ(c.kind, CommandKind::Move);
    EXPECT_FALSE(NextScriptCommand(&changed, &c));
    std::fclose(file);
    std::remove(name);
}

using ReplayBinaryTest = RunFolderTest;

TEST_F(ReplayBinaryTest, PlaysAScriptAndWritesDumpsAndScreenshots) {
    ReplayOutcome run = RunReplayBinary("seed 5\nwait 100\ndump\nscreenshot shot.bmp\n");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.dumps.size(), 1u) << run.output;
    const Json& d = run.dumps[0];
    EXPECT_EQ(d["t"].Int(), 100);
    EXPECT_EQ(d["frames"].Int(), 3);  // at 26, 52 and 78 ms
    EXPECT_EQ(d["state"].Int(), 7);
    for (const char* key : {"t",          "frames",      "state",
                            "score",      "secondsLeft", "shotsLeft",
                            "scrollX",    "cursor",      "name",
                            "nameLength", "nameX",       "quitAfterCredits",
                            "timers",     "bigBirds",    "smallBirds",
                            "plane",      "para",        "popups",
                            "buttons",    "highScores",  "highScorePhase",
                            "sounds",     "music"}) {
        EXPECT_TRUE(d.Has(key)) << key;
    }
    EXPECT_EQ(d["bigBirds"].size(), 4u);
    EXPECT_EQ(d["smallBirds"].size(), 2u);
    EXPECT_EQ(d["popups"].size(), 10u);
    EXPECT_EQ(d["buttons"].size(), 4u);
    EXPECT_EQ(d["highScores"].size(), 10u);
    EXPECT_EQ(d["timers"][0].Int(), 666);

    Bitmap* shot = LoadBitmapFile("shot.bmp");
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(BitmapWidth(shot), 640);
    EXPECT_EQ(BitmapHeight(shot), 480);
    EXPECT_EQ(BitmapPixel(shot, 5, 5), 0u);
    Bitmap* logo = LoadBitmapFile("data\\logo.bmp");
    ASSERT_NE(logo, nullptr);
    int x = BitmapWidth(logo) / 2, y = BitmapHeight(logo) / 2;
    EXPECT_EQ(ColorToPixel(BitmapPixel(shot, 120 + x, 127 + y)),
              ColorToPixel(BitmapPixel(logo, x, y)));
    DeleteBitmap(shot);
    DeleteBitmap(logo);
}

// Another program took the screen in the middle of a game: the frame after shows what it
// left, the one after that the game again, exactly as if nothing had happened.
TEST_F(ReplayBinaryTest, LostSurfacesAreRestoredByTheNextFrame) {
    const std::string toGame =
        "key A\nkey RETURN\nmove 300 100\nframes 2\nclick left\nmove 200 200\nframes 20\n";
    RunScript(toGame + "frames 1\nscreenshot kept1.bmp\nframes 1\nscreenshot kept2.bmp\n");
    ReplayOutcome run = RunScript(toGame +
                                  "lose\nframes 1\nscreenshot lost1.bmp\nframes 1\n"
                                  "screenshot lost2.bmp\ndump\n");
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_EQ(run.dumps[0]["state"].Int(), 1);
    EXPECT_TRUE(ReadTextFile("lost1.bmp") != ReadTextFile("kept1.bmp"));
    EXPECT_TRUE(ReadTextFile("lost2.bmp") == ReadTextFile("kept2.bmp"));
}

// A recording's moments: "at" jumps the clock straight there, as the real clock does between
// two wakings, and the input after it is taken at that moment, before the frame it allows.
TEST_F(ReplayBinaryTest, AtRunsTheGameOnceAtThatClockWithTheInputThatFollows) {
    ReplayOutcome run = RunReplayBinary("at 100\nkey A\nkey B\ndump\nat 5100\ndump\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.dumps.size(), 2u) << run.output;
    EXPECT_EQ(run.dumps[0]["t"].Int(), 100);
    EXPECT_EQ(run.dumps[0]["frames"].Int(), 1);  // stepping there would have drawn 3
    EXPECT_EQ(run.dumps[0]["state"].Int(), 8);
    EXPECT_EQ(NameBytes(run.dumps[0]["name"]), "B");
    EXPECT_EQ(run.dumps[1]["t"].Int(), 5100);
    EXPECT_EQ(run.dumps[1]["frames"].Int(), 2);
    EXPECT_EQ(run.dumps[1]["secondsLeft"].Int(), -1);  // missed ticks are not made up
}

TEST_F(ReplayBinaryTest, ABadScriptLineGivesItsNumberAndExitCode2) {
    ReplayOutcome run = RunReplayBinary("wait 10\n\nfly away\n");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.errors.find("line 3"), std::string::npos) << run.errors;
    EXPECT_FALSE(std::filesystem::exists("log.txt"));  // the game never started
}

}  // namespace
