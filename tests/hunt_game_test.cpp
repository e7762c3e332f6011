// The hunt on the real pictures and lettering: the colour-key test of the shot on the white-
// keyed sheets, the clock and score texts, and the popup colours.
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "display/display.h"
#include "hunt/hunt.h"
#include "platform/headless/headless.h"
#include "tests/support/game_fixture.h"

namespace {

class HuntGameTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        GameState = Playing;
        HeadlessSetCursor(300, 300);
        ResetGame();
        // Birds, plane and para far out of the view and out of reach of any shot.
        for (Bird* group : {bigBirds, smallBirds}) {
            for (int i = 0; i < (group == bigBirds ? 4 : 2); i++) {
                group[i].x = 1290;
                group[i].dx = 0;
                group[i].dy = 0;
            }
        }
        plane.x = 1290;
        plane.dx = 0;
        para.x = 1290;
        para.dx = 0;
        para.y = 0;
        para.dy = 0;
    }

    static uint16_t Raw(Surface* surface, int32_t x, int32_t y) {
        SurfaceLock lock;
        EXPECT_EQ(Lock(surface, &lock), DD_OK);
        const uint16_t value = reinterpret_cast<const uint16_t*>(
            static_cast<const uint8_t*>(lock.bits) + y * lock.pitch)[x];
        Unlock(surface);
        return value;
    }

    static uint16_t KeyOf(Surface* surface) {
        DDCOLORKEY key = {};
        EXPECT_TRUE(GetColorKey(surface, &key));
        return static_cast<uint16_t>(key.dwColorSpaceLowValue);
    }

    // A point of the rectangle whose sheet pixel is (or is not) the sheet's key.
    static bool FindPoint(Surface* sheet, const RECT& r, bool transparent, POINT* found) {
        const uint16_t key = KeyOf(sheet);
        for (int32_t y = r.top; y < r.bottom; y++) {
            for (int32_t x = r.left; x < r.right; x++) {
                if ((Raw(sheet, x, y) == key) == transparent) {
                    *found = {x - r.left, y - r.top};
                    return true;
                }
            }
        }
        return false;
    }

    static void AimAt(int32_t hx, int32_t hy) {
        cursorPos = {hx - HOT_SPOT - scrollX, hy - HOT_SPOT};
    }

    // The pixels of a screen box as they are now.
    static void Grab(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t* out) {
        for (int32_t j = 0; j < h; j++) {
            for (int32_t i = 0; i < w; i++) out[j * w + i] = Raw(backBuffer, x + i, y + j);
        }
    }
};

TEST_F(HuntGameTest, WhiteKeyedPlaneAndParaAreMissedThroughTheirTransparentParts) {
    plane.x = 300;
    plane.y = 10;
    plane.hit = 0;
    POINT clear, solid;
    ASSERT_TRUE(FindPoint(assetSurfaces.plane, plane.frameRect, true, &clear));
    ASSERT_TRUE(FindPoint(assetSurfaces.plane, plane.frameRect, false, &solid));
    AimAt(300 + clear.x, 10 + clear.y);
    FireShot();
    EXPECT_EQ(plane.hit, 0);
    AimAt(300 + solid.x, 10 + solid.y);
    FireShot();
    EXPECT_EQ(plane.hit, 1);
    EXPECT_EQ(score, -30);

    para.x = 400;
    para.y = 150;
    para.ComputeFrameRect();
    ASSERT_TRUE(FindPoint(assetSurfaces.para, para.frameRect, true, &clear));
    ASSERT_TRUE(FindPoint(assetSurfaces.para, para.frameRect, false, &solid));
    AimAt(400 + clear.x, 150 + clear.y);
    FireShot();
    EXPECT_EQ(para.hit, 0);
    AimAt(400 + solid.x, 150 + solid.y);
    FireShot();
    EXPECT_EQ(para.hit, 1);
    EXPECT_EQ(score, -60);
}

// What the clock or score box shows against what the lettering draws of the text itself
// on the same backdrop.
void ExpectText(const char* text, int32_t x, int32_t y, const uint16_t* shown, int32_t w,
                int32_t h) {
    DrawBackdrop();
    uint16_t plain[60 * 40];
    for (int32_t j = 0; j < h; j++) {
        for (int32_t i = 0; i < w; i++) plain[j * w + i] = ColorToPixel(BackPixel(x + i, y + j));
    }
    bitmapFont.DrawBitmapText(x, y, text, static_cast<int32_t>(std::strlen(text)));
    int differs = 0, inked = 0;
    for (int32_t j = 0; j < h; j++) {
        for (int32_t i = 0; i < w; i++) {
            const uint16_t want = ColorToPixel(BackPixel(x + i, y + j));
            differs += want != shown[j * w + i];
            inked += want != plain[j * w + i];
        }
    }
    EXPECT_EQ(differs, 0) << text;
    EXPECT_GT(inked, 0) << text << " draws nothing";
}

TEST_F(HuntGameTest, ClockAndScoreAreDrawnInTheBitmapLettering) {
    const int32_t w = 60, h = 40;
    uint16_t clock[w * h], total[w * h];
    score = 0;
    PlayingFrame();
    Grab(20, 20, w, h, clock);
    ExpectText("120", 20, 20, clock, w, h);

    secondsLeft = 0;
    score = -30;
    PlayingFrame();
    Grab(20, 20, w, h, clock);
    Grab(560, 10, w, h, total);
    ExpectText("0", 20, 20, clock, w, h);
    ExpectText("-30", 560, 10, total, w, h);
}

TEST_F(HuntGameTest, PopupsFadeFromRedTowardsWhite) {
    struct Case {
        int32_t ttl;
        COLORREF color;
    };
    for (const Case& c :
         {Case{40, RGB(255, 0, 0)}, Case{20, RGB(255, 120, 120)}, Case{1, RGB(255, 234, 234)}}) {
        ColorFill(backBuffer, 0, DDBLT_COLORFILL | DDBLT_WAIT);
        ScorePopup popup = {};
        popup.Start(10);
        popup.ttl = c.ttl;
        popup.x = 100;
        popup.y = 200;
        popup.Draw();
        int exact = 0, outside = 0;
        for (int32_t y = 0; y < 480; y++) {
            for (int32_t x = 0; x < 640; x++) {
                const COLORREF got = BackPixel(x, y);
                if (got == 0) continue;
                exact += ColorToPixel(got) == ColorToPixel(c.color);
                outside += x < 100 || x >= 160 || y < 200 || y >= 230;
            }
        }
        EXPECT_GT(exact, 10) << "ttl " << c.ttl;
        EXPECT_EQ(outside, 0) << "ttl " << c.ttl;
    }
}

}  // namespace
