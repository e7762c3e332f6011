// The whole-number scaling of the picture into the real window: where it goes, which picture
// pixel a window position is over and the scaled pixels themselves.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/sdl/scaler.h"

using sdlscaler::Placement;
using sdlscaler::PlacePicture;
using sdlscaler::ScalePicture;
using sdlscaler::WindowToPicture;

TEST(SdlScaler, LargestWholeScaleCentred) {
    auto expect = [](Placement p, int32_t scale, int32_t x, int32_t y) {
        EXPECT_EQ(p.scale, scale);
        EXPECT_EQ(p.x, x);
        EXPECT_EQ(p.y, y);
    };
    expect(PlacePicture(640, 480, 640, 480), 1, 0, 0);
    expect(PlacePicture(1280, 1024, 640, 480), 2, 0, 32);
    expect(PlacePicture(1920, 1080, 640, 480), 2, 320, 60);
    expect(PlacePicture(2560, 1440, 640, 480), 3, 320, 0);
    // Smaller than the picture: unscaled, centred, cropped.
    expect(PlacePicture(600, 400, 640, 480), 1, -20, -40);
}

TEST(SdlScaler, WindowPositionsRoundDownToThePicturePixel) {
    Placement p = PlacePicture(1920, 1080, 640, 480);
    EXPECT_EQ(WindowToPicture(p, 320, 60).x, 0);
    EXPECT_EQ(WindowToPicture(p, 321, 61).y, 0);
    EXPECT_EQ(WindowToPicture(p, 322, 62).x, 1);
    EXPECT_EQ(WindowToPicture(p, 1599, 1019).x, 639);
    EXPECT_EQ(WindowToPicture(p, 1599, 1019).y, 479);
    // In the borders the answer lies outside the picture, for the caller to clamp.
    EXPECT_LT(WindowToPicture(p, 0, 0).x, 0);
    EXPECT_LT(WindowToPicture(p, 319, 59).y, 0);
    EXPECT_GT(WindowToPicture(p, 1600, 500).x, 639);
}

// A 4 x 3 picture scaled by 3 into a 14 x 11 window at (1, 1), at both pixel sizes, and
// cropped into a window smaller than it: every window pixel is the picture pixel over it,
// or left as it was.
TEST(SdlScaler, EveryWindowPixelIsThePicturePixelOverIt) {
    const uint16_t picture[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::vector<uint32_t> table(65536);
    for (uint32_t i = 0; i < table.size(); ++i) table[i] = 0x1000 + i;
    const struct {
        int32_t width, height, bytes;
    } windows[] = {{14, 11, 4}, {14, 11, 2}, {3, 2, 4}};
    for (auto w : windows) {
        Placement p = PlacePicture(w.width, w.height, 4, 3);
        std::vector<uint8_t> pixels(static_cast<size_t>(w.width + 1) * w.height * w.bytes, 0xEE);
        int32_t pitch = (w.width + 1) * w.bytes;  // a row longer than the window
        ScalePicture(picture, 4 * 2, RECT{0, 0, 4, 3}, p, table.data(),
                     {pixels.data(), pitch, w.width, w.height, w.bytes});
        for (int32_t y = 0; y < w.height; ++y) {
            for (int32_t x = 0; x <= w.width; ++x) {
                const uint8_t* at = &pixels[static_cast<size_t>(y) * pitch + x * w.bytes];
                uint32_t got = w.bytes == 4 ? *reinterpret_cast<const uint32_t*>(at)
                                            : *reinterpret_cast<const uint16_t*>(at);
                POINT source = WindowToPicture(p, x, y);
                bool inside =
                    x < w.width && source.x >= 0 && source.x < 4 && source.y >= 0 && source.y < 3;
                uint32_t want = inside ? 0x1000 + picture[source.y * 4 + source.x]
                                       : (w.bytes == 4 ? 0xEEEEEEEE : 0xEEEE);
                EXPECT_EQ(got, want) << w.width << "x" << w.height << " at " << x << ", " << y;
            }
        }
    }
}
