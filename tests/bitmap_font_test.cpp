// The glyph table reader and the fixed-pitch bitmap text.
#include <string>

#include "display/display.h"
#include "tests/support/game_fixture.h"

namespace {

using BitmapFontLoadTest = RunFolderTest;

// The run folder's "font.des" links to the game's own, so the tests write beside it.
BitmapFont LoadFrom(const std::string& content) {
    WriteTextFile("test-font.des", content);
    BitmapFont font{};
    font.Load("test-font.des");
    return font;
}

TEST_F(BitmapFontLoadTest, ReadsTheCountTheCellAndEveryTripleAsBytes) {
    BitmapFont font = LoadFrom("3 16\t20\n48 0 0\n-42 1 2\n  214 127\n3 999 1 1\n");
    EXPECT_EQ(font.glyphCount, 3);
    EXPECT_EQ(font.cellWidth, 16);
    EXPECT_EQ(font.cellHeight, 20);
    EXPECT_EQ(font.glyphChar[0], 48);
    EXPECT_EQ(font.glyphChar[1], 214) << "a code minus 256 stores the same byte";
    EXPECT_EQ(font.glyphChar[2], 214);
    EXPECT_EQ(font.glyphRow[1], 1);
    EXPECT_EQ(font.glyphColumn[1], 2);
    EXPECT_EQ(font.glyphRow[2], 127);
    EXPECT_EQ(font.glyphColumn[2], 3);
    EXPECT_EQ(font.glyphChar[3], 0) << "nothing after the last triple is read";
}

TEST_F(BitmapFontLoadTest, AShortFileLeavesTheMissingValuesZero) {
    BitmapFont font = LoadFrom("4 15 20\n65 0 1\n66 0");
    EXPECT_EQ(font.glyphCount, 4);
    EXPECT_EQ(font.glyphChar[0], 65);
    EXPECT_EQ(font.glyphColumn[0], 1);
    EXPECT_EQ(font.glyphChar[1], 66);
    EXPECT_EQ(font.glyphColumn[1], 0);
    EXPECT_EQ(font.glyphChar[2], 0);
}

TEST_F(BitmapFontLoadTest, TextThatIsNoNumberStopsAllFurtherReading) {
    BitmapFont font = LoadFrom("3 15 20\n65 0 1\n66 0 X\n67 0 3\n");
    EXPECT_EQ(font.glyphCount, 3);
    EXPECT_EQ(font.glyphChar[0], 65);
    EXPECT_EQ(font.glyphChar[1], 66);
    EXPECT_EQ(font.glyphColumn[1], 0);
    EXPECT_EQ(font.glyphChar[2], 0) << "the reader never gets past the X";

    BitmapFont header = LoadFrom("2 wide 20 65 0 1\n");
    EXPECT_EQ(header.glyphCount, 2);
    EXPECT_EQ(header.cellWidth, 0);
    EXPECT_EQ(header.cellHeight, 0);
    EXPECT_EQ(header.glyphChar[0], 0);
}

TEST_F(BitmapFontLoadTest, AMissingFileLeavesAnEmptyTable) {
    BitmapFont font{};
    font.Load("no-such-font.des");
    EXPECT_EQ(font.glyphCount, 0);
    EXPECT_EQ(font.cellWidth, 0);
}

TEST_F(BitmapFontLoadTest, ACountAboveTheTableKeepsTheFirstHundredEntries) {
    std::string text = "150 15 20\n";
    for (int i = 0; i < 150; ++i) text += std::to_string(100 + i) + " 1 2\n";
    // Guards on both sides of the record catch a write past the table.
    struct {
        BitmapFont font;
        int32_t guard;
    } held{};
    held.guard = 0x5AFE;
    WriteTextFile("test-font.des", text);
    held.font.Load("test-font.des");
    EXPECT_EQ(held.font.glyphCount, 100);
    EXPECT_EQ(held.font.glyphChar[99], 199);
    for (int j = 0; j < 100; ++j) {
        ASSERT_EQ(held.font.glyphRow[j], 1) << j;
        ASSERT_EQ(held.font.glyphColumn[j], 2) << j;
    }
    EXPECT_EQ(held.font.cellWidth, 15);
    EXPECT_EQ(held.font.cellHeight, 20);
    EXPECT_EQ(held.guard, 0x5AFE);
}

TEST_F(BitmapFontLoadTest, ANegativeCountReadsNoEntries) {
    BitmapFont font = LoadFrom("-5 16 20\n65 0 0\n");
    EXPECT_LE(font.glyphCount, 0);
    EXPECT_EQ(font.cellWidth, 16);
    EXPECT_EQ(font.glyphChar[0], 0);
}

// A font sheet whose cells are each painted in their own colour, drawn into a back buffer
// painted in another, so that every cell on screen says which glyph it came from.
class BitmapTextTest : public ::testing::Test {
protected:
    static constexpr int32_t CELL_W = 16;
    static constexpr int32_t CELL_H = 20;
    static constexpr uint16_t BACKGROUND = 0x0123;

