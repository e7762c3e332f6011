// Shots: the hit tests in their order, the points, the popups and the magazine.
#include <cstring>
#include <string>

#include "tests/support/hunt_fixture.h"

using namespace hunt_test;

namespace {

class ShotTest : public HuntTest {
protected:
    void SetUp() override {
        HuntTest::SetUp();
        ParkBirds();
    }

    static int ActivePopups() {
        int count = 0;
        for (const ScorePopup& popup : popups) count += popup.active;
        return count;
    }

    static int ShotSounds() {
        HeadlessSoundEvent events[16];
        const int count = HeadlessSoundEvents(events, 16);
        int shots = 0;
        for (int i = 0; i < count; i++) shots += std::strcmp(events[i].file, "data\\shot.wav") == 0;
        return shots;
    }

    static void PlacePlane(int32_t direction, int32_t x, int32_t y) {
        plane = {};
        plane.active = 1;
        plane.direction = direction;
        plane.x = x;
        plane.y = y;
        plane.srcRect = {0, direction * 60, 220, direction * 60 + 60};
        plane.frameRect = plane.srcRect;
    }

    static void PlacePara(int32_t direction, int32_t x, int32_t y) {
        para = {};
        para.active = 1;
        para.direction = direction;
        para.frame = direction * 4;
        para.x = x;
        para.y = y;
        para.ComputeFrameRect();
    }
};

TEST_F(ShotTest, AnOpaquePixelHitsTheBirdScoresAndShowsThePoints) {
    scrollX = 100;
    PlaceBird(bigBirds[0], 0, 0, 400, 200);
    AimAt(450, 250);
    FireShot();
    EXPECT_EQ(bigBirds[0].falling, 1);
    EXPECT_EQ(score, 10);
    EXPECT_EQ(shotsLeft, 7);
    EXPECT_EQ(ShotSounds(), 1);
    EXPECT_EQ(popups[0].active, 1);
    EXPECT_EQ(popups[0].ttl, 40);
    EXPECT_STREQ(popups[0].text, "10");
    EXPECT_EQ(popups[0].x, 350);
    EXPECT_EQ(popups[0].y, 300);
    EXPECT_EQ(ActivePopups(), 1);

    PlaceBird(smallBirds[1], 1, 1, 700, 30);
    AimAt(720, 50);
    FireShot();
    EXPECT_EQ(smallBirds[1].falling, 1);
    EXPECT_EQ(score, 30);
    EXPECT_STREQ(popups[1].text, "20");
    EXPECT_EQ(popups[1].x, 700 + 25 - 100);
    EXPECT_EQ(popups[1].y, 100);
}

TEST_F(ShotTest, AMissStillTakesACartridgeAndPlaysTheSound) {
    PlaceBird(bigBirds[0], 0, 0, 400, 200);
    AimAt(50, 50);
    FireShot();
    EXPECT_EQ(bigBirds[0].falling, 0);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(shotsLeft, 7);
    EXPECT_EQ(ShotSounds(), 1);
    EXPECT_EQ(ActivePopups(), 0);
}

TEST_F(ShotTest, ATransparentPixelMissesAndLaterTargetsAreStillTested) {
    PlaceBird(bigBirds[0], 0, 0, 400, 200);
    PlaceBird(smallBirds[0], 1, 0, 395, 195);
    AimAt(405, 205);  // in the big bird's hole, on the small bird's body
    FireShot();
    EXPECT_EQ(bigBirds[0].falling, 0);
    EXPECT_EQ(smallBirds[0].falling, 1);
    EXPECT_EQ(score, 20);
    EXPECT_EQ(popups[0].x, 395 + 25);
    EXPECT_EQ(popups[0].y, 195 + 70);
}

TEST_F(ShotTest, TheLeftAndTopEdgesAreInsideTheRightAndBottomOutside) {
    struct Case {
        int32_t hx, hy;
        bool hit;
    };
    const Case cases[] = {{400, 215, true},  {415, 200, true},  {499, 319, true},
                          {500, 215, false}, {415, 320, false}, {399, 215, false}};
    for (const Case& c : cases) {
        score = 0;
        PlaceBird(bigBirds[0], 0, 0, 400, 200);
        AimAt(c.hx, c.hy);
        FireShot();
        EXPECT_EQ(bigBirds[0].falling, c.hit ? 1 : 0) << c.hx << "," << c.hy;
        EXPECT_EQ(score, c.hit ? 10 : 0);
    }
}

TEST_F(ShotTest, OverlappingBirdsOnlyTheFirstOpaqueOneInOrderIsHit) {
    PlaceBird(bigBirds[0], 0, 0, 400, 200);
    PlaceBird(bigBirds[1], 0, 1, 400, 200);
    AimAt(450, 250);
    FireShot();
    EXPECT_EQ(bigBirds[0].falling, 1);
    EXPECT_EQ(bigBirds[1].falling, 0);
    EXPECT_EQ(score, 10);
    EXPECT_EQ(ActivePopups(), 1);

    // The earlier bird shows its hole there: the later one takes the shot.
    PlaceBird(bigBirds[2], 0, 0, 600, 200);
    PlaceBird(bigBirds[3], 0, 0, 595, 195);
    AimAt(605, 205);
    FireShot();
    EXPECT_EQ(bigBirds[2].falling, 0);
    EXPECT_EQ(bigBirds[3].falling, 1);
}

TEST_F(ShotTest, FallingAndGoneBirdsCannotBeHitAndLetTheShotThrough) {
    PlaceBird(bigBirds[0], 0, 0, 400, 200);
    bigBirds[0].Hit();
    AimAt(450, 250);
    FireShot();
    EXPECT_EQ(score, 0);
    EXPECT_EQ(bigBirds[0].frame, 12);  // untouched by the second shot

    PlaceBird(smallBirds[0], 1, 0, 430, 230);
    FireShot();
    EXPECT_EQ(smallBirds[0].falling, 1);
    EXPECT_EQ(score, 20);

    PlaceBird(bigBirds[1], 0, 0, 100, 100);
    bigBirds[1].active = 0;
    AimAt(150, 150);
    FireShot();
    EXPECT_EQ(score, 20);
    EXPECT_EQ(shotsLeft, 5);
}

TEST_F(ShotTest, TheShotSeesMovedBirdsWithThePictureLastShown) {
    // Only picture 3 has a hole at (60, 60); picture 4 is opaque there.
    WritePixel(assetSurfaces.kralo, 300 + 60, 60, BLACK_KEY);
    PlaceBird(bigBirds[0], 0, 0, 400, 200, 3);
    bigBirds[0].tick = 3;
    bigBirds[0].Advance();  // moves 3 to the right and on to picture 4
    ASSERT_EQ(bigBirds[0].frame, 4);
    AimAt(403 + 60, 260);
    FireShot();
    EXPECT_EQ(bigBirds[0].falling, 0);
    AimAt(403 + 61, 260);
    FireShot();
    EXPECT_EQ(bigBirds[0].falling, 1);
}

TEST_F(ShotTest, PlaneHitCostsThirtyAndItsWhitePartsAreTransparent) {
    scrollX = 40;
    PlacePlane(1, 300, 10);
    AimAt(305, 15);  // the white hole of the left-flying picture
    FireShot();
    EXPECT_EQ(plane.hit, 0);
    AimAt(350, 40);
    FireShot();
    EXPECT_EQ(plane.hit, 1);
    EXPECT_EQ(plane.dy, 2);
    EXPECT_EQ(score, -30);
    EXPECT_STREQ(popups[0].text, "-30");
    EXPECT_EQ(popups[0].x, 300 + 110 - 40);
    EXPECT_EQ(popups[0].y, 110);
    FireShot();  // a diving plane cannot be hit again
    EXPECT_EQ(score, -30);
    plane.active = 0;
    plane.hit = 0;
    FireShot();  // nor one out of play
    EXPECT_EQ(score, -30);
    EXPECT_EQ(ActivePopups(), 1);
}

TEST_F(ShotTest, ParaHitCostsThirtyAndStartsItsAnimation) {
    PlacePara(1, 600, 100);
    AimAt(605, 105);
    FireShot();
    EXPECT_EQ(para.hit, 0);
    AimAt(650, 150);
    FireShot();
    EXPECT_EQ(para.hit, 1);
    EXPECT_EQ(para.tick, 1);
    EXPECT_EQ(para.dx, 0);  // speed untouched
    EXPECT_EQ(score, -30);
    EXPECT_EQ(popups[0].x, 670);
    EXPECT_EQ(popups[0].y, 240);
    FireShot();
    EXPECT_EQ(para.tick, 1);
    para.hit = 0;
    para.active = 0;
    FireShot();
    EXPECT_EQ(score, -30);
}

TEST_F(ShotTest, BirdsAreTestedBeforeThePlaneAndThePara) {
    PlacePara(0, 380, 180);
    PlacePlane(0, 380, 200);
    PlaceBird(smallBirds[1], 1, 0, 420, 220);
    AimAt(450, 250);
    FireShot();
    EXPECT_EQ(smallBirds[1].falling, 1);
    EXPECT_EQ(plane.hit, 0);
    FireShot();
    EXPECT_EQ(plane.hit, 1);
    EXPECT_EQ(para.hit, 0);
    FireShot();
    EXPECT_EQ(para.hit, 1);
    EXPECT_EQ(score, 20 - 30 - 30);
}

TEST_F(ShotTest, AnEleventhHitWithinFortyFramesGetsNoPopupButItsPoints) {
    shotsLeft = 11;
    for (int i = 0; i < 11; i++) {
        PlaceBird(bigBirds[0], 0, 0, 400 + i, 200);
        AimAt(450, 250);
        FireShot();
    }
    EXPECT_EQ(score, 110);
    EXPECT_EQ(shotsLeft, 0);
    EXPECT_EQ(ActivePopups(), 10);
    EXPECT_EQ(popups[9].x, 450 + 9);
    // A slot freed in the middle is the next one taken.
    popups[3].active = 0;
    PlaceBird(bigBirds[0], 0, 0, 300, 200);
    AimAt(350, 250);
    FireShot();
    EXPECT_EQ(popups[3].active, 1);
    EXPECT_EQ(popups[3].x, 350);
}

}  // namespace
