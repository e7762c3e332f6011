// The window procedure driven message by message on the started game.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app.h"
#include "hunt/hunt.h"
#include "platform/headless/headless.h"
#include "screens/screens.h"
#include "tests/support/game_fixture.h"

namespace {

class WindowProcTest : public GameTest {
protected:
    // The records the static initialisers set up, put back for tests sharing one process.
    void SetUp() override {
        GameTest::SetUp();
        nameEntry = NameEntryField{{}, 0, 313, 250};
        quitAfterCredits = 0;
        highScoreTable.Clear();
    }
    void Key(WPARAM key) { GameWindowProc(mainWindow, WM_KEYDOWN, key, 0); }
    void Keys(const char* keys) {
        for (const char* k = keys; *k; ++k) Key(static_cast<WPARAM>(*k));
    }
    void Tick(WPARAM id) { GameWindowProc(mainWindow, WM_TIMER, id, 0); }
    // The message carries coordinates far from the stored cursor; they must not count.
    void Click(uint32_t message) { GameWindowProc(mainWindow, message, 0, (5 << 16) | 5); }
    void ClickMenuWithCursorAt(int32_t x, int32_t y) {
        GameState = MainMenu;
        cursorPos = POINT{x, y};
        Click(WM_LBUTTONDOWN);
    }
    static bool TimerRunning(uintptr_t id) {
        uintptr_t ids[16];
        int n = RunningTimers(ids, 16);
        return std::find(ids, ids + n, id) != ids + n;
    }
    static std::vector<std::string> SoundsPlayed() {
        HeadlessSoundEvent events[16];
        int n = HeadlessSoundEvents(events, 16);
        std::vector<std::string> files;
        for (int i = 0; i < n; ++i) {
            if (!events[i].music) files.push_back(events[i].file);
        }
        return files;
    }
    static std::string Name() { return std::string(nameEntry.name); }
    static void ExpectNameInvariant() {
        ASSERT_GE(nameEntry.length, 0);
        ASSERT_LE(nameEntry.length, 8);
        EXPECT_EQ(nameEntry.x, 313 - 7 * nameEntry.length);
        for (int i = nameEntry.length; i < 12; ++i) EXPECT_EQ(nameEntry.name[i], 0) << i;
    }
};

TEST_F(WindowProcTest, TheKeyThatLeavesTheLogoIsNotTyped) {
    ASSERT_EQ(GameState, Logo);
    Key('A');
    EXPECT_EQ(GameState, NameEntry);
    EXPECT_EQ(nameEntry.length, 0);
    ExpectNameInvariant();
}

TEST_F(WindowProcTest, EnterLeavesTheNameEntryWithoutBeingTyped) {
    GameState = NameEntry;
    Key(VK_RETURN);
    EXPECT_EQ(GameState, MainMenu);
    EXPECT_EQ(nameEntry.length, 0) << "an empty name is allowed";
    // In the menu no key does anything, Escape included.
    Key('W');
    Key(VK_ESCAPE);
    Key(VK_SPACE);
    EXPECT_EQ(GameState, MainMenu);
    EXPECT_EQ(nameEntry.length, 0);
}

TEST_F(WindowProcTest, TypedKeysAreStoredAsTheirVirtualKeyCodes) {
    GameState = NameEntry;
    const WPARAM keys[] = {VK_SHIFT,   'A',    97 /*keypad 1*/, VK_F1,
                           VK_NUMPAD0, VK_F12, 122 /*F11*/,     VK_MULTIPLY};
    const uint8_t stored[] = {16, 65, 129, 144, 96, 123, 154, 138};
    for (WPARAM k : keys) Key(k);
    ASSERT_EQ(nameEntry.length, 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(static_cast<uint8_t>(nameEntry.name[i]), stored[i]) << i;
    EXPECT_EQ(nameEntry.x, 257);
    ExpectNameInvariant();
}

TEST_F(WindowProcTest, ANinthCharacterAndABackspaceOnNothingChangeNothing) {
    GameState = NameEntry;
    Keys("ABCDEFGH");
    Key('I');
    EXPECT_EQ(Name(), "ABCDEFGH");
    EXPECT_EQ(nameEntry.x, 257);
    for (int i = 0; i < 9; ++i) Key(VK_BACK);
    EXPECT_EQ(nameEntry.length, 0);
    EXPECT_EQ(nameEntry.x, 313);
    ExpectNameInvariant();
}

TEST_F(WindowProcTest, OneKeyMovesTheCreditsOnByOnePage) {
    GameState = CreditsDevelopers;
    SetTimer(mainWindow, TIMER_CREDITS1, CREDITS1_MS, nullptr);
    secondsLeft = 7;
    Key('A');
    EXPECT_EQ(GameState, CreditsGreetings);
    EXPECT_FALSE(TimerRunning(TIMER_CREDITS1));
    EXPECT_TRUE(TimerRunning(TIMER_CREDITS2));
    EXPECT_EQ(secondsLeft, GAME_SECONDS) << "the key resets the game";
    secondsLeft = 7;
    Key('A');
    EXPECT_EQ(GameState, MainMenu);
    EXPECT_FALSE(TimerRunning(TIMER_CREDITS2));
    EXPECT_EQ(secondsLeft, GAME_SECONDS);
    EXPECT_TRUE(TimerRunning(TIMER_CLOCK));

    GameState = CreditsGreetings;
    quitAfterCredits = 1;
    Key(VK_SPACE);
    EXPECT_EQ(GameState, Quit);
}

TEST_F(WindowProcTest, OnlySpaceLeavesTheHighScores) {
    GameState = HighScores;
    Key('A');
    Key(VK_ESCAPE);
    EXPECT_EQ(GameState, HighScores);
    Key(VK_SPACE);
    EXPECT_EQ(GameState, MainMenu);
}

TEST_F(WindowProcTest, EscapeInAGameSavesTheScoreAndStaysInTheGame) {
    GameState = NameEntry;
    Keys("ZED");
    GameState = Playing;
    score = 70;
    ASSERT_FALSE(std::filesystem::exists("high.dat"));
    Key(VK_ESCAPE);
    EXPECT_EQ(GameState, Playing);
    EXPECT_EQ(highScoreTable.entries[0].score, 70);
    EXPECT_STREQ(reinterpret_cast<const char*>(highScoreTable.entries[0].name), "ZED");
    EXPECT_TRUE(std::filesystem::exists("high.dat"));
}

TEST_F(WindowProcTest, TheClockCountsDownEverywhereAndEndsOnlyAGame) {
    GameState = MainMenu;
    secondsLeft = 0;
    Tick(TIMER_CLOCK);
    EXPECT_EQ(secondsLeft, -1);
    EXPECT_EQ(GameState, MainMenu);

    GameState = Playing;
    ResetGame();  // as the menu starts a game: forgets an end requested before
    score = 40;
    secondsLeft = 1;
    Tick(TIMER_CLOCK);
    EXPECT_EQ(GameState, Playing);
    EXPECT_EQ(highScoreTable.entries[0].score, 0);
    Tick(TIMER_CLOCK);
    EXPECT_EQ(secondsLeft, -1);
    EXPECT_EQ(GameState, HighScores);
    EXPECT_EQ(highScoreTable.entries[0].score, 40) << "inserted in the same message";
    EXPECT_TRUE(std::filesystem::exists("high.dat"));
}

TEST_F(WindowProcTest, MenuClicksActAtTheStoredHotSpot) {
    secondsLeft = 7;
    ClickMenuWithCursorAt(185, 65);  // hot spot (210, 90): new game
    EXPECT_EQ(GameState, Playing);
    EXPECT_EQ(secondsLeft, GAME_SECONDS);
    EXPECT_EQ(shotsLeft, MAGAZINE_SIZE) << "the click that starts a game fires no shot";

    secondsLeft = 7;
    ClickMenuWithCursorAt(185, 155);  // quit
    EXPECT_EQ(GameState, CreditsDevelopers);
    EXPECT_EQ(quitAfterCredits, 1);
    EXPECT_TRUE(TimerRunning(TIMER_CREDITS1));
    EXPECT_EQ(secondsLeft, 7) << "the quit button does not reset the game";
    KillTimer(mainWindow, TIMER_CREDITS1);
    quitAfterCredits = 0;

    ClickMenuWithCursorAt(484, 314);  // hot spot (509, 339): the credits area's far corner
    EXPECT_EQ(GameState, CreditsDevelopers);
    EXPECT_EQ(quitAfterCredits, 0);
    EXPECT_TRUE(TimerRunning(TIMER_CREDITS1));
    EXPECT_EQ(secondsLeft, GAME_SECONDS);
    KillTimer(mainWindow, TIMER_CREDITS1);

    secondsLeft = 7;
    ClickMenuWithCursorAt(185, 335);  // high scores
    EXPECT_EQ(GameState, HighScores);
    EXPECT_EQ(secondsLeft, GAME_SECONDS);
}

TEST_F(WindowProcTest, MenuClicksOutsideTheAreasDoNothing) {
    const POINT cursors[] = {{485, 65}, {185, 135}, {275, 140}, {590, 65}, {184, 65}};
    for (POINT c : cursors) {
        ClickMenuWithCursorAt(c.x, c.y);
        EXPECT_EQ(GameState, MainMenu) << c.x << "," << c.y;
    }
    EXPECT_FALSE(TimerRunning(TIMER_CREDITS1));
}

TEST_F(WindowProcTest, LeftClicksShootOnlyWithShotsLeft) {
    GameState = Playing;
    shotsLeft = 0;
    Click(WM_LBUTTONDOWN);
    EXPECT_EQ(shotsLeft, 0);
    EXPECT_TRUE(SoundsPlayed().empty());
    shotsLeft = 3;
    Click(WM_LBUTTONDOWN);
    EXPECT_EQ(shotsLeft, 2);
    EXPECT_EQ(SoundsPlayed(), std::vector<std::string>{"data\\shot.wav"});
}

TEST_F(WindowProcTest, RightClickReloadsOnlyAnEmptyMagazineInAGame) {
    GameState = Playing;
    shotsLeft = 1;
    Click(WM_RBUTTONDOWN);
    EXPECT_EQ(shotsLeft, 1);
    GameState = MainMenu;
    shotsLeft = 0;
    Click(WM_RBUTTONDOWN);
    EXPECT_EQ(shotsLeft, 0);
    EXPECT_TRUE(SoundsPlayed().empty());
    GameState = Playing;
    Click(WM_RBUTTONDOWN);
    EXPECT_EQ(shotsLeft, MAGAZINE_SIZE);
    EXPECT_EQ(SoundsPlayed(), std::vector<std::string>{"data\\load.wav"});
}

TEST_F(WindowProcTest, EveryMessageReachesTheDefaultHandling) {
    GameWindowProc(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(mainWindow)) << "close destroys the window by the default handling";
    MSG msg{};
    bool quitPosted = false;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) quitPosted |= msg.message == WM_QUIT;
    EXPECT_TRUE(quitPosted) << "the destroy that follows posts the quit message";
}

}  // namespace