    static uint16_t CellValue(int row, int col) { return uint16_t(0x4000 + row * 64 + col + 1); }

    void SetUp() override {
        savedBack = backBuffer;
        savedSheet = assetSurfaces.font;
        backBuffer = CreateOffscreenSurface(640, 480);
        sheet = CreateOffscreenSurface(CELL_W * 10, CELL_H * 2);
        ASSERT_TRUE(backBuffer && sheet);
        assetSurfaces.font = sheet;
        ColorFill(backBuffer, BACKGROUND, DDBLT_WAIT);
        SurfaceLock lock{};
        ASSERT_EQ(Lock(sheet, &lock), DD_OK);
        auto* px = static_cast<uint16_t*>(lock.bits);
        for (int y = 0; y < lock.height; ++y) {
            for (int x = 0; x < lock.width; ++x) {
                uint16_t value = CellValue(y / CELL_H, x / CELL_W);
                // Cell (1, 0) is see-through on its left half.
                if (y >= CELL_H && x < CELL_W / 2) value = 0;
                px[y * (lock.pitch / 2) + x] = value;
            }
        }
        Unlock(sheet);
        DDCOLORKEY black{0, 0};
        SetColorKey(sheet, DDCKEY_SRCBLT, &black);
        font = BitmapFont{};
        font.cellWidth = CELL_W;
        font.cellHeight = CELL_H;
        for (int d = 0; d < 10; ++d) Add('0' + d, 0, d);
    }
    void TearDown() override {
        ReleaseSurface(backBuffer);
        ReleaseSurface(sheet);
        backBuffer = savedBack;
        assetSurfaces.font = savedSheet;
    }
    void Add(int code, int row, int col) {
        int j = font.glyphCount++;
        font.glyphChar[j] = static_cast<uint8_t>(code);
        font.glyphRow[j] = static_cast<int8_t>(row);
        font.glyphColumn[j] = static_cast<int8_t>(col);
    }
    uint16_t At(int32_t x, int32_t y) {
        SurfaceLock lock{};
        Lock(backBuffer, &lock);
        uint16_t value = static_cast<const uint16_t*>(lock.bits)[y * (lock.pitch / 2) + x];
        Unlock(backBuffer);
        return value;
    }
    // True when the whole cell at (x, y) shows the given value.
    bool CellShows(int32_t x, int32_t y, uint16_t value) {
        for (int32_t dy = 0; dy < CELL_H; ++dy) {
            for (int32_t dx = 0; dx < CELL_W; ++dx) {
                if (At(x + dx, y + dy) != value) return false;
            }
        }
        return true;
    }

