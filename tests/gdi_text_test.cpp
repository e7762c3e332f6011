// The GDI font: its scale, where it puts the text, and how it paints it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "display/display.h"
#include "platform/gdi.h"

namespace {

// Kept for the whole run, as the game keeps its font.
Font* Arial(int32_t width) {
    static Font* stretched = CreateFont(20, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    static Font* natural = CreateFont(20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    return width ? stretched : natural;
}

struct Ink {
    int32_t left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
    int32_t count = 0;
};

class GdiTextTest : public ::testing::Test {
protected:
    static constexpr int32_t W = 640;
    static constexpr int32_t H = 80;

    void SetUp() override {
        surface = CreateOffscreenSurface(W, H);
        ASSERT_NE(surface, nullptr);
        ASSERT_NE(Arial(15), nullptr) << "no face for Arial: install fonts-liberation";
    }
    void TearDown() override { ReleaseSurface(surface); }

    Ink Draw(const std::string& text, int32_t x, int32_t y, Font* font) {
        ColorFill(surface, 0, DDBLT_WAIT);
        DrawGdiText(text.c_str(), x, y, COLOR_WHITE, surface, font);
        Ink ink;
        for (int32_t py = 0; py < H; ++py) {
            for (int32_t px = 0; px < W; ++px) {
                if (SurfaceGetPixel(surface, px, py) == 0) continue;
                ink.left = std::min(ink.left, px);
                ink.right = std::max(ink.right, px);
                ink.top = std::min(ink.top, py);
                ink.bottom = std::max(ink.bottom, py);
                ++ink.count;
            }
        }
        return ink;
    }
    // The pen's advance over one character, from where the next glyph's ink ends up.
    int32_t Advance(char c, Font* font) {
        std::string one = std::string("l") + c + "l";
        return Draw(one, 50, 10, font).right - Draw("ll", 50, 10, font).right;
    }
    // The classic weighted average of the lowercase letters and the blank.
    double AverageWidth(Font* font) {
        const int weights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                 56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
        double sum = 166.0 * Advance(' ', font);
        for (int i = 0; i < 26; ++i) sum += weights[i] * Advance(char('a' + i), font);
        return sum / 1000.0;
    }

    Surface* surface = nullptr;
};

TEST_F(GdiTextTest, TheAverageCharacterIsFifteenPixelsWide) {
    double stretched = AverageWidth(Arial(15));
    double natural = AverageWidth(Arial(0));
    EXPECT_NEAR(stretched, 15.0, 0.5);
    EXPECT_NEAR(natural, 904.0 * 18 / 2048, 0.5);
    EXPECT_NEAR(stretched / natural, 1.9, 0.1);
}

TEST_F(GdiTextTest, TheCellIsTwentyHighWithTheBaselineSixteenDown) {
    Ink capital = Draw("H", 100, 30, Arial(15));
    EXPECT_EQ(capital.bottom, 30 + 15) << "the baseline is 16 rows below the top";
    EXPECT_NEAR(capital.bottom - capital.top + 1, 1409.0 * 18 / 2048, 1.0) << "18 pixels per em";
    EXPECT_GE(capital.left, 100);
    EXPECT_LE(capital.left, 104);
    Ink tall = Draw("\xD6gjy|", 100, 30, Arial(15));
    EXPECT_GE(tall.top, 30);
    EXPECT_LE(tall.bottom, 30 + 19);
    EXPECT_GE(tall.bottom, 30 + 17) << "descenders reach into the cell's last rows";
}

TEST_F(GdiTextTest, LettersTakeTheColourAndTheBackgroundShowsThrough) {
    const std::string text = "1. ANNA 120";
    Ink onBlack = Draw(text, 20, 20, Arial(15));
    ASSERT_GT(onBlack.count, 0);
    Surface* mask = CreateOffscreenSurface(W, H);
    BltFast(mask, 0, 0, surface, nullptr, DDBLTFAST_WAIT);

    // A checkered background, then red text.
    SurfaceLock lock{};
    ASSERT_EQ(Lock(surface, &lock), DD_OK);
    auto* px = static_cast<uint16_t*>(lock.bits);
    for (int32_t i = 0; i < W * H; ++i) px[i] = ((i / W + i % W) % 2) ? 0x07E0 : 0x001F;
    Unlock(surface);
    Surface* before = CreateOffscreenSurface(W, H);
    BltFast(before, 0, 0, surface, nullptr, DDBLTFAST_WAIT);
    DrawGdiText(text.c_str(), 20, 20, 0x0000FF, surface, Arial(15));

    int solid = 0;
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            COLORREF coverage = SurfaceGetPixel(mask, x, y);
            COLORREF now = SurfaceGetPixel(surface, x, y);
            if (coverage == 0) {
                ASSERT_EQ(now, SurfaceGetPixel(before, x, y)) << x << "," << y;
            } else if (coverage == COLOR_WHITE) {
                ASSERT_EQ(ColorToPixel(now), ColorToPixel(0x0000FF)) << x << "," << y;
                ++solid;
            } else {
                // An edge lies between the background and red in every channel.
                COLORREF was = SurfaceGetPixel(before, x, y);
                ASSERT_GE(GetRValue(now), GetRValue(was)) << x << "," << y;
                ASSERT_LE(GetGValue(now), GetGValue(was)) << x << "," << y;
                ASSERT_LE(GetBValue(now), GetBValue(was)) << x << "," << y;
            }
        }
    }
    EXPECT_GT(solid, 50);
    ReleaseSurface(mask);
    ReleaseSurface(before);
}

TEST_F(GdiTextTest, TextLeavingTheSurfaceIsCutAtItsEdges) {
    Ink left = Draw("WWW", -20, -8, Arial(15));
    EXPECT_EQ(left.left, 0);
    EXPECT_EQ(left.top, 0);
    Ink right = Draw("WWW", W - 10, H - 10, Arial(15));
    EXPECT_GT(right.count, 0);
    EXPECT_GE(right.left, W - 10);
    EXPECT_GE(right.top, H - 10);
    std::string every;
    for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
    EXPECT_GT(Draw(every, 0, 0, Arial(15)).count, 0);
}

TEST_F(GdiTextTest, NoDeviceContextNoText) {
    DeviceContext* held = nullptr;
    ASSERT_EQ(GetDC(surface, &held), DD_OK);
    ColorFill(surface, 0, DDBLT_WAIT);
    DrawGdiText("HELD", 10, 10, COLOR_WHITE, surface, Arial(15));
    ReleaseDC(surface, held);
    for (int32_t x = 0; x < 120; ++x) ASSERT_EQ(SurfaceGetPixel(surface, x, 20), 0u) << x;
    DrawGdiText("NONE", 10, 10, COLOR_WHITE, nullptr, Arial(15));
    EXPECT_EQ(Draw("NO FONT", 10, 10, nullptr).count, 0);
}

}  // namespace
