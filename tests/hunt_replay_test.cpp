// Whole games through the replay: the seeded start, a shot at a bird worked out from the
// seed, the magazine, scrolling, the clock and the two ways Escape ends a game.
#include <cstdlib>
#include <string>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "tests/support/replay_runner.h"

namespace {

using HuntReplayTest = RunFolderTest;

constexpr unsigned SEED = 5;

// Logo, the name "BO", the menu, and a click on the new-game button; the first game frame
// has not run yet.
std::string NewGame(unsigned seed) {
    return "seed " + std::to_string(seed) +
           "\nwait 100\nkey A\nkey B\nkey O\nkey RETURN\nwait 30\n"
           "move 275 95\nframes 2\nclick left\n";
}

struct BirdStart {
    int direction, x, y, dx, dy;
};

// What a new game makes of the seed: three draws per bird, big birds first.
void ExpectedBirds(unsigned seed, BirdStart birds[6]) {
    std::srand(seed);
    for (int i = 0; i < 6; i++) {
        const bool big = i < 4;
        BirdStart& b = birds[i];
        b.direction = std::rand() % 2;
        b.y = std::rand() % 400;
        const int drawn = std::rand() % (big ? 5 : 3);
        b.dy = drawn > 2 ? 2 - drawn : drawn;
        b.x = b.direction == 0 ? -100 : 1280;
        b.dx = (b.direction == 0 ? 1 : -1) * (big ? 3 : 1);
    }
}

int CountSound(const Json& dump, const char* file) {
    int count = 0;
    for (size_t i = 0; i < dump["sounds"].size(); i++) count += dump["sounds"][i].text == file;
    return count;
}

int CountScores(const Json& dump, int score, const std::string& name) {
    int count = 0;
    for (size_t i = 0; i < dump["highScores"].size(); i++) {
        const Json& entry = dump["highScores"][i];
        count += entry["score"].Int() == score && NameBytes(entry["name"]) == name;
    }
    return count;
}

TEST_F(HuntReplayTest, ASeededGameStartsEveryObjectFromItsDraws) {
    BirdStart want[6];
    ExpectedBirds(SEED, want);
    std::srand(SEED);
    int draws[21];
    for (int& r : draws) r = std::rand();

    ReplayOutcome run = RunReplayBinary(NewGame(SEED) + "frames 1\ndump\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.dumps.size(), 1u) << run.output;
    const Json& d = run.dumps[0];
    EXPECT_EQ(d["state"].Int(), 1);
    EXPECT_EQ(d["secondsLeft"].Int(), 120);
    EXPECT_EQ(d["score"].Int(), 0);
    EXPECT_EQ(d["shotsLeft"].Int(), 8);
    EXPECT_EQ(d["scrollX"].Int(), 0);
    for (int i = 0; i < 6; i++) {
        const Json& b = i < 4 ? d["bigBirds"][i] : d["smallBirds"][i - 4];
        EXPECT_EQ(b["direction"].Int(), want[i].direction) << i;
        EXPECT_EQ(b["x"].Int(), want[i].x + want[i].dx) << i;  // drawn, then moved once
        EXPECT_EQ(b["y"].Int(), want[i].y + want[i].dy) << i;
        EXPECT_EQ(b["frame"].Int(), want[i].direction * 11) << i;
        EXPECT_EQ(b["tick"].Int(), 1) << i;
        EXPECT_EQ(b["active"].Int(), 1) << i;
    }
    const int planeDirection = draws[18] % 2;
    EXPECT_EQ(d["plane"]["direction"].Int(), planeDirection);
    EXPECT_EQ(d["plane"]["x"].Int(), planeDirection == 0 ? -218 : 1278);
    EXPECT_EQ(d["plane"]["y"].Int(), 10);
    const int paraDirection = draws[20] % 2;
    EXPECT_EQ(d["para"]["x"].Int(), draws[19] % 1200 + (paraDirection == 0 ? 1 : -1));
    EXPECT_EQ(d["para"]["y"].Int(), -179);
    EXPECT_EQ(d["para"]["frame"].Int(), paraDirection * 4);
    for (size_t i = 0; i < 10; i++) EXPECT_EQ(d["popups"][i]["active"].Int(), 0);
}

// An opaque point of a big bird's flight picture, from the picture file itself.
bool OpaquePoint(int direction, int frame, int* px, int* py) {
    Bitmap* sheet = LoadBitmapFile(direction == 0 ? "data\\kralo.bmp" : "data\\kralo2.bmp");
    if (sheet == nullptr) return false;
    const int left = (frame % 6) * 100, top = (frame / 6) * 120;
    bool found = false;
    for (int y = 40; y < 80 && !found; y++) {
        for (int x = 30; x < 70 && !found; x++) {
            if (ColorToPixel(BitmapPixel(sheet, left + x, top + y)) != 0) {
                *px = x;
                *py = y;
                found = true;
            }
        }
    }
    DeleteBitmap(sheet);
    return found;
}

TEST_F(HuntReplayTest, AShotAtABirdWorkedOutFromTheSeedHitsAndEscapeSavesItOnce) {
    // After 60 frames a right-flying big bird stands at x 80; pick a seed that has one in
    // view, with no big bird before it in the order over the same point.
    const int frames = 60;
    unsigned seed = 0;
    int target = -1, hx = 0, hy = 0;
    for (unsigned s = 1; s < 200 && target < 0; s++) {
        BirdStart birds[6];
        ExpectedBirds(s, birds);
        for (int i = 0; i < 4 && target < 0; i++) {
            const int y = birds[i].y + frames * birds[i].dy;
            if (birds[i].direction != 0 || y < 0 || y > 300) continue;
            int px, py;
            // The picture last shown is the one of frame 60, after 59 advances.
            ASSERT_TRUE(OpaquePoint(0, (frames - 1) / 4 % 12, &px, &py));
            const int x = birds[i].x + frames * birds[i].dx;
            bool covered = false;
            for (int j = 0; j < i; j++) {
                const int ox = birds[j].x + frames * birds[j].dx;
                const int oy = birds[j].y + frames * birds[j].dy;
                covered |= x + px >= ox && x + px < ox + 100 && y + py >= oy && y + py < oy + 120;
            }
            if (covered) continue;
            seed = s;
            target = i;
            hx = x + px;
            hy = y + py;
        }
    }
    ASSERT_GE(target, 0);

    ReplayOutcome run =
        RunReplayBinary(NewGame(seed) + "move " + std::to_string(hx - 25) + " " +
                        std::to_string(hy - 25) + "\nframes " + std::to_string(frames) +
                        "\nclick left\nwait 1\ndump\n"
                        "key ESCAPE\nframes 1\ndump\n"
                        "key ESCAPE\nframes 1\ndump\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.dumps.size(), 3u) << run.output;
    const Json& shot = run.dumps[0];
    EXPECT_EQ(shot["bigBirds"][target]["falling"].Int(), 1);
    EXPECT_EQ(shot["score"].Int(), 10);
    EXPECT_EQ(shot["shotsLeft"].Int(), 7);
    EXPECT_EQ(CountSound(shot, "data\\shot.wav"), 1);
    EXPECT_EQ(shot["popups"][0]["active"].Int(), 1);
    EXPECT_EQ(shot["popups"][0]["text"].text, "10");
    EXPECT_EQ(shot["popups"][0]["x"].Int(), shot["bigBirds"][target]["x"].Int() + 50);

    // A tap of Escape, released before the next frame, ends the game there...
    EXPECT_EQ(run.dumps[1]["state"].Int(), 2);
    EXPECT_EQ(CountScores(run.dumps[1], 10, "BO"), 1);
    // ...so a second Escape lands in the menu and saves nothing more.
    EXPECT_EQ(run.dumps[2]["state"].Int(), 2);
    EXPECT_EQ(CountScores(run.dumps[2], 10, "BO"), 1);
}

TEST_F(HuntReplayTest, EscapeHeldEndsTheGameInTheNextFrame) {
    ReplayOutcome run =
        RunReplayBinary(NewGame(SEED) + "frames 3\ndown ESCAPE\nframes 1\ndump\nup ESCAPE\n");
    ASSERT_EQ(run.dumps.size(), 1u) << run.output;
    EXPECT_EQ(run.dumps[0]["state"].Int(), 2);
}

TEST_F(HuntReplayTest, TheMagazineEmptiesAndReloadsOnlyWhenEmpty) {
    std::string script = NewGame(SEED) + "move 300 5\nframes 1\n";
    for (int i = 0; i < 8; i++) script += "click left\nframes 1\n";
    script +=
        "dump\nclick left\nframes 1\ndump\nclick right\nframes 1\ndump\n"
        "click right\nframes 1\ndump\n";
    ReplayOutcome run = RunReplayBinary(script);
    ASSERT_EQ(run.dumps.size(), 4u) << run.output;
    EXPECT_EQ(run.dumps[0]["shotsLeft"].Int(), 0);
    EXPECT_EQ(CountSound(run.dumps[0], "data\\shot.wav"), 8);
    EXPECT_EQ(run.dumps[1]["shotsLeft"].Int(), 0);  // a shot at 0 does nothing
    EXPECT_EQ(run.dumps[1]["sounds"].size(), 0u);
    EXPECT_EQ(run.dumps[2]["shotsLeft"].Int(), 8);
    EXPECT_EQ(CountSound(run.dumps[2], "data\\load.wav"), 1);
    EXPECT_EQ(run.dumps[3]["shotsLeft"].Int(), 8);
    EXPECT_EQ(run.dumps[3]["sounds"].size(), 0u);
}

TEST_F(HuntReplayTest, EdgeAndKeyScrollingMoveEightPixelsAFrame) {
    ReplayOutcome run = RunReplayBinary(NewGame(SEED) +
                                        "move 620 470\ndown RIGHT\nframes 10\ndump\n"
                                        "frames 80\ndump\nup RIGHT\n"
                                        "move 0 100\nframes 1\ndump\n");
    ASSERT_EQ(run.dumps.size(), 3u) << run.output;
    EXPECT_EQ(run.dumps[0]["scrollX"].Int(), 80);
    EXPECT_EQ(run.dumps[0]["cursor"][0].Int(), 590);
    EXPECT_EQ(run.dumps[0]["cursor"][1].Int(), 430);
    EXPECT_EQ(run.dumps[1]["scrollX"].Int(), 640);
    EXPECT_EQ(run.dumps[2]["scrollX"].Int(), 636);
}

TEST_F(HuntReplayTest, TheClockEndsTheGameAfter121Ticks) {
    ReplayOutcome run = RunReplayBinary(NewGame(SEED) +
                                        "frames 1\ndump\nwait 120000\ndump\n"
                                        "wait 1000\ndump\n");
    ASSERT_EQ(run.dumps.size(), 3u) << run.output;
    EXPECT_EQ(run.dumps[0]["secondsLeft"].Int(), 120);
    EXPECT_EQ(run.dumps[1]["state"].Int(), 1);
    EXPECT_EQ(run.dumps[1]["secondsLeft"].Int(), 0);
    EXPECT_EQ(run.dumps[2]["state"].Int(), 4);
    EXPECT_EQ(run.dumps[2]["secondsLeft"].Int(), -1);
}

}  // namespace
