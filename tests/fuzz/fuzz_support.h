// Fuzz targets read their input from a file in a private folder, as the game reads its files.
#pragma once

#include <cstddef>
#include <cstdint>

// Makes a private folder and enters it; in memory where the system has a memory file
// system, since on a disk every rewrite of a file waits for the old one's blocks. It is
// removed when the program exits, and kept after a crash.
void EnterPrivateFolder();
// Enters a private folder once, then writes the input to the named file there.
void WriteInput(const char* name, const uint8_t* data, size_t size);
