// Files on a POSIX system: the game names them with backslashes, this system wants slashes.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/common/online.h"
#include "platform/posix/paths.h"

namespace {

// The temporary files of "high.dat" are "high.dat.tmp.XXXXXX", six letters or digits.
constexpr size_t TEMP_LETTERS = 6;
constexpr char TEMP_ALPHABET[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int MAX_NAME_TRIES = 100;

int OpenFlags(const char* mode) {
    bool plus = std::strchr(mode, '+') != nullptr;
    int access = plus ? O_RDWR : (mode[0] == 'r' ? O_RDONLY : O_WRONLY);
    if (mode[0] == 'w') return access | O_CREAT | O_TRUNC;
    if (mode[0] == 'a') return access | O_CREAT | O_APPEND;
    return access;
}

bool IsTemporaryOf(const char* entry, const std::string& base) {
    std::string prefix = base + TEMP_INFIX;
    if (std::strncmp(entry, prefix.c_str(), prefix.size()) != 0) return false;
    const char* letters = entry + prefix.size();
    if (std::strlen(letters) != TEMP_LETTERS) return false;
    return std::strspn(letters, TEMP_ALPHABET) == TEMP_LETTERS;
}

// A writer holds a lock on its temporary file from creation to the rename, so a file whose
// lock can be taken was left by a writer that died.
void RemoveLeftovers(const std::string& target) {
    std::string folder = FolderOf(target);
    std::string base = BaseOf(target);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        if (!IsTemporaryOf(entry->d_name, base)) continue;
        std::string path = folder + "/" + entry->d_name;
        int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held, named;
        if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            lstat(path.c_str(), &named) == 0 && named.st_ino == held.st_ino &&
            named.st_dev == held.st_dev) {
            unlink(path.c_str());
        }
        close(fd);
    }
    closedir(dir);
}

// Letters no other writer is likely to pick; O_EXCL makes sure of it.
std::string TemporaryName(const std::string& target, unsigned attempt) {
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    unsigned long long mix = static_cast<unsigned long long>(getpid()) * 0x9E3779B97F4A7C15ull ^
                             static_cast<unsigned long long>(now.tv_nsec) * 0xBF58476D1CE4E5B9ull ^
                             static_cast<unsigned long long>(now.tv_sec) ^ attempt * 0x94D049BBull;
    std::string name = target + TEMP_INFIX;
    for (size_t k = 0; k < TEMP_LETTERS; k++) {
        name += TEMP_ALPHABET[mix % (sizeof TEMP_ALPHABET - 1)];
        mix /= sizeof TEMP_ALPHABET - 1;
    }
    return name;
}

// A new temporary file, locked; -1 with errno on failure.
int CreateTemporary(const std::string& target, mode_t mode, std::string* name) {
    for (unsigned attempt = 0; attempt < MAX_NAME_TRIES; attempt++) {
        *name = TemporaryName(target, attempt);
        int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return -1;
        struct stat info;
        // Another copy may have taken it for a leftover between the open and the lock.
        if (flock(fd, LOCK_EX) == 0 && fstat(fd, &info) == 0 && info.st_nlink > 0) return fd;
        close(fd);
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

#include "platform/common/game_folders.h"
#include "platform/posix/sync.h"

std::string HostPath(const char* gameName) {
    std::string path = gameName ? gameName : "";
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return PlaceGameFile(path);
}

FILE* OpenGameFile(const char* gameName, const char* mode) {
    std::string path = HostPath(gameName);
    struct stat info;
    // A device is never opened at all; a pipe slipped in after this test cannot block the
    // open, which does not wait, and is refused after it.
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        errno = ENOENT;
        return nullptr;
    }
    int fd = open(path.c_str(), OpenFlags(mode) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == ENXIO) errno = ENOENT;  // a pipe without a reader
        return nullptr;
    }
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        errno = ENOENT;
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = fdopen(fd, mode);
    if (!file) close(fd);
    return file;
}

const char* BeginFileReplacement(const char* gameName, FileReplacement* replacement) {
    FileReplaced(gameName);
    replacement->stream = nullptr;
    replacement->target = FollowLinks(HostPath(gameName));
    replacement->temporary.clear();
    const char* target = replacement->target.c_str();
    mode_t mode = 0666;  // less the umask, as for any new file
    struct stat info;
    // A chain of links that never ends is left as it is, not replaced by a file.
    if (lstat(target, &info) == 0 && S_ISLNK(info.st_mode)) return std::strerror(ELOOP);
    if (stat(target, &info) == 0) {
        if (!S_ISREG(info.st_mode)) return "not a regular file";
        // The write bits count even for a user whom the system lets write anyway.
        if ((info.st_mode & 0222) == 0 || access(target, W_OK) != 0) return "the file is read-only";
        mode = info.st_mode & 07777;
    }
    RemoveLeftovers(replacement->target);
    int fd = CreateTemporary(replacement->target, mode, &replacement->temporary);
    if (fd < 0) return std::strerror(errno);
    // The umask may have taken bits the old file had.
    if (mode != 0666) fchmod(fd, mode);
    replacement->stream = fdopen(fd, "wb");
    if (!replacement->stream) {
        const char* why = std::strerror(errno);
        close(fd);
        unlink(replacement->temporary.c_str());
        return why;
    }
    return nullptr;
}

const char* FinishFileReplacement(FileReplacement* replacement) {
    FILE* stream = replacement->stream;
    const char* why = nullptr;
    if (std::fflush(stream) != 0) why = std::strerror(errno);
    if (!why && std::ferror(stream)) why = "the file could not be written";
    if (!why && SyncToDisk(fileno(stream)) != 0) why = std::strerror(errno);
    // The lock is held until the rename, so no other copy takes the file for a leftover.
    if (!why && std::rename(replacement->temporary.c_str(), replacement->target.c_str()) != 0) {
        why = std::strerror(errno);
    }
    if (why) unlink(replacement->temporary.c_str());
    std::fclose(stream);
    replacement->stream = nullptr;
    if (why) return why;
    // The rename is only lasting once the folder is on the disk. Some file systems cannot
    // flush a folder; the file is in place all the same.
    int folder = open(FolderOf(replacement->target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        SyncToDisk(folder);
        close(folder);
    }
    return nullptr;
}

void AbandonFileReplacement(FileReplacement* replacement) {
    if (!replacement->stream) return;
    std::fclose(replacement->stream);
    replacement->stream = nullptr;
    unlink(replacement->temporary.c_str());
}
