// Fuzz targets read their input from a file in a private folder, as the game reads its files.
#pragma once

#include <cstddef>
#include <cstdint>

// Enters a private folder once, then writes the input to the named file there.
void WriteInput(const char* name, const uint8_t* data, size_t size);
