// Files on a POSIX system: the game names them with backslashes, this system wants slashes.
#include "platform/files.h"

#include <unistd.h>

#include <cstdio>

#include "platform/common/game_folders.h"

std::string HostPath(const char* gameName) {
    std::string path = gameName ? gameName : "";
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return PlaceGameFile(path);
}

FILE* OpenGameFile(const char* gameName, const char* mode) {
    return std::fopen(HostPath(gameName).c_str(), mode);
}

bool FlushFileToDisk(FILE* file) {
    if (!file || std::fflush(file) != 0) return false;
    return fsync(fileno(file)) == 0;
}

bool ReplaceGameFile(const char* fromGameName, const char* toGameName) {
    return std::rename(HostPath(fromGameName).c_str(), HostPath(toGameName).c_str()) == 0;
}
