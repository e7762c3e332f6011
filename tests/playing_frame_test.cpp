// The game frame: scrolling, the backdrop and the tree, the layering of the objects, the
// magazine and cursor, Escape, the random starts and a new game's values.

#include "hunt/random.h"
#include "screens/screens.h"
#include "tests/support/hunt_fixture.h"

using namespace hunt_test;

namespace {

class PlayingFrameTest : public HuntTest {
protected:
    void SetUp() override {
        HuntTest::SetUp();
        ParkBirds();
        GameState = Playing;
        HeadlessSetCursor(300, 300);
    }
};

TEST_F(PlayingFrameTest, BackdropShowsBothHalvesOfTheWorldAtTheScrollPosition) {
    for (int32_t at : {0, 300, 640}) {
        scrollX = at;
        ClearBack();
        DrawBackdrop();
        ExpectBlock(SIDE1, 0, 0, at, 0, 640 - at, 480, 0, 0);
        ExpectBlock(SIDE2, 0, 0, 0, 0, at, 480, 640 - at, 0);
    }
}

TEST_F(PlayingFrameTest, TreeStandsAtWorldX226AndIsCutAtTheLeftOnly) {
    scrollX = 0;
    ClearBack();
    DrawTreeLayer();
    ExpectBlock(BAUM, 344, 402, 0, 0, 344, 402, 226, 78);

    scrollX = 300;
    ClearBack();
    DrawTreeLayer();
    ExpectBlock(BAUM, 344, 402, 74, 0, 270, 402, 0, 78);

    for (int32_t at : {570, 640}) {
        scrollX = at;
        ClearBack();
        DrawTreeLayer();
        EXPECT_EQ(CountChanged(), 0) << at;
    }
}

TEST_F(PlayingFrameTest, CursorIsClampedAndScrollsTheViewAtTheEdges) {
    HeadlessSetCursor(600, 470);
    ReadCursorAndScroll();
    EXPECT_EQ(cursorPos.x, 590);
    EXPECT_EQ(cursorPos.y, 430);
    EXPECT_EQ(scrollX, 4);

    scrollX = 640;
    ReadCursorAndScroll();
    EXPECT_EQ(scrollX, 640);

    HeadlessSetCursor(0, 429);
    scrollX = 4;
    ReadCursorAndScroll();
    EXPECT_EQ(scrollX, 0);
    EXPECT_EQ(cursorPos.x, 0);
    EXPECT_EQ(cursorPos.y, 429);
    ReadCursorAndScroll();
    EXPECT_EQ(scrollX, 0);

    HeadlessSetCursor(1, 200);
    scrollX = 100;
    ReadCursorAndScroll();
    EXPECT_EQ(scrollX, 100);  // only x exactly 0 scrolls left
}

TEST_F(PlayingFrameTest, EdgeAndArrowKeyScrollAddUpToEightAndStopAtTheEnds) {
    HeadlessSetCursor(639, 200);
    HeadlessSetKeyHeld(VK_RIGHT, true);
    for (int frame = 1; frame <= 79; frame++) {
        PlayingFrame();
        ASSERT_EQ(scrollX, 8 * frame);
    }
    PlayingFrame();
    EXPECT_EQ(scrollX, 640);
    PlayingFrame();
    EXPECT_EQ(scrollX, 640);

    HeadlessSetKeyHeld(VK_RIGHT, false);
    HeadlessSetKeyHeld(VK_LEFT, true);
    HeadlessSetCursor(0, 200);
    PlayingFrame();
    EXPECT_EQ(scrollX, 632);
    HeadlessSetCursor(300, 200);
    PlayingFrame();
    EXPECT_EQ(scrollX, 628);
    scrollX = 4;
    HeadlessSetCursor(0, 200);
    PlayingFrame();
    EXPECT_EQ(scrollX, 0);
}

TEST_F(PlayingFrameTest, KeyScrollShowsFromTheNextFrame) {
    HeadlessSetKeyHeld(VK_RIGHT, true);
    PlayingFrame();
    EXPECT_EQ(scrollX, 4);
    // The picture was drawn at scrollX 0.
    EXPECT_EQ(ReadPixel(backBuffer, 10, 460), SheetPixel(SIDE1, 10, 460));
}

TEST_F(PlayingFrameTest, MagazineShowsOneCartridgePerShotFromTheRight) {
    for (int32_t shots : {0, 1, 8}) {
        shotsLeft = shots;
        PlayingFrame();
        for (int32_t k = 0; k < 8; k++) {
            const int32_t x = 600 - 30 * k;
            if (k < shots) {
                ExpectBlock(AMMO, 0, 0, 0, 0, 20, 40, x, 370);
            } else {
                EXPECT_NE(ReadPixel(backBuffer, x + 5, 375), SheetPixel(AMMO, 5, 5)) << x;
            }
        }
    }
}

TEST_F(PlayingFrameTest, CursorIsDrawnLastAtItsClampedPosition) {
    HeadlessSetCursor(620, 450);
    PlayingFrame();
    ExpectBlock(CURSOR, 0, 0, 0, 0, 50, 50, 590, 430);
    HeadlessSetCursor(400, 360);
    shotsLeft = 8;
    PlayingFrame();
    ExpectBlock(CURSOR, 0, 0, 0, 0, 50, 50, 400, 360);  // over the cartridges
}

TEST_F(PlayingFrameTest, ObjectsDrawBeforeTheyMoveInTheirLayerOrder) {
    // Every object at one place; holes punched one by one through the front ones show
    // the next layer back: big birds over the para over the plane over the small birds.
    const int32_t local = 30;
    struct Layer {
        Surface* sheet;
        int32_t x, y;
        Salt salt;
    };
    HeadlessSetCursor(500, 10);
    const Layer layers[] = {{assetSurfaces.kralo, 100 + local, local, KRALO},
                            {assetSurfaces.para, local, local, PARA},
                            {assetSurfaces.plane, local, local, PLANE},
                            {assetSurfaces.pelko, 50 + local, local, PELKO}};
    for (const Layer& front : layers) {
        PlaceBird(bigBirds[0], 0, 0, 100, 150, 1);
        PlaceBird(smallBirds[0], 1, 0, 100, 150, 1);
        plane = {};
        plane.active = 1;
        plane.x = 100;
        plane.y = 150;
        plane.srcRect = {0, 0, 220, 60};
        para = {};
        para.active = 1;
        para.x = 100;
        para.y = 150;
        PlayingFrame();
        EXPECT_EQ(ReadPixel(backBuffer, 100 + local, 150 + local),
                  SheetPixel(front.salt, front.x, front.y));
        WritePixel(front.sheet, front.x, front.y,
                   front.sheet == assetSurfaces.kralo || front.sheet == assetSurfaces.pelko
                       ? BLACK_KEY
                       : WHITE_KEY);
    }
    EXPECT_EQ(bigBirds[0].x, 103);
    EXPECT_EQ(smallBirds[0].x, 101);
}

TEST_F(PlayingFrameTest, TreeStandsInFrontOfTheBirds) {
    PlaceBird(bigBirds[1], 0, 0, 300, 200);
    PlayingFrame();
    EXPECT_EQ(ReadPixel(backBuffer, 350, 250), SheetPixel(BAUM, 350 - 226, 250 - 78));
}

TEST_F(PlayingFrameTest, EscapeHeldEndsTheGameAfterTheWholeFrame) {
    popups[0].Start(10);
    HeadlessSetKeyHeld(VK_ESCAPE, true);
    PlayingFrame();
    EXPECT_EQ(GameState, MainMenu);
    EXPECT_EQ(popups[0].ttl, 39);  // the steps after Escape still ran
}

TEST_F(PlayingFrameTest, AnEscapeTapEndsTheGameAtTheNextFrameOnce) {
    RequestGameEnd();
    PlayingFrame();
    EXPECT_EQ(GameState, MainMenu);
    GameState = Playing;
    PlayingFrame();
    EXPECT_EQ(GameState, Playing);  // the request was used up

    RequestGameEnd();
    ResetGame();
    PlayingFrame();
    EXPECT_EQ(GameState, Playing);  // a new game forgets it
}

TEST_F(PlayingFrameTest, PopupsAreDrawnAndAgedEveryFrameAndStayPutWhileScrolling) {
    popups[2].Start(20);
    popups[2].x = 200;
    popups[2].y = 300;
    HeadlessSetKeyHeld(VK_RIGHT, true);
    for (int i = 0; i < 39; i++) PlayingFrame();
    EXPECT_EQ(popups[2].active, 1);
    EXPECT_EQ(popups[2].x, 200);
    EXPECT_EQ(popups[2].y, 261);
    PlayingFrame();
    EXPECT_EQ(popups[2].active, 0);
    PlayingFrame();
    EXPECT_EQ(popups[2].y, 260);  // a free slot is left alone
}

// The next few draws of the generator after seeding it.
struct Draws {
    int r[24];
};
Draws DrawsFor(unsigned seed) {
    SeedGameRandom(seed);
    Draws d;
    for (int& r : d.r) r = GameRandom();
    return d;
}

TEST_F(PlayingFrameTest, ParaThenPlaneStartAtRandomWhileOutOfPlay) {
    unsigned paraSeed = 0, planeSeed = 0;
    for (unsigned seed = 1; seed < 100000 && (paraSeed == 0 || planeSeed == 0); seed++) {
        const Draws d = DrawsFor(seed);
        if (paraSeed == 0 && d.r[0] % 500 == 2) paraSeed = seed;
        if (planeSeed == 0 && d.r[0] % 500 != 2 && d.r[1] % 150 == 2) planeSeed = seed;
    }
    ASSERT_NE(paraSeed, 0u);
    ASSERT_NE(planeSeed, 0u);

    Draws d = DrawsFor(paraSeed);
    SeedGameRandom(paraSeed);
    PlayingFrame();
    EXPECT_EQ(para.active, 1);
    EXPECT_EQ(para.x, d.r[1] % 1200 + para.dx);
    EXPECT_EQ(para.direction, d.r[2] % 2);
    EXPECT_EQ(plane.active, d.r[3] % 150 == 2 ? 1 : 0);

    d = DrawsFor(planeSeed);
    para = {};
    plane = {};
    SeedGameRandom(planeSeed);
    PlayingFrame();
    EXPECT_EQ(para.active, 0);
    EXPECT_EQ(plane.active, 1);
    EXPECT_EQ(plane.direction, d.r[2] % 2);

    // With the para in play the first draw is the plane's.
    plane = {};
    para.active = 1;
    SeedGameRandom(planeSeed);
    const int first = GameRandom();
    SeedGameRandom(planeSeed);
    PlayingFrame();
    EXPECT_EQ(plane.active, first % 150 == 2 ? 1 : 0);
}

TEST_F(PlayingFrameTest, ResetGameStartsEverythingAfreshInItsDrawOrder) {
    newGameButton.animating = 1;
    newGameButton.frame = 5;
    newGameButton.tick = 2;
    quitButton.animating = 1;
    quitButton.frame = 9;
    creditsButton.frame = 3;
    highScoreButton.animating = 1;
    highScoreButton.frame = 7;
    highScorePhase = 12;
    scrollX = 320;
    secondsLeft = -1;
    score = -60;
    shotsLeft = 0;
    plane.hit = 1;
    plane.y = 300;
    for (ScorePopup& popup : popups) popup.Start(10);

    const unsigned seed = 77;
    const Draws d = DrawsFor(seed);
    SeedGameRandom(seed);
    ResetGame();

    EXPECT_EQ(newGameButton.animating, 0);
    EXPECT_EQ(newGameButton.frame, 0);
    EXPECT_EQ(newGameButton.tick, 2);
    EXPECT_EQ(quitButton.animating, 0);
    EXPECT_EQ(quitButton.frame, 0);
    EXPECT_EQ(creditsButton.frame, 0);
    EXPECT_EQ(highScoreButton.animating, 1);
    EXPECT_EQ(highScoreButton.frame, 7);
    EXPECT_EQ(highScorePhase, 0);
    EXPECT_EQ(scrollX, 0);
    EXPECT_EQ(secondsLeft, 120);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(shotsLeft, 8);
    // Three draws per bird, big ones first, then the plane's and the para's.
    EXPECT_EQ(bigBirds[0].direction, d.r[0] % 2);
    EXPECT_EQ(bigBirds[0].y, d.r[1] % 400);
    EXPECT_EQ(bigBirds[3].y, d.r[10] % 400);
    EXPECT_EQ(smallBirds[1].y, d.r[16] % 400);
    EXPECT_EQ(plane.direction, d.r[18] % 2);
    EXPECT_EQ(plane.active, 1);
    EXPECT_EQ(plane.hit, 0);
    EXPECT_EQ(plane.y, 10);
    EXPECT_EQ(para.x, d.r[19] % 1200);
    EXPECT_EQ(para.direction, d.r[20] % 2);
    EXPECT_EQ(para.active, 1);
    for (const ScorePopup& popup : popups) EXPECT_EQ(popup.active, 0);
}

}  // namespace
