// The board through its HTTP interface, on SQLite and on a PostgreSQL 15 started for the
// test: real recordings entered with the score their replay gives, hand-ins that must be
// refused refused while the server keeps answering, and a server killed mid-verification
// entering the game after its restart. The server runs as a child process of this binary
// ("serve"), the only program that sets the board's test hooks: a clock that the test moves
// and the seed of open-board tokens, which the recordings here were made with.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <thread>

#include "server/db.h"
#include "server/server.h"
#include "server/store.h"

namespace {

using json = nlohmann::json;
namespace fs = std::filesystem;

const uint32_t RECORDED_SEED = 4242;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string TempFolder() {
    char name[] = "/tmp/board-test-XXXXXX";
    if (!mkdtemp(name)) return "";
    return name;
}

int Shell(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Gzip(const std::string& text) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, text.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// The final state of the game after the recording, from the headless replay itself.
json ReplayedTable(const std::string& recording) {
    std::string folder = TempFolder();
    fs::create_directory_symlink(SOURCE_DIR "/data", folder + "/data");
    fs::create_symlink(SOURCE_DIR "/font.des", folder + "/font.des");
    WriteFile(folder + "/play.txt", recording + "dump\n");
    Shell("cd " + folder + " && " REPLAY_BINARY " play.txt > dump.txt 2>/dev/null");
    std::string out = ReadFile(folder + "/dump.txt");
    fs::remove_all(folder);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    json state = json::parse(out.substr(out.rfind('\n') + 1), nullptr, false);
    return state.is_discarded() ? json() : state["highScores"];
}

std::string WithSeed(std::string recording, uint32_t seed) {
    size_t at = recording.find("\nseed ");
    size_t end = recording.find('\n', at + 1);
    return recording.replace(at + 1, end - at - 1, "seed " + std::to_string(seed));
}

// A PostgreSQL of the test's own, on a Unix socket in a temporary folder; as the
// "postgres" user when the test runs as root, as initdb refuses root.
class Postgres {
public:
    bool Start() {
        folder_ = TempFolder();
        std::string bin = "/usr/lib/postgresql/15/bin/";
        if (!fs::exists(bin + "initdb")) return false;
        if (geteuid() == 0) {
            as_ = "runuser -u postgres -- ";
            Shell("chown postgres " + folder_);
        }
        if (Shell(as_ + bin + "initdb -A trust -U postgres -D " + folder_ + "/data > " + folder_ +
                  "/initdb.log 2>&1") != 0) {
            return false;
        }
        started_ =
            Shell(as_ + bin + "pg_ctl -D " + folder_ + "/data -l " + folder_ + "/log -w -o \"-k " +
                  folder_ + " -c listen_addresses='' -c fsync=off\" start" + " > /dev/null") == 0;
        return started_;
    }
    // A new, empty database.
    std::string Database(const std::string& name) {
        std::string admin = "postgresql://postgres@/postgres?host=" + folder_;
        db::Open(admin)->Script("CREATE DATABASE " + name);
        return "postgresql://postgres@/" + name + "?host=" + folder_;
    }
    ~Postgres() {
        if (started_) {
            Shell(as_ + "/usr/lib/postgresql/15/bin/pg_ctl -D " + folder_ +
                  "/data -m immediate stop > /dev/null 2>&1");
        }
        if (!folder_.empty()) fs::remove_all(folder_);
    }

private:
    std::string folder_, as_;
    bool started_ = false;
};

Postgres* postgres = nullptr;

// The server as a child process; its first line of output names its port.
class ServerProcess {
public:
    ServerProcess(const std::string& database, const std::string& clockFile,
                  const std::string& tmpFolder, bool hold, std::vector<std::string> extra = {}) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            setenv("BOARD_TEST_CLOCK_FILE", clockFile.c_str(), 1);
            setenv("TMPDIR", tmpFolder.c_str(), 1);
            setenv("BOARD_TEST_SEED", std::to_string(RECORDED_SEED).c_str(), 1);
            if (hold) setenv("BOARD_TEST_HOLD", "1", 1);
            std::vector<std::string> args = {"server_api_test",
                                             "serve",
                                             "--listen",
                                             "127.0.0.1:0",
                                             "--metrics-listen",
                                             "127.0.0.1:0",
                                             "--database",
                                             database,
                                             "--game-folder",
                                             SOURCE_DIR,
                                             "--tokens-per-minute",
                                             "12"};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv("/proc/self/exe", argv.data());
            _exit(127);
        }
        close(out[1]);
        FILE* lines = fdopen(out[0], "r");
        char line[256];
        if (fgets(line, sizeof line, lines)) {
            const char* at = std::strstr(line, "127.0.0.1:");
            if (at) port = std::atoi(at + 10);
        }
        if (fgets(line, sizeof line, lines)) {
            const char* at = std::strstr(line, "127.0.0.1:");
            if (at) metricsPort = std::atoi(at + 10);
        }
        fclose(lines);
    }
    ~ServerProcess() { Stop(SIGKILL); }
    int Stop(int signal) {
        if (pid_ <= 0) return -1;
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return status;
    }
    pid_t Pid() const { return pid_; }
    int port = 0, metricsPort = 0;

private:
    pid_t pid_ = 0;
};

