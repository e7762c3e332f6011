// Playing for a leaderboard from the desktop (--online URL): a token and its seed at start-up,
// the play-through recorded in memory, and after each finished game the recording so far
// handed in on a thread of its own, whose answer is printed on stdout. Nothing on the network
// ever holds a frame: a board that cannot be reached leaves the game playing offline.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What --help says about --online, and what it sends.
extern const char ONLINE_HELP[];

// Takes "--online URL" or "--online=URL" out of argv (before the command line is read).
// Answers false, with the problem in words, when the option has no URL.
bool TakeOnlineOption(int* argc, char** argv, const char** url, std::string* problem);

// Asks the board at url for a token, waiting two seconds at most; with one, the game's seed
// is the token's and the play-through is recorded in memory (beside the file when one is
// recorded too: then call this first). Without one, says so on stderr and plays offline.
void StartOnline(const char* url, bool recordingToFile);
// At the end of the program: a hand-in still on its way gets a few seconds, then is given
// up with a line on stderr.
void StopOnline();

// The answer's line for one entered game, e.g. "rank 17 of 1,204 today at URL/games/ID"
// (printed after "sidescroller: "); empty when the JSON object holds no such entry.
std::string RankLine(std::string_view game, std::string_view url);
// 1204 as "1,204".
std::string WithThousands(int64_t number);

// The backend's clock seeds the game with this instead of its counter (clock_driver.h).
void UseRandomSeed(uint32_t seed);

// The file layer says so each time the game starts writing one of its files anew: the score
// table after every finished game.
using FileReplacedHook = void (*)(const char* gameName);
void SetFileReplacedHook(FileReplacedHook hook);
void FileReplaced(const char* gameName);

// One HTTP request for the online thread, never the game's: POST with the body when one is
// given, else GET; the token as "Authorization: Bearer" when not empty. Certificates are
// checked. status is 0 when no answer came, with the reason in error.
struct HttpAnswer {
    long status = 0;
    std::string body;
    std::string error;
};
HttpAnswer HttpRequest(const std::string& url, const std::string& bearer, const std::string* body,
                       uint32_t timeoutMs);
// From any thread: the request on its way ends soon, without an answer.
void HttpCancel();
