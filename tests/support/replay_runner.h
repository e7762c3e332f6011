// Replay scripts in tests: see game_fixture.h (RunScript, RunReplayBinary).
#pragma once

#include "tests/support/game_fixture.h"
