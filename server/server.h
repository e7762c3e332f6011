// sidescroller-server: the leaderboard that replays every handed-in game before it counts.
#pragma once

#include <cstdint>
#include <string>

namespace board {

// What a process does: answer HTTP and queue hand-ins, verify from the queue, or both.
enum class Role { All, Api, Verify };

struct Options {
    Role role = Role::All;
    std::string listen = "127.0.0.1:8080";
    std::string metricsListen;  // empty: no metrics listener
    std::string database = "sqlite:scores.sqlite";
    std::string gameFolder;  // empty: found as the game finds its files
    bool trustForwarded = false;
    int threads = 64;             // connections served at once (keep-alive holds one each)
    int verifiers = 1;            // verifications at once
    double tokensPerMinute = 30;  // per address
    double gamesPerMinute = 60;   // per address
    int queueLimit = 1000;        // hand-ins waiting for verification
    int answerWaitMs = 3000;      // how long a hand-in waits for its verification
    int64_t tokenLifeMs = 6 * 3600 * 1000LL;
    int64_t submissionKeepMs = 7 * 24 * 3600 * 1000LL;
    int maxGamesPerToken = 64;
    // A verification that fails for the server's own reason is tried this many times, the
    // waits between growing fourfold from verifyRetryMs (5 s, 20 s, ... about half an hour).
    int verifyAttempts = 6;
    int64_t verifyRetryMs = 5000;
    // A verifier that dies leaves its hand-in to another after this long; a live one renews
    // its leases every third of it.
    int64_t leaseMs = 30000;
};

// What only the API test may change (its own binary sets it; this program never does).
struct TestHooks {
    std::string clockFile;      // when set, the clock is real time plus the milliseconds in it
    int64_t seed = -1;          // when set, every open-board token gets this seed
    bool holdVerifier = false;  // the verifier takes nothing from the queue
};
extern TestHooks testHooks;

// The release and the fingerprint of what decides a replay, as "1.0.0+0123abcd4567".
std::string Version();

// The program: parses the command line and runs the server or a subcommand.
int ServerMain(int argc, char** argv);

}  // namespace board
