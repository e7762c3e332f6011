// The two credits pages, one frame function for both; the state picks the page.
#include "display/display.h"
#include "screens/screens.h"
#include "state/game_state.h"

namespace {

struct CreditLine {
    const char* text;
    int32_t x;
    int32_t y;
    int32_t length;
};

// The positions are fixed, not computed from the texts: each line is as long as its
// place was made for, which centres it on the screen. 0xD6 is the font's capital O
// with diaeresis (Windows Western code page).
constexpr CreditLine DEVELOPERS[] = {
    {"SPIELEENTWICKLER", 200, 20, 16},
    {"PROGRAMM - JONAS BRANDT", 150, 100, 23},
    {"GRAFIK - MAREIKE SCH\xD6LLER", 135, 150, 25},
    {"MUSIK - TOBIAS KLEINERT", 150, 200, 23},
    {"SOUNDEFFEKTE - HANNA R\xD6SSEL", 120, 250, 27},
    {"LEVELDESIGN - PAUL WENDER", 135, 300, 25},
    {"TESTS UND IDEEN - KARINA M\xD6LLER", 90, 350, 31},
};

constexpr CreditLine GREETINGS[] = {
    {"GREETZ TO", 250, 10, 9},
    {"FRANZISKA EHLERT - HAMBURG", 120, 90, 26},
    {"MAXIMILIAN W. G\xD6RTZ", 170, 130, 19},
    {"SEBASTIAN KR\xD6GER AUS LEIPZIG", 110, 170, 28},
    {"ANNIKA STR\xD6HLE - BETATESTS", 120, 210, 26},
    {"MICHAEL OBERMAYER - KASSEL", 120, 250, 26},
    {"DR. JULIA H\xD6NIG - DRESDEN", 130, 290, 25},
    {"NIKLAS B. FEHRMANN", 180, 330, 18},
    {"SABINE LOHSE - NEUSTADT", 145, 370, 23},
    {"DENNIS SCH\xD6NFELD - REKORD 990", 100, 410, 29},
};

constexpr int32_t TextLength(const char* text) {
    int32_t n = 0;
    while (text[n] != 0) ++n;
    return n;
}

template <size_t N>
constexpr bool LengthsMatch(const CreditLine (&lines)[N]) {
    for (const CreditLine& line : lines) {
        if (TextLength(line.text) != line.length) return false;
    }
    return true;
}
static_assert(LengthsMatch(DEVELOPERS) && LengthsMatch(GREETINGS),
              "every credit text must fill exactly the length of its place");

template <size_t N>
void DrawPage(const CreditLine (&lines)[N]) {
    for (const CreditLine& line : lines) {
        bitmapFont.DrawBitmapText(line.x, line.y, line.text, line.length);
    }
}

}  // namespace

void CreditsFrame() {
    BltFast(backBuffer, 0, 0, assetSurfaces.menu, nullptr, DDBLTFAST_WAIT);
    if (GameState == CreditsDevelopers) DrawPage(DEVELOPERS);
    if (GameState == CreditsGreetings) DrawPage(GREETINGS);
}
