// What a frame changed, in the tiles the window gets and the rectangle the page gets.
#include "platform/common/changed_areas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(ChangedAreas, CoverEveryChangeAndLittleElse) {
    std::vector<uint16_t> before(640 * 480, 7), after(640 * 480, 7);
    RECT areas[MAX_CHANGED_AREAS];
    auto expect = [&](int32_t i, RECT want) {
        EXPECT_EQ(areas[i].left, want.left) << i;
        EXPECT_EQ(areas[i].top, want.top) << i;
        EXPECT_EQ(areas[i].right, want.right) << i;
        EXPECT_EQ(areas[i].bottom, want.bottom) << i;
    };
    EXPECT_EQ(FindChangedAreas(before.data(), after.data(), 640, 480, areas), 0);

    after[479 * 640 + 639] = 1;  // the last pixel: its 16 x 16 tile
    ASSERT_EQ(FindChangedAreas(before.data(), after.data(), 640, 480, areas), 1);
    expect(0, {624, 464, 640, 480});

    // The tiles of the same columns in touching bands join; others stay apart.
    after[479 * 640 + 639] = 7;
    after[15 * 640 + 10] = 1;
    after[20 * 640 + 5] = 1;
    after[16 * 640 + 300] = 1;
    after[50 * 640 + 0] = 1;
    ASSERT_EQ(FindChangedAreas(before.data(), after.data(), 640, 480, areas), 3);
    expect(0, {0, 0, 16, 32});
    expect(1, {288, 16, 304, 32});
    expect(2, {0, 48, 16, 64});
    // The page takes the rectangle around them all.
    RECT around = ChangedArea(before.data(), after.data(), 640, 480);
    EXPECT_EQ(around.left, 0);
    EXPECT_EQ(around.top, 0);
    EXPECT_EQ(around.right, 304);
    EXPECT_EQ(around.bottom, 64);

    // Every pixel changed, as when scrolling: one area.
    std::vector<uint16_t> other(640 * 480, 9);
    ASSERT_EQ(FindChangedAreas(before.data(), other.data(), 640, 480, areas), 1);
    expect(0, {0, 0, 640, 480});

    // A width that is no multiple of the tile nor of the eight bytes compared at once.
    std::vector<uint16_t> narrow(37 * 20, 7), changed(37 * 20, 7);
    RECT none = ChangedArea(narrow.data(), changed.data(), 37, 20);
    EXPECT_EQ(none.left, none.right);
    changed[19 * 37 + 36] = 1;
    ASSERT_EQ(FindChangedAreas(narrow.data(), changed.data(), 37, 20, areas), 1);
    expect(0, {32, 16, 37, 20});
}
