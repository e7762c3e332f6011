// What the board keeps: schema, tokens, the queue of hand-ins, entries and their ranks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/db.h"

namespace board {

constexpr int SCHEMA_VERSION = 3;

// Brings the database to SCHEMA_VERSION (each step in its own transaction); throws db::Error
// when the database is newer than this program.
void Migrate(db::Connection& c);
// SQL for the database's clock in milliseconds since 1970: every process that shares the
// database agrees on it, whatever its own clock says.
std::string DatabaseNowMs(db::Dialect d);
// The named secret, made on first use and then shared by every process on the database.
std::string Secret(db::Connection& c, const std::string& name);

struct Token {
    std::string id;
    std::string board;  // "open" or "daily"
    std::string day;    // a daily token's date
    uint32_t seed = 0;
    std::string version;
    int64_t issued = 0;
    int64_t expires = 0;
    std::string recording;  // the last bytes handed in
    int games = 0;          // finished games entered from it
};
std::optional<Token> FindToken(db::Connection& c, const std::string& id);
void InsertToken(db::Connection& c, const Token& t);

struct Submission {
    int64_t id = 0;
    std::string token;
    std::string body;
    std::string state;  // "queued" or "done"
    int status = 0;
    std::string answer;  // JSON once done
    int64_t received = 0;
};
std::optional<Submission> FindSubmission(db::Connection& c, int64_t id);
// Leases the oldest queued hand-in of this version that is due and that no live lease holds
// to owner for leaseMs by the database's clock; its id, or 0 when there is none. A verifier
// that dies leaves it to another once the lease runs out.
int64_t ClaimSubmission(db::Connection& c, const std::string& version, const std::string& owner,
                        int64_t leaseMs, int64_t clockOffsetMs);
// Extends every lease owner holds by leaseMs from now.
void RenewLeases(db::Connection& c, const std::string& owner, int64_t leaseMs,
                 int64_t clockOffsetMs);
// The token's latest submission, if any.
std::optional<Submission> LatestSubmission(db::Connection& c, const std::string& token);

struct Entry {
    int64_t id = 0;
    std::string board, day, week;
    std::string name;  // key codes
    int score = 0;
    std::string version;
    int64_t created = 0;
    bool hidden = false;
    int64_t recording = 0;
};
std::optional<Entry> FindEntry(db::Connection& c, int64_t id);

struct Rank {
    int64_t rank = 0, total = 0;
};
// An entry's ranks within its board in its day, its week and all time, in that order.
std::vector<Rank> RanksOf(db::Connection& c, const Entry& e);

// The counts of a board and period key, best score first: the rank of any score from one
// read of a few thousand rows at most.
struct Counts {
    std::vector<int64_t> scores, above;  // above[i]: entries with a score over scores[i]
    int64_t total = 0;
    int64_t RankOf(int score) const;
};
Counts ReadCounts(db::Connection& c, const std::string& board, const std::string& period);

// Entries of a board and period key, best first, from the offset-th; at most limit.
std::vector<Entry> Page(db::Connection& c, const std::string& board, const std::string& period,
                        const Counts& counts, int64_t offset, int limit);
// The page after an entry, by key: nothing is skipped however deep it is.
std::vector<Entry> PageAfter(db::Connection& c, const std::string& period, const Entry& after,
                             int limit);
// Up to count entries above and below the entry, in the all-time order of its board.
std::vector<Entry> Around(db::Connection& c, const Entry& e, int count);

std::string PeriodKey(const std::string& period, const Entry& e);

// Moderation: hidden entries leave the boards and their counts.
bool SetHidden(db::Connection& c, int64_t id, bool hidden);
bool DeleteEntry(db::Connection& c, int64_t id);

// Entering a verified game: inserts the entry and counts it, in the caller's transaction.
int64_t InsertEntry(db::Connection& c, const Entry& e, const std::string& token, int game,
                    int64_t submission, const std::string& inputDigest);
// The id of a daily entry of that day with the same input, or 0.
int64_t SameDailyInput(db::Connection& c, const std::string& day, const std::string& digest);
std::string RecordingText(db::Connection& c, int64_t recording, std::string* version);

// Removes tokens and finished submissions past their time; answers how many rows.
int64_t Expire(db::Connection& c, int64_t now, int64_t submissionKeepMs);

}  // namespace board
