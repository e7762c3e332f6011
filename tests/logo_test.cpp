// The logo screen, pixel by pixel: the logo at (120, 127) on black.
#include <gtest/gtest.h>

#include "display/display.h"
#include "screens/screens.h"
#include "tests/support/game_fixture.h"

namespace {

using LogoTest = GameTest;

TEST_F(LogoTest, LogoStandsAt120And127OnBlack) {
    // Dirty the back buffer first: the logo frame must cover all of it.
    ColorFill(backBuffer, 0x1234, DDBLT_COLORFILL);
    Frame();
    Surface* logo = assetSurfaces.logo;
    int w = SurfaceWidth(logo), h = SurfaceHeight(logo);
    ASSERT_EQ(w, 400);
    ASSERT_EQ(h, 226);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            bool inside = x >= 120 && x < 120 + w && y >= 127 && y < 127 + h;
            COLORREF want = inside ? SurfaceGetPixel(logo, x - 120, y - 127) : 0;
            ASSERT_EQ(ScreenPixel(x, y), want) << x << "," << y;
        }
    }
}

}  // namespace
