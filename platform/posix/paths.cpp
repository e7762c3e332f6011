#include "platform/posix/paths.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MAX_LINKS = 40;  // the system's own limit on a chain of links

}  // namespace

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < MAX_LINKS; hop++) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        char to[4096];
        ssize_t length = readlink(path.c_str(), to, sizeof to - 1);
        if (length <= 0) break;
        to[length] = 0;
        size_t slash = path.rfind('/');
        bool relative = to[0] != '/' && slash != std::string::npos;
        path = relative ? path.substr(0, slash + 1) + to : std::string(to);
    }
    return path;
}
