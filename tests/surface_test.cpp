// The blit rules every drawing step relies on: no clipping, exact colour keys.
#include "platform/surface.h"

#include <gtest/gtest.h>

namespace {

struct Surfaces {
    Surface* dst = CreateOffscreenSurface(8, 6);
    Surface* src = CreateOffscreenSurface(4, 3);
    ~Surfaces() {
        ReleaseSurface(dst);
        ReleaseSurface(src);
    }
};

uint16_t Raw(Surface* s, int x, int y) {
    SurfaceLock lock;
    Lock(s, &lock);
    uint16_t v = static_cast<uint16_t*>(lock.bits)[y * lock.pitch / 2 + x];
    Unlock(s);
    return v;
}

void Fill(Surface* s, uint16_t first) {
    SurfaceLock lock;
    Lock(s, &lock);
    auto* p = static_cast<uint16_t*>(lock.bits);
    for (int i = 0; i < lock.width * lock.height; ++i) p[i] = static_cast<uint16_t>(first + i);
    Unlock(s);
}

TEST(Blit, OpaqueCopyMovesTheSourceRectangleToThePoint) {
    Surfaces s;
    Fill(s.src, 100);
    ColorFill(s.dst, 7, DDBLT_COLORFILL);
    RECT r = {1, 1, 3, 3};
    EXPECT_EQ(BltFast(s.dst, 5, 4, s.src, &r, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Raw(s.dst, 5, 4), 105);  // source (1, 1)
    EXPECT_EQ(Raw(s.dst, 6, 4), 106);
    EXPECT_EQ(Raw(s.dst, 5, 5), 109);
    EXPECT_EQ(Raw(s.dst, 6, 5), 110);
    EXPECT_EQ(Raw(s.dst, 4, 4), 7);
    EXPECT_EQ(Raw(s.dst, 7, 5), 7);
}

TEST(Blit, KeyedCopySkipsExactlyTheKeyValue) {
    Surfaces s;
    Fill(s.src, 100);  // 100 .. 111
    DDCOLORKEY key = {105, 105};
    SetColorKey(s.src, DDCKEY_SRCBLT, &key);
    ColorFill(s.dst, 7, DDBLT_COLORFILL);
    EXPECT_EQ(BltFast(s.dst, 0, 0, s.src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            uint16_t want = (y * 4 + x == 5) ? 7 : static_cast<uint16_t>(100 + y * 4 + x);
            EXPECT_EQ(Raw(s.dst, x, y), want) << x << "," << y;
        }
    }
    // Without the flag the key is ignored.
    BltFast(s.dst, 0, 0, s.src, nullptr, DDBLTFAST_WAIT);
    EXPECT_EQ(Raw(s.dst, 1, 1), 105);
}

TEST(Blit, RejectedRectanglesDrawNothing) {
    Surfaces s;
    Fill(s.src, 100);
    const RECT bad[] = {
        {2, 0, 2, 3},   // empty
        {3, 0, 1, 3},   // inverted
        {0, 2, 4, 1},   // inverted vertically
        {-1, 0, 2, 2},  // left of the source
        {0, 0, 5, 3},   // past the right
        {0, 0, 4, 4},   // past the bottom
    };
    for (const RECT& r : bad) {
        ColorFill(s.dst, 7, DDBLT_COLORFILL);
        EXPECT_EQ(BltFast(s.dst, 1, 1, s.src, &r, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) ASSERT_EQ(Raw(s.dst, x, y), 7);
    }
    const POINT outside[] = {{-1, 0}, {0, -1}, {5, 0}, {0, 4}, {8, 0}, {0, 6}, {INT32_MAX, 0}};
    for (POINT p : outside) {
        ColorFill(s.dst, 7, DDBLT_COLORFILL);
        EXPECT_EQ(BltFast(s.dst, p.x, p.y, s.src, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) ASSERT_EQ(Raw(s.dst, x, y), 7);
    }
    // The very corner still fits.
    EXPECT_EQ(BltFast(s.dst, 4, 3, s.src, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Raw(s.dst, 7, 5), 111);
}

TEST(Colors, ConvertToRgb565AndBack) {
    EXPECT_EQ(ColorToPixel(0x000000), 0);
    EXPECT_EQ(ColorToPixel(0xFFFFFF), 0xFFFF);
    EXPECT_EQ(ColorToPixel(RGB(255, 0, 0)), 0xF800);
    EXPECT_EQ(ColorToPixel(RGB(0, 255, 0)), 0x07E0);
    EXPECT_EQ(ColorToPixel(RGB(0, 0, 255)), 0x001F);
    // Near-white rounds into white: why sprites must keep away from their key.
    EXPECT_EQ(ColorToPixel(RGB(250, 253, 250)), 0xFFFF);
    EXPECT_EQ(PixelToColor(0xFFFF), 0xFFFFFFu);
    EXPECT_EQ(PixelToColor(0xF800), RGB(255, 0, 0));
    for (uint32_t p = 0; p < 0x10000; p += 97) {
        EXPECT_EQ(ColorToPixel(PixelToColor(static_cast<uint16_t>(p))), p);
    }
}

TEST(Surfaces, PixelAccessAndColorFill) {
    Surfaces s;
    EXPECT_EQ(SurfaceWidth(s.dst), 8);
    EXPECT_EQ(SurfaceHeight(s.dst), 6);
    SurfaceSetPixel(s.dst, 2, 3, RGB(255, 0, 0));
    EXPECT_EQ(SurfaceGetPixel(s.dst, 2, 3), RGB(255, 0, 0));
    EXPECT_EQ(SurfaceGetPixel(s.dst, 8, 0), CLR_INVALID);
    EXPECT_EQ(SurfaceGetPixel(s.dst, 0, -1), CLR_INVALID);
    ColorFill(s.dst, 0x001F, DDBLT_COLORFILL | DDBLT_WAIT);
    EXPECT_EQ(SurfaceGetPixel(s.dst, 7, 5), RGB(0, 0, 255));
    EXPECT_EQ(CreateOffscreenSurface(0, 5), nullptr);
    EXPECT_EQ(CreateOffscreenSurface(5, -1), nullptr);
}

}  // namespace
