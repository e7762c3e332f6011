// The board's protocol (docs/leaderboard.md) for the desktop game. One thread of its own does
// every request; the game's thread only appends the recording's lines to memory reserved at
// start-up and, after a finished game, notes how much of it to hand in.
#include "platform/common/online.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "app/version.h"
#include "platform/common/recorder.h"
#include "server_fingerprint.h"

const char ONLINE_HELP[] =
    "  --online URL   play for the leaderboard at URL: the game asks it for a token at\n"
    "                 start-up (sending its version) and plays with the token's seed;\n"
    "                 after every finished game it sends the play-through so far (the name\n"
    "                 as typed, every input and its time), which the board replays and\n"
    "                 shows in public with the score, and prints the rank\n";

namespace {

// The release and the fingerprint of what decides a replay, made as the server makes its own.
constexpr char VERSION[] = SIDESCROLLER_VERSION "+" SERVER_FINGERPRINT;
constexpr auto TOKEN_WAIT = std::chrono::seconds(2);
constexpr auto QUIT_WAIT = std::chrono::seconds(3);
constexpr auto POLL_EVERY = std::chrono::seconds(1);
constexpr uint32_t REQUEST_MS = 30000;
// A two-minute game is about 60 KB; more is appended as it comes, rarely, up to what the
// board takes for one token.
constexpr size_t RESERVED = 512 * 1024;
constexpr size_t BOARD_TAKES = 1024 * 1024;

std::mutex lock;
std::condition_variable changed;
std::thread worker;
std::string board;        // the URL, without a slash at the end
std::string recording;    // what the recorder wrote so far
size_t finishedSize = 0;  // the recording up to the last finished game
size_t sentSize = 0;      // what the thread took to hand in
bool tokenAsked = false;  // the token's request has its answer (or none)
bool online = false;      // a token is held
bool quitting = false;
bool busy = false;    // a hand-in on its way
bool full = false;    // the recording outgrew what the board takes
bool gaveUp = false;  // at quitting, nothing more is handed in or said
std::string token;

// Skips one JSON value at text[at]; answers the index after it, or npos when malformed.
size_t SkipValue(std::string_view text, size_t at) {
    int depth = 0;
    bool inString = false;
    for (size_t k = at; k < text.size(); k++) {
        char c = text[k];
        if (inString) {
            if (c == '\\') k++;
            if (c == '"') inString = false;
            if (!inString && depth == 0) return k + 1;
            continue;
        }
        if (c == '"') inString = true;
        if (c == '{' || c == '[') depth++;
        if (c == '}' || c == ']') depth--;
        if (depth < 0 || (depth == 0 && (c == ',' || c == '}' || c == ']'))) {
            return c == ',' || depth < 0 ? k : k + 1;
        }
    }
    return depth == 0 && !inString ? text.size() : std::string_view::npos;
}

size_t SkipSpace(std::string_view text, size_t at) {
    while (at < text.size() && std::strchr(" \t\r\n", text[at])) at++;
    return at;
}

// The value of key in the JSON object `object`, as its text; empty when there is none.
std::string_view Member(std::string_view object, std::string_view key) {
    size_t at = SkipSpace(object, 0);
    if (at >= object.size() || object[at] != '{') return {};
    at++;
    while (true) {
        at = SkipSpace(object, at);
        if (at >= object.size() || object[at] != '"') return {};
        size_t nameEnd = SkipValue(object, at);
        if (nameEnd == std::string_view::npos) return {};
        std::string_view name = object.substr(at + 1, nameEnd - at - 2);
        at = SkipSpace(object, nameEnd);
        if (at >= object.size() || object[at] != ':') return {};
        at = SkipSpace(object, at + 1);
        size_t end = SkipValue(object, at);
        if (end == std::string_view::npos) return {};
        if (name == key) return object.substr(at, end - at);
        at = SkipSpace(object, end);
        if (at >= object.size() || object[at] != ',') return {};
        at++;
    }
}

bool Number(std::string_view text, int64_t* value) {
    if (text.empty()) return false;
    int64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > INT64_MAX / 10 - 9) return false;
        n = n * 10 + (c - '0');
    }
    *value = n;
    return true;
}

