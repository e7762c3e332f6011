// Verifying a handed-in recording: the board never takes a claimed score, only what the
// game's own code scores when it replays the recording headlessly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace verify {

// Why a recording is refused: the HTTP status the board answers with, and the reason in
// plain words (with the line's number where a line is at fault).
struct Refusal {
    int status = 0;  // 400 malformed, 413 too large, 422 wrong seed, too fast, over budget
    std::string error;
};

// What the recording must agree with, from the token it was handed in with.
struct Expectations {
    uint32_t seed = 0;
    // Milliseconds since the token was issued, by the database's clock: the recording's span
    // may not exceed it plus 5 s and 1 %.
    uint64_t sinceIssuedMs = 0;
    size_t maxBytes = 1 << 20;
    // The games a token may enter, for the board to hold its entries to: only a replay knows
    // a recording's games, so CheckRecording does not use it (Limits::maxGames refuses a
    // replay that finishes more).
    int maxGames = 64;
};

// What is known of a recording once its lines are read, before any replay.
struct RecordingFacts {
    uint32_t seed = 0;
    uint32_t start = 0;
    uint32_t spanMs = 0;  // (last "at" - start) modulo 2^32
    int lines = 0;
};

// Reads every line: only what the recorders write is accepted. No replay runs.
bool CheckRecording(std::string_view text, const Expectations& expected, RecordingFacts* facts,
                    Refusal* refusal);

// One finished game: each moment the game entered a score into its table.
struct FinishedGame {
    std::string name;   // the name's bytes as the game keeps them (key codes), up to 8
    int32_t score = 0;  // as the table stores it
    // A digest of the input that played this game (not its timing of waking), so that a
    // copy of another entry's game under another name is known: SHA-256 in 64 hex digits
    // of every input command from the game's first to its end, each with the frame of the
    // game it came in.
    std::string inputDigest;
};

struct Limits {
    // CPU the replay may use per recorded minute, and at least.
    uint32_t cpuMsPerMinute = 2000;
    uint32_t cpuMsFloor = 1000;
    // Address space the replay may take beyond what it inherits from the server.
    uint64_t memoryBytes = 256ull << 20;
    // More finished games than this in one recording refuse it (422).
    int maxGames = 64;
    // Skip drawing the screen's pixels (proven to give the same games and final state as a
    // replay that draws them: tests/server/verify_test.cpp).
    bool fast = true;
};

// Loads the game's files once (from gameFolder, which holds font.des and data/), so that
// each recording costs only its replay. False with a message when a file is missing.
// It starts the game once in this process, in a folder of its own, and so changes the
// working folder for a moment: call it before any other thread runs.
bool LoadGame(const std::string& gameFolder, std::string* error);

// Replays a checked recording in a sandboxed child process and answers every finished game
// in order; false with a refusal when the recording breaks a limit (422), cannot be read
// (400), or the replay fails for a reason of the server's own (500). Safe to call from
// several threads at once. With finalState, the game's whole state after the last line
// is answered too (JSON, as sidescroller-replay's "dump" writes it), for tests.
bool VerifyRecording(std::string_view text, const Limits& limits, std::vector<FinishedGame>* games,
                     Refusal* refusal, std::string* finalState = nullptr);

// The digest of a finished game's input (SHA-256, in hex), as FinishedGame holds it.
std::string InputDigest(std::string_view input);

}  // namespace verify
