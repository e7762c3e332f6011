// The program's own folder and the player's data folder on a POSIX system (XDG layout).
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/common/game_folders.h"

std::string ProgramFolder() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    std::string program(path, static_cast<size_t>(length));
    size_t slash = program.rfind('/');
    return slash == std::string::npos ? "" : program.substr(0, slash + 1);
}

std::string UserDataFolder() {
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules ask.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return std::string(data) + "/sidescroller/";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') return "";
    return std::string(home) + "/.local/share/sidescroller/";
}

bool IsFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.empty() ? "." : path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolders(const std::string& path, std::string* reason) {
    // Level by level; missing levels are private to the player, as the XDG rules ask.
    for (size_t end = path.find('/', 1); end != std::string::npos; end = path.find('/', end + 1)) {
        std::string level = path.substr(0, end);
        if (mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
            *reason = std::strerror(errno);
            return false;
        }
    }
    if (!IsFolder(path)) {
        *reason = "not a folder";
        return false;
    }
    return true;
}
