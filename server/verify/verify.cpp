// A child process per recording, forked from the server after the game's files are loaded,
// so that each replay starts with the pictures decoded and costs only its own play. What it
// finds comes back over a pipe; the parent never trusts more than the messages' shape.
#include "server/verify/verify.h"

#include <fcntl.h>
#include <ftw.h>
#include <malloc.h>
#include <openssl/evp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "app/replay/replay.h"
#include "platform/headless/headless.h"
#include "server/verify/replay_games.h"
#include "server/verify/sandbox.h"

namespace verify {

namespace {

std::string gameFolder;  // absolute, once the game is loaded

// Messages from the child: a kind byte, a 4-byte length and that many bytes.
enum Message : char {
    GameMessage = 'G',
    StateMessage = 'S',
    RefuseMessage = 'R',
    EndMessage = 'E'
};
constexpr int kPipeFd = 3;  // where the sandbox puts the pipe's writing end
constexpr size_t kMaxReport = 64u << 20;

// The refusal a child sends when its memory runs out, made before the replay starts.
char memoryMessage[64];
size_t memoryMessageSize = 0;
int gamesSent = 0;
int gamesAllowed = 0;

void Put32(std::string* to, uint32_t value) {
    for (int i = 0; i < 4; ++i) to->push_back(static_cast<char>(value >> (8 * i)));
}
uint32_t Get32(const char* from) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= uint32_t{static_cast<uint8_t>(from[i])} << (8 * i);
    return value;
}

void WriteAll(const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(kPipeFd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) std::_Exit(1);
        data += n;
        size -= static_cast<size_t>(n);
    }
}

void Send(Message kind, const std::string& payload) {
    std::string message(1, kind);
    Put32(&message, static_cast<uint32_t>(payload.size()));
    message += payload;
    WriteAll(message.data(), message.size());
}

void SendRefusal(int status, const std::string& why) {
    std::string payload;
    Put32(&payload, static_cast<uint32_t>(status));
    Send(RefuseMessage, payload + why);
}

void OutOfMemory() {
    WriteAll(memoryMessage, memoryMessageSize);
    std::_Exit(0);
}

bool SendGame(const ReplayedGame& game) {
    if (++gamesSent > gamesAllowed) {
        SendRefusal(422,
                    "the recording finishes more than " + std::to_string(gamesAllowed) + " games");
        return false;
    }
    std::string payload;
    Put32(&payload, static_cast<uint32_t>(game.score));
    payload.push_back(static_cast<char>(game.name.size()));
    payload += game.name;
    payload += game.input;
    Send(GameMessage, payload);
    return true;
}

// The child's whole life: walls up, the replay, its findings, and out.
[[noreturn]] void RunChild(const Script& script, const Limits& limits, uint32_t cpuMs,
                           const std::string& folder, int pipeFd, bool wantState) {
    std::string why;
    if (chdir(folder.c_str()) != 0) why = std::string("chdir: ") + std::strerror(errno);
    if (why.empty()) EnterSandbox(pipeFd, SandboxLimits{cpuMs, limits.memoryBytes}, &why);
    if (!why.empty()) {
        // The pipe may not have reached its place; it is written where it is.
        std::string message(1, RefuseMessage);
        std::string text = "the replay's sandbox: " + why;
        Put32(&message, static_cast<uint32_t>(text.size() + 4));
        Put32(&message, 500);
        message += text;
        ssize_t written = write(pipeFd, message.data(), message.size());
        (void)written;
        std::_Exit(1);
    }
    {
        std::string text = "the replay went over its memory limit";
        std::string message(1, RefuseMessage);
        Put32(&message, static_cast<uint32_t>(text.size() + 4));
        Put32(&message, 422);
        message += text;
        std::memcpy(memoryMessage, message.data(), message.size());
        memoryMessageSize = message.size();
    }
    std::set_new_handler(OutOfMemory);
    HeadlessOwnKeptPictures();
    gamesSent = 0;
    gamesAllowed = limits.maxGames;
    std::string state;
    ReplayGames(script, !limits.fast, SendGame, wantState ? &state : nullptr);
    if (wantState) Send(StateMessage, state);
    Send(EndMessage, "");
    std::_Exit(0);
}

