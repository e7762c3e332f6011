// The window procedure: keys, mouse buttons and timer ticks become state changes. Every
// handler is a fixed run of independent tests, each reading GameState as the tests before
// it left it, so their order is part of the game (the key that leaves the logo is not
// typed, one key moves the credits on by one page only).
#include "app/app.h"
#include "hunt/hunt.h"
#include "screens/screens.h"

namespace {

constexpr WPARAM KEY_BACK = VK_BACK;
constexpr WPARAM KEY_RETURN = VK_RETURN;
constexpr WPARAM KEY_ESCAPE = VK_ESCAPE;
constexpr WPARAM KEY_SPACE = VK_SPACE;
constexpr int32_t NAME_MAX = 8;
constexpr int32_t NAME_STEP = 7;
constexpr int32_t BUTTON_HIT_WIDTH = 300;
constexpr int32_t BUTTON_HIT_HEIGHT = 70;

// Steps 1 to 3: the name-entry screen. Keys are virtual-key codes, not characters; the
// band 97 to 122 (keypad and F1 to F11) is stored 32 higher, as the game always did.
void EditName(WPARAM key) {
    if (GameState == NameEntry && key == KEY_RETURN) GameState = MainMenu;
    if (GameState == NameEntry && key == KEY_BACK && nameEntry.length > 0) {
        nameEntry.x += NAME_STEP;
        nameEntry.name[nameEntry.length - 1] = 0;
        nameEntry.length -= 1;
    }
    if (GameState == NameEntry && key != KEY_RETURN && key != KEY_BACK &&
        nameEntry.length < NAME_MAX) {
        WPARAM code = key;
        if (code >= 97 && code <= 122) code += 32;
        nameEntry.name[nameEntry.length] = static_cast<char>(static_cast<uint8_t>(code));
        nameEntry.length += 1;
        nameEntry.x -= NAME_STEP;
    }
}

void OnKeyDown(HWND window, WPARAM key) {
    EditName(key);
    if (GameState == Logo) GameState = NameEntry;
    if (key == KEY_SPACE && GameState == HighScores) GameState = MainMenu;
    // The second page is tested before the first, so one key leaves only one page.
    if (GameState == CreditsGreetings) {
        KillTimer(window, TIMER_CREDITS2);
        GameState = MainMenu;
        ResetGame();
        if (quitAfterCredits == 1) GameState = Quit;
    }
    if (GameState == CreditsDevelopers) {
        KillTimer(window, TIMER_CREDITS1);
        GameState = CreditsGreetings;
        SetTimer(window, TIMER_CREDITS2, CREDITS2_MS, nullptr);
        ResetGame();
    }
    // The state stays Playing here; the next game frame leaves the game, even when the key
    // was let go before it. Until then the game is over: further presses save nothing.
    if (key == KEY_ESCAPE && GameState == Playing && !GameEndRequested()) {
        SaveGameScore();
        RequestGameEnd();
    }
}

// The credits timers run exactly while their page is shown, so a tick needs no state test.
void OnTimer(HWND window, WPARAM id) {
    if (id == TIMER_CREDITS2) {
        KillTimer(window, TIMER_CREDITS2);
        GameState = MainMenu;
        if (quitAfterCredits == 1) GameState = Quit;
    }
    if (id == TIMER_CREDITS1) {
        KillTimer(window, TIMER_CREDITS1);
        GameState = CreditsGreetings;
        SetTimer(window, TIMER_CREDITS2, CREDITS2_MS, nullptr);
    }
    if (id == TIMER_CLOCK) secondsLeft -= 1;
    // A game that Escape already saved is left to the next frame, which goes to the menu.
    if (id == TIMER_CLOCK && secondsLeft < 0 && GameState == Playing && !GameEndRequested()) {
        GameState = HighScores;
        SaveGameScore();
    }
}

bool HotSpotOn(const MenuButton& button) {
    hitRect = RECT{button.hitX, button.hitY, button.hitX + BUTTON_HIT_WIDTH,
                   button.hitY + BUTTON_HIT_HEIGHT};
    return PtInRect(&hitRect, hotSpot);
}

// The message's own coordinates are never used: clicks act at the stored cursor's hot spot.
void OnLeftButton(HWND window) {
    if (GameState == Playing && shotsLeft > 0) FireShot();
    if (GameState != MainMenu) return;
    hotSpot = POINT{cursorPos.x + HOT_SPOT, cursorPos.y + HOT_SPOT};
    // All four are tested even after a hit; their rectangles do not overlap.
    if (HotSpotOn(newGameButton)) {
        GameState = Playing;
        ResetGame();
    }
    if (HotSpotOn(quitButton)) {
        SetTimer(window, TIMER_CREDITS1, CREDITS1_MS, nullptr);
        GameState = CreditsDevelopers;
        quitAfterCredits = 1;
    }
    if (HotSpotOn(creditsButton)) {
        GameState = CreditsDevelopers;
        SetTimer(window, TIMER_CREDITS1, CREDITS1_MS, nullptr);
        ResetGame();
    }
    if (HotSpotOn(highScoreButton)) {
        GameState = HighScores;
        ResetGame();
    }
}

void OnRightButton() {
    if (shotsLeft == 0 && GameState == Playing) {
        shotsLeft = MAGAZINE_SIZE;
        sndPlaySound("data\\load.wav", SND_ASYNC);
    }
}

}  // namespace

LRESULT GameWindowProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (message == WM_KEYDOWN) OnKeyDown(window, wParam);
    if (message == WM_TIMER) OnTimer(window, wParam);
    if (message == WM_LBUTTONDOWN) OnLeftButton(window);
    if (message == WM_RBUTTONDOWN) OnRightButton();
    return DefWindowProc(window, message, wParam, lParam);
}
