// A hunt on made-up pictures: every sheet is filled with a pattern that tells each pixel
// apart and never equals a colour key, except a 10 x 10 transparent hole at the top-left of
// every cell. Tests can then say exactly which source pixel landed where on the back buffer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "app/app.h"
#include "display/display.h"
#include "hunt/hunt.h"
#include "platform/headless/headless.h"
#include "platform/surface.h"

namespace hunt_test {

constexpr uint16_t BLACK_KEY = 0x0000;
constexpr uint16_t WHITE_KEY = 0xFFFF;
constexpr int32_t HOLE = 10;

inline uint16_t Pattern(int32_t salt, int32_t x, int32_t y) {
    return static_cast<uint16_t>(1 + (x * 31 + y * 1021 + salt * 7919) % 0xFFF0);
}

inline uint16_t ReadPixel(Surface* surface, int32_t x, int32_t y) {
    SurfaceLock lock;
    EXPECT_EQ(Lock(surface, &lock), DD_OK);
    const auto* row = static_cast<const uint8_t*>(lock.bits) + y * lock.pitch;
    const uint16_t value = reinterpret_cast<const uint16_t*>(row)[x];
    Unlock(surface);
    return value;
}

inline void WritePixel(Surface* surface, int32_t x, int32_t y, uint16_t value) {
    SurfaceLock lock;
    ASSERT_EQ(Lock(surface, &lock), DD_OK);
    auto* row = static_cast<uint8_t*>(lock.bits) + y * lock.pitch;
    reinterpret_cast<uint16_t*>(row)[x] = value;
    Unlock(surface);
}

// The patterned sheet; cellWidth 0 means no holes (opaque pictures).
inline Surface* MakeSheet(int32_t width, int32_t height, int32_t salt, int32_t cellWidth,
                          int32_t cellHeight, bool keyed, uint16_t key) {
    Surface* sheet = CreateOffscreenSurface(width, height);
    EXPECT_NE(sheet, nullptr);
    SurfaceLock lock;
    EXPECT_EQ(Lock(sheet, &lock), DD_OK);
    for (int32_t y = 0; y < height; y++) {
        auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(lock.bits) + y * lock.pitch);
        for (int32_t x = 0; x < width; x++) {
            const bool hole = cellWidth > 0 && x % cellWidth < HOLE && y % cellHeight < HOLE;
            row[x] = hole ? key : Pattern(salt, x, y);
        }
    }
    Unlock(sheet);
    if (keyed) {
        const DDCOLORKEY colorKey = {key, key};
        SetColorKey(sheet, DDCKEY_SRCBLT, &colorKey);
    }
    return sheet;
}

// Salts of the sheets, so a test can work out what a sheet holds at any point.
enum Salt : int32_t {
    SIDE1 = 1,
    SIDE2,
    BAUM,
    PLANE,
    CURSOR,
    AMMO,
    KRALO,
    KRALO2,
    PELKO,
    PELKO2,
    PARA,
    BACK,
    FONT
};

inline uint16_t SheetPixel(Salt salt, int32_t x, int32_t y) {
    return Pattern(salt, x, y);
}

