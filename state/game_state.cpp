#include "state/game_state.h"

int8_t GameState;
