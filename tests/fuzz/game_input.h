// The whole-game fuzzer's input: a seed byte, then events of three bytes (what, two
// arguments) that become the commands of a replay script, so that the real driver plays them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/replay/script.h"

// An input waits at most this long in steps of 1 ms (about 115 frames); jumps of the clock
// cost one frame each. Both bounds keep an input to a fraction of a second.
constexpr uint32_t MAX_WAITED_MS = 3000;
constexpr size_t MAX_EVENTS = 512;

// Every input is a script; the end of the input closes the window, as a script's end does.
// The script is filled anew, keeping its room from one input to the next.
void DecodeGameInput(const uint8_t* data, size_t size, Script& script);
// The input that plays a script as closely as the events can say it (the seeds).
std::vector<uint8_t> EncodeGameInput(const Script& script);