    BitmapFont font;
    Surface* sheet = nullptr;
    Surface* savedBack = nullptr;
    Surface* savedSheet = nullptr;
};

TEST_F(BitmapTextTest, CharactersTakeFixedCellsTwoPixelsIn) {
    font.DrawBitmapText(20, 20, "120", 3);
    EXPECT_TRUE(CellShows(22, 20, CellValue(0, 1)));
    EXPECT_TRUE(CellShows(38, 20, CellValue(0, 2)));
    EXPECT_TRUE(CellShows(54, 20, CellValue(0, 0)));
    EXPECT_EQ(At(21, 20), BACKGROUND);
    EXPECT_EQ(At(70, 20), BACKGROUND);
    EXPECT_EQ(At(22, 19), BACKGROUND);
    EXPECT_EQ(At(22, 40), BACKGROUND);
}

TEST_F(BitmapTextTest, NothingIsDrawnForNoLengthButThePenMoves) {
    font.DrawBitmapText(100, 60, "123", 0);
    EXPECT_EQ(font.penX, 100);
    EXPECT_EQ(font.penY, 60);
    font.DrawBitmapText(30, 40, "123", -4);
    EXPECT_EQ(font.penX, 30);
    EXPECT_TRUE(CellShows(32, 40, BACKGROUND));
    EXPECT_TRUE(CellShows(102, 60, BACKGROUND));
}

TEST_F(BitmapTextTest, AMissingCharacterLeavesItsCellEmpty) {
    font.DrawBitmapText(0, 0, "1a2", 3);  // no entry for 'a'
    EXPECT_TRUE(CellShows(2, 0, CellValue(0, 1)));
    EXPECT_TRUE(CellShows(18, 0, BACKGROUND));
    EXPECT_TRUE(CellShows(34, 0, CellValue(0, 2)));
}

TEST_F(BitmapTextTest, CharactersMatchByExactByte) {
    Add('A', 0, 5);
    Add(214, 0, 6);
    font.DrawBitmapText(0, 100, "aA\xD6", 3);
    EXPECT_TRUE(CellShows(2, 100, BACKGROUND)) << "lower case is not its capital";
    EXPECT_TRUE(CellShows(18, 100, CellValue(0, 5)));
    EXPECT_TRUE(CellShows(34, 100, CellValue(0, 6)));
}

TEST_F(BitmapTextTest, EveryMatchingEntryIsDrawnTheLaterOnTop) {
    Add('7', 1, 0);  // a second entry for 7, see-through on its left half
    font.DrawBitmapText(0, 200, "7", 1);
    EXPECT_EQ(At(2, 200), CellValue(0, 7));
    EXPECT_EQ(At(2 + CELL_W / 2, 200), CellValue(1, 0));
}

TEST_F(BitmapTextTest, AZeroByteInsideTheLengthIsACharacterToo) {
    font.DrawBitmapText(0, 300,
                        "1\0"
                        "2",
                        3);
    EXPECT_TRUE(CellShows(18, 300, BACKGROUND));
    EXPECT_TRUE(CellShows(34, 300, CellValue(0, 2)));
    Add(0, 0, 9);
    font.DrawBitmapText(0, 300,
                        "1\0"
                        "2",
                        3);
    EXPECT_TRUE(CellShows(18, 300, CellValue(0, 9)));
}

TEST_F(BitmapTextTest, ANegativeCountOrAbsurdCellsDrawNothing) {
    font.glyphCount = -3;
    font.DrawBitmapText(0, 0, "1", 1);
    EXPECT_TRUE(CellShows(2, 0, BACKGROUND));
    font.glyphCount = 10;
    font.cellWidth = INT32_MAX;
    font.DrawBitmapText(0, 0, "12", 2);
    font.cellWidth = INT32_MIN;
    font.DrawBitmapText(0, 0, "12", 2);
    font.cellWidth = CELL_W;
    Add('x', 1, 0);
    font.cellHeight = INT32_MAX;
    font.DrawBitmapText(0, 0, "x", 1);
    font.cellHeight = CELL_H;
    EXPECT_TRUE(CellShows(2, 0, BACKGROUND));
    // A pen so far right that the second cell's place does not fit in 32 bits.
    font.DrawBitmapText(INT32_MAX - 5, 0, "12", 2);
    EXPECT_TRUE(CellShows(2, 0, BACKGROUND));
}

}  // namespace
