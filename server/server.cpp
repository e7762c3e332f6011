#include "server/server.h"

#include <httplib.h>
#include <openssl/crypto.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "server/pages.h"
#include "server/store.h"
#include "server/text.h"
#include "server/verify/verify.h"
#include "server_fingerprint.h"

namespace board {

TestHooks testHooks;

std::string Version() {
    return std::string(SERVER_RELEASE) + "+" + SERVER_FINGERPRINT;
}

namespace {

using json = nlohmann::json;

constexpr size_t MAX_RECORDING = 1 << 20;

// How far the test moved the clocks, the server's and the database's alike; 0 otherwise.
int64_t ClockOffsetMs() {
    int64_t offset = 0;
    if (!testHooks.clockFile.empty()) {
        std::ifstream in(testHooks.clockFile);
        if (!(in >> offset)) offset = 0;
    }
    return offset;
}

// The database's clock, moved as the test moves the process's: every process that shares
// the database agrees on it, so a day or a lease never depends on which one asked.
int64_t DatabaseNow(db::Connection& c) {
    return c
        .Run("SELECT " + DatabaseNowMs(c.dialect()) + " + CAST($1 AS BIGINT)",
             {db::Int(ClockOffsetMs())})
        .Int(0, 0);
}

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
               .count() +
           ClockOffsetMs();
}

// Log lines are JSON, one a hand-in; they never hold an address.
void Log(const json& line) {
    json out = line;
    out["time"] = IsoTime(NowMs());
    std::fprintf(stderr, "%s\n", out.dump().c_str());
}

struct Metrics {
    std::atomic<int64_t> requests{0};
    std::atomic<int64_t> tokens{0};
    std::atomic<int64_t> handIns{0};
    std::atomic<int64_t> refused{0};
    std::atomic<int64_t> limited{0};
    std::atomic<int64_t> verified{0};
    std::atomic<int64_t> verifyRefused{0};
    std::atomic<int64_t> verifyRetries{0};
    std::atomic<int64_t> entries{0};
    std::atomic<int64_t> verifyMicros{0};
    std::atomic<int64_t> queued{0};
};

// Per-address buckets, in memory only: addresses are never written anywhere.
class RateLimiter {
public:
    explicit RateLimiter(double perMinute) : perMinute_(perMinute) {}
    // 0 when allowed, else the seconds to wait.
    int Take(const std::string& address) {
        if (perMinute_ <= 0) return 0;
        double now =
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        std::lock_guard lock(mutex_);
        if (buckets_.size() > 100000) buckets_.clear();  // a flood of addresses forgets all
        Bucket& b = buckets_.try_emplace(address, Bucket{perMinute_, now}).first->second;
        b.level = std::min(perMinute_, b.level + (now - b.at) * perMinute_ / 60.0);
        b.at = now;
        if (b.level >= 1) {
            b.level -= 1;
            return 0;
        }
        return static_cast<int>(std::ceil((1 - b.level) * 60.0 / perMinute_));
    }

private:
    struct Bucket {
        double level, at;
    };
    double perMinute_;
    std::mutex mutex_;
    std::map<std::string, Bucket> buckets_;
};

void Answer(httplib::Response& res, int status, const json& body) {
    res.status = status;
    res.set_content(body.dump(), "application/json");
}

void Refuse(httplib::Response& res, int status, const std::string& error) {
    Answer(res, status, json{{"error", error}});
}

bool ParseHostPort(const std::string& text, std::string* host, int* port) {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    *host = text.substr(0, colon);
    if (host->size() > 2 && host->front() == '[') *host = host->substr(1, host->size() - 2);
    try {
        size_t used = 0;
        *port = std::stoi(text.substr(colon + 1), &used);
        if (used != text.size() - colon - 1 || *port < 0 || *port > 65535) return false;
    } catch (...) {
        return false;
    }
    return true;
}

// Inflates a gzip body, stopping as soon as it would exceed the bound.
bool Gunzip(const std::string& in, size_t bound, std::string* out, bool* tooLarge) {
    z_stream z{};
    if (inflateInit2(&z, 15 + 16) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    char chunk[16384];
    int rc = Z_OK;
    out->clear();
    while (rc != Z_STREAM_END) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        size_t n = sizeof chunk - z.avail_out;
        if (out->size() + n > bound) {
            *tooLarge = true;
            break;
        }
        out->append(chunk, n);
        if (rc == Z_OK && n == 0 && z.avail_in == 0) break;  // cut short
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END && !*tooLarge;
}

// Answers of board reads, kept until an entry is made by this process or for a second
// (an entry made by another process on the same database shows within that second). From
// half a second on a key asked for is read again behind the answers, by the cache's own
// thread, while every request keeps answering from the copy it will replace (a few seconds
// old at most): a key read on and on never makes a request wait for the database. A read
// on PostgreSQL is several round trips to another process, and on a busy machine each
// waits for a core, so that one could take seconds. A copy older than a second, or none,
// is read by the request that finds it, one a key, the others waiting for that read rather
// than all going to the database together.
class ReadCache {
public:
    ReadCache() : behind_([this] { ReadBehind(); }) {}
    ~ReadCache() {
        Stop();
        behind_.join();
    }
    using Clock = std::chrono::steady_clock;
    struct Ticket {
        bool answered = false;  // res holds the kept copy
        bool reading = false;   // this request reads the key for the others
        uint64_t generation = 0;
        Clock::time_point started;
    };
    Ticket Find(const std::string& key, httplib::Response& res) {
        std::unique_lock lock(mutex_);
        for (bool waited = false;; waited = true) {
            Clock::time_point now = Clock::now();
            auto found = kept_.find(key);
            auto read = reading_.find(key);
            bool someoneReads = read != reading_.end() && read->second == generation_;
            bool kept = found != kept_.end() && found->second.generation == generation_;
            auto age = kept ? now - found->second.at : Clock::duration::max();
            bool fresh = age < std::chrono::milliseconds(500);
            // A bounded queue: past it, a request reads for itself as without a copy.
            bool behind = !fresh && !someoneReads && age < std::chrono::seconds(1) &&
                          queued_.size() < 64 && !stopping_;
            if (fresh || behind || (someoneReads && age <= std::chrono::seconds(5))) {
                res.status = 200;
                res.set_content(found->second.body, found->second.type.c_str());
                if (behind) reading_[key] = generation_;
                return {true, behind, generation_, now};
            }
            if (someoneReads && !waited) {
                // Bounded, so that a slow read never holds the others for long.
                settled_.wait_for(lock, std::chrono::seconds(1), [&] {
                    auto r = reading_.find(key);
                    return r == reading_.end() || r->second != generation_;
                });
                continue;
            }
            if (someoneReads) return {false, false, generation_, now};
            reading_[key] = generation_;
            return {false, true, generation_, now};
        }
    }
    // After a request's own read: res is kept if given, unless an entry was made meanwhile.
    void Done(const std::string& key, const Ticket& t, const httplib::Response* res) {
        std::lock_guard lock(mutex_);
        auto read = reading_.find(key);
        if (t.reading && read != reading_.end() && read->second == t.generation) {
            reading_.erase(read);
        }
        if (res && t.generation == generation_) {
            if (kept_.size() > 10000) kept_.clear();
            // As old as the read's start: the copy may miss nothing newer than that.
            kept_[key] = {t.generation, t.started, res->body,
                          res->get_header_value("Content-Type")};
        }
        settled_.notify_all();
    }
    void Changed() {
        std::lock_guard lock(mutex_);
        generation_++;
        settled_.notify_all();
    }
    // A read for a ticket answered from its copy, run by the cache's thread; it ends with Done.
    void Behind(std::function<void()> read) {
        std::lock_guard lock(mutex_);
        queued_.push_back(std::move(read));
        settled_.notify_all();
    }
    void Stop() {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        settled_.notify_all();
    }

private:
    void ReadBehind() {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            if (queued_.empty()) {
                settled_.wait(lock);
                continue;
            }
            std::function<void()> read = std::move(queued_.front());
            queued_.pop_front();
            lock.unlock();
            read();
            lock.lock();
        }
    }
    struct Kept {
        uint64_t generation;
        Clock::time_point at;
        std::string body, type;
    };
    std::mutex mutex_;
    std::condition_variable settled_;
    uint64_t generation_ = 0;
    std::map<std::string, Kept> kept_;
    std::map<std::string, uint64_t> reading_;   // the generation each read started in
    std::deque<std::function<void()>> queued_;  // reads behind answers, in order
    bool stopping_ = false;
    std::thread behind_;  // last: it starts once the rest is made
};

class Server {
public:
    Server(const Options& o, db::Pool* pool)
        : o_(o), pool_(pool), tokenLimit_(o.tokensPerMinute), gameLimit_(o.gamesPerMinute) {
        auto c = pool_->Take();
        tokenSecret_ = Secret(*c, "token");
        dailySecret_ = Secret(*c, "daily");
        skew_ = DatabaseNow(*c) - NowMs();
        skewAt_ = SteadyMs();
        char host[256] = "";
        gethostname(host, sizeof host - 1);
        owner_ = std::string(host) + ":" + std::to_string(getpid()) + ":" + Hex(RandomBytes(4));
    }