struct Reply {
    int status = 0;
    json body;
    std::string text;
    std::string retryAfter;
};

class BoardApiTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        folder = TempFolder();
        clockFile = folder + "/clock";
        WriteFile(clockFile, "0");
        fs::create_directory(folder + "/tmp");
        static int databases = 0;
        if (GetParam() == "postgresql") {
            ASSERT_NE(postgres, nullptr) << "PostgreSQL 15 did not start";
            database = postgres->Database("board" + std::to_string(++databases));
        } else {
            database = "sqlite:" + folder + "/scores.sqlite";
        }
        first = ReadFile(SOURCE_DIR "/server/tests/two_games_first.txt");
        whole = ReadFile(SOURCE_DIR "/server/tests/two_games.txt");
    }
    void TearDown() override { fs::remove_all(folder); }

    void Start(bool hold = false, std::vector<std::string> extra = {}) {
        if (hold) extra.insert(extra.end(), {"--answer-wait", "300"});
        server = std::make_unique<ServerProcess>(database, clockFile, folder + "/tmp", hold, extra);
        ASSERT_GT(server->port, 0) << "the server did not start";
        client = std::make_unique<httplib::Client>("127.0.0.1", server->port);
        client->set_read_timeout(30, 0);
    }
    void MoveClock(int64_t ms) {
        clock += ms;
        WriteFile(clockFile, std::to_string(clock));
    }
    Reply Answer(const httplib::Result& r) {
        Reply reply;
        if (!r) return reply;
        reply.status = r->status;
        reply.text = r->body;
        reply.body = json::parse(r->body, nullptr, false);
        reply.retryAfter = r->get_header_value("Retry-After");
        return reply;
    }
    Reply Get(const std::string& path) { return Answer(client->Get(path)); }
    Reply Token(const std::string& board, const std::string& forwardedFor = "") {
        httplib::Headers headers;
        if (!forwardedFor.empty()) headers.emplace("X-Forwarded-For", forwardedFor);
        std::string version = board::Version();
        return Answer(client->Post("/api/v1/tokens", headers,
                                   json{{"board", board}, {"version", version}}.dump(),
                                   "application/json"));
    }
    // Hands in and, on 202, asks again until the verification ends.
    Reply HandIn(const std::string& token, const std::string& body, bool gzip = false) {
        httplib::Headers headers = {{"Authorization", "Bearer " + token}};
        if (gzip) headers.emplace("Content-Encoding", "gzip");
        Reply r =
            Answer(client->Post("/api/v1/games", headers, gzip ? Gzip(body) : body, "text/plain"));
        for (int i = 0; i < 600 && r.status == 202; i++) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            r = Get(r.body["location"]);
        }
        return r;
    }
    int Moderate(const std::string& command, int64_t id) {
        return Shell(fs::read_symlink("/proc/self/exe").string() + " serve --database '" +
                     database + "' " + command + " " + std::to_string(id) + " > /dev/null 2>&1");
    }

    std::string folder, clockFile, database, first, whole;
    int64_t clock = 0;
    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<httplib::Client> client;
};

std::vector<int> Scores(const json& games) {
    std::vector<int> out;
    for (const auto& g : games) out.push_back(g["score"]);
    return out;
}

