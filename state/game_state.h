// Which screen is shown. It sits below app/ because the screens and the hunt read and set it
// too, and they must not reach up into the application shell to do so.
#pragma once

#include <cstdint>

// The one signed byte that says which screen is shown.
enum GameStateValue : int8_t {
    Playing = 1,
    MainMenu = 2,
    Quit = 3,
    HighScores = 4,
    CreditsDevelopers = 5,
    CreditsGreetings = 6,
    Logo = 7,
    NameEntry = 8,
};
extern int8_t GameState;