    void Routes(httplib::Server& s);
    void MetricsRoutes(httplib::Server& s);
    void VerifierLoop();
    // Renews this process's leases while it runs.
    void LeaseKeeper();
    void Stop() {
        running_ = false;
        wake_.notify_all();
        cache_.Stop();
    }
    void Housekeeping();

private:
    std::string Address(const httplib::Request& req) const {
        if (o_.trustForwarded && req.has_header("X-Forwarded-For")) {
            std::string f = req.get_header_value("X-Forwarded-For");
            size_t comma = f.rfind(',');
            std::string last = comma == std::string::npos ? f : f.substr(comma + 1);
            size_t b = last.find_first_not_of(' ');
            return b == std::string::npos ? last : last.substr(b);
        }
        return req.remote_addr;
    }
    bool Limited(RateLimiter& limiter, const httplib::Request& req, httplib::Response& res) {
        int wait = limiter.Take(Address(req));
        if (wait == 0) return false;
        metrics_.limited++;
        res.set_header("Retry-After", std::to_string(wait));
        Refuse(res, 429, "too many requests; try again later");
        return true;
    }
    std::string TokenMac(const std::string& id) const {
        return Hex(HmacSha256(tokenSecret_, id)).substr(0, 32);
    }
    uint32_t DailySeed(const std::string& day) const {
        std::string mac = HmacSha256(dailySecret_, "daily:" + day);
        return (static_cast<uint32_t>(static_cast<unsigned char>(mac[0])) << 24) |
               (static_cast<uint32_t>(static_cast<unsigned char>(mac[1])) << 16) |
               (static_cast<uint32_t>(static_cast<unsigned char>(mac[2])) << 8) |
               static_cast<uint32_t>(static_cast<unsigned char>(mac[3]));
    }

    // The database's clock for the pages' today and this week: the process's, moved by how
    // far the database's was from it when last asked (at most a second ago), so that a read
    // seldom asks it; a test's moved clock moves both alike.
    int64_t DatabaseToday(db::Connection& c) {
        bool free = false;
        if (SteadyMs() - skewAt_ > 1000 && asking_.compare_exchange_strong(free, true)) {
            try {
                skew_ = DatabaseNow(c) - NowMs();
            } catch (...) {
                asking_ = false;
                throw;
            }
            skewAt_ = SteadyMs();
            asking_ = false;
        }
        return NowMs() + skew_;
    }
    static int64_t SteadyMs() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    void PostToken(const httplib::Request& req, httplib::Response& res);
    void PostGame(const httplib::Request& req, httplib::Response& res,
                  const httplib::ContentReader& reader);
    void GetSubmission(const httplib::Request& req, httplib::Response& res);
    void GetBoard(const httplib::Request& req, httplib::Response& res, const std::string& board);
    void GetGame(const httplib::Request& req, httplib::Response& res);
    void GetAround(const httplib::Request& req, httplib::Response& res);
    void GetRecording(const httplib::Request& req, httplib::Response& res);
    void GetHome(const httplib::Request& req, httplib::Response& res);
    void GetGamePage(const httplib::Request& req, httplib::Response& res);

    // The answer of a finished submission, with the ranks as they are now.
    void AnswerSubmission(db::Connection& c, const Submission& s, httplib::Response& res);
    json EntryJson(db::Connection& c, const Entry& e);
    json Ranks(db::Connection& c, const Entry& e);
    void Verify(int64_t id);

