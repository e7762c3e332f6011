// Menu buttons: their sheet pictures and the animation cycle.
#include <gtest/gtest.h>

#include "screens/screens.h"

namespace {

MenuButton ButtonAtRest() {
    MenuButton button{};
    button.frameRect = {-1, -1, -1, -1};
    button.Init(nullptr, 210, 360);
    return button;
}

TEST(MenuButton, InitPutsTheButtonAtRestWithItsAreaAtItsCorner) {
    MenuButton button{};
    button.tick = 3;
    button.frame = 9;
    button.animating = 1;
    button.frameRect = {1, 2, 3, 4};
    button.Init(nullptr, 210, 270);
    EXPECT_EQ(button.x, 210);
    EXPECT_EQ(button.y, 270);
    EXPECT_EQ(button.hitX, 210);
    EXPECT_EQ(button.hitY, 270);
    EXPECT_EQ(button.tick, 0);
    EXPECT_EQ(button.frame, 0);
    EXPECT_EQ(button.animating, 0);
    // Kept until the first draw.
    EXPECT_EQ(button.frameRect.right, 3);
}

TEST(MenuButton, PicturesLieInTwoColumnsOf225By53) {
    MenuButton button = ButtonAtRest();
    const struct {
        int32_t frame;
        RECT rect;
    } cases[] = {
        {0, {0, 0, 225, 53}},       {1, {225, 0, 450, 53}},   {2, {0, 53, 225, 106}},
        {13, {225, 318, 450, 371}}, {14, {0, 371, 225, 424}},
    };
    for (const auto& c : cases) {
        button.frame = c.frame;
        button.SelectFrame();
        EXPECT_EQ(button.frameRect.left, c.rect.left) << "picture " << c.frame;
        EXPECT_EQ(button.frameRect.top, c.rect.top) << "picture " << c.frame;
        EXPECT_EQ(button.frameRect.right, c.rect.right) << "picture " << c.frame;
        EXPECT_EQ(button.frameRect.bottom, c.rect.bottom) << "picture " << c.frame;
    }
}

TEST(MenuButton, ACycleShowsFifteenPicturesForFourStepsEachThenRests) {
    MenuButton button = ButtonAtRest();
    button.Animate();
    EXPECT_EQ(button.tick, 0);  // at rest nothing moves

    button.animating = 1;
    for (int step = 0; step < 60; step++) {
        ASSERT_EQ(button.frame, step / 4) << "step " << step;
        ASSERT_EQ(button.tick, step % 4) << "step " << step;
        ASSERT_EQ(button.animating, 1) << "step " << step;
        button.Animate();
    }
    EXPECT_EQ(button.frame, 0);
    EXPECT_EQ(button.tick, 0);
    EXPECT_EQ(button.animating, 0);
}

TEST(MenuButton, ATickLeftByACutShortCycleShortensTheNextFirstPicture) {
    MenuButton button = ButtonAtRest();
    button.animating = 1;
    for (int step = 0; step < 4 * 6 + 2; step++) button.Animate();
    ASSERT_EQ(button.frame, 6);
    ASSERT_EQ(button.tick, 2);
    // What a new game does to the button.
    button.animating = 0;
    button.frame = 0;

    button.animating = 1;
    button.Animate();
    EXPECT_EQ(button.frame, 0);
    button.Animate();
    EXPECT_EQ(button.frame, 1);  // picture 0 stood for 4 - 2 steps
    EXPECT_EQ(button.tick, 0);
}

}  // namespace
