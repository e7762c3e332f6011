// Birds: their starts, flapping and falling, leaving the world, and how they are cut at the
// edges of the view.
#include <vector>

#include "hunt/random.h"
#include "tests/support/hunt_fixture.h"

using namespace hunt_test;

namespace {

class BirdTest : public HuntTest {};

struct Start {
    int32_t direction, x, y, dx, dy, frame;
};

// What the generator's next three draws make of a bird: direction, height, vertical speed.
Start ExpectedStart(bool big, int32_t leftX) {
    Start s;
    s.direction = GameRandom() % 2;
    s.y = GameRandom() % 400;
    const int32_t drawn = GameRandom() % (big ? 5 : 3);
    s.dy = drawn > 2 ? 2 - drawn : drawn;
    s.x = s.direction == 0 ? leftX : 1280;
    s.dx = (s.direction == 0 ? 1 : -1) * (big ? 3 : 1);
    s.frame = s.direction * 11;
    return s;
}

void ExpectStart(const Bird& bird, const Start& want, Surface* right, Surface* left) {
    EXPECT_EQ(bird.direction, want.direction);
    EXPECT_EQ(bird.x, want.x);
    EXPECT_EQ(bird.y, want.y);
    EXPECT_EQ(bird.dx, want.dx);
    EXPECT_EQ(bird.dy, want.dy);
    EXPECT_EQ(bird.frame, want.frame);
    EXPECT_EQ(bird.tick, 0);
    EXPECT_EQ(bird.active, 1);
    EXPECT_EQ(bird.falling, 0);
    EXPECT_EQ(bird.image, want.direction == 0 ? right : left);
}

TEST_F(BirdTest, GameStartDrawsDirectionHeightAndSpeedPerBirdInOrder) {
    bool seen[2][2] = {};  // [small][direction]
    for (unsigned seed = 1; seed <= 40; seed++) {
        SeedGameRandom(seed);
        Start want[6];
        for (int i = 0; i < 4; i++) want[i] = ExpectedStart(true, -100);
        for (int i = 4; i < 6; i++) want[i] = ExpectedStart(false, -100);
        SeedGameRandom(seed);
        SpawnInitialBirds();
        for (int i = 0; i < 4; i++) {
            ExpectStart(bigBirds[i], want[i], assetSurfaces.kralo, assetSurfaces.kralo2);
            EXPECT_EQ(bigBirds[i].size, 0);
            seen[0][want[i].direction] = true;
        }
        for (int i = 0; i < 2; i++) {
            ExpectStart(smallBirds[i], want[4 + i], assetSurfaces.pelko, assetSurfaces.pelko2);
            EXPECT_EQ(smallBirds[i].size, 1);
            seen[1][want[4 + i].direction] = true;
        }
    }
    EXPECT_TRUE(seen[0][0] && seen[0][1] && seen[1][0] && seen[1][1]);
}

TEST_F(BirdTest, RespawnBringsASmallBirdBackAtMinus50AndKeepsSpeedsInRange) {
    bool sawSmallLeft = false, sawBigClimb = false;
    for (unsigned seed = 1; seed <= 60; seed++) {
        for (int16_t size = 0; size <= 1; size++) {
            Bird bird = {};
            bird.size = size;
            bird.falling = 1;
            bird.tick = 3;
            SeedGameRandom(seed);
            const Start want = ExpectedStart(size == 0, size == 0 ? -100 : -50);
            SeedGameRandom(seed);
            bird.Respawn();
            if (size == 0) {
                ExpectStart(bird, want, assetSurfaces.kralo, assetSurfaces.kralo2);
                EXPECT_GE(bird.dy, -2);
                EXPECT_LE(bird.dy, 2);
                sawBigClimb |= bird.dy < 0;
            } else {
                ExpectStart(bird, want, assetSurfaces.pelko, assetSurfaces.pelko2);
                EXPECT_GE(bird.dy, 0);
                EXPECT_LE(bird.dy, 2);
                sawSmallLeft |= bird.direction == 0;
            }
        }
    }
    EXPECT_TRUE(sawSmallLeft);
    EXPECT_TRUE(sawBigClimb);
}

std::vector<int32_t> FramesOver(Bird& bird, int advances) {
    std::vector<int32_t> frames;
    for (int i = 0; i < advances; i++) {
        bird.Advance();
        frames.push_back(bird.frame);
    }
    return frames;
}

TEST_F(BirdTest, FlightFramesChangeEveryFourthAdvance) {
    Bird& bird = bigBirds[0];
    PlaceBird(bird, 0, 0, 100, 100, 0);
    const std::vector<int32_t> frames = FramesOver(bird, 52);
    // Picture 0 stays for the advances 1 to 3, then each picture for four.
    EXPECT_EQ(frames[2], 0);
    EXPECT_EQ(frames[3], 1);
    EXPECT_EQ(frames[6], 1);
    EXPECT_EQ(frames[7], 2);
    EXPECT_EQ(frames[43], 11);
    EXPECT_EQ(frames[47], 0);  // 11 wraps back to 0: a cycle of 12 pictures
    EXPECT_EQ(frames[51], 1);
    EXPECT_EQ(bird.x, 100 + 52 * 3);
}

TEST_F(BirdTest, FlyingLeftTheCycleRunsElevenDownToOneAndNeverShowsZero) {
    Bird& bird = bigBirds[0];
    PlaceBird(bird, 0, 1, 900, 100, 11);
    const std::vector<int32_t> frames = FramesOver(bird, 4 * 11 * 2);
    std::vector<int32_t> cycle;
    for (size_t i = 3; i < 4 * 11 + 3; i += 4) cycle.push_back(frames[i]);
    EXPECT_EQ(cycle, (std::vector<int32_t>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 11}));
    for (int32_t frame : frames) EXPECT_NE(frame, 0);
}

