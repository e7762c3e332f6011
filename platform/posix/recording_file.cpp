// Where a recording may go. A mistyped --record must never cost the player a file: the game's
// own files are refused by identity (a link or another spelling is the same file), and so
// is any existing file that is not an earlier recording. Nothing here blocks: a pipe or a
// device is recognised before it is opened, and opened only without waiting.
#include "platform/posix/recording_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/posix/paths.h"

namespace fs = std::filesystem;

namespace {

// What the game itself reads or writes besides everything in its "data" folder.
constexpr const char* GAME_FILES[] = {"high.dat", "log.txt", "font.des"};

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The null device takes everything; the full device refuses everything, as a full disk
// does. Neither blocks nor holds anything of the player's.
bool HarmlessDevice(const struct stat& info) {
    if (!S_ISCHR(info.st_mode)) return false;
    for (const char* device : {"/dev/null", "/dev/full"}) {
        struct stat known;
        if (stat(device, &known) == 0 && S_ISCHR(known.st_mode) && known.st_rdev == info.st_rdev)
            return true;
    }
    return false;
}

// The game's file that is this existing file, or "".
std::string GameFileThatIs(const struct stat& target) {
    for (const char* name : GAME_FILES) {
        std::string path = HostPath(name);
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && SameFile(info, target)) return path;
    }
    std::error_code error;
    fs::recursive_directory_iterator entry(HostPath("data"),
                                           fs::directory_options::skip_permission_denied, error);
    for (; !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        struct stat info;
        if (stat(entry->path().c_str(), &info) == 0 && SameFile(info, target))
            return entry->path().string();
    }
    return "";
}

// The game's file that a new file at path would become, or "": the same name in the same
// folder (by the folder's identity), or one of its temporary files.
std::string GameFileInPlaceOf(const std::string& path) {
    std::string base = BaseOf(path);
    struct stat where;
    if (stat(FolderOf(path).c_str(), &where) != 0) return "";
    for (const char* name : GAME_FILES) {
        std::string game = FollowLinks(HostPath(name));
        std::string gameFolder = FolderOf(game), gameBase = BaseOf(game);
        struct stat info;
        if (stat(gameFolder.c_str(), &info) != 0 || !SameFile(info, where)) continue;
        if (base == gameBase || base.rfind(gameBase + TEMP_INFIX, 0) == 0) return HostPath(name);
    }
    return "";
}

// Whether the open file holds an earlier recording: it begins with the line every recording
// begins with (or is empty, or is cut short inside that line, which holds nothing).
bool HoldsARecording(int fd, const struct stat& info) {
    size_t length = std::strlen(RECORDING_FIRST_LINE);
    char start[256];
    if (info.st_size == 0) return true;
    if (length > sizeof start) return false;
    size_t wanted = static_cast<size_t>(info.st_size) < length ? info.st_size : length;
    ssize_t got = pread(fd, start, wanted, 0);
    return got == static_cast<ssize_t>(wanted) &&
           std::memcmp(start, RECORDING_FIRST_LINE, wanted) == 0;
}

FILE* Refuse(const char* path, const std::string& why) {
    std::fprintf(stderr, "%s: cannot record to %s: %s\n", PROGRAM_NAME, path, why.c_str());
    return nullptr;
}

}  // namespace

FILE* OpenRecordingFile(const char* path) {
    if (path[0] == '\0') return Refuse("\"\"", "no file name given");
    struct stat info;
    bool exists = stat(path, &info) == 0;
    if (!exists && errno != ENOENT) return Refuse(path, std::strerror(errno));
    struct stat link;
    if (!exists && lstat(path, &link) == 0) return Refuse(path, "it is a link to nothing");
    if (exists && S_ISDIR(info.st_mode)) return Refuse(path, "it is a folder");
    if (exists && !S_ISREG(info.st_mode) && !HarmlessDevice(info)) {
        return Refuse(path, "it is not a regular file (a pipe, a device or a socket)");
    }
    std::string game = exists ? GameFileThatIs(info) : GameFileInPlaceOf(path);
    if (!game.empty()) return Refuse(path, "it is the game's own file " + game);

    // Without waiting for a reader, should a pipe have taken the place just checked; a new
    // file only as a new file, not through a dangling link to somewhere unchecked.
    int flags = O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (exists ? 0 : O_CREAT | O_EXCL);
    int fd = open(path, flags, 0666);
    if (fd < 0) return Refuse(path, std::strerror(errno));
    struct stat opened;
    const char* why = nullptr;
    if (fstat(fd, &opened) != 0) {
        why = std::strerror(errno);
    } else if (exists && !SameFile(opened, info)) {
        why = "it was replaced while being checked";
    } else if (S_ISREG(opened.st_mode) && !HoldsARecording(fd, opened)) {
        why = "it exists and is not a recording (remove it first, or name a new file)";
    } else if (S_ISREG(opened.st_mode) && ftruncate(fd, 0) != 0) {
        why = std::strerror(errno);
    }
    if (why == nullptr) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        if (FILE* file = fdopen(fd, "w")) return file;
        why = std::strerror(errno);
    }
    close(fd);
    return Refuse(path, why);
}
