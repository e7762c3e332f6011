// The menu: hover areas at the stored hot spot, the cycle timing, and the picture.
#include <gtest/gtest.h>

#include "app/app.h"
#include "display/display.h"
#include "hunt/hunt.h"
#include "platform/headless/headless.h"
#include "screens/screens.h"
#include "tests/support/game_fixture.h"

namespace {

MenuButton* const buttons[] = {&newGameButton, &quitButton, &creditsButton, &highScoreButton};

class MainMenuFrameTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        GameState = MainMenu;
    }
    // The cursor placed so that its hot spot lies at (x, y).
    static void HotSpotAt(int32_t x, int32_t y) { HeadlessSetCursor(x - HOT_SPOT, y - HOT_SPOT); }
    static void RestButtons() {
        for (MenuButton* button : buttons) button->tick = button->frame = button->animating = 0;
    }
    // Which buttons animate, one bit per button in menu order.
    static int AnimatingButtons() {
        int bits = 0;
        for (int k = 0; k < 4; k++) bits |= buttons[k]->animating << k;
        return bits;
    }
};

TEST_F(MainMenuFrameTest, EachButtonAnswersInItsAreaOnly) {
    const struct {
        POINT hotSpot;
        int animating;
    } cases[] = {
        {{210, 90}, 1},  {{509, 159}, 1}, {{500, 150}, 1},  // beside and below the picture
        {{510, 90}, 0},  {{210, 160}, 0}, {{209, 90}, 0},  {{210, 89}, 0},
        {{300, 165}, 0},  // the band between two areas
        {{210, 180}, 2}, {{210, 270}, 4}, {{509, 429}, 8}, {{210, 430}, 0},
    };
    for (const auto& c : cases) {
        RestButtons();
        HotSpotAt(c.hotSpot.x, c.hotSpot.y);
        Frame();
        EXPECT_EQ(hotSpot.x, c.hotSpot.x);
        EXPECT_EQ(hotSpot.y, c.hotSpot.y);
        EXPECT_EQ(AnimatingButtons(), c.animating) << c.hotSpot.x << "," << c.hotSpot.y;
    }
    // The rectangle left behind is the last one tested, shared with the click handler.
    EXPECT_EQ(hitRect.left, 210);
    EXPECT_EQ(hitRect.top, 360);
    EXPECT_EQ(hitRect.right, 510);
    EXPECT_EQ(hitRect.bottom, 430);
}

TEST_F(MainMenuFrameTest, TheClampedCursorScrollsTheHiddenWorld) {
    HeadlessSetCursor(600, 470);
    Frame();
    EXPECT_EQ(cursorPos.x, 590);
    EXPECT_EQ(cursorPos.y, 430);
    EXPECT_EQ(hotSpot.x, 615);
    EXPECT_EQ(hotSpot.y, 455);
    EXPECT_EQ(AnimatingButtons(), 0);
    EXPECT_EQ(scrollX, 4);
    std::vector<COLORREF> before;
    for (int y = 0; y < 480; y++) {
        for (int x = 0; x < 640; x++) before.push_back(ScreenPixel(x, y));
    }
    Frame();
    EXPECT_EQ(scrollX, 8);
    size_t at = 0;
    for (int y = 0; y < 480; y++) {
        for (int x = 0; x < 640; x++) ASSERT_EQ(ScreenPixel(x, y), before[at++]) << x << "," << y;
    }
}

TEST_F(MainMenuFrameTest, OneFrameOfHoverPlaysAWholeCycle) {
    HotSpotAt(300, 100);
    Frame();
    HotSpotAt(100, 100);
    for (int frame = 2; frame <= 60; frame++) {
        ASSERT_EQ(newGameButton.animating, 1) << "frame " << frame;
        Frame();
    }
    EXPECT_EQ(newGameButton.animating, 0);
    EXPECT_EQ(newGameButton.frame, 0);
    EXPECT_EQ(newGameButton.tick, 0);
    Frame();
    EXPECT_EQ(newGameButton.tick, 0);
}

TEST_F(MainMenuFrameTest, AHoveredButtonLoopsWithoutAPause) {
    HotSpotAt(480, 280);
    Surface* sheet = creditsButton.surface;
    for (int frame = 0; frame < 125; frame++) {
        int32_t picture = frame / 4 % 15;
        ASSERT_EQ(creditsButton.frame, picture) << "frame " << frame;
        Frame();
        // The picture on screen is the one the frame started with, drawn with black as key.
        int32_t left = 225 * (picture % 2), top = 53 * (picture / 2);
        for (int y = 0; y < 53; y += 2) {
            for (int x = 0; x < 225; x += 3) {
                COLORREF want = SurfaceGetPixel(sheet, left + x, top + y);
                if (want == 0) want = SurfaceGetPixel(assetSurfaces.menu, 210 + x, 270 + y);
                ASSERT_EQ(ScreenPixel(210 + x, 270 + y), want) << "frame " << frame;
            }
        }
    }
}

TEST_F(MainMenuFrameTest, TheCursorIsDrawnLastOverTheButtons) {
    HotSpotAt(260, 110);  // the sprite's corner on the new game picture
    Frame();
    Surface* cursor = assetSurfaces.cursor;
    int drawn = 0;
    for (int y = 0; y < SurfaceHeight(cursor); y++) {
        for (int x = 0; x < SurfaceWidth(cursor); x++) {
            COLORREF sprite = SurfaceGetPixel(cursor, x, y);
            DDCOLORKEY key;
            ASSERT_TRUE(GetColorKey(cursor, &key));
            if (sprite == PixelToColor(static_cast<uint16_t>(key.dwColorSpaceLowValue))) continue;
            ASSERT_EQ(ScreenPixel(235 + x, 85 + y), sprite) << x << "," << y;
            drawn++;
        }
    }
    EXPECT_GT(drawn, 0);
    // Away from the buttons and the cursor the background shows unchanged.
    EXPECT_EQ(ScreenPixel(20, 460), SurfaceGetPixel(assetSurfaces.menu, 20, 460));
    EXPECT_EQ(ScreenPixel(620, 20), SurfaceGetPixel(assetSurfaces.menu, 620, 20));
}

}  // namespace
