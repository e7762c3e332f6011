// Files on Windows: the game's own names, backslashes and all, are already this system's.
// A file held open without sharing cannot be deleted, which is what tells a running copy's
// temporary file from one left by a copy that died.
#include "platform/files.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/common/game_folders.h"
#include "platform/common/online.h"
#include "platform/win32/system.h"

namespace {

constexpr char TEMP_INFIX[] = ".tmp.";
constexpr int MAX_NAME_TRIES = 100;

std::string WindowsReason(DWORD error) {
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    while (length > 0 &&
           (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == '.')) {
        text[--length] = 0;
    }
    return length ? text : "error " + std::to_string(error);
}

// The reasons are kept until the next call, as the callers only print them.
const char* Reason(const std::string& text) {
    static std::string kept;
    kept = text;
    return kept.c_str();
}

HANDLE HandleOf(FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

void RemoveLeftovers(const std::string& target) {
    std::string pattern = target + TEMP_INFIX + "*";
    size_t slash = target.find_last_of("\\/");
    std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // Fails for the file of a copy still writing it: that one is held open unshared.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileA((folder + found.cFileName).c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

std::string HostPath(const char* gameName) {
    return PlaceGameFile(gameName ? gameName : "");
}

FILE* OpenGameFile(const char* gameName, const char* mode) {
    std::string path = HostPath(gameName);
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = ENOENT;
        return nullptr;
    }
    FILE* file = std::fopen(path.c_str(), mode);
    // Device names ("CON", "NUL", a pipe) open as files do; only a disk file is the game's.
    if (file && GetFileType(HandleOf(file)) != FILE_TYPE_DISK) {
        std::fclose(file);
        errno = ENOENT;
        return nullptr;
    }
    return file;
}

const char* BeginFileReplacement(const char* gameName, FileReplacement* replacement) {
    FileReplaced(gameName);
    replacement->stream = nullptr;
    replacement->target = HostPath(gameName);
    replacement->temporary.clear();
    DWORD attributes = GetFileAttributesA(replacement->target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
            return "not a regular file";
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) return "the file is read-only";
    }
    RemoveLeftovers(replacement->target);
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < MAX_NAME_TRIES && error == ERROR_FILE_EXISTS; attempt++) {
        char letters[32];
        std::snprintf(
            letters, sizeof letters, "%06lx",
            (GetCurrentProcessId() * 7919ul + GetTickCount() + attempt * 104729ul) & 0xFFFFFFul);
        replacement->temporary = replacement->target + TEMP_INFIX + letters;
        // Held without sharing, and with the right to rename it over the target itself.
        HANDLE handle = CreateFileA(replacement->temporary.c_str(), GENERIC_WRITE | DELETE, 0,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            continue;
        }
        int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        replacement->stream = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
        if (replacement->stream) return nullptr;
        if (fd >= 0) {
            _close(fd);
        } else {
            CloseHandle(handle);
        }
        DeleteFileA(replacement->temporary.c_str());
        return "the temporary file cannot be opened";
    }
    return Reason(WindowsReason(error));
}

const char* FinishFileReplacement(FileReplacement* replacement) {
    FILE* stream = replacement->stream;
    std::string why;
    if (std::fflush(stream) != 0 || std::ferror(stream)) why = "the file could not be written";
    HANDLE handle = HandleOf(stream);
    if (why.empty() && !FlushFileBuffers(handle)) why = WindowsReason(GetLastError());
    if (why.empty()) {
        // Renamed through its own handle, still held, so that no other copy can take it for
        // a leftover between the close and the rename.
        std::wstring wide(MAX_PATH * 4, L'\0');
        int length = MultiByteToWideChar(CP_ACP, 0, replacement->target.c_str(), -1, wide.data(),
                                         static_cast<int>(wide.size()));
        std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + length * sizeof(wchar_t));
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = TRUE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>((length - 1) * sizeof(wchar_t));
        std::memcpy(rename->FileName, wide.data(), length * sizeof(wchar_t));
        if (length == 0 || !SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                                       static_cast<DWORD>(buffer.size()))) {
            why = WindowsReason(GetLastError());
        }
    }
    std::fclose(stream);
    replacement->stream = nullptr;
    if (why.empty()) return nullptr;
    DeleteFileA(replacement->temporary.c_str());
    return Reason(why);
}

void AbandonFileReplacement(FileReplacement* replacement) {
    if (!replacement->stream) return;
    std::fclose(replacement->stream);
    replacement->stream = nullptr;
    DeleteFileA(replacement->temporary.c_str());
}