    const Options& o_;
    db::Pool* pool_;
    std::string tokenSecret_, dailySecret_;
    RateLimiter tokenLimit_, gameLimit_;
    Metrics metrics_;
    std::atomic<bool> running_{true};
    std::mutex mutex_;
    std::condition_variable wake_;                   // a hand-in queued, or the server stopping
    std::condition_variable done_;                   // a verification ended
    std::string owner_;                              // this process, in the leases it holds
    std::atomic<int64_t> skew_{0}, skewAt_{0};       // the database's clock less the process's
    std::atomic<bool> asking_{false};                // a request asks the database's clock
    std::chrono::steady_clock::time_point retryAt_;  // the earliest retry this process set
    ReadCache cache_;
};

json Server::Ranks(db::Connection& c, const Entry& e) {
    json r;
    std::vector<Rank> ranks = RanksOf(c, e);
    const char* periods[] = {"day", "week", "all"};
    for (size_t k = 0; k < ranks.size(); k++) {
        r[periods[k]] = {{"rank", ranks[k].rank}, {"total", ranks[k].total}};
    }
    return r;
}

json Server::EntryJson(db::Connection& c, const Entry& e) {
    return json{{"id", e.id},
                {"name", NameText(e.name)},
                {"score", e.score},
                {"board", e.board},
                {"date", e.day},
                {"version", e.version},
                {"rank", Ranks(c, e)},
                {"recording", "/api/v1/games/" + std::to_string(e.id) + "/recording"}};
}

void Server::AnswerSubmission(db::Connection& c, const Submission& s, httplib::Response& res) {
    json stored = json::parse(s.answer, nullptr, false);
    if (s.status != 200 || stored.is_discarded()) {
        Answer(res, s.status ? s.status : 500,
               stored.is_discarded() ? json{{"error", "lost"}} : stored);
        return;
    }
    json games = json::array();
    for (const auto& id : stored["games"]) {
        std::optional<Entry> e = FindEntry(c, id.get<int64_t>());
        if (!e || e->hidden) continue;
        json g = EntryJson(c, *e);
        games.push_back(g);
    }
    json out{{"id", s.id}, {"games", games}};
    if (stored.contains("refused")) out["refused"] = stored["refused"];
    Answer(res, 200, out);
}

void Server::PostToken(const httplib::Request& req, httplib::Response& res) {
    if (Limited(tokenLimit_, req, res)) return;
    json body = json::parse(req.body, nullptr, false);
    if (!body.is_object() || !body.contains("board") || !body["board"].is_string() ||
        !body.contains("version") || !body["version"].is_string()) {
        return Refuse(res, 400, "expected {\"board\": \"open\" | \"daily\", \"version\": ...}");
    }
    std::string boardName = body["board"];
    if (boardName != "open" && boardName != "daily") {
        return Refuse(res, 400, "board must be \"open\" or \"daily\"");
    }
    if (body["version"] != Version()) {
        return Answer(res, 409,
                      json{{"error", "this game's version is not the server's"},
                           {"server", Version()},
                           {"client", body["version"]}});
    }
    auto c = pool_->Take();
    Token t;
    t.id = Hex(RandomBytes(16));
    t.board = boardName;
    t.issued = DatabaseNow(*c);
    t.expires = t.issued + o_.tokenLifeMs;
    t.version = Version();
    if (boardName == "daily") {
        t.day = DayOf(t.issued);
        t.seed = DailySeed(t.day);
    } else {
        std::string r = RandomBytes(4);
        std::memcpy(&t.seed, r.data(), 4);
        if (testHooks.seed >= 0) t.seed = static_cast<uint32_t>(testHooks.seed);
    }
    InsertToken(*c, t);
    metrics_.tokens++;
    json out{{"token", t.id + "." + TokenMac(t.id)},
             {"seed", t.seed},
             {"board", t.board},
             {"version", t.version},
             {"issued", IsoTime(t.issued)},
             {"expires", IsoTime(t.expires)}};
    if (!t.day.empty()) out["date"] = t.day;
    Answer(res, 201, out);
}

void Server::PostGame(const httplib::Request& req, httplib::Response& res,
                      const httplib::ContentReader& reader) {
    metrics_.handIns++;
    auto refuse = [&](int status, const std::string& error) {
        metrics_.refused++;
        Log({{"event", "hand-in"}, {"status", status}, {"error", error}});
        Refuse(res, status, error);
    };
    if (Limited(gameLimit_, req, res)) return;
    std::string presented;
    std::string authorization = req.get_header_value("Authorization");
    if (authorization.rfind("Bearer ", 0) == 0) {
        presented = authorization.substr(7);
    } else if (req.has_param("token")) {
        presented = req.get_param_value("token");
    }
    if (presented.empty()) return refuse(401, "no token: Authorization: Bearer TOKEN");
    size_t dot = presented.find('.');
    if (dot != 32 || presented.size() != 65) return refuse(403, "not a token of this server");
    std::string id = presented.substr(0, 32);
    std::string mac = presented.substr(33);
    if (CRYPTO_memcmp(mac.data(), TokenMac(id).data(), 32) != 0) {
        return refuse(403, "not a token of this server");
    }
    // Bounded before anything is read: a body over the bound is never kept. One of up to
    // 16 MiB is read and dropped (by the library, as over its payload limit), so that the
    // client hears why; a larger one is answered at once and its connection closed.
    bool tooLarge = false;
    if (req.has_header("Content-Length")) {
        uint64_t length =
            std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10);
        if (length > 16 * MAX_RECORDING) {
            res.set_header("Connection", "close");
            return refuse(413, "the recording exceeds 1 MiB");
        }
        tooLarge = length > MAX_RECORDING;
    }
    std::string body;
    bool read = reader([&](const char* data, size_t n) {
        if (body.size() + n > MAX_RECORDING) {
            tooLarge = true;
            return false;
        }
        body.append(data, n);
        return true;
    });
    if (!read && !tooLarge) return refuse(400, "the body could not be read");
    if (tooLarge) return refuse(413, "the recording exceeds 1 MiB");
    if (body.size() >= 2 && static_cast<unsigned char>(body[0]) == 0x1F &&
        static_cast<unsigned char>(body[1]) == 0x8B) {
        std::string text;
        bool bomb = false;
        if (!Gunzip(body, MAX_RECORDING, &text, &bomb)) {
            return bomb ? refuse(413, "the recording exceeds 1 MiB once decompressed")
                        : refuse(400, "the gzip body cannot be decompressed");
        }
        body = std::move(text);
    }

