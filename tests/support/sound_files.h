// Throwaway sound files for tests, written into a folder of the test's own.
#pragma once

#include <string>

// A standard MIDI file: a piano playing a rising scale of notes, each noteMs long.
bool WriteTestMidi(const std::string& path, int notes, int noteMs);
// A 16-bit mono wave file at 22050 Hz holding a steady sine tone.
bool WriteTestWave(const std::string& path, double frequency, int ms);

// Makes a fresh folder with an empty "data" folder inside and makes it the working folder,
// as the game expects to find its files; answers its path.
std::string EnterTempGameFolder(const char* name);
// Leaves the folder and removes it with everything in it.
void RemoveTempGameFolder(const std::string& folder);
