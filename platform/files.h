// Files of the game, named as the game names them ("data\side1.bmp"). This is the one place
// where such a name becomes a path: in the working folder when it holds the game, otherwise
// the game's own files where the program is installed and what it writes ("high.dat",
// "log.txt") in the player's data folder (platform/common/game_folders.h).
#pragma once

#include <cstdio>
#include <string>

// The path of a game name, in this system's separators. Absolute names stay as they are.
std::string HostPath(const char* gameName);

FILE* OpenGameFile(const char* gameName, const char* mode);

// Pushes a written stream to the disk; false when that fails.
bool FlushFileToDisk(FILE* file);

// Puts from over to, atomically where the system allows; false on failure.
bool ReplaceGameFile(const char* fromGameName, const char* toGameName);
