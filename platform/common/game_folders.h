// Where a game file lives. Portable: the working folder holds "font.des" and "data", and
// every file is read and written there, as the game always did. Installed: otherwise the
// game's own files come from where the program is installed and the files it writes go to
// a folder of the player's. The choice is made once, on the first file the game names.
#pragma once

#include <string>

// The path of a game name already in this system's separators ("data/side1.bmp").
std::string PlaceGameFile(const std::string& name);

// Lets the program run from its installation; said by the entry of a real game before the
// first file is named. Without it (tests, replays, the web page) the program keeps to the
// working folder.
void AllowInstalledRun();

// Defined for each system (platform/posix/folders.cpp). Folders end with a separator.
// The folder that holds the running program; empty when it cannot be found.
std::string ProgramFolder();
// The player's own folder for the game's writable files; empty when there is none.
std::string UserDataFolder();
bool IsFile(const std::string& path);
bool IsFolder(const std::string& path);
// Makes the folder and any missing parents; on failure, answers the reason.
bool MakeFolders(const std::string& path, std::string* reason);
