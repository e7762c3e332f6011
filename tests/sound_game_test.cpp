// The game's own sound calls: the music at start-up, and the shot and reload effects.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "app/app.h"
#include "hunt/hunt.h"
#include "platform/headless/headless.h"
#include "tests/support/game_fixture.h"
#include "tests/support/sound_files.h"

namespace fs = std::filesystem;

namespace {

// A run folder like the game's, but with its own "data\tavok.mid", or none when the music
// is not given; every other file links to the game's.
std::string EnterFolderWithMusic(const char* name, bool withMusic) {
    std::string folder = EnterTempGameFolder(name);
    for (const auto& entry : fs::directory_iterator(fs::path(SOURCE_DIR) / "data")) {
        if (entry.path().filename() == "tavok.mid") continue;
        fs::create_symlink(entry.path(), fs::path("data") / entry.path().filename());
    }
    fs::create_symlink(fs::path(SOURCE_DIR) / "font.des", "font.des");
    if (withMusic) WriteTestMidi("data/tavok.mid", 4, 250);  // one second
    return folder;
}

std::string WithoutSound(const std::string& output) {
    static const std::regex sound(R"("sounds":\[[^\]]*\],"music":"[a-z]*")");
    return std::regex_replace(output, sound, "");
}

using SoundStartUpTest = GameTest;

TEST_F(SoundStartUpTest, TheMusicIsOpenedAndStartedOnceBeforeTheWindowExists) {
    HeadlessMciCall calls[8];
    ASSERT_EQ(HeadlessMciCalls(calls, 8), 2);
    EXPECT_EQ(calls[0].message, MCI_OPEN);
    EXPECT_EQ(calls[0].result, 0u);
    EXPECT_EQ(calls[1].message, MCI_PLAY);
    EXPECT_EQ(calls[1].result, 0u);
    EXPECT_STREQ(musicOpenParams.lpstrElementName, "data\\tavok.mid");
    EXPECT_EQ(musicPlayParams.dwCallback, 0u);  // the window came after the music
    EXPECT_NE(mainWindow, nullptr);
    EXPECT_STREQ(HeadlessMusicState(), "playing");

    HeadlessSoundEvent events[4];
    ASSERT_EQ(HeadlessSoundEvents(events, 4), 1);
    EXPECT_STREQ(events[0].file, "data\\tavok.mid");
    EXPECT_TRUE(events[0].music);
}

const char* const SESSION = R"(
wait 100
dump
key SPACE
wait 100
key A
wait 100
key RETURN
wait 100
move 210 95
frames 2
click left
frames 3
move 300 200
frames 2
click left
wait 100
click right
wait 1500
dump
down ESCAPE
frames 2
up ESCAPE
frames 2
dump
)";

TEST(SoundSessionTest, AMissingMusicFileGivesNoMusicAndChangesNothingElse) {
    std::string with = EnterFolderWithMusic("with-music", true);
    // Each run in a process of its own: a second start-up in one process would leak the
    // first one's pictures, which the game holds until it ends.
    ReplayOutcome heard = RunReplayBinary(SESSION);
    RemoveTempGameFolder(with);
    std::string without = EnterFolderWithMusic("without-music", false);
    ReplayOutcome silent = RunReplayBinary(SESSION);
    RemoveTempGameFolder(without);

    ASSERT_EQ(heard.dumps.size(), 3u);
    ASSERT_EQ(silent.dumps.size(), 3u);
    EXPECT_EQ(heard.dumps[0]["music"].text, "playing");
    EXPECT_EQ(heard.dumps[0]["sounds"][0].text, "data\\tavok.mid");
    for (const Json& dump : silent.dumps) {
        EXPECT_EQ(dump["music"].text, "none");
        for (const Json& sound : dump["sounds"].items) EXPECT_NE(sound.text, "data\\tavok.mid");
    }
    EXPECT_EQ(heard.exitCode, silent.exitCode);
    EXPECT_EQ(WithoutSound(heard.output), WithoutSound(silent.output));
}

TEST(SoundSessionTest, TheMusicIsNeverStartedAgainAfterItsEnd) {
    std::string folder = EnterFolderWithMusic("music-end", true);
    ReplayOutcome run = RunScript(SESSION);
    RemoveTempGameFolder(folder);

    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_EQ(run.dumps[0]["music"].text, "playing");
    for (size_t i = 1; i < run.dumps.size(); ++i) {
        EXPECT_EQ(run.dumps[i]["music"].text, "stopped") << i;
        for (const Json& sound : run.dumps[i]["sounds"].items) {
            EXPECT_NE(sound.text, "data\\tavok.mid") << i;
        }
    }
}

}  // namespace