TEST_F(BirdTest, BigBirdFlyingRightLeavesInItsAdvance468AndRespawnsNextFrame) {
    Bird& bird = bigBirds[0];
    PlaceBird(bird, 0, 0, -100, 200, 0);
    int advances = 0;
    while (bird.active && advances < 1000) {
        bird.Advance();
        advances++;
    }
    EXPECT_EQ(advances, 468);
    EXPECT_EQ(bird.x, 0);
    EXPECT_EQ(bird.y, 0);
    EXPECT_EQ(bird.dx, 0);
    EXPECT_EQ(bird.frame, 0);
    EXPECT_EQ(bird.tick, 1);  // the flight step still ran on the cleared bird
    ClearBack();
    bird.ComputeFrameRect();
    bird.ClipAndDraw();
    EXPECT_EQ(bird.active, 1);
    EXPECT_TRUE(bird.x == -100 || bird.x == 1280);
    EXPECT_EQ(CountChanged(), 0);  // respawned outside the view
}

TEST_F(BirdTest, BirdsLeaveTheWorldOnEverySide) {
    const int32_t outside[][2] = {{-111, 100}, {1301, 100}, {500, -131}, {500, 501}};
    for (const auto& at : outside) {
        Bird& bird = smallBirds[0];
        PlaceBird(bird, 1, 0, at[0], at[1]);
        bird.Advance();
        EXPECT_EQ(bird.active, 0) << at[0] << "," << at[1];
    }
    const int32_t inside[][2] = {{-110, 100}, {1300, 100}, {500, -130}, {500, 500}};
    for (const auto& at : inside) {
        Bird& bird = smallBirds[0];
        PlaceBird(bird, 1, 0, at[0], at[1]);
        bird.Advance();
        EXPECT_EQ(bird.active, 1) << at[0] << "," << at[1];
    }
}