// A string's text; escapes are not expected in the members read here and are kept as they are.
std::string_view Text(std::string_view value) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return {};
    return value.substr(1, value.size() - 2);
}

// The answer's reason: its "error" member, else the status.
std::string Reason(const HttpAnswer& answer) {
    if (answer.status == 0) return answer.error;
    std::string_view error = Text(Member(answer.body, "error"));
    std::string reason = error.empty() ? "" : std::string(error) + " ";
    return reason + "(HTTP " + std::to_string(answer.status) + ")";
}

void Say(FILE* stream, const std::string& line) {
    std::fprintf(stream, "sidescroller: %s\n", line.c_str());
    std::fflush(stream);
}

void KeepLine(const char* line, size_t size) {
    std::lock_guard<std::mutex> hold(lock);
    if (recording.size() + size > BOARD_TAKES) full = true;
    if (!full) recording.append(line, size);
}

void GameFileReplaced(const char* gameName) {
    if (std::strcmp(gameName, "high.dat") != 0) return;
    // The moment that finished the game ends what is handed in.
    RecordMomentNow();
    std::lock_guard<std::mutex> hold(lock);
    if (full) {
        Say(stderr,
            "this visit's recording is past the 1 MiB the board takes: the game was "
            "not handed in; start the game again to play for the board");
        return;
    }
    finishedSize = recording.size();
    changed.notify_all();
}

void AskForToken() {
    std::string request = std::string("{\"board\":\"open\",\"version\":\"") + VERSION + "\"}";
    HttpAnswer answer = HttpRequest(board + "/api/v1/tokens", "", &request, REQUEST_MS);
    std::string_view got = Text(Member(answer.body, "token"));
    int64_t seed = 0;
    bool given = answer.status == 201 && !got.empty() &&
                 Number(Member(answer.body, "seed"), &seed) && seed <= UINT32_MAX;
    std::lock_guard<std::mutex> hold(lock);
    if (!tokenAsked && given) {
        token = got;
        online = true;
        UseRandomSeed(static_cast<uint32_t>(seed));
    } else if (!tokenAsked) {
        std::string_view server = Text(Member(answer.body, "server"));
        Say(stderr, "no token from the board at " + board + ": " +
                        (answer.status == 409 && !server.empty()
                             ? "it plays version " + std::string(server) + ", this is " + VERSION
                             : Reason(answer)) +
                        "; playing offline");
    }
    tokenAsked = true;
    changed.notify_all();
}

// A hand-in's answer: a line per game entered. The answer lists the token's earlier games
// too, which were said with the earlier answers.
void SayRanks(const HttpAnswer& answer) {
    static int64_t lastSaid = 0;
    std::string_view games = Member(answer.body, "games");
    size_t at = games.empty() ? std::string_view::npos : 1;
    int said = 0;
    while (at != std::string_view::npos && at < games.size()) {
        at = SkipSpace(games, at);
        size_t end = SkipValue(games, at);
        if (end == std::string_view::npos || at >= games.size() || games[at] != '{') break;
        std::string_view game = games.substr(at, end - at);
        std::string line = RankLine(game, board);
        int64_t id = 0;
        if (!line.empty() && Number(Member(game, "id"), &id) && id > lastSaid) {
            Say(stdout, line);
            lastSaid = id;
            said++;
        }
        at = SkipSpace(games, end) + 1;
    }
    if (said == 0) Say(stderr, "the board entered no game from this hand-in");
}

