// Files on Windows: the game's own names, backslashes and all, are already this system's.
#include "platform/files.h"

#include <io.h>

#include "platform/win32/system.h"

std::string HostPath(const char* gameName) {
    return gameName ? gameName : "";
}

FILE* OpenGameFile(const char* gameName, const char* mode) {
    return std::fopen(HostPath(gameName).c_str(), mode);
}

bool FlushFileToDisk(FILE* file) {
    if (!file || std::fflush(file) != 0) return false;
    return _commit(_fileno(file)) == 0;
}

bool ReplaceGameFile(const char* fromGameName, const char* toGameName) {
    return MoveFileExA(HostPath(fromGameName).c_str(), HostPath(toGameName).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