TEST_F(BirdTest, AShotBirdFallsThroughItsFallingPicturesAndHoldsTheLast) {
    for (int32_t direction = 0; direction <= 1; direction++) {
        Bird& bird = bigBirds[1];
        PlaceBird(bird, 0, direction, 300, 100, 5);
        bird.tick = 2;
        bird.Hit();
        EXPECT_EQ(bird.falling, 1);
        EXPECT_EQ(bird.dx, 0);
        EXPECT_EQ(bird.dy, 2);
        EXPECT_EQ(bird.tick, 2);  // kept, so the first change comes sooner
        EXPECT_EQ(bird.frame, direction == 0 ? 12 : 17);
        const std::vector<int32_t> frames = FramesOver(bird, 60);
        EXPECT_EQ(frames[0], direction == 0 ? 12 : 17);
        EXPECT_EQ(frames[1], direction == 0 ? 13 : 16);
        EXPECT_EQ(frames[5], direction == 0 ? 14 : 15);
        EXPECT_EQ(frames.back(), direction == 0 ? 17 : 12);
        EXPECT_EQ(bird.x, 300);
        EXPECT_EQ(bird.y, 100 + 120);
    }
    Bird& small = smallBirds[0];
    PlaceBird(small, 1, 0, 300, 100);
    small.Hit();
    EXPECT_EQ(small.dy, 1);
}

TEST_F(BirdTest, FrameRectanglePicksTheCellOfTheFrame) {
    Bird& big = bigBirds[0];
    PlaceBird(big, 0, 0, 0, 0, 13);
    EXPECT_EQ(big.srcRect.left, 100);
    EXPECT_EQ(big.srcRect.top, 240);
    EXPECT_EQ(big.srcRect.right, 200);
    EXPECT_EQ(big.srcRect.bottom, 360);
    Bird& small = smallBirds[0];
    PlaceBird(small, 1, 0, 0, 0, 11);
    EXPECT_EQ(small.frameRect.left, 250);
    EXPECT_EQ(small.frameRect.top, 60);
    EXPECT_EQ(small.frameRect.right, 300);
    EXPECT_EQ(small.frameRect.bottom, 120);
}

TEST_F(BirdTest, BirdsAreCutAtEveryEdgeOfTheView) {
    scrollX = 100;
    // A big bird at screen x 590 shows its left 50 columns.
    ClearBack();
    PlaceBird(bigBirds[0], 0, 0, 690, 200, 0);
    bigBirds[0].ClipAndDraw();
    EXPECT_EQ(bigBirds[0].screenX, 590);
    EXPECT_EQ(bigBirds[0].srcRect.right, 50);
    ExpectBlock(KRALO, 100, 120, 0, 0, 50, 120, 590, 200);

    // A small bird at screen x 600 shows its left 40 columns.
    ClearBack();
    PlaceBird(smallBirds[0], 1, 1, 700, 100, 1);
    smallBirds[0].ClipAndDraw();
    ExpectBlock(PELKO2, 50, 60, 50, 0, 40, 60, 600, 100);

    // Past the left edge: the right part of the frame at screen x 0.
    ClearBack();
    PlaceBird(bigBirds[0], 0, 0, 70, 50, 7);
    bigBirds[0].ClipAndDraw();
    EXPECT_EQ(bigBirds[0].screenX, 0);
    ExpectBlock(KRALO, 100, 120, 100 + 30, 120, 70, 120, 0, 50);

    // Above the top: drawn at screen y 0 from row 20 of its frame.
    ClearBack();
    PlaceBird(bigBirds[0], 0, 0, 300, -20, 0);
    bigBirds[0].ClipAndDraw();
    EXPECT_EQ(bigBirds[0].screenY, 0);
    ExpectBlock(KRALO, 100, 120, 0, 20, 100, 100, 200, 0);

    // A big bird at y 400 shows its top 80 rows.
    ClearBack();
    PlaceBird(bigBirds[0], 0, 0, 300, 400, 6);
    bigBirds[0].ClipAndDraw();
    ExpectBlock(KRALO, 100, 120, 0, 120, 100, 80, 200, 400);
}

TEST_F(BirdTest, BirdsWhollyOutsideTheViewAreNotDrawn) {
    scrollX = 200;
    const int32_t outside[][2] = {{99, 100}, {840, 100}, {400, -120}, {400, 480}, {1280, 10}};
    for (const auto& at : outside) {
        ClearBack();
        PlaceBird(bigBirds[2], 0, 0, at[0], at[1]);
        bigBirds[2].ClipAndDraw();
        EXPECT_EQ(CountChanged(), 0) << at[0] << "," << at[1];
    }
}

}  // namespace
