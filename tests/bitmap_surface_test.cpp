// Pictures from files into surfaces, and colour keys named as colours.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "display/display.h"
#include "platform/headless/headless.h"
#include "tests/support/bmp.h"
#include "tests/support/game_fixture.h"

namespace {

class BitmapSurfaceTest : public RunFolderTest {
protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        HeadlessReset();
        ASSERT_EQ(DirectDrawCreate(&dd), DD_OK);
        std::filesystem::create_directory("pics");
    }
    DirectDraw* dd = nullptr;
};

COLORREF Pattern(int x, int y) {
    return RGB(static_cast<uint8_t>(x * 40), static_cast<uint8_t>(y * 60), 200);
}

TEST_F(BitmapSurfaceTest, SurfaceHasTheBitmapsSizeAndItsColoursIn565) {
    WriteTestBmp("pics/p.bmp", 5, 3, Pattern);
    Surface* s = LoadBitmapSurface(dd, "pics\\p.bmp", 0, 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SurfaceWidth(s), 5);
    EXPECT_EQ(SurfaceHeight(s), 3);
    SurfaceLock lock;
    ASSERT_EQ(Lock(s, &lock), DD_OK);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            uint16_t raw = static_cast<uint16_t*>(lock.bits)[y * lock.pitch / 2 + x];
            EXPECT_EQ(raw, ColorToPixel(Pattern(x, y))) << x << "," << y;
        }
    }
    Unlock(s);
}

TEST_F(BitmapSurfaceTest, MissingOrCorruptFilesGiveNoSurface) {
    EXPECT_EQ(LoadBitmapSurface(dd, "pics\\none.bmp", 0, 0), nullptr);
    std::ofstream("pics/garbage.bmp") << "this is not a picture at all";
    EXPECT_EQ(LoadBitmapSurface(dd, "pics\\garbage.bmp", 0, 0), nullptr);
    WriteTestBmp("pics/whole.bmp", 40, 30, Pattern);
    std::filesystem::resize_file("pics/whole.bmp", 54 + 100);
    EXPECT_EQ(LoadBitmapSurface(dd, "pics\\whole.bmp", 0, 0), nullptr);
    std::ofstream("pics/empty.bmp");
    EXPECT_EQ(LoadBitmapSurface(dd, "pics\\empty.bmp", 0, 0), nullptr);
}

TEST_F(BitmapSurfaceTest, CopyAnswersFailForMissingParts) {
    Surface* s = CreateOffscreenSurface(2, 2);
    EXPECT_EQ(CopyBitmapToSurface(s, nullptr, 0, 0, 0, 0), E_FAIL);
    WriteTestBmp("pics/p.bmp", 2, 2, Pattern);
    Bitmap* b = LoadBitmapFile("pics\\p.bmp");
    EXPECT_EQ(CopyBitmapToSurface(nullptr, b, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(CopyBitmapToSurface(s, b, 0, 0, 0, 0), DD_OK);
    EXPECT_EQ(SurfaceGetPixel(s, 1, 1), PixelToColor(ColorToPixel(Pattern(1, 1))));
    // One pixel of the picture stretched over the whole surface.
    EXPECT_EQ(CopyBitmapToSurface(s, b, 1, 0, 1, 1), DD_OK);
    EXPECT_EQ(SurfaceGetPixel(s, 0, 1), PixelToColor(ColorToPixel(Pattern(1, 0))));
    // A surface whose memory went takes no picture and matches no colour until restored.
    HeadlessLoseSurfaces();
    EXPECT_EQ(CopyBitmapToSurface(s, b, 0, 0, 0, 0), DDERR_SURFACELOST);
    EXPECT_EQ(MatchSurfaceColor(s, COLOR_WHITE), CLR_INVALID);
    DeleteBitmap(b);
    ReleaseSurface(s);
}

TEST_F(BitmapSurfaceTest, MatchingBlackAndWhiteGivesTheirPixelValuesAndRestoresTheCorner) {
    WriteTestBmp("pics/p.bmp", 3, 3, [](int, int) { return RGB(10, 120, 240); });
    Surface* s = LoadBitmapSurface(dd, "pics\\p.bmp", 0, 0);
    ASSERT_NE(s, nullptr);
    COLORREF corner = SurfaceGetPixel(s, 0, 0);
    EXPECT_EQ(MatchSurfaceColor(s, COLOR_BLACK), 0u);
    EXPECT_EQ(SurfaceGetPixel(s, 0, 0), corner);
    EXPECT_EQ(MatchSurfaceColor(s, COLOR_WHITE), 0xFFFFu);
    EXPECT_EQ(SurfaceGetPixel(s, 0, 0), corner);
    // With no colour the answer is the corner as loaded.
    EXPECT_EQ(MatchSurfaceColor(s, CLR_INVALID), ColorToPixel(RGB(10, 120, 240)));
}

TEST_F(BitmapSurfaceTest, AColourKeyLeavesOutExactlyTheMatchingPixels) {
    // A near-white pixel that is not pure white must stay visible.
    WriteTestBmp("pics/p.bmp", 3, 1, [](int x, int) {
        return x == 0 ? RGB(255, 255, 255) : x == 1 ? RGB(240, 240, 240) : RGB(0, 0, 0);
    });
    Surface* s = LoadBitmapSurface(dd, "pics\\p.bmp", 0, 0);
    ASSERT_EQ(SetSurfaceColorKey(s, COLOR_WHITE), DD_OK);
    Surface* dst = CreateOffscreenSurface(3, 1);
    ColorFill(dst, ColorToPixel(RGB(0, 0, 255)), DDBLT_COLORFILL);
    BltFast(dst, 0, 0, s, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    EXPECT_EQ(SurfaceGetPixel(dst, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(SurfaceGetPixel(dst, 1, 0), PixelToColor(ColorToPixel(RGB(240, 240, 240))));
    EXPECT_EQ(SurfaceGetPixel(dst, 2, 0), 0u);
    ReleaseSurface(dst);
}

}  // namespace