// Hands in the recording so far; a 202 is asked again until it is decided.
void HandIn(const std::string& body) {
    HttpAnswer answer = HttpRequest(board + "/api/v1/games", token, &body, REQUEST_MS);
    std::string location(Text(Member(answer.body, "location")));
    while (answer.status == 202 && !location.empty()) {
        {
            // Asked again while the program quits too: the wait at its end bounds it.
            std::unique_lock<std::mutex> hold(lock);
            changed.wait_for(hold, POLL_EVERY);
        }
        answer = HttpRequest(board + location, "", nullptr, REQUEST_MS);
    }
    std::lock_guard<std::mutex> hold(lock);
    if (gaveUp) return;
    if (answer.status == 200) {
        SayRanks(answer);
    } else {
        Say(stderr, "the board did not enter the game: " + Reason(answer));
    }
}

void Work() {
    AskForToken();
    std::unique_lock<std::mutex> hold(lock);
    while (online) {
        changed.wait(hold, [] { return quitting || finishedSize > sentSize; });
        if (finishedSize <= sentSize || gaveUp) break;
        std::string body = recording.substr(0, finishedSize);
        sentSize = finishedSize;
        busy = true;
        hold.unlock();
        HandIn(body);
        hold.lock();
        busy = false;
        changed.notify_all();
    }
}

}  // namespace

bool TakeOnlineOption(int* argc, char** argv, const char** url, std::string* problem) {
    int kept = 1;
    for (int k = 1; k < *argc; k++) {
        std::string_view arg = argv[k];
        if (arg == "--") {
            while (k < *argc) argv[kept++] = argv[k++];
            break;
        }
        if (arg == "--online" || arg.substr(0, 9) == "--online=") {
            const char* value =
                arg == "--online" ? (k + 1 < *argc ? argv[++k] : nullptr) : argv[k] + 9;
            if (!value || !*value) {
                *problem = "--online needs the board's URL";
                return false;
            }
            *url = value;
            continue;
        }
        argv[kept++] = argv[k];
    }
    *argc = kept;
    argv[kept] = nullptr;
    return true;
}

void StartOnline(const char* url, bool recordingToFile) {
    board = url;
    while (!board.empty() && board.back() == '/') board.pop_back();
    recording.reserve(RESERVED);
    worker = std::thread(Work);
    std::unique_lock<std::mutex> hold(lock);
    if (!changed.wait_for(hold, TOKEN_WAIT, [] { return tokenAsked; })) {
        tokenAsked = true;
        Say(stderr,
            "the board at " + board + " did not answer within two seconds; playing offline");
        HttpCancel();
    }
    if (!online) return;
    CopyRecording(KeepLine);
    SetFileReplacedHook(GameFileReplaced);
    hold.unlock();
    if (!recordingToFile) BeginRecording(nullptr, "memory", nullptr);
}

void StopOnline() {
    if (!worker.joinable()) return;
    std::unique_lock<std::mutex> hold(lock);
    quitting = true;
    changed.notify_all();
    if (!changed.wait_for(hold, QUIT_WAIT, [] { return !busy && finishedSize <= sentSize; })) {
        Say(stderr,
            "gave up handing in the last game: the board at " + board + " did not answer in time");
        gaveUp = true;
        HttpCancel();
    }
    hold.unlock();
    worker.join();
}

std::string WithThousands(int64_t number) {
    std::string digits = std::to_string(number);
    size_t sign = number < 0 ? 1 : 0;
    std::string text = digits.substr(0, sign);
    for (size_t k = sign; k < digits.size(); k++) {
        if (k > sign && (digits.size() - k) % 3 == 0) text += ',';
        text += digits[k];
    }
    return text;
}

std::string RankLine(std::string_view game, std::string_view url) {
    std::string_view day = Member(Member(game, "rank"), "day");
    int64_t id = 0, rank = 0, total = 0;
    if (!Number(Member(game, "id"), &id) || !Number(Member(day, "rank"), &rank) ||
        !Number(Member(day, "total"), &total)) {
        return "";
    }
    return "rank " + WithThousands(rank) + " of " + WithThousands(total) + " today at " +
           std::string(url) + "/games/" + std::to_string(id);
}