TEST_P(BoardApiTest, RecordingsAreEnteredWithTheirReplayedScoreAndBadOnesRefused) {
    Start();
    EXPECT_EQ(Get("/healthz").status, 200);

    Reply wrong = Answer(client->Post(
        "/api/v1/tokens", R"({"board": "open", "version": "0.9+old"})", "application/json"));
    EXPECT_EQ(wrong.status, 409);
    EXPECT_EQ(wrong.body["server"], board::Version());
    EXPECT_EQ(wrong.body["client"], "0.9+old");

    Reply token = Token("open");
    ASSERT_EQ(token.status, 201) << token.text;
    EXPECT_EQ(token.body["seed"], RECORDED_SEED);
    std::string open = token.body["token"];
    // The recording's game was played in real time: its span has passed since the token.
    MoveClock(20000);

    // The first game, gzipped, then the whole recording that extends it with a second.
    json table = ReplayedTable(first);
    ASSERT_TRUE(table.is_array());
    // The empty board, kept now, must give way at once to the entries made below.
    EXPECT_EQ(Get("/api/v1/boards/open?period=all&limit=100").body["total"], 0);
    Reply one = HandIn(open, first, true);
    ASSERT_EQ(one.status, 200) << one.text;
    ASSERT_EQ(one.body["games"].size(), 1u);
    const json& game = one.body["games"][0];
    EXPECT_EQ(game["score"], table[0]["score"]);
    EXPECT_GT(game["score"].get<int>(), 0);
    EXPECT_EQ(game["name"], "ABC");
    EXPECT_EQ(game["rank"]["all"], (json{{"rank", 1}, {"total", 1}}));
    int64_t firstId = game["id"];

    Reply again = HandIn(open, first);
    ASSERT_EQ(again.status, 200) << again.text;
    EXPECT_EQ(again.body["games"][0]["id"], firstId);

    Reply both = HandIn(open, whole);
    ASSERT_EQ(both.status, 200) << both.text;
    ASSERT_GE(both.body["games"].size(), 2u);
    EXPECT_EQ(both.body["games"][0]["id"], firstId);
    json wholeTable = ReplayedTable(whole);
    std::vector<int> scores = Scores(both.body["games"]);
    EXPECT_EQ(*std::max_element(scores.begin(), scores.end()), wholeTable[0]["score"]);
    for (int s : scores) {
        bool inTable = false;
        for (const auto& row : wholeTable) inTable |= row["score"] == s;
        EXPECT_TRUE(inTable) << s << " is no score of the replay's table";
    }
    EXPECT_EQ(HandIn(open, whole).body["games"], both.body["games"]);

    Reply board = Get("/api/v1/boards/open?period=all&limit=100");
    ASSERT_EQ(board.status, 200);
    size_t entries = both.body["games"].size();
    EXPECT_EQ(board.body["total"], entries);
    ASSERT_EQ(board.body["entries"].size(), entries);
    EXPECT_EQ(board.body["entries"][0]["score"], wholeTable[0]["score"]);
    EXPECT_EQ(board.body["entries"][0]["rank"], 1);
    EXPECT_EQ(Get("/api/v1/boards/open?period=day&offset=1&limit=100").body["entries"].size(),
              entries - 1);
    EXPECT_EQ(Get("/api/v1/boards/open?limit=101").status, 400);
    // Page by page, by key: the same entries in the same order.
    std::string next = "/api/v1/boards/open?period=all&limit=1";
    for (size_t k = 0; k < entries; k++) {
        Reply one = Get(next);
        ASSERT_EQ(one.status, 200) << next;
        ASSERT_EQ(one.body["entries"].size(), 1u);
        EXPECT_EQ(one.body["entries"][0], board.body["entries"][k]);
        next = one.body.value("next", "");
    }

    // The entry, its neighbours, its recording and its page.
    Reply entry = Get("/api/v1/games/" + std::to_string(firstId));
    ASSERT_EQ(entry.status, 200);
    EXPECT_EQ(entry.body["rank"]["all"]["total"], entries);
    // All made today: the day's and the week's ranks are all time's, each counted once.
    EXPECT_EQ(entry.body["rank"]["day"], entry.body["rank"]["all"]);
    EXPECT_EQ(entry.body["rank"]["week"], entry.body["rank"]["all"]);
    Reply around = Get("/api/v1/games/" + std::to_string(firstId) + "/around?count=5");
    ASSERT_EQ(around.status, 200);
    EXPECT_EQ(around.body["entries"].size(), entries);
    Reply recording = Get("/api/v1/games/" + std::to_string(firstId) + "/recording");
    ASSERT_EQ(recording.status, 200);
    // The recording it was verified from: the first hand-in.
    EXPECT_EQ(recording.text,
              "# verified by sidescroller-server " + board::Version() + "\n" + first);
    Reply page = Get("/games/" + std::to_string(firstId));
    EXPECT_NE(page.text.find("ABC"), std::string::npos);
    EXPECT_NE(Get("/").text.find("/games/" + std::to_string(firstId)), std::string::npos);

    // Refused, each for its reason, and the board unchanged.
    std::string moved = first;
    size_t click = moved.rfind("click left");
    moved.replace(moved.rfind("\nmove ", click) + 6, 1, "9");
    EXPECT_EQ(HandIn(open, moved).status, 409);  // does not extend what the token handed in

    std::string fresh = Token("open").body["token"];
    MoveClock(20000);
    EXPECT_EQ(HandIn(fresh, WithSeed(first, RECORDED_SEED + 1)).status, 422);
    std::string screenshot = first + "screenshot photo.bmp\n";
    Reply shot = HandIn(fresh, screenshot);
    EXPECT_EQ(shot.status, 400);
    EXPECT_TRUE(shot.body.contains("error"));
    EXPECT_EQ(HandIn(fresh, std::string(40 << 20, '\n'), true).status, 413);  // a gzip bomb
    std::string garbage(2 << 20, '\0');
    for (size_t i = 0; i < garbage.size(); i++) garbage[i] = static_cast<char>(i * 7919 >> 3);
    EXPECT_EQ(HandIn(fresh, garbage).status, 413);
    // The same game with its one hit moved off the bird: the replay scores nothing (the
    // table, all zeros, keeps no entry of it), and so does the board.
    std::string missed = first;
    missed.replace(missed.find("move 49 370"), 11, "move 49 30");
    for (const auto& row : ReplayedTable(missed)) EXPECT_EQ(row["score"], 0);
    Reply none = HandIn(fresh, missed);
    ASSERT_EQ(none.status, 200) << none.text;
    ASSERT_EQ(none.body["games"].size(), 1u);
    EXPECT_EQ(none.body["games"][0]["score"], 0);
    entries++;
    // A name is key codes shown as text, never markup: "<B>X</B>" typed.
    std::string typed = "at 1005\nkey 65\n";  // the first key ends the logo
    int at = 1010;
    for (int code : {60, 66, 62, 88, 60, 47, 66, 62}) {
        typed += "at " + std::to_string(at++) + "\nkey " + std::to_string(code) + "\n";
    }
    std::string marked = first;
    size_t from = marked.find("at 1010\n");
    marked.replace(from, marked.find("at 1090\n") - from, typed);
    std::string markedToken = Token("open").body["token"];
    MoveClock(20000);
    Reply named = HandIn(markedToken, marked);
    ASSERT_EQ(named.status, 200) << named.text;
    ASSERT_EQ(named.body["games"].size(), 1u);
    EXPECT_EQ(named.body["games"][0]["name"], "<B>X</B>");
    entries++;
    std::string home = Get("/").text;
    EXPECT_NE(home.find("&lt;B&gt;X&lt;/B&gt;"), std::string::npos);
    EXPECT_EQ(home.find("<B>"), std::string::npos);
    std::string tooSoon = Token("open").body["token"];
    EXPECT_EQ(HandIn(tooSoon, whole).status, 422);  // faster than real time
    EXPECT_EQ(HandIn(open.substr(0, 40) + std::string(25, '0'), whole).status, 403);
    EXPECT_EQ(HandIn("", whole).status, 401);
    EXPECT_EQ(Get("/healthz").status, 200);
    EXPECT_EQ(Get("/api/v1/boards/open").body["total"], entries);

    // Moderation: a hidden entry leaves the board, and so does its recording. Reads of the
    // boards are kept for a second, and the command is another process.
    ASSERT_EQ(Moderate("hide", firstId), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(Get("/api/v1/games/" + std::to_string(firstId)).status, 404);
    EXPECT_EQ(Get("/api/v1/games/" + std::to_string(firstId) + "/recording").status, 404);
    EXPECT_EQ(Get("/api/v1/boards/open").body["total"], entries - 1);
    ASSERT_EQ(Moderate("unhide", firstId), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(Get("/api/v1/boards/open").body["total"], entries);

    // The daily board: everyone's seed of the day; the recording only once the day closed;
    // the same input under another token is no new entry.
    Reply daily = Token("daily");
    ASSERT_EQ(daily.status, 201);
    uint32_t seed = daily.body["seed"];
    EXPECT_EQ(Token("daily").body["seed"], seed);
    Reply copyToken = Token("daily");
    MoveClock(20000);
    Reply played = HandIn(daily.body["token"], WithSeed(first, seed));
    ASSERT_EQ(played.status, 200) << played.text;
    ASSERT_EQ(played.body["games"].size(), 1u);
    int64_t dailyId = played.body["games"][0]["id"];
    Reply copy = HandIn(copyToken.body["token"], WithSeed(first, seed));
    ASSERT_EQ(copy.status, 200) << copy.text;
    EXPECT_EQ(copy.body["games"].size(), 0u);
    EXPECT_EQ(copy.body["refused"].size(), 1u);
    std::string day = daily.body["date"];
    EXPECT_EQ(Get("/api/v1/boards/daily?date=" + day).body["total"], 1);
    std::string dailyRecording = "/api/v1/games/" + std::to_string(dailyId) + "/recording";
    EXPECT_EQ(Get(dailyRecording).status, 403);
    MoveClock(24 * 3600 * 1000);
    EXPECT_EQ(Get(dailyRecording).status, 200);

    // The per-address limit on tokens (12 a minute here), with the time to wait.
    Reply limited;
    for (int i = 0; i < 20 && limited.status != 429; i++) limited = Token("open");
    EXPECT_EQ(limited.status, 429);
    EXPECT_FALSE(limited.retryAfter.empty());
    EXPECT_EQ(Token("open", "198.51.100.7").status, 429);  // a forwarded address is not trusted

    httplib::Client metrics("127.0.0.1", server->metricsPort);
    auto m = metrics.Get("/metrics");
    ASSERT_TRUE(m);
    EXPECT_NE(m->body.find("board_entries_total " + std::to_string(entries + 1)), std::string::npos)
        << m->body;
    EXPECT_EQ(Get("/metrics").status, 404);  // not on the public address
    int status = server->Stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_P(BoardApiTest, AcknowledgedGamesSurviveAKillAndTheServersOwnFailures) {
    // The verifier takes nothing: the hand-in stays queued, and the queue holds one.
    Start(true, {"--queue-limit", "1", "--trust-forwarded"});
    std::string token = Token("open").body["token"];
    std::string second = Token("open").body["token"];
    MoveClock(20000);
    httplib::Headers headers = {{"Authorization", "Bearer " + token}};
    client->set_read_timeout(30, 0);
    Reply queued = Answer(client->Post("/api/v1/games", headers, first, "text/plain"));
    ASSERT_EQ(queued.status, 202) << queued.text;
    EXPECT_EQ(HandIn(second, first).status, 503);
    // Told to trust the proxy, the limit counts each forwarded address on its own.
    for (int i = 0; i < 12; i++) Token("open");
    EXPECT_EQ(Token("open", "198.51.100.7").status, 201);
    std::string location = queued.body["location"];
    server->Stop(SIGKILL);

    Start(false, {"--verify-attempts", "3", "--verify-retry", "200"});
    Reply done = Get(location);
    for (int i = 0; i < 300 && done.status == 202; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        done = Get(location);
    }
    ASSERT_EQ(done.status, 200) << done.text;
    ASSERT_EQ(done.body["games"].size(), 1u);
    EXPECT_EQ(done.body["games"][0]["score"], ReplayedTable(first)[0]["score"]);
    EXPECT_EQ(Get("/api/v1/boards/open").body["total"], 1);

    // A failure of the server's own (no folder for the replay) is tried again, then answered
    // as such; the same bytes handed in again are entered, on the day by the database's clock
    // (which the test moves too).
    MoveClock(3 * 24 * 3600 * 1000);
    std::string failing = Token("open").body["token"];
    MoveClock(20000);
    fs::rename(folder + "/tmp", folder + "/away");
    Reply failed = HandIn(failing, first);
    EXPECT_EQ(failed.status, 500);
    EXPECT_NE(failed.text.find("3 times"), std::string::npos) << failed.text;
    fs::rename(folder + "/away", folder + "/tmp");
    Reply entered = HandIn(failing, first);
    ASSERT_EQ(entered.status, 200) << entered.text;
    char day[16];
    time_t later = std::time(nullptr) + clock / 1000;
    std::strftime(day, sizeof day, "%Y-%m-%d", std::gmtime(&later));
    EXPECT_EQ(entered.body["games"][0]["date"], day);
}

// Two api and two verify processes of the server on one PostgreSQL.
class ManyProcessesTest : public BoardApiTest {
protected:
    std::unique_ptr<ServerProcess> Role(const std::string& role) {
        auto p = std::make_unique<ServerProcess>(
            database, clockFile, folder + "/tmp", false,
            std::vector<std::string>{"--role", role, "--tokens-per-minute", "0",
                                     "--games-per-minute", "0", "--lease-seconds", "2",
                                     "--answer-wait", "1000", "--threads", "16"});
        EXPECT_TRUE(role == "verify" || p->port > 0) << role << " did not start";
        return p;
    }
};

TEST_P(ManyProcessesTest, EveryGameIsEnteredOnceWhenAVerifierDiesAndDaysRollOver) {
    auto api1 = Role("api");
    auto api2 = Role("api");
    auto verify1 = Role("verify");
    auto verify2 = Role("verify");
    std::vector<httplib::Client> apis;
    for (int port : {api1->port, api2->port}) apis.emplace_back("127.0.0.1", port);
    for (auto& a : apis) a.set_read_timeout(30, 0);
    client = std::make_unique<httplib::Client>("127.0.0.1", api1->port);

    // Each hand-in its own token and the recording's first game, handed in to one api
    // process and asked after at the other.
    const int N = 200;
    std::vector<std::string> tokens;
    for (int i = 0; i < N; i++) {
        Reply t = Answer(apis[i % 2].Post(
            "/api/v1/tokens", json{{"board", "open"}, {"version", board::Version()}}.dump(),
            "application/json"));
        ASSERT_EQ(t.status, 201) << t.text;
        tokens.push_back(t.body["token"]);
    }
    MoveClock(20000);
    std::vector<Reply> answers(N);
    std::atomic<int> nextHandIn{0};
    auto handIns = [&] {
        httplib::Client one("127.0.0.1", api1->port), two("127.0.0.1", api2->port);
        httplib::Client* mine[2] = {&one, &two};
        for (int i = nextHandIn++; i < N; i = nextHandIn++) {
            Reply& r = answers[i];
            r = Answer(mine[i % 2]->Post(
                "/api/v1/games", {{"Authorization", "Bearer " + tokens[i]}}, first, "text/plain"));
            for (int k = 0; k < 300 && r.status == 202; k++) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                r = Answer(mine[(i + 1) % 2]->Get(r.body["location"].get<std::string>()));
            }
        }
    };
    std::vector<std::thread> clients;
    for (int k = 0; k < 8; k++) clients.emplace_back(handIns);
    // The second verifier dies holding a lease, mid-run.
    auto c = db::Open(database);
    std::string owner = "%:" + std::to_string(verify2->Pid()) + ":%";
    bool leased = false;
    for (int k = 0; k < 2000 && !leased; k++) {
        leased = c->Run("SELECT COUNT(*) FROM submissions WHERE owner LIKE $1 AND state = 'queued'",
                        {db::Text(owner)})
                         .Int(0, 0) > 0 &&
                 nextHandIn > N / 4;
        if (!leased) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    verify2->Stop(SIGKILL);
    EXPECT_TRUE(leased) << "the second verifier never held a lease";
    for (auto& t : clients) t.join();

    std::set<int64_t> ids;
    for (const Reply& r : answers) {
        ASSERT_EQ(r.status, 200) << r.text;
        ASSERT_EQ(r.body["games"].size(), 1u) << r.text;
        ids.insert(r.body["games"][0]["id"].get<int64_t>());
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(N));
    EXPECT_EQ(c->Run("SELECT COUNT(*) FROM entries").Int(0, 0), N);
    // Reads are kept for a second: then both processes answer the same ranks.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    json boards[2];
    for (int k = 0; k < 2; k++) {
        boards[k] = Answer(apis[k].Get("/api/v1/boards/open?period=all&limit=100&offset=150")).body;
    }
    EXPECT_EQ(boards[0]["total"], N);
    EXPECT_EQ(boards[0]["entries"].size(), 50u);
    EXPECT_EQ(boards[0], boards[1]);
    std::string last = "/api/v1/games/" + std::to_string(*ids.rbegin());
    EXPECT_EQ(Answer(apis[0].Get(last)).body, Answer(apis[1].Get(last)).body);

    // A game handed in three seconds before midnight (UTC, by the database's clock) and
    // verified after it counts on the day it arrived; one three seconds after, on the next.
    verify1->Stop(SIGTERM);
    auto movedNow = [&] {
        return c->Run("SELECT " + board::DatabaseNowMs(c->dialect())).Int(0, 0) + clock;
    };
    const int64_t DAY = 24 * 3600 * 1000;
    int64_t midnight = movedNow() / DAY * DAY + DAY;
    MoveClock(midnight - 30000 - movedNow());
    std::string before = Token("open").body["token"];
    std::string after = Token("open").body["token"];
    MoveClock(midnight - 3000 - movedNow());
    auto queue = [&](const std::string& token) {
        return Answer(apis[1].Post("/api/v1/games", {{"Authorization", "Bearer " + token}}, first,
                                   "text/plain"));
    };
    // A hand-in of another version waits for a verifier of that version,
    // though it came first.
    int64_t foreign = c->Run(
                           "INSERT INTO submissions (token, body, state, received, version) "
                           "VALUES ('old', $1, 'queued', 0, '0.9+old') RETURNING id",
                           {db::Blob(first)})
                          .Int(0, 0);
    Reply lateGame = queue(before);
    ASSERT_EQ(lateGame.status, 202) << lateGame.text;
    MoveClock(midnight + 3000 - movedNow());
    Reply earlyGame = queue(after);
    ASSERT_EQ(earlyGame.status, 202) << earlyGame.text;
    auto verify3 = Role("verify");
    Reply late = HandIn(before, first);
    Reply early = HandIn(after, first);
    ASSERT_EQ(late.status, 200) << late.text;
    ASSERT_EQ(early.status, 200) << early.text;
    auto dayOf = [](int64_t ms) {
        char day[16];
        time_t t = ms / 1000;
        std::strftime(day, sizeof day, "%Y-%m-%d", std::gmtime(&t));
        return std::string(day);
    };
    EXPECT_EQ(late.body["games"][0]["date"], dayOf(midnight - 1));
    EXPECT_EQ(early.body["games"][0]["date"], dayOf(midnight));
    EXPECT_EQ(early.body["games"][0]["rank"]["all"]["total"], N + 2);
    EXPECT_EQ(c->Run("SELECT owner FROM submissions WHERE id = $1 AND state = 'queued'",
                     {db::Int(foreign)})
                  .rows,
              (std::vector<db::Row>{{std::string()}}));
    EXPECT_EQ(early.body["games"][0]["rank"]["day"], (json{{"rank", 1}, {"total", 1}}));

    // A database that a newer server has migrated is refused, with the reason.
    c->Run("UPDATE schema_version SET version = version + 1");
    std::string out = folder + "/newer.txt";
    EXPECT_NE(Shell(fs::read_symlink("/proc/self/exe").string() + " serve --database '" + database +
                    "' migrate > " + out + " 2>&1"),
              0);
    EXPECT_NE(ReadFile(out).find("newer than this program"), std::string::npos) << ReadFile(out);
}

INSTANTIATE_TEST_SUITE_P(Postgres, ManyProcessesTest, ::testing::Values("postgresql"),
                         [](const auto& info) { return info.param; });

INSTANTIATE_TEST_SUITE_P(Databases, BoardApiTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "serve") {
        // The server under test, with the hooks only this binary sets.
        if (const char* f = std::getenv("BOARD_TEST_CLOCK_FILE")) board::testHooks.clockFile = f;
        if (const char* s = std::getenv("BOARD_TEST_SEED")) board::testHooks.seed = std::atoll(s);
        board::testHooks.holdVerifier = std::getenv("BOARD_TEST_HOLD") != nullptr;
        return board::ServerMain(argc - 1, argv + 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    signal(SIGPIPE, SIG_IGN);  // a refused body may meet a closed connection
    // The SQLite cases alone need no PostgreSQL.
    Postgres pg;
    const std::string filter = GTEST_FLAG_GET(filter);
    if (filter.find("/sqlite") == std::string::npos && pg.Start()) postgres = &pg;
    int result = RUN_ALL_TESTS();
    postgres = nullptr;
    return result;
}