    auto c = pool_->Take();
    std::optional<Token> token = FindToken(*c, id);
    if (!token) return refuse(401, "unknown token");
    // The token was issued by the database's clock; its age is measured by the same.
    int64_t now = DatabaseNow(*c);
    if (now > token->expires) return refuse(403, "the token has expired");
    if (token->version != Version()) {
        return Answer(res, 409,
                      json{{"error", "the token is for another version"},
                           {"server", Version()},
                           {"client", token->version}});
    }
    // The same bytes again get the same answer and never new entries, unless the server
    // itself failed to verify them: then they are queued again.
    std::optional<Submission> queued;
    bool same = !token->recording.empty() && body == token->recording;
    if (same) queued = LatestSubmission(*c, id);
    if (!same || (queued && queued->state == "done" && queued->status == 500)) {
        if (body.compare(0, token->recording.size(), token->recording) != 0) {
            return refuse(409, "this hand-in does not extend the token's last one");
        }
        verify::Expectations expected;
        expected.seed = token->seed;
        expected.sinceIssuedMs = static_cast<uint64_t>(std::max<int64_t>(0, now - token->issued));
        expected.maxBytes = MAX_RECORDING;
        expected.maxGames = o_.maxGamesPerToken;
        verify::RecordingFacts facts;
        verify::Refusal refusal;
        if (!verify::CheckRecording(body, expected, &facts, &refusal)) {
            return refuse(refusal.status ? refusal.status : 400, refusal.error);
        }
        // Kept before any answer: acknowledged means kept.
        std::string error;
        int status = 0;
        int64_t submission = db::InTransaction(*c, [&]() -> int64_t {
            std::optional<Token> again = FindToken(*c, id);
            if (!again || again->recording != token->recording) {
                status = 409;
                error = "another hand-in for this token came first; hand in again";
                return 0;
            }
            if (c->Run("SELECT COUNT(*) FROM submissions WHERE state = 'queued'").Int(0, 0) >=
                o_.queueLimit) {
                status = 503;
                error = "too many games wait for verification; try again later";
                return 0;
            }
            // A game's day is the date it arrived by the database's clock, which every
            // process shares.
            db::Result r = c->Run(
                "INSERT INTO submissions (token, body, state, received, version) VALUES ($1, "
                "$2, 'queued', " +
                    DatabaseNowMs(c->dialect()) + " + CAST($3 AS BIGINT), $4) RETURNING id",
                {db::Text(id), db::Blob(body), db::Int(ClockOffsetMs()), db::Text(Version())});
            c->Run("UPDATE tokens SET recording = $2 WHERE id = $1",
                   {db::Text(id), db::Blob(body)});
            return r.Int(0, 0);
        });
        if (status) {
            if (status == 503) res.set_header("Retry-After", "30");
            return refuse(status, error);
        }
        metrics_.queued++;
        Log({{"event", "hand-in"},
             {"status", "queued"},
             {"submission", submission},
             {"board", token->board},
             {"bytes", body.size()},
             {"span_ms", facts.spanMs}});
        wake_.notify_all();
        queued = FindSubmission(*c, submission);
    }
    if (!queued) return refuse(409, "the earlier hand-in of these bytes has expired");
    int64_t sid = queued->id;
    // The wait holds no connection: the verifier needs one to finish.
    c.Release();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(o_.answerWaitMs);
    for (;;) {
        auto w = pool_->Take();
        std::optional<Submission> s = FindSubmission(*w, sid);
        if (s && s->state == "done") return AnswerSubmission(*w, *s, res);
        w.Release();
        if (std::chrono::steady_clock::now() >= deadline || !running_) break;
        std::unique_lock lock(mutex_);
        done_.wait_for(lock, std::chrono::milliseconds(50));
    }
    std::string location = "/api/v1/submissions/" + std::to_string(sid);
    res.set_header("Location", location);
    Answer(res, 202, json{{"id", sid}, {"location", location}});
}

void Server::GetSubmission(const httplib::Request& req, httplib::Response& res) {
    int64_t id = std::strtoll(req.matches[1].str().c_str(), nullptr, 10);
    auto c = pool_->Take();
    std::optional<Submission> s = FindSubmission(*c, id);
    if (!s) return Refuse(res, 404, "no such submission");
    if (s->state != "done") {
        return Answer(res, 202, json{{"id", id}, {"location", req.path}});
    }
    AnswerSubmission(*c, *s, res);
}

void Server::Verify(int64_t id) {
    std::optional<Submission> s;
    {
        auto c = pool_->Take();
        s = FindSubmission(*c, id);
    }
    if (!s || s->state != "queued") return;
    std::vector<verify::FinishedGame> games;
    verify::Refusal refusal;
    verify::Limits limits;
    limits.maxGames = o_.maxGamesPerToken;
    auto began = std::chrono::steady_clock::now();
    bool ok = verify::VerifyRecording(s->body, limits, &games, &refusal);
    metrics_.verifyMicros += std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::steady_clock::now() - began)
                                 .count();
    auto c = pool_->Take();
    int entered = 0;
    int status = ok ? 200 : (refusal.status ? refusal.status : 422);
    bool retry = false;
    db::InTransaction(*c, [&] {
        entered = 0;
        retry = false;
        // Held until the commit: a verifier whose lease ran out while it worked, finishing
        // together with the one that took the hand-in over, waits here and then finds it done.
        if (c->dialect() == db::Dialect::Postgres) {
            c->Run("SELECT id FROM submissions WHERE id = $1 FOR UPDATE", {db::Int(id)});
            c->Run("SELECT id FROM tokens WHERE id = $1 FOR UPDATE", {db::Text(s->token)});
        }
        std::optional<Submission> again = FindSubmission(*c, id);
        if (!again || again->state != "queued") return;  // another process finished it
        json answer;
        if (status == 500) {
            // The server's own failure (no process, no folder) says nothing of the game: it
            // is tried again later, each time after a longer wait, and only then answered.
            int64_t attempts = c->Run(
                                    "UPDATE submissions SET attempts = attempts + 1 WHERE id = $1 "
                                    "RETURNING attempts",
                                    {db::Int(id)})
                                   .Int(0, 0);
            if (attempts < o_.verifyAttempts) {
                int64_t wait = o_.verifyRetryMs << std::min<int64_t>(2 * (attempts - 1), 20);
                // Free for any verifier once the wait is over.
                c->Run("UPDATE submissions SET not_before = " + DatabaseNowMs(c->dialect()) +
                           " + CAST($2 AS BIGINT), owner = '', leased_until = 0 WHERE id = $1",
                       {db::Int(id), db::Int(wait + ClockOffsetMs())});
                auto at = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait);
                std::lock_guard lock(mutex_);
                if (retryAt_ < std::chrono::steady_clock::now() || at < retryAt_) retryAt_ = at;
                retry = true;
                return;
            }
            refusal.error = "the server failed to verify this recording " +
                            std::to_string(attempts) + " times (" + refusal.error +
                            "); hand the same bytes in again later";
        }
        if (!ok) {
            answer = {{"error", refusal.error}};
        } else {
            std::optional<Token> token = FindToken(*c, s->token);
            int already = token ? token->games : 0;
            json refused = json::array();
            if (token && static_cast<int>(games.size()) > already) {
                int64_t recording =
                    c->Run("INSERT INTO recordings (body, version) VALUES ($1, $2) RETURNING id",
                           {db::Blob(s->body), db::Text(Version())})
                        .Int(0, 0);
                for (size_t g = already; g < games.size(); g++) {
                    Entry e;
                    e.board = token->board;
                    e.created = s->received;
                    e.day = token->board == "daily" ? token->day : DayOf(s->received);
                    int64_t dayStart = 0;
                    ParseDay(e.day, &dayStart);
                    e.week = WeekOf(dayStart);
                    e.name = games[g].name;
                    e.score = games[g].score;
                    e.version = Version();
                    e.recording = recording;
                    if (e.board == "daily") {
                        int64_t copy = SameDailyInput(*c, e.day, games[g].inputDigest);
                        if (copy) {
                            refused.push_back(
                                {{"game", g + 1},
                                 {"error", "the same input as entry " + std::to_string(copy)}});
                            continue;
                        }
                    }
                    InsertEntry(*c, e, s->token, static_cast<int>(g), id, games[g].inputDigest);
                    entered++;
                }
                c->Run("UPDATE tokens SET games = $2 WHERE id = $1",
                       {db::Text(s->token), db::Int(static_cast<int64_t>(games.size()))});
            }
            json ids = json::array();
            db::Result r =
                c->Run("SELECT id FROM entries WHERE token = $1 AND game < $2 ORDER BY game",
                       {db::Text(s->token), db::Int(static_cast<int64_t>(games.size()))});
            for (size_t y = 0; y < r.rows.size(); y++) ids.push_back(r.Int(y, 0));
            answer = {{"games", ids}};
            if (!refused.empty()) answer["refused"] = refused;
        }
        c->Run(
            "UPDATE submissions SET state = 'done', status = $2, answer = $3, finished = $4 "
            "WHERE id = $1",
            {db::Int(id), db::Int(status), db::Text(answer.dump()), db::Int(NowMs())});
    });
    if (retry) {
        metrics_.verifyRetries++;
        Log({{"event", "retry"}, {"submission", id}, {"error", refusal.error}});
        return;
    }
    (ok ? metrics_.verified : metrics_.verifyRefused)++;
    metrics_.entries += entered;
    if (entered) cache_.Changed();
    json line{{"event", "verified"}, {"submission", id}, {"status", status}, {"entered", entered}};
    if (!ok) line["error"] = refusal.error;
    Log(line);
    done_.notify_all();
}

