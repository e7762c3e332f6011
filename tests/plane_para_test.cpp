// The plane and the para: their starts, their cuts at the view's edges, when they leave play
// and what a hit does to them.

#include "hunt/random.h"
#include "tests/support/hunt_fixture.h"

using namespace hunt_test;

namespace {

class PlaneParaTest : public HuntTest {};

TEST_F(PlaneParaTest, PlaneStartsLevelAtEitherEndOfTheWorld) {
    bool seen[2] = {};
    for (unsigned seed = 1; seed <= 20; seed++) {
        SeedGameRandom(seed);
        const int32_t direction = GameRandom() % 2;
        SeedGameRandom(seed);
        plane.hit = 1;
        plane.dy = 2;
        plane.Spawn();
        seen[direction] = true;
        EXPECT_EQ(plane.direction, direction);
        EXPECT_EQ(plane.active, 1);
        EXPECT_EQ(plane.hit, 0);
        EXPECT_EQ(plane.x, direction == 0 ? -220 : 1280);
        EXPECT_EQ(plane.y, 10);
        EXPECT_EQ(plane.dx, direction == 0 ? 2 : -2);
        EXPECT_EQ(plane.dy, 0);
        EXPECT_EQ(plane.srcRect.top, direction * 60);
        EXPECT_EQ(plane.srcRect.bottom, direction * 60 + 60);
        EXPECT_EQ(plane.srcRect.left, 0);
        EXPECT_EQ(plane.srcRect.right, 220);
        EXPECT_EQ(plane.frameRect.top, plane.srcRect.top);
    }
    EXPECT_TRUE(seen[0] && seen[1]);
}

void PlacePlane(int32_t direction, int32_t x, int32_t y) {
    plane = {};
    plane.active = 1;
    plane.direction = direction;
    plane.x = x;
    plane.y = y;
    plane.dx = direction == 0 ? 2 : -2;
    plane.srcRect = {0, direction * 60, 220, direction * 60 + 60};
    plane.frameRect = plane.srcRect;
}

TEST_F(PlaneParaTest, PlaneIsCutAtTheSidesForOneBlitOnly) {
    // At x 500 with scrollX 0 only its left 140 columns show.
    ClearBack();
    PlacePlane(0, 500, 10);
    plane.ClipAndDraw();
    EXPECT_EQ(plane.screenX, 500);
    ExpectBlock(PLANE, 220, 60, 0, 0, 140, 60, 500, 10);
    EXPECT_EQ(plane.srcRect.right, 220);

    // Flying right it first shows its rightmost column at x scrollX - 219.
    scrollX = 300;
    ClearBack();
    PlacePlane(0, 81, 10);
    plane.ClipAndDraw();
    EXPECT_EQ(plane.screenX, 0);
    ExpectBlock(PLANE, 220, 60, 219, 0, 1, 60, 0, 10);
    EXPECT_EQ(plane.srcRect.left, 0);
    ClearBack();
    PlacePlane(0, 80, 10);
    plane.ClipAndDraw();
    EXPECT_EQ(CountChanged(), 0);

    // Flying left from beyond the world's right end it is not drawn.
    scrollX = 640;
    ClearBack();
    PlacePlane(1, 1280, 10);
    plane.ClipAndDraw();
    EXPECT_EQ(CountChanged(), 0);
    EXPECT_EQ(plane.srcRect.right, 220);
}

TEST_F(PlaneParaTest, PlaneLeavesPlayOnlyBeyondItsLimits) {
    PlacePlane(0, 1498, 10);
    plane.Move();
    EXPECT_EQ(plane.active, 1);  // at 1500, long out of sight, still in play
    plane.Move();
    EXPECT_EQ(plane.active, 0);
    EXPECT_EQ(plane.x, 0);
    EXPECT_EQ(plane.dx, 0);

    PlacePlane(1, -218, 10);
    plane.Move();
    EXPECT_EQ(plane.active, 1);
    plane.Move();
    EXPECT_EQ(plane.active, 0);

    // An inactive plane does not move.
    plane.x = 5;
    plane.dx = 2;
    plane.Move();
    EXPECT_EQ(plane.x, 5);
}

TEST_F(PlaneParaTest, AShotPlaneDivesOutOfTheBottom) {
    for (int32_t direction = 0; direction <= 1; direction++) {
        PlacePlane(direction, direction == 0 ? 100 : 1000, 10);
        score = 5;
        plane.Hit();
        EXPECT_EQ(score, -25);
        EXPECT_EQ(plane.hit, 1);
        EXPECT_EQ(plane.dx, direction == 0 ? 2 : -2);
        EXPECT_EQ(plane.dy, 2);
        int moves = 0;
        while (plane.active && moves < 1000) {
            if (plane.y == 430) {
                scrollX = plane.x - 100;  // follow it, to see the cut
                ClearBack();
                plane.ClipAndDraw();
                ExpectBlock(PLANE, 220, 60, 0, direction * 60, 220, 50, 100, 430);
                EXPECT_EQ(plane.srcRect.bottom, direction * 60 + 50);
            }
            if (plane.y == 480) {
                scrollX = plane.x - 100;
                ClearBack();
                plane.ClipAndDraw();
                EXPECT_EQ(CountChanged(), 0);
            }
            plane.Move();
            moves++;
        }
        // From level 10 down to 642 in steps of 2, moving sideways all the while.
        EXPECT_EQ(moves, 316);
        EXPECT_EQ(plane.hit, 1);  // a cleared plane keeps its hit flag
        EXPECT_EQ(plane.y, 0);
    }
}

TEST_F(PlaneParaTest, ParaStartsAboveTheViewDrawingXThenDirection) {
    bool seen[2] = {};
    for (unsigned seed = 1; seed <= 20; seed++) {
        SeedGameRandom(seed);
        const int32_t x = GameRandom() % 1200;
        const int32_t direction = GameRandom() % 2;
        SeedGameRandom(seed);
        para.hit = 1;
        para.tick = 3;
        para.Spawn();
        seen[direction] = true;
        EXPECT_EQ(para.x, x);
        EXPECT_EQ(para.y, -180);
        EXPECT_EQ(para.direction, direction);
        EXPECT_EQ(para.frame, direction * 4);
        EXPECT_EQ(para.dx, direction == 0 ? 1 : -1);
        EXPECT_EQ(para.dy, 1);
        EXPECT_EQ(para.tick, 0);
        EXPECT_EQ(para.hit, 0);
        EXPECT_EQ(para.active, 1);
    }
    EXPECT_TRUE(seen[0] && seen[1]);
}

void PlacePara(int32_t direction, int32_t x, int32_t y) {
    para = {};
    para.active = 1;
    para.direction = direction;
    para.frame = direction * 4;
    para.x = x;
    para.y = y;
    para.dx = direction == 0 ? 1 : -1;
    para.dy = 1;
}

TEST_F(PlaneParaTest, ParaSlidesIntoTheTopAndOutOfTheBottomOfTheView) {
    ClearBack();
    PlacePara(0, 200, -180);
    para.AnimateAndDraw();
    EXPECT_EQ(CountChanged(), 0);

    ClearBack();
    PlacePara(0, 200, -179);
    para.AnimateAndDraw();
    ExpectBlock(PARA, 150, 180, 0, 179, 150, 1, 200, 0);

    ClearBack();
    PlacePara(1, 200, 400);
    para.AnimateAndDraw();
    ExpectBlock(PARA, 150, 180, 0, 180, 150, 80, 200, 400);
    EXPECT_EQ(para.frameRect.bottom, 360);  // the frame itself stays whole

    PlacePara(0, 200, 480);
    para.AnimateAndDraw();
    EXPECT_EQ(para.active, 0);
    EXPECT_EQ(para.x, -1);
    EXPECT_EQ(para.y, -1);
    EXPECT_EQ(para.dx, 0);
}

TEST_F(PlaneParaTest, ParaIsCutAtTheSidesAndStaysInPlayBeyondThem) {
    scrollX = 100;
    ClearBack();
    PlacePara(0, 60, 100);
    para.AnimateAndDraw();
    ExpectBlock(PARA, 150, 180, 40, 0, 110, 180, 0, 100);

    ClearBack();
    PlacePara(1, 640, 100);
    para.AnimateAndDraw();
    ExpectBlock(PARA, 150, 180, 0, 180, 100, 180, 540, 100);

    for (int32_t x : {-50, 740, 2000}) {
        ClearBack();
        PlacePara(0, x, 100);
        para.AnimateAndDraw();
        EXPECT_EQ(CountChanged(), 0) << x;
    }
    // Drifted far outside the world, it sinks on, unseen, until y 480.
    PlacePara(1, -400, 470);
    for (int i = 0; i < 10; i++) {
        para.AnimateAndDraw();
        para.Move();
    }
    EXPECT_EQ(para.active, 1);
    EXPECT_EQ(para.y, 480);
    para.AnimateAndDraw();
    EXPECT_EQ(para.active, 0);
}

TEST_F(PlaneParaTest, AShotParaPlaysItsHitPicturesFourFramesEachAndHoldsTheLast) {
    for (int32_t direction = 0; direction <= 1; direction++) {
        PlacePara(direction, 300, 0);
        para.Hit();
        EXPECT_EQ(para.hit, 1);
        EXPECT_EQ(para.tick, 1);
        int32_t shown[20];
        for (int32_t& frame : shown) {
            para.AnimateAndDraw();
            frame = para.frame - direction * 4;
            para.Move();
        }
        // Three more frames of flight, then a new picture every fourth frame.
        const int32_t want[20] = {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3};
        for (int i = 0; i < 20; i++) EXPECT_EQ(shown[i], want[i]) << i;
        EXPECT_EQ(para.dx, direction == 0 ? 1 : -1);
        EXPECT_EQ(para.y, 20);
    }
}

}  // namespace