int RemoveEntry(const char* path, const struct stat*, int type, struct FTW*) {
    if (type == FTW_DP) return rmdir(path) == 0 ? 0 : -1;
    return unlink(path) == 0 ? 0 : -1;
}

void RemoveFolder(const std::string& folder) {
    nftw(folder.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);
}

// A fresh folder of the replay's own, with the game's files linked into it: the game reads
// them from its working folder.
bool MakePrivateFolder(std::string* folder, std::string* why) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/sidescroller-verify-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        *why = "cannot make a folder for the replay: " + std::string(std::strerror(errno));
        return false;
    }
    *folder = pattern;
    for (const char* name : {"data", "font.des"}) {
        if (symlink((gameFolder + "/" + name).c_str(), (pattern + "/" + name).c_str()) != 0) {
            *why = "cannot link the game's files: " + std::string(std::strerror(errno));
            RemoveFolder(pattern);
            return false;
        }
    }
    return true;
}

uint32_t SpanOf(const Script& script) {
    uint32_t span = 0;
    for (const ScriptCommand& c : script.commands) {
        if (c.kind == CommandKind::At) span = static_cast<uint32_t>(c.a) - script.start;
    }
    return span;
}

bool Refuse(Refusal* refusal, int status, std::string error) {
    if (refusal) *refusal = Refusal{status, std::move(error)};
    return false;
}

