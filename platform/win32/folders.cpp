// The program's own folder and the player's data folder on Windows.
#include <cstdlib>

#include "platform/common/game_folders.h"
#include "platform/win32/system.h"

std::string ProgramFolder() {
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return "";
    std::string program(path, length);
    size_t slash = program.find_last_of("\\/");
    return slash == std::string::npos ? "" : program.substr(0, slash + 1);
}

std::string UserDataFolder() {
    const char* local = std::getenv("LOCALAPPDATA");
    if (local != nullptr && local[0] != 0) return std::string(local) + "\\Sidescroller\\";
    const char* profile = std::getenv("USERPROFILE");
    if (profile != nullptr && profile[0] != 0) {
        return std::string(profile) + "\\AppData\\Local\\Sidescroller\\";
    }
    return "";
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.empty() ? "." : path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolders(const std::string& path, std::string* reason) {
    // Level by level, from the first after the drive.
    for (size_t end = path.find_first_of("\\/", 3); end != std::string::npos;
         end = path.find_first_of("\\/", end + 1)) {
        std::string level = path.substr(0, end);
        if (!CreateDirectoryA(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            *reason = "error " + std::to_string(GetLastError());
            return false;
        }
    }
    if (!IsFolder(path)) {
        *reason = "not a folder";
        return false;
    }
    return true;
}