void Server::VerifierLoop() {
    auto lastHousekeeping = std::chrono::steady_clock::now() - std::chrono::hours(1);
    while (running_) {
        if (std::chrono::steady_clock::now() - lastHousekeeping > std::chrono::minutes(1)) {
            Housekeeping();
            lastHousekeeping = std::chrono::steady_clock::now();
        }
        int64_t next = 0;
        if (!testHooks.holdVerifier) {
            try {
                auto c = pool_->Take();
                next = ClaimSubmission(*c, Version(), owner_, o_.leaseMs, ClockOffsetMs());
            } catch (const db::Error& e) {
                Log({{"event", "error"}, {"error", e.what()}});
            }
        }
        if (next) {
            try {
                Verify(next);
            } catch (const std::exception& e) {
                Log({{"event", "error"}, {"submission", next}, {"error", e.what()}});
            }
            continue;
        }
        std::unique_lock lock(mutex_);
        // Another process's hand-in is found within a fifth of a second (an api process
        // cannot wake this one); this one's own at once, its retry on time.
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        if (retryAt_ > std::chrono::steady_clock::now()) until = std::min(until, retryAt_);
        wake_.wait_until(lock, until);
    }
}

void Server::LeaseKeeper() {
    std::unique_lock lock(mutex_);
    while (running_) {
        auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(o_.leaseMs / 3);
        if (wake_.wait_until(lock, due, [this] { return !running_; })) break;
        lock.unlock();
        try {
            auto c = pool_->Take();
            RenewLeases(*c, owner_, o_.leaseMs, ClockOffsetMs());
        } catch (const db::Error& e) {
            Log({{"event", "error"}, {"error", e.what()}});
        }
        lock.lock();
    }
}

void Server::Housekeeping() {
    try {
        auto c = pool_->Take();
        int64_t removed = Expire(*c, NowMs(), o_.submissionKeepMs);
        if (removed) Log({{"event", "expired"}, {"rows", removed}});
    } catch (const db::Error& e) {
        Log({{"event", "error"}, {"error", e.what()}});
    }
}

int QueryInt(const httplib::Request& req, const char* name, int fallback, bool* ok) {
    if (!req.has_param(name)) return fallback;
    std::string v = req.get_param_value(name);
    char* end = nullptr;
    long n = std::strtol(v.c_str(), &end, 10);
    if (v.empty() || *end || n < 0 || n > 1000000000) {
        *ok = false;
        return fallback;
    }
    return static_cast<int>(n);
}

void Server::GetBoard(const httplib::Request& req, httplib::Response& res,
                      const std::string& boardName) {
    bool ok = true;
    int offset = QueryInt(req, "offset", 0, &ok);
    int limit = QueryInt(req, "limit", 100, &ok);
    if (!ok) return Refuse(res, 400, "offset and limit are whole numbers");
    if (limit > 100) return Refuse(res, 400, "limit is at most 100");
    std::string period = req.has_param("period") ? req.get_param_value("period") : "all";
    auto c = pool_->Take();
    int64_t now = DatabaseToday(*c);
    Entry today;
    today.day = DayOf(now);
    today.week = WeekOf(now);
    if (boardName == "daily") {
        period = "day";
        if (req.has_param("date")) {
            int64_t ms = 0;
            today.day = req.get_param_value("date");
            if (!ParseDay(today.day, &ms)) return Refuse(res, 400, "date is YYYY-MM-DD");
        }
    } else if (period != "day" && period != "week" && period != "all") {
        return Refuse(res, 400, "period is day, week or all");
    }
    std::string key = PeriodKey(period, today);
    Counts counts = ReadCounts(*c, boardName, key);
    std::vector<Entry> page;
    if (req.has_param("after")) {
        // By key: the page after that entry, with nothing skipped.
        std::optional<Entry> after =
            FindEntry(*c, std::strtoll(req.get_param_value("after").c_str(), nullptr, 10));
        if (!after || after->board != boardName || PeriodKey(period, *after) != key) {
            return Refuse(res, 400, "after names no entry of this board and period");
        }
        page = PageAfter(*c, key, *after, limit);
    } else {
        page = Page(*c, boardName, key, counts, offset, limit);
    }
    json entries = json::array();
    for (const Entry& e : page) {
        entries.push_back({{"rank", counts.RankOf(e.score)},
                           {"id", e.id},
                           {"name", NameText(e.name)},
                           {"score", e.score},
                           {"date", e.day}});
    }
    json out{
        {"board", boardName}, {"period", period}, {"total", counts.total}, {"entries", entries}};
    if (boardName == "daily") out["date"] = today.day;
    if (static_cast<int>(page.size()) == limit && limit > 0) {
        std::string next = "/api/v1/boards/" + boardName + "?";
        next += boardName == "daily" ? "date=" + today.day : "period=" + period;
        out["next"] =
            next + "&limit=" + std::to_string(limit) + "&after=" + std::to_string(page.back().id);
    }
    Answer(res, 200, out);
}

void Server::GetGame(const httplib::Request& req, httplib::Response& res) {
    auto c = pool_->Take();
    std::optional<Entry> e = FindEntry(*c, std::strtoll(req.matches[1].str().c_str(), nullptr, 10));
    if (!e || e->hidden) return Refuse(res, 404, "no such game");
    Answer(res, 200, EntryJson(*c, *e));
}

void Server::GetAround(const httplib::Request& req, httplib::Response& res) {
    bool ok = true;
    int count = QueryInt(req, "count", 5, &ok);
    if (!ok || count > 50) return Refuse(res, 400, "count is a whole number up to 50");
    auto c = pool_->Take();
    std::optional<Entry> e = FindEntry(*c, std::strtoll(req.matches[1].str().c_str(), nullptr, 10));
    if (!e || e->hidden) return Refuse(res, 404, "no such game");
    json entries = json::array();
    Counts counts = ReadCounts(*c, e->board, "all");
    for (const Entry& n : Around(*c, *e, count)) {
        entries.push_back({{"rank", counts.RankOf(n.score)},
                           {"id", n.id},
                           {"name", NameText(n.name)},
                           {"score", n.score},
                           {"date", n.day}});
    }
    Answer(res, 200, json{{"board", e->board}, {"period", "all"}, {"entries", entries}});
}

