// Files of the game, named as the game names them ("data\side1.bmp"), relative to the
// working folder.
#pragma once

#include <cstdio>
#include <string>

// The name with the game's backslashes turned into this system's separator.
std::string HostPath(const char* gameName);

FILE* OpenGameFile(const char* gameName, const char* mode);

// Pushes a written stream to the disk; false when that fails.
bool FlushFileToDisk(FILE* file);

// Puts from over to, atomically where the system allows; false on failure.
bool ReplaceGameFile(const char* fromGameName, const char* toGameName);