std::string Hex(const unsigned char* bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

int64_t NowMs() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

// Reads the child's report until it closes the pipe or the deadline passes.
bool ReadReport(int fd, int64_t deadline, std::string* report) {
    char buffer[65536];
    for (;;) {
        int64_t left = deadline - NowMs();
        if (left <= 0) return false;
        struct pollfd p = {fd, POLLIN, 0};
        int ready = poll(&p, 1, static_cast<int>(left > INT_MAX ? INT_MAX : left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        if (report->size() + static_cast<size_t>(n) > kMaxReport) return true;
        report->append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace

std::string InputDigest(std::string_view input) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(input.data(), input.size(), digest, &size, EVP_sha256(), nullptr) != 1) {
        return "";
    }
    return Hex(digest, size);
}

bool LoadGame(const std::string& folder, std::string* error) {
    char* real = realpath(folder.c_str(), nullptr);
    if (!real) {
        *error = "cannot find the game's folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    std::string absolute = real;
    std::free(real);
    struct stat info;
    if (stat((absolute + "/font.des").c_str(), &info) != 0 ||
        stat((absolute + "/data").c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        *error = "the game's files (font.des and data/) are not in " + absolute;
        return false;
    }
    gameFolder = absolute;
    // Large blocks straight from the system, always: a child's new surfaces are then pages
    // that cost nothing until they are drawn into, and a kept picture's surface never is.
    // (Left to itself, the allocator moves its threshold up as large blocks are freed, and
    // then clears each new surface in memory shared with this process, page by page.)
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    std::string private_;
    if (!MakePrivateFolder(&private_, error)) return false;
    // The game starts once here with its pictures kept, so that every forked replay finds
    // them decoded; its fonts are made once per process anyway.
    int here = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool entered = here >= 0 && chdir(private_.c_str()) == 0;
    int code = -1;
    if (entered) {
        HeadlessKeepPictures(true);
        Script script;
        ScriptCommand close;
        close.kind = CommandKind::Close;
        script.commands.push_back(close);
        code = ReplayGames(script, false, nullptr, nullptr);
    }
    bool back = here >= 0 && fchdir(here) == 0;
    if (here >= 0) close(here);
    RemoveFolder(private_);
    if (!entered || !back) {
        *error = std::string("cannot enter the game's folder: ") + std::strerror(errno);
        gameFolder.clear();
        return false;
    }
    if (code != 0) {
        *error = "the game does not start from the files in " + absolute;
        gameFolder.clear();
        return false;
    }
    InputDigest("");  // the digest's code is found once, here, rather than in a busy thread
    PrepareSandbox();
    return true;
}

bool VerifyRecording(std::string_view text, const Limits& limits, std::vector<FinishedGame>* games,
                     Refusal* refusal, std::string* finalState) {
    games->clear();
    if (gameFolder.empty()) return Refuse(refusal, 500, "the game's files are not loaded");
    Script script;
    std::string error;
    if (!ParseScript(std::string(text), &script, &error)) return Refuse(refusal, 400, error);
    uint64_t budget = uint64_t{limits.cpuMsPerMinute} * SpanOf(script) / 60000;
    if (budget < limits.cpuMsFloor) budget = limits.cpuMsFloor;
    if (budget > 3600000) budget = 3600000;
    std::string folder;
    if (!MakePrivateFolder(&folder, &error)) return Refuse(refusal, 500, error);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        RemoveFolder(folder);
        return Refuse(refusal, 500, std::string("pipe: ") + std::strerror(errno));
    }
    pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        RunChild(script, limits, static_cast<uint32_t>(budget), folder, ends[1],
                 finalState != nullptr);
    }
    close(ends[1]);
    if (child < 0) {
        close(ends[0]);
        RemoveFolder(folder);
        return Refuse(refusal, 500, std::string("fork: ") + std::strerror(errno));
    }
    // The CPU timer ends a busy child; this ends one that waits on something instead, with
    // room for a machine whose cores are shared.
    int64_t wallMs = static_cast<int64_t>(budget) * 10 + 10000;
    int64_t deadline = NowMs() + wallMs;
    std::string report;
    bool inTime = ReadReport(ends[0], deadline, &report);
    close(ends[0]);
    if (!inTime) kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    RemoveFolder(folder);

    bool ended = false;
    for (size_t at = 0; at + 5 <= report.size();) {
        char kind = report[at];
        uint32_t size = Get32(report.data() + at + 1);
        if (size > report.size() - at - 5) break;
        const char* payload = report.data() + at + 5;
        at += 5 + size;
        if (kind == GameMessage && size >= 5) {
            size_t nameSize = static_cast<uint8_t>(payload[4]);
            if (nameSize > size - 5) break;
            FinishedGame game;
            game.score = static_cast<int32_t>(Get32(payload));
            game.name.assign(payload + 5, nameSize);
            game.inputDigest =
                InputDigest(std::string_view(payload + 5 + nameSize, size - 5 - nameSize));
            games->push_back(std::move(game));
        } else if (kind == StateMessage && finalState) {
            finalState->assign(payload, size);
        } else if (kind == RefuseMessage && size >= 4) {
            games->clear();
            return Refuse(refusal, static_cast<int>(Get32(payload)),
                          std::string(payload + 4, size - 4));
        } else if (kind == EndMessage) {
            ended = true;
        }
    }
    if (WIFSIGNALED(status) && (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL)) {
        games->clear();
        if (!inTime) {
            return Refuse(
                refusal, 422,
                "the replay took longer than " + std::to_string(wallMs / 1000) + " s of real time");
        }
        return Refuse(
            refusal, 422,
            "the replay went over its budget of " + std::to_string(budget) + " ms of CPU time");
    }
    if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        games->clear();
        std::string how = WIFSIGNALED(status)
                              ? "signal " + std::to_string(WTERMSIG(status))
                              : "exit status " + std::to_string(WEXITSTATUS(status));
        return Refuse(refusal, 500, "the replay failed (" + how + ")");
    }
    return true;
}

}  // namespace verify