void Server::GetRecording(const httplib::Request& req, httplib::Response& res) {
    auto c = pool_->Take();
    std::optional<Entry> e = FindEntry(*c, std::strtoll(req.matches[1].str().c_str(), nullptr, 10));
    if (!e || e->hidden) return Refuse(res, 404, "no such game");
    if (e->board == "daily" && e->day >= DayOf(DatabaseToday(*c))) {
        return Refuse(res, 403, "a daily game's recording is served once its day has closed");
    }
    std::string version;
    std::string text = RecordingText(*c, e->recording, &version);
    res.set_content("# verified by sidescroller-server " + version + "\n" + text, "text/plain");
}

void Server::GetHome(const httplib::Request& req, httplib::Response& res) {
    auto c = pool_->Take();
    int64_t now = DatabaseToday(*c);
    Entry today;
    today.day = DayOf(now);
    today.week = WeekOf(now);
    std::vector<PageBoard> boards;
    auto add = [&](const std::string& title, const std::string& boardName,
                   const std::string& period) {
        PageBoard b;
        b.title = title;
        std::string key = PeriodKey(period, today);
        Counts counts = ReadCounts(*c, boardName, key);
        for (const Entry& e : board::Page(*c, boardName, key, counts, 0, 100)) {
            b.rows.push_back({counts.RankOf(e.score), e});
        }
        boards.push_back(std::move(b));
    };
    add("Today's daily game, " + today.day, "daily", "day");
    add("This week, " + today.week, "open", "week");
    add("All time", "open", "all");
    res.set_content(
        HomePage(boards, Version(), LinksFor(o_.site, req, o_.trustForwarded, today.day)),
        "text/html; charset=utf-8");
}

void Server::GetGamePage(const httplib::Request& req, httplib::Response& res) {
    auto c = pool_->Take();
    std::optional<Entry> e = FindEntry(*c, std::strtoll(req.matches[1].str().c_str(), nullptr, 10));
    if (!e || e->hidden) {
        res.status = 404;
        res.set_content(NotFoundPage(), "text/html; charset=utf-8");
        return;
    }
    PageBoard around;
    Counts counts = ReadCounts(*c, e->board, "all");
    for (const Entry& n : Around(*c, *e, 5)) {
        around.rows.push_back({counts.RankOf(n.score), n});
    }
    std::vector<std::pair<std::string, Rank>> ranks;
    std::vector<Rank> found = RanksOf(*c, *e);
    const char* periods[] = {"day", "week", "all"};
    for (size_t k = 0; k < found.size(); k++) ranks.push_back({periods[k], found[k]});
    SiteLinks links = LinksFor(o_.site, req, o_.trustForwarded, DayOf(DatabaseToday(*c)));
    res.set_content(GamePage(*e, ranks, around, links), "text/html; charset=utf-8");
}

void Server::Routes(httplib::Server& s) {
    s.Post("/api/v1/tokens",
           [this](const httplib::Request& q, httplib::Response& r) { PostToken(q, r); });
    s.Post("/api/v1/games",
           [this](const httplib::Request& q, httplib::Response& r,
                  const httplib::ContentReader& reader) { PostGame(q, r, reader); });
    s.Get(R"(/api/v1/submissions/(\d{1,18}))",
          [this](const httplib::Request& q, httplib::Response& r) { GetSubmission(q, r); });
    // Reads of the boards, answered from the cache while it holds them.
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;
    auto cached = [this, &s](const char* pattern, Handler f) {
        // What the key is made of is all that a read behind the answers is given.
        const char* keyed[] = {"Host", "X-Forwarded-Host", "X-Forwarded-Proto"};
        auto route = std::make_shared<std::regex>(pattern);
        auto read = [this, f](const std::string& key, const ReadCache::Ticket& t,
                              const httplib::Request& q, httplib::Response& r) {
            try {
                f(q, r);
            } catch (...) {
                cache_.Done(key, t, nullptr);
                throw;
            }
            cache_.Done(key, t, r.status == 200 || r.status == -1 ? &r : nullptr);
        };
        s.Get(pattern, [this, keyed, route, read](const httplib::Request& q, httplib::Response& r) {
            std::string key = q.path;
            for (const auto& [name, value] : q.params) key += "\n" + name + "=" + value;
            // The pages link to the board's address as the request names it.
            key += "\nHost:";
            for (const char* h : keyed) key += " " + q.get_header_value(h);
            ReadCache::Ticket t = cache_.Find(key, r);
            if (!t.answered) return read(key, t, q, r);
            if (!t.reading) return;
            auto again = std::make_shared<httplib::Request>();
            again->method = q.method;
            again->path = q.path;
            again->params = q.params;
            for (const char* h : keyed) {
                if (q.has_header(h)) again->headers.emplace(h, q.get_header_value(h));
            }
            cache_.Behind([key, t, route, read, again] {
                std::regex_match(again->path, again->matches, *route);
                httplib::Response fresh;
                try {
                    read(key, t, *again, fresh);
                } catch (const std::exception& e) {
                    Log({{"event", "error"}, {"error", e.what()}});
                }
            });
        });
    };
    cached("/api/v1/boards/open",
           [this](const httplib::Request& q, httplib::Response& r) { GetBoard(q, r, "open"); });
    cached("/api/v1/boards/daily",
           [this](const httplib::Request& q, httplib::Response& r) { GetBoard(q, r, "daily"); });
    cached(R"(/api/v1/games/(\d{1,18}))",
           [this](const httplib::Request& q, httplib::Response& r) { GetGame(q, r); });
    cached(R"(/api/v1/games/(\d{1,18})/around)",
           [this](const httplib::Request& q, httplib::Response& r) { GetAround(q, r); });
    s.Get(R"(/api/v1/games/(\d{1,18})/recording)",
          [this](const httplib::Request& q, httplib::Response& r) { GetRecording(q, r); });
    cached("/", [this](const httplib::Request& q, httplib::Response& r) { GetHome(q, r); });
    cached(R"(/games/(\d{1,18}))",
           [this](const httplib::Request& q, httplib::Response& r) { GetGamePage(q, r); });
    s.Get("/healthz", [this](const httplib::Request&, httplib::Response& r) {
        auto c = pool_->Take();
        c->Run("SELECT 1");
        r.set_content("ok\n", "text/plain");
    });
    s.set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
        metrics_.requests++;
        return httplib::Server::HandlerResponse::Unhandled;
    });
    s.set_exception_handler(
        [](const httplib::Request&, httplib::Response& r, std::exception_ptr ep) {
            std::string what = "error";
            try {
                std::rethrow_exception(ep);
            } catch (const std::exception& e) {
                what = e.what();
            } catch (...) {
            }
            Log({{"event", "error"}, {"error", what}});
            Refuse(r, 500, "the server failed; try again later");
        });
    s.set_error_handler([](const httplib::Request&, httplib::Response& r) {
        if (r.body.empty()) {
            const char* what = r.status == 404   ? "not found"
                               : r.status == 413 ? "the recording exceeds 1 MiB"
                               : r.status == 405 ? "method not allowed"
                                                 : "bad request";
            Answer(r, r.status, json{{"error", what}});
        }
    });
}

