// Inputs the fuzzers found, kept so that the faults they showed stay mended.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/bitmap.h"
#include "tests/support/game_fixture.h"

namespace fs = std::filesystem;

namespace {

using FuzzRegressionTest = RunFolderTest;

// A header claiming a picture of 3 x 1962934274 pixels made the loader ask for gigabytes.
TEST_F(FuzzRegressionTest, BitmapsClaimingAbsurdSizesAreRefusedUpFront) {
    fs::create_directory("pics");
    fs::copy_file(fs::path(SOURCE_DIR) / "tests/fuzz/corpus/bitmap/huge-height.bmp",
                  "pics/huge.bmp");
    EXPECT_EQ(LoadBitmapFile("pics\\huge.bmp"), nullptr);
    // An old core header's height of 0xFFFF passed as one row and was decoded as 65535.
    fs::copy_file(fs::path(SOURCE_DIR) / "tests/fuzz/corpus/bitmap/core-height.bmp",
                  "pics/core.bmp");
    std::string problem;
    EXPECT_EQ(LoadBitmapFile("pics\\core.bmp", &problem), nullptr);
    EXPECT_EQ(problem, "too large (159 x 65535 pixels)");
    // Every other input kept for the fuzzer loads or is refused without harm.
    for (const auto& entry :
         fs::directory_iterator(fs::path(SOURCE_DIR) / "tests/fuzz/corpus/bitmap")) {
        fs::copy_file(entry.path(), "pics/one.bmp", fs::copy_options::overwrite_existing);
        Bitmap* bitmap = LoadBitmapFile("pics\\one.bmp");
        if (bitmap) {
            EXPECT_LE(BitmapWidth(bitmap), 4096);
            EXPECT_LE(BitmapHeight(bitmap), 4096);
        }
        DeleteBitmap(bitmap);
    }
}

}  // namespace
