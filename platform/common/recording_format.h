// What a recording is made of, for the recorder that writes it and the replay that reads it:
// its first line, and the words for the key codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Every message about the recording starts with the program's name.
constexpr char PROGRAM_NAME[] = "sidescroller";
// The first line of every recording, by which an earlier one is known and may be replaced.
constexpr char RECORDING_FIRST_LINE[] =
    "# A play-through recorded with sidescroller --record; sidescroller-replay plays it.\n";

// Room for the longest key word and its terminator.
constexpr size_t KEY_WORD_SIZE = 12;

// The word a recording writes for a virtual-key code from 1 to 255: the letter or digit of
// a letter or digit key, a name ("BACK", "NUMPAD0", "F12") where there is one, else the code
// as a number of at least two digits ("07", "186"), which is never a digit key.
void KeyWord(int code, char (&word)[KEY_WORD_SIZE]);

// The virtual-key code for a word as KeyWord writes it, or a decimal code; -1 when unknown.
// A lone digit is always the digit key, as recordings written before the names were had it.
int KeyCodeFromName(std::string_view name);

// A whole decimal number from min to max, as a recording's words hold them; false for
// anything else.
bool ParseNumber(std::string_view text, int64_t min, int64_t max, int64_t* value);