void Server::MetricsRoutes(httplib::Server& s) {
    s.Get("/metrics", [this](const httplib::Request&, httplib::Response& r) {
        int64_t queue = 0;
        try {
            auto c = pool_->Take();
            queue = c->Run("SELECT COUNT(*) FROM submissions WHERE state = 'queued'").Int(0, 0);
        } catch (const db::Error&) {
            queue = -1;
        }
        std::string text;
        auto counter = [&](const char* name, const char* help, int64_t v, const char* type) {
            text += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type +
                    "\n" + name + " " + std::to_string(v) + "\n";
        };
        counter("board_requests_total", "HTTP requests received.", metrics_.requests, "counter");
        counter("board_tokens_total", "Tokens issued.", metrics_.tokens, "counter");
        counter("board_hand_ins_total", "Hand-ins received.", metrics_.handIns, "counter");
        counter("board_hand_ins_refused_total", "Hand-ins refused before the queue.",
                metrics_.refused, "counter");
        counter("board_rate_limited_total", "Requests refused by the per-address limits.",
                metrics_.limited, "counter");
        counter("board_verified_total", "Recordings verified.", metrics_.verified, "counter");
        counter("board_verify_refused_total", "Recordings refused by their replay.",
                metrics_.verifyRefused, "counter");
        counter("board_verify_retries_total",
                "Verifications that failed for the server's own reason, to be tried again.",
                metrics_.verifyRetries, "counter");
        counter("board_entries_total", "Games entered.", metrics_.entries, "counter");
        text +=
            "# HELP board_verify_seconds_total Wall time spent verifying.\n"
            "# TYPE board_verify_seconds_total counter\nboard_verify_seconds_total " +
            std::to_string(metrics_.verifyMicros / 1e6) + "\n";
        counter("board_queue_length", "Hand-ins waiting for verification.", queue, "gauge");
        r.set_content(text, "text/plain; version=0.0.4");
    });
}

std::string DefaultGameFolder() {
    if (access("font.des", R_OK) == 0 && access("data", R_OK) == 0) return ".";
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = 0;
    std::string folder(path);
    folder = folder.substr(0, folder.rfind('/') + 1);
    for (const std::string& candidate : {folder, folder + GAME_FILES_FROM_PROGRAM + "/"}) {
        if (access((candidate + "font.des").c_str(), R_OK) == 0) return candidate;
    }
    return ".";
}

const char USAGE[] =
    "Usage: sidescroller-server [OPTIONS]\n"
    "       sidescroller-server [--database URL] hide|unhide|delete ID\n"
    "       sidescroller-server [--database URL] migrate\n"
    "The leaderboard: replays every handed-in game before its score counts.\n"
    "  --listen HOST:PORT          where to serve (127.0.0.1:8080)\n"
    "  --database URL              sqlite:PATH or postgresql://... (sqlite:scores.sqlite)\n"
    "  --metrics-listen HOST:PORT  where /metrics is served (nowhere by default)\n"
    "  --game-folder PATH          the folder with font.des and data/\n"
    "  --trust-forwarded           limit by X-Forwarded-For (behind a reverse proxy)\n"
    "  --tokens-per-minute N       tokens an address may take a minute (30; 0: no limit)\n"
    "  --games-per-minute N        hand-ins an address may make a minute (60; 0: no limit)\n"
    "  --threads N                 connections served at once (64)\n"
    "  --verifiers N               verifications at once (1)\n"
    "  --queue-limit N             hand-ins that may wait for verification (1000)\n"
    "  --answer-wait MS            how long a hand-in waits for its verification before\n"
    "                              the answer is 202 and a place to ask again (3000)\n"
    "  --verify-attempts N         tries of a verification that fails for the server's\n"
    "                              own reason before that is the answer (6)\n"
    "  --verify-retry MS           the wait before the first try again, fourfold after\n"
    "                              each (5000)\n"
    "  --site DIR                  serve the game's built web site under /play/\n"
    "  --site-url URL              where the site is, for the pages' links (/play/ with\n"
    "                              --site; none without)\n"
    "  --allow-origin ORIGIN       let pages from ORIGIN call the API (repeatable)\n"
    "  --role all|api|verify       answer HTTP and queue hand-ins (api), verify them from\n"
    "                              the queue (verify), or both (all, the default); any\n"
    "                              number of each on one database\n"
    "  --lease-seconds N           how long a verifier that died holds a hand-in before\n"
    "                              another takes it over (30)\n"
    "  --help, --version\n";

}  // namespace