class HuntTest : public testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        backBuffer = MakeSheet(640, 480, BACK, 0, 0, false, 0);
        assetSurfaces.side1 = MakeSheet(640, 480, SIDE1, 0, 0, false, 0);
        assetSurfaces.side2 = MakeSheet(640, 480, SIDE2, 0, 0, false, 0);
        assetSurfaces.baum = MakeSheet(344, 402, BAUM, 344, 402, true, WHITE_KEY);
        assetSurfaces.plane = MakeSheet(220, 120, PLANE, 220, 60, true, WHITE_KEY);
        // Without holes, so that they can be found whole over any background.
        assetSurfaces.cursor = MakeSheet(50, 50, CURSOR, 0, 0, true, BLACK_KEY);
        assetSurfaces.ammo = MakeSheet(20, 40, AMMO, 0, 0, true, BLACK_KEY);
        assetSurfaces.font = MakeSheet(150, 150, FONT, 15, 15, true, BLACK_KEY);
        assetSurfaces.kralo = MakeSheet(600, 360, KRALO, 100, 120, true, BLACK_KEY);
        assetSurfaces.kralo2 = MakeSheet(600, 360, KRALO2, 100, 120, true, BLACK_KEY);
        assetSurfaces.pelko = MakeSheet(300, 180, PELKO, 50, 60, true, BLACK_KEY);
        assetSurfaces.pelko2 = MakeSheet(300, 180, PELKO2, 50, 60, true, BLACK_KEY);
        assetSurfaces.para = MakeSheet(600, 360, PARA, 150, 180, true, WHITE_KEY);
        if (textFont == nullptr)
            textFont = CreateFont(20, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
        scrollX = 0;
        score = 0;
        shotsLeft = MAGAZINE_SIZE;
        for (ScorePopup& popup : popups) popup = {};
        plane = {};
        para = {};
    }

    void TearDown() override {
        for (Surface** s :
             {&backBuffer, &assetSurfaces.side1, &assetSurfaces.side2, &assetSurfaces.baum,
              &assetSurfaces.plane, &assetSurfaces.cursor, &assetSurfaces.ammo,
              &assetSurfaces.kralo, &assetSurfaces.kralo2, &assetSurfaces.pelko,
              &assetSurfaces.pelko2, &assetSurfaces.para, &assetSurfaces.font}) {
            ReleaseSurface(*s);
            *s = nullptr;
        }
    }

    // Fills the back buffer with one value, so that any blit shows.
    static void ClearBack(uint16_t value = 0x1234) {
        SurfaceLock lock;
        ASSERT_EQ(Lock(backBuffer, &lock), DD_OK);
        for (int32_t y = 0; y < lock.height; y++) {
            auto* row =
                reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(lock.bits) + y * lock.pitch);
            for (int32_t x = 0; x < lock.width; x++) row[x] = value;
        }
        Unlock(backBuffer);
    }

    static int CountChanged(uint16_t background = 0x1234) {
        int changed = 0;
        for (int32_t y = 0; y < 480; y++) {
            for (int32_t x = 0; x < 640; x++) changed += ReadPixel(backBuffer, x, y) != background;
        }
        return changed;
    }

    // Checks that the back buffer at (dstX, dstY) holds width x height pixels of the sheet
    // with this salt from (srcLeft, srcTop), its holes (cells of cellWidth x cellHeight; 0 for
    // none) showing the cleared background, and that the block goes no further: the next
    // column and row of the sheet are not beside it.
    static void ExpectBlock(Salt salt, int32_t cellWidth, int32_t cellHeight, int32_t srcLeft,
                            int32_t srcTop, int32_t width, int32_t height, int32_t dstX,
                            int32_t dstY) {
        SurfaceLock lock;
        ASSERT_EQ(Lock(backBuffer, &lock), DD_OK);
        auto at = [&](int32_t x, int32_t y) {
            return reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(lock.bits) +
                                                     y * lock.pitch)[x];
        };
        auto want = [&](int32_t sx, int32_t sy) -> uint16_t {
            const bool hole = cellWidth > 0 && sx % cellWidth < HOLE && sy % cellHeight < HOLE;
            return hole ? 0x1234 : Pattern(salt, sx, sy);
        };
        int mismatches = 0;
        for (int32_t j = 0; j < height; j++) {
            for (int32_t i = 0; i < width; i++) {
                mismatches += at(dstX + i, dstY + j) != want(srcLeft + i, srcTop + j);
            }
        }
        EXPECT_EQ(mismatches, 0) << "block from (" << srcLeft << "," << srcTop << ") at (" << dstX
                                 << "," << dstY << ")";
        const int32_t midX = width / 2 + HOLE;
        const int32_t midY = height / 2 + HOLE;
        if (dstX + width < 640 && midY < height) {
            EXPECT_NE(at(dstX + width, dstY + midY), Pattern(salt, srcLeft + width, srcTop + midY));
        }
        if (dstY + height < 480 && midX < width) {
            EXPECT_NE(at(dstX + midX, dstY + height),
                      Pattern(salt, srcLeft + midX, srcTop + height));
        }
        Unlock(backBuffer);
    }

    // A flying bird placed by hand, its frame rectangle worked out as a frame would.
    static void PlaceBird(Bird& bird, int16_t size, int32_t direction, int32_t x, int32_t y,
                          int32_t frame = 1) {
        bird = {};
        bird.size = size;
        bird.direction = direction;
        bird.active = 1;
        bird.x = x;
        bird.y = y;
        bird.frame = frame;
        bird.dx = direction == 0 ? 1 : -1;
        if (size == 0) bird.dx *= 3;
        bird.image = size == 0 ? (direction == 0 ? assetSurfaces.kralo : assetSurfaces.kralo2)
                               : (direction == 0 ? assetSurfaces.pelko : assetSurfaces.pelko2);
        bird.ComputeFrameRect();
    }

    // Every bird out of the way: active, far right in the world, beyond any shot or view.
    static void ParkBirds() {
        for (Bird& bird : bigBirds) PlaceBird(bird, 0, 0, 1290, 200);
        for (Bird& bird : smallBirds) PlaceBird(bird, 1, 0, 1290, 200);
    }

    // Puts the cursor so that the hot spot lies on world (hx, hy) for the current scrollX.
    static void AimAt(int32_t hx, int32_t hy) {
        cursorPos = {hx - HOT_SPOT - scrollX, hy - HOT_SPOT};
    }
};

}  // namespace hunt_test
