// Every file the game reads, missing, empty, truncated or garbage: a picture stops the game
// with its name and a non-zero exit; anything else lets it start and play. Never a crash,
// a hang, or a damaged "high.dat".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/game_fixture.h"

namespace fs = std::filesystem;

namespace {

enum class Damage { Missing, Empty, Truncated, Garbage };
const Damage DAMAGES[] = {Damage::Missing, Damage::Empty, Damage::Truncated, Damage::Garbage};

const char* PICTURES[] = {"side1",  "side2",   "baum",    "plane",   "cursor",   "ammo", "kralo",
                          "kralo2", "pelko",   "pelko2",  "para",    "menu",     "high", "font",
                          "logo",   "newgame", "beenden", "credits", "highscore"};

// A short session: logo, name, a game with shots and a reload, Escape, the high scores.
const char* SESSION =
    "wait 100\nkey A\nkey B\nkey RETURN\nmove 300 100\nwait 100\nclick left\n"
    "move 300 200\nwait 100\nclick left\nclick left\nwait 500\ndown ESCAPE\nwait 100\nup ESCAPE\n"
    "move 300 350\nwait 100\nclick left\nwait 200\ndump\n";

class BadInputTest : public RunFolderTest {
protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        // Real copies, so that one file can be damaged.
        fs::remove("data");
        fs::remove("font.des");
        fs::copy(fs::path(SOURCE_DIR) / "data", "data");
        fs::copy(fs::path(SOURCE_DIR) / "font.des", "font.des");
    }

    void Damage(const std::string& path, enum Damage damage) {
        std::string original = ReadTextFile(path);
        switch (damage) {
            case Damage::Missing:
                fs::remove(path);
                break;
            case Damage::Empty:
                WriteTextFile(path, "");
                break;
            case Damage::Truncated:
                WriteTextFile(path, original.substr(0, original.size() / 3));
                break;
            case Damage::Garbage: {
                std::string junk;
                for (size_t i = 0; i < 5000; ++i) junk += static_cast<char>((i * 7919 + 13) % 251);
                WriteTextFile(path, junk);
                break;
            }
        }
    }
};

TEST_F(BadInputTest, ADamagedPictureStopsTheGameNamingIt) {
    for (const char* picture : PICTURES) {
        std::string path = std::string("data/") + picture + ".bmp";
        std::string original = ReadTextFile(path);
        for (enum Damage damage : DAMAGES) {
            Damage(path, damage);
            ReplayOutcome run = RunReplayBinary(SESSION);
            EXPECT_EQ(run.exitCode, 1) << path << " " << static_cast<int>(damage);
            const char* reason = damage == Damage::Missing ? ": missing" : ": damaged";
            EXPECT_NE(run.errors.find("cannot use the picture " + path + reason), std::string::npos)
                << run.errors;
            EXPECT_TRUE(run.dumps.empty());
            WriteTextFile(path, original);
        }
    }
}

TEST_F(BadInputTest, DamagedSoundsFontAndScoresStillLetTheGamePlay) {
    const char* optional[] = {"data/tavok.mid", "data/shot.wav", "data/load.wav", "font.des",
                              "high.dat"};
    for (const char* path : optional) {
        for (enum Damage damage : DAMAGES) {
            if (std::string(path) == "high.dat") WriteTextFile(path, "seed\n");
            std::string original = fs::exists(path) ? ReadTextFile(path) : "";
            Damage(path, damage);
            ReplayOutcome run = RunReplayBinary(SESSION);
            EXPECT_EQ(run.exitCode, 0) << path << " " << static_cast<int>(damage) << run.errors;
            ASSERT_EQ(run.dumps.size(), 1u) << path;
            EXPECT_EQ(run.dumps[0]["state"].Int(), 4) << path;  // the high-score screen
            // Whatever the scores file held, what the game writes loads back as ten lines.
            std::string saved = ReadTextFile("high.dat");
            EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 10) << path;
            fs::remove("high.dat");
            if (!original.empty()) WriteTextFile(path, original);
        }
    }
}

}  // namespace