int ServerMain(int argc, char** argv) {
    Options o;
    std::vector<std::string> rest;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "sidescroller-server: %s needs a value\n%s", a.c_str(), USAGE);
                return false;
            }
            *out = argv[++i];
            return true;
        };
        auto number = [&](double* out) {
            std::string v;
            if (!value(&v)) return false;
            char* end = nullptr;
            *out = std::strtod(v.c_str(), &end);
            if (v.empty() || *end || *out < 0) {
                std::fprintf(stderr, "sidescroller-server: %s: not a number: %s\n", a.c_str(),
                             v.c_str());
                return false;
            }
            return true;
        };
        double n = 0;
        std::string origin;
        if (a == "--help" || a == "-h") {
            std::fputs(USAGE, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("sidescroller-server %s\n", Version().c_str());
            return 0;
        } else if (a == "--listen") {
            if (!value(&o.listen)) return 2;
        } else if (a == "--metrics-listen") {
            if (!value(&o.metricsListen)) return 2;
        } else if (a == "--database") {
            if (!value(&o.database)) return 2;
        } else if (a == "--game-folder") {
            if (!value(&o.gameFolder)) return 2;
        } else if (a == "--site") {
            if (!value(&o.site.folder)) return 2;
        } else if (a == "--site-url") {
            if (!value(&o.site.url)) return 2;
        } else if (a == "--allow-origin") {
            if (!value(&origin)) return 2;
            o.site.allowOrigins.push_back(origin);
        } else if (a == "--trust-forwarded") {
            o.trustForwarded = true;
        } else if (a == "--tokens-per-minute") {
            if (!number(&o.tokensPerMinute)) return 2;
        } else if (a == "--games-per-minute") {
            if (!number(&o.gamesPerMinute)) return 2;
        } else if (a == "--role") {
            std::string role;
            if (!value(&role)) return 2;
            if (role != "all" && role != "api" && role != "verify") {
                std::fprintf(stderr, "sidescroller-server: --role is all, api or verify\n");
                return 2;
            }
            o.role = role == "api" ? Role::Api : role == "verify" ? Role::Verify : Role::All;
        } else if (a == "--lease-seconds") {
            if (!number(&n) || n < 1) return 2;
            o.leaseMs = static_cast<int64_t>(n * 1000);
        } else if (a == "--answer-wait") {
            if (!number(&n)) return 2;
            o.answerWaitMs = static_cast<int>(n);
        } else if (a == "--verify-retry") {
            if (!number(&n)) return 2;
            o.verifyRetryMs = static_cast<int64_t>(n);
        } else if (a == "--threads" || a == "--verifiers" || a == "--queue-limit" ||
                   a == "--verify-attempts") {
            if (!number(&n) || n < 1) return 2;
            (a == "--threads"       ? o.threads
             : a == "--verifiers"   ? o.verifiers
             : a == "--queue-limit" ? o.queueLimit
                                    : o.verifyAttempts) = static_cast<int>(n);
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "sidescroller-server: unknown option %s\n%s", a.c_str(), USAGE);
            return 2;
        } else {
            rest.push_back(a);
        }
    }
    std::string host, metricsHost;
    int port = 0, metricsPort = 0;
    if (!ParseHostPort(o.listen, &host, &port) ||
        (!o.metricsListen.empty() && !ParseHostPort(o.metricsListen, &metricsHost, &metricsPort))) {
        std::fprintf(stderr, "sidescroller-server: an address is HOST:PORT\n");
        return 2;
    }

    std::unique_ptr<db::Pool> pool;
    try {
        // On PostgreSQL a connection for each HTTP thread, so that no read queues for one
        // while the database could answer it; SQLite's readers share one file and gain
        // nothing past a few.
        bool postgres = o.database.rfind("postgres", 0) == 0;
        int size = postgres ? o.threads : o.threads / 4 + 2;
        // A verifier alone needs one for each verification, its leases and its housekeeping.
        if (o.role == Role::Verify) size = o.verifiers + 2;
        pool = std::make_unique<db::Pool>(o.database, rest.empty() ? size : 1);
        auto c = pool->Take();
        Migrate(*c);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sidescroller-server: %s\n", e.what());
        return 1;
    }

    if (!rest.empty()) {
        const std::string& command = rest[0];
        if (command == "migrate" && rest.size() == 1) {
            std::printf("schema version %d\n", SCHEMA_VERSION);
            return 0;
        }
        if ((command == "hide" || command == "unhide" || command == "delete") && rest.size() == 2) {
            char* end = nullptr;
            int64_t id = std::strtoll(rest[1].c_str(), &end, 10);
            if (*end || id <= 0) {
                std::fprintf(stderr, "sidescroller-server: not a game id: %s\n", rest[1].c_str());
                return 2;
            }
            auto c = pool->Take();
            bool found =
                command == "delete" ? DeleteEntry(*c, id) : SetHidden(*c, id, command == "hide");
            if (!found) {
                std::fprintf(stderr, "sidescroller-server: no game %lld\n",
                             static_cast<long long>(id));
                return 1;
            }
            return 0;
        }
        std::fprintf(stderr, "sidescroller-server: unknown command\n%s", USAGE);
        return 2;
    }

    std::string error;
    if (!verify::LoadGame(o.gameFolder.empty() ? DefaultGameFolder() : o.gameFolder, &error)) {
        std::fprintf(stderr, "sidescroller-server: %s\n", error.c_str());
        return 1;
    }

    // Only the signal thread takes SIGTERM and SIGINT; the others never see them.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGTERM);
    sigaddset(&stopping, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
    signal(SIGPIPE, SIG_IGN);

    Server board(o, pool.get());
    httplib::Server http, metrics;
    int threads = o.threads;
    http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    metrics.new_task_queue = [] { return new httplib::ThreadPool(2); };
    http.set_read_timeout(10, 0);
    http.set_write_timeout(10, 0);
    http.set_keep_alive_timeout(5);
    http.set_tcp_nodelay(true);  // a header and body written apart never wait 40 ms for an ack
    http.set_keep_alive_max_count(1000);
    http.set_payload_max_length(MAX_RECORDING + 1);
    board.Routes(http);
    if (!ServeSite(http, o.site)) {
        std::fprintf(stderr, "sidescroller-server: no web site in %s\n", o.site.folder.c_str());
        return 1;
    }
    board.MetricsRoutes(metrics);
    bool serving = o.role != Role::Verify;
    bool verifying = o.role != Role::Api;
    // A verifier alone has no public listener.
    if (serving && port == 0) {
        port = http.bind_to_any_port(host);
    } else if (serving && !http.bind_to_port(host, port)) {
        port = -1;
    }
    if (port < 0) {
        std::fprintf(stderr, "sidescroller-server: cannot listen on %s\n", o.listen.c_str());
        return 1;
    }
    if (!o.metricsListen.empty()) {
        metricsPort = metricsPort == 0
                          ? metrics.bind_to_any_port(metricsHost)
                          : (metrics.bind_to_port(metricsHost, metricsPort) ? metricsPort : -1);
        if (metricsPort < 0) {
            std::fprintf(stderr, "sidescroller-server: cannot listen on %s\n",
                         o.metricsListen.c_str());
            return 1;
        }
    }
    if (serving) {
        std::printf("sidescroller-server %s listening on http://%s:%d/\n", Version().c_str(),
                    host.c_str(), port);
    } else {
        std::printf("sidescroller-server %s verifying from the queue\n", Version().c_str());
    }
    if (!o.metricsListen.empty()) {
        std::printf("metrics on http://%s:%d/metrics\n", metricsHost.c_str(), metricsPort);
    }
    std::fflush(stdout);

    std::vector<std::thread> verifiers;
    if (verifying) {
        for (int i = 0; i < o.verifiers; i++) {
            verifiers.emplace_back([&] { board.VerifierLoop(); });
        }
        verifiers.emplace_back([&] { board.LeaseKeeper(); });
    }
    std::thread metricsThread;
    if (!o.metricsListen.empty()) metricsThread = std::thread([&] { metrics.listen_after_bind(); });
    std::atomic<bool> signalled{false};
    std::thread signals([&] {
        int got = 0;
        sigwait(&stopping, &got);
        signalled = true;
        Log({{"event", "stopping"}, {"signal", got}});
        board.Stop();
        http.stop();
        metrics.stop();
    });

    if (serving) {
        http.listen_after_bind();
    } else {
        signals.join();
    }
    // Requests in flight have had their answers; what is queued stays in the database.
    board.Stop();
    for (auto& t : verifiers) t.join();
    if (metricsThread.joinable()) {
        metrics.stop();
        metricsThread.join();
    }
    if (signals.joinable()) {
        if (!signalled) {
            // listen ended without a signal (an error): wake the signal thread so it ends.
            pthread_kill(signals.native_handle(), SIGTERM);
        }
        signals.join();
    }
    Log({{"event", "stopped"}});
    return 0;
}

}  // namespace board
