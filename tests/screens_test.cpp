// The name-entry and credits screens, read back from the back buffer. The font sheet and
// the menu picture are swapped for ones whose every glyph cell carries its own character
// code, so the texts on screen can be read back cell by cell.
#include "screens/screens.h"

#include <string>

#include "app/app.h"
#include "display/display.h"
#include "tests/support/game_fixture.h"

namespace {

constexpr int32_t CELL_W = 15;
constexpr int32_t CELL_H = 20;
constexpr uint16_t MENU = 0x1111;
constexpr uint16_t GLYPH_BASE = 0x2000;
// The characters the game's fixed texts may use.
const std::string LETTERING = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-\xD6";

class ScreensTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        realFont = bitmapFont;
        realSheet = assetSurfaces.font;
        realMenu = assetSurfaces.menu;
        sheet = CreateOffscreenSurface(CELL_W * 16, CELL_H * 16);
        menu = CreateOffscreenSurface(640, 480);
        ASSERT_TRUE(sheet && menu);
        ColorFill(menu, MENU, DDBLT_WAIT);
        for (int code = 0; code < 256; ++code) {
            RECT cell{(code % 16) * CELL_W, (code / 16) * CELL_H, 0, 0};
            for (int32_t y = cell.top; y < cell.top + CELL_H; ++y) {
                for (int32_t x = cell.left; x < cell.left + CELL_W; ++x) {
                    SurfaceSetPixel(sheet, x, y, PixelToColor(uint16_t(GLYPH_BASE + code)));
                }
            }
        }
        bitmapFont = BitmapFont{};
        bitmapFont.cellWidth = CELL_W;
        bitmapFont.cellHeight = CELL_H;
        for (char c : LETTERING) {
            uint8_t code = static_cast<uint8_t>(c);
            int j = bitmapFont.glyphCount++;
            bitmapFont.glyphChar[j] = code;
            bitmapFont.glyphRow[j] = static_cast<int8_t>(code / 16);
            bitmapFont.glyphColumn[j] = static_cast<int8_t>(code % 16);
        }
        assetSurfaces.font = sheet;
        assetSurfaces.menu = menu;
    }
    void TearDown() override {
        bitmapFont = realFont;
        assetSurfaces.font = realSheet;
        assetSurfaces.menu = realMenu;
        ReleaseSurface(sheet);
        ReleaseSurface(menu);
        GameTest::TearDown();
    }
    static uint16_t Raw(int32_t x, int32_t y) { return ColorToPixel(BackPixel(x, y)); }
    // The text drawn by DrawBitmapText at (x, y), up to the first cell without a glyph.
    static std::string ReadText(int32_t x, int32_t y) {
        std::string text;
        for (int32_t cx = x + 2; cx + CELL_W <= 640; cx += CELL_W) {
            uint16_t value = Raw(cx, y);
            if (value < GLYPH_BASE || value > GLYPH_BASE + 255) break;
            text += static_cast<char>(value - GLYPH_BASE);
        }
        return text;
    }
    // Pixels that are not the menu background.
    static int32_t Drawn() {
        int32_t count = 0;
        for (int32_t y = 0; y < 480; ++y) {
            for (int32_t x = 0; x < 640; ++x) count += Raw(x, y) != MENU;
        }
        return count;
    }
    void Type(const char* keys) {
        for (const char* k = keys; *k; ++k) GameWindowProc(mainWindow, WM_KEYDOWN, WPARAM(*k), 0);
    }

    struct Line {
        int32_t x, y, length;
    };
    // Every line on its place, of its length, in the game's lettering; nothing else drawn.
    void ExpectPage(const Line* lines, int count, const char* heading) {
        int32_t cells = 0;
        for (int i = 0; i < count; ++i) {
            std::string text = ReadText(lines[i].x, lines[i].y);
            EXPECT_EQ(int32_t(text.size()), lines[i].length) << "line " << i << ": " << text;
            EXPECT_EQ(text.find_first_not_of(LETTERING), std::string::npos) << text;
            if (i == 0) {
                EXPECT_EQ(text, heading);
            } else {
                EXPECT_EQ(text.find_first_not_of(" .-"), 0u) << "starts with a name";
            }
            cells += lines[i].length;
        }
        EXPECT_EQ(Drawn(), cells * CELL_W * CELL_H);
    }

    BitmapFont realFont{};
    Surface* realSheet = nullptr;
    Surface* realMenu = nullptr;
    Surface* sheet = nullptr;
    Surface* menu = nullptr;
};

TEST_F(ScreensTest, TheNameEntryFirstShowsThePromptOnly) {
    GameWindowProc(mainWindow, WM_KEYDOWN, 'A', 0);  // leaves the logo
    ASSERT_EQ(GameState, NameEntry);
    NameEntryFrame();
    EXPECT_EQ(ReadText(223, 200), "NAME EINGEBEN");
    EXPECT_EQ(Drawn(), 13 * CELL_W * CELL_H);
}

TEST_F(ScreensTest, TheTypedNameGrowsToBothSides) {
    GameState = NameEntry;
    Type("ABC");
    NameEntryFrame();
    EXPECT_EQ(ReadText(292, 250), "ABC");
    EXPECT_EQ(Raw(292 + 1, 250), MENU);
    Type("DEFGHI");  // the ninth is not taken
    NameEntryFrame();
    EXPECT_EQ(ReadText(257, 250), "ABCDEFGH");
    EXPECT_EQ(Drawn(), (13 + 8) * CELL_W * CELL_H);
    Type("\b\b\b\b\b\b");
    NameEntryFrame();
    EXPECT_EQ(ReadText(299, 250), "AB");
    EXPECT_EQ(Drawn(), (13 + 2) * CELL_W * CELL_H) << "deleted characters leave the screen";
}

TEST_F(ScreensTest, TheDevelopersPage) {
    GameState = CreditsDevelopers;
    CreditsFrame();
    const Line lines[] = {{200, 20, 16},  {150, 100, 23}, {135, 150, 25}, {150, 200, 23},
                          {120, 250, 27}, {135, 300, 25}, {90, 350, 31}};
    ExpectPage(lines, 7, "SPIELEENTWICKLER");
}

TEST_F(ScreensTest, TheGreetingsPage) {
    GameState = CreditsGreetings;
    CreditsFrame();
    const Line lines[] = {{250, 10, 9},   {120, 90, 26},  {170, 130, 19}, {110, 170, 28},
                          {120, 210, 26}, {120, 250, 26}, {130, 290, 25}, {180, 330, 18},
                          {145, 370, 23}, {100, 410, 29}};
    ExpectPage(lines, 10, "GREETZ TO");
}

TEST_F(ScreensTest, TheGameLetteringHasEveryCharacterOfTheTexts) {
    // Not the blank: a character without a glyph leaves its cell empty, as a blank does.
    for (char c : LETTERING) {
        if (c == ' ') continue;
        bool found = false;
        for (int j = 0; j < realFont.glyphCount; ++j) found |= realFont.glyphChar[j] == uint8_t(c);
        EXPECT_TRUE(found) << "font.des has no glyph for " << int(uint8_t(c));
    }
}

}  // namespace
