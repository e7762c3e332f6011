// The high-score screen pixel by pixel: background, the opaque panel, and ten rows of
// names and scores in a blue that pulses with a period of 128 frames.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/app.h"
#include "display/display.h"
#include "screens/screens.h"
#include "tests/support/game_fixture.h"

namespace {

using Picture = std::vector<COLORREF>;

Picture Screen() {
    Picture picture;
    for (int y = 0; y < 480; y++) {
        for (int x = 0; x < 640; x++) picture.push_back(ScreenPixel(x, y));
    }
    return picture;
}

// The row whose text band holds y, or -1.
int RowAt(int y) {
    for (int row = 0; row < 10; row++) {
        if (y >= 135 + 30 * row && y < 135 + 30 * row + 24) return row;
    }
    return -1;
}

// What full coverage in that row looks like at that phase, after the trip through 16 bits.
COLORREF SolidBlue(int row, int32_t phase) {
    return PixelToColor(ColorToPixel(((7 * row + phase) & 0xFF) << 16));
}

class HighScoresScreenTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        GameState = HighScores;
        highScorePhase = 0;
    }
    // Names and scores in all ten rows.
    static void FillTable() {
        for (int row = 0; row < 10; row++) {
            HighScoreEntry& entry = highScoreTable.entries[row];
            std::memset(entry.name, 0, sizeof entry.name);
            std::memcpy(entry.name, "WXYZ", 4);
            entry.name[4] = static_cast<uint8_t>('0' + row);
            entry.score = 9000 + row;
        }
    }
    // The picture at a phase that is then stepped by the frame itself.
    Picture ShotAtPhase(int32_t phaseBefore) {
        highScorePhase = phaseBefore;
        Frame();
        return Screen();
    }
};

TEST_F(HighScoresScreenTest, RowsStandThirtyApartInTheirOwnBlue) {
    FillTable();
    Picture a = ShotAtPhase(0);
    EXPECT_EQ(highScorePhase, 2);
    Picture b = ShotAtPhase(128);  // every level half a period away

    int names[10] = {}, scores[10] = {}, solid[10] = {};
    for (int y = 0; y < 480; y++) {
        for (int x = 0; x < 640; x++) {
            size_t at = y * 640 + x;
            if (a[at] == b[at]) continue;
            int row = RowAt(y);
            ASSERT_GE(row, 0) << "text outside the rows at " << x << "," << y;
            ASSERT_GE(x, 200) << "text left of the names at " << x << "," << y;
            (x < 380 ? names : scores)[row]++;
            if (a[at] == SolidBlue(row, 2) && b[at] == SolidBlue(row, 130)) solid[row]++;
        }
    }
    for (int row = 0; row < 10; row++) {
        EXPECT_GT(names[row], 20) << "row " << row;
        EXPECT_GT(scores[row], 20) << "row " << row;
        EXPECT_GT(solid[row], 10) << "row " << row;
    }
}

TEST_F(HighScoresScreenTest, TheBluePulsesWithAPeriodOf128Frames) {
    FillTable();
    Frame();
    Picture first = Screen();
    for (int frame = 2; frame <= 64; frame++) Frame();
    Frame();  // frame 65: every level half a period on
    Picture half = Screen();
    for (int frame = 66; frame <= 129; frame++) Frame();
    EXPECT_EQ(highScorePhase, 258);
    EXPECT_TRUE(Screen() == first);
    EXPECT_FALSE(half == first);
}

TEST_F(HighScoresScreenTest, AClearedTableShowsTenZerosOnTheOpaquePanel) {
    // Two phases half a period apart, so that no text pixel hides in both pictures.
    Picture bright = ShotAtPhase(120);
    Picture dark = ShotAtPhase(248);
    // Under the text the picture is the background with the panel copied over it whole,
    // black pixels included.
    Surface* panel = assetSurfaces.high;
    int panelW = SurfaceWidth(panel), panelH = SurfaceHeight(panel);
    std::vector<int> zeroPixels(10);
    for (int y = 0; y < 480; y++) {
        for (int x = 0; x < 640; x++) {
            bool onPanel = x >= 180 && x < 180 + panelW && y >= 70 && y < 70 + panelH;
            COLORREF under = onPanel ? SurfaceGetPixel(panel, x - 180, y - 70)
                                     : SurfaceGetPixel(assetSurfaces.menu, x, y);
            size_t at = y * 640 + x;
            if (bright[at] == under && dark[at] == under) continue;
            int row = RowAt(y);
            ASSERT_GE(row, 0) << x << "," << y;
            ASSERT_GE(x, 380) << "an empty name drew something at " << x << "," << y;
            ASSERT_LT(x, 400) << "more than one digit at " << x << "," << y;
            zeroPixels[row]++;
        }
    }
    // The same "0" in every row; edge pixels may round alike in one row and not another.
    EXPECT_GT(zeroPixels[0], 10);
    for (int row = 1; row < 10; row++) EXPECT_NEAR(zeroPixels[row], zeroPixels[0], 3) << row;
}

}  // namespace
