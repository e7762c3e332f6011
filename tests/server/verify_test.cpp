// The verifier of handed-in recordings: what is refused before any replay, the fast replay
// held to the full one, and the sandbox's walls.
#include "server/verify/verify.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "server/verify/sandbox.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class VerifyTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(verify::LoadGame(SOURCE_DIR, &error)) << error;
    }
};

TEST(CheckRecording, RefusesWhatNoRecorderWrites) {
    const std::string head = "# recorded\nseed 7\nstart 4294967000\n";
    struct Case {
        std::string text;
        int status;  // 0: accepted
        std::string says;
    } cases[] = {
        {head + "at 4294967100\nmove 3 4\nkey A\ndown LEFT\nup LEFT\nhold 39\nrelease 39\n"
                "click left\nclick right\nat 200\nclose\n",
         0, ""},
        {head + "at 4294967100\nwait 10\n", 400, "line 5: wait"},
        {head + "frames 3\n", 400, "line 4: frames"},
        {head + "at 4294967100\nscreenshot x.bmp\n", 400, "line 5: screenshot"},
        {head + "dump\n", 400, "line 4: dump"},
        {head + "lose\n", 400, "line 4: lose"},
        {head + "fly away\n", 400, "line 4"},
        {head + "at 4294967100\nat 4294967099\n", 400, "line 5: the clock goes back"},
        // Past the wrap of the clock is forward, and a clock before start is as far
        // forward as it can be: the gate refuses it.
        {head + "at 100\nat 4294966999\n", 422, "4294967295 ms"},
        {head + "at 4294967100\nclick le", 400, "line 5: cut short"},
        {"seed 8\nat 10\n", 422, "seed 8"},
        {"at 10\n", 422, "seed 1"},
        // 60 s since the token: 60 s + 5 s + 600 ms.
        {"seed 7\nstart 10\nat 65610\n", 0, ""},
        {"seed 7\nstart 10\nat 65611\n", 422, "65601 ms"},
        {"seed 7\nstart 10\nat 65611\nat 65610\n", 400, "line 4: the clock goes back"},
        {std::string(2000, '#'), 413, "2000 bytes"},
    };
    verify::Expectations expected;
    expected.seed = 7;
    expected.sinceIssuedMs = 60000;
    expected.maxBytes = 1999;
    for (const Case& c : cases) {
        verify::RecordingFacts facts;
        verify::Refusal refusal;
        bool ok = verify::CheckRecording(c.text, expected, &facts, &refusal);
        EXPECT_EQ(ok, c.status == 0) << c.text;
        if (!ok) {
            EXPECT_EQ(refusal.status, c.status) << c.text;
            EXPECT_NE(refusal.error.find(c.says), std::string::npos) << refusal.error;
        }
    }
    verify::RecordingFacts facts;
    verify::Refusal refusal;
    ASSERT_TRUE(verify::CheckRecording(cases[0].text, expected, &facts, &refusal));
    EXPECT_EQ(facts.seed, 7u);
    EXPECT_EQ(facts.start, 4294967000u);
    EXPECT_EQ(facts.spanMs, 496u);  // 200 - 4294967000 modulo 2^32
    EXPECT_EQ(facts.lines, 14);
}

// Every script and recording of the tests, and the fuzzers' inputs for the replay scripts
// and the hand-in: the replay that skips drawing, forked from the loaded game, finishes the
// same games with the same names, scores and input, and leaves the same state, as the full
// one in a process of its own.
TEST_F(VerifyTest, FastReplayEqualsTheFullReplay) {
    // The tests' own scripts each in a fresh process; the many fuzz scripts forked from one
    // start-up that decoded the pictures, still drawing every pixel.
    std::vector<std::string> fresh, kept;
    for (const char* folder : {"tests/server/data", "tests/fuzz/corpus/game"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(SOURCE_DIR) / folder)) {
            fresh.push_back(entry.path().string());
        }
    }
    // Under the sanitizers, where a replay costs ten times as much, every n-th of them.
    const char* every = std::getenv("VERIFY_CORPUS_EVERY");
    size_t step = every ? std::max(1, std::atoi(every)) : 1;
    for (const char* folder : {"tests/fuzz/corpus/replay_script", "tests/fuzz/corpus/handin"}) {
        std::vector<std::string> inputs;
        for (const auto& entry : fs::directory_iterator(fs::path(SOURCE_DIR) / folder)) {
            inputs.push_back(entry.path().string());
        }
        std::sort(inputs.begin(), inputs.end());
        for (size_t i = 0; i < inputs.size(); i += step) kept.push_back(inputs[i]);
    }
    // The full replays, in a folder of their own with the game's files beside them.
    fs::path work = fs::temp_directory_path() / ("verify-full-" + std::to_string(getpid()));
    fs::create_directories(work);
    fs::create_directory_symlink(fs::path(SOURCE_DIR) / "data", work / "data");
    fs::create_symlink(fs::path(SOURCE_DIR) / "font.des", work / "font.des");
    std::string command = "cd '" + work.string() + "' && { '" FULL_REPLAY "'";
    for (const std::string& s : fresh) command += " '" + s + "'";
    command += "; '" FULL_REPLAY "' --kept";
    for (const std::string& s : kept) command += " '" + s + "'";
    command += "; } 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::map<std::string, std::string> full;
    std::string current;
    char line[1 << 16];
    std::string text;
    while (std::fgets(line, sizeof line, pipe)) text += line;
    pclose(pipe);
    fs::remove_all(work);
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);) {
        if (l.rfind("script ", 0) == 0) {
            current = l.substr(7);
        } else {
            full[current] += l + "\n";
        }
    }
    std::vector<std::string> scripts = fresh;
    scripts.insert(scripts.end(), kept.begin(), kept.end());
    ASSERT_EQ(full.size(), scripts.size());

    int replayed = 0, games = 0;
    verify::Limits limits;
    limits.cpuMsFloor = 60000;
    for (const std::string& s : scripts) {
        std::vector<verify::FinishedGame> finished;
        verify::Refusal refusal;
        std::string state;
        std::string fast;
        if (!verify::VerifyRecording(ReadFile(s), limits, &finished, &refusal, &state)) {
            EXPECT_EQ(refusal.status, 400) << s << ": " << refusal.error;
            fast = "refused\n";
        } else {
            for (const verify::FinishedGame& g : finished) {
                char name[32] = "";
                for (size_t i = 0; i < g.name.size(); ++i) {
                    std::snprintf(name + 2 * i, 3, "%02x", static_cast<unsigned char>(g.name[i]));
                }
                fast += "game " + std::to_string(g.score) + " " + name + " " + g.inputDigest + "\n";
                // The game's own table holds the entry when it ranks.
                if (g.score > 0 && s.find("data") != std::string::npos) {
                    EXPECT_NE(state.find("{\"score\":" + std::to_string(g.score) + ",\"name\":\"" +
                                         g.name + "\"}"),
                              std::string::npos)
                        << s;
                }
            }
            fast += "state " + state + "\n";
            ++replayed;
            games += static_cast<int>(finished.size());
        }
        EXPECT_EQ(fast, full[s]) << s;
    }
    // The corpus must reach the game: most scripts replay, and some finish games.
    EXPECT_GT(replayed, static_cast<int>(scripts.size()) / 2);
    EXPECT_GE(games, 5);
}

TEST_F(VerifyTest, RecordingsReplayToTheirGames) {
    std::vector<verify::FinishedGame> games;
    verify::Refusal refusal;
    // Room for a slow build (the sanitizers'): the budget is not what is tested here.
    verify::Limits limits;
    limits.cpuMsFloor = 60000;
    ASSERT_TRUE(verify::VerifyRecording(
        ReadFile(fs::path(SOURCE_DIR) / "tests/server/data/escape_games.txt"), limits, &games,
        &refusal))
        << refusal.error;
    ASSERT_EQ(games.size(), 3u);
    for (const verify::FinishedGame& g : games) {
        EXPECT_EQ(g.name, "BC");
        EXPECT_EQ(g.inputDigest.size(), 64u);
    }
    EXPECT_NE(games[0].inputDigest, games[1].inputDigest);
    // The same input under another name is the same game.
    std::string renamed = ReadFile(fs::path(SOURCE_DIR) / "tests/server/data/escape_games.txt");
    renamed.replace(renamed.find("key C"), 5, "key X");
    std::vector<verify::FinishedGame> copies;
    ASSERT_TRUE(verify::VerifyRecording(renamed, limits, &copies, &refusal)) << refusal.error;
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0].name, "BX");
    EXPECT_EQ(copies[0].inputDigest, games[0].inputDigest);
    EXPECT_EQ(copies[2].score, games[2].score);

    // Closing the window in the middle of a game finishes nothing.
    std::string closed = renamed.substr(0, renamed.find("key ESCAPE")) + "close\n";
    ASSERT_TRUE(verify::VerifyRecording(closed, limits, &copies, &refusal)) << refusal.error;
    EXPECT_TRUE(copies.empty());

    verify::Limits few = limits;
    few.maxGames = 2;
    EXPECT_FALSE(verify::VerifyRecording(renamed, few, &copies, &refusal));
    EXPECT_EQ(refusal.status, 422);
    EXPECT_NE(refusal.error.find("more than 2 games"), std::string::npos) << refusal.error;
}

TEST_F(VerifyTest, ReplayPastItsCpuBudgetIsRefused) {
    verify::Limits limits;
    limits.cpuMsPerMinute = 1;
    limits.cpuMsFloor = 1;
    limits.fast = false;
    std::vector<verify::FinishedGame> games;
    verify::Refusal refusal;
    EXPECT_FALSE(verify::VerifyRecording(
        ReadFile(fs::path(SOURCE_DIR) / "tests/server/data/two_minutes.txt"), limits, &games,
        &refusal));
    EXPECT_EQ(refusal.status, 422);
    EXPECT_NE(refusal.error.find("budget of 2 ms of CPU"), std::string::npos) << refusal.error;
    EXPECT_TRUE(games.empty());
}

// What a process may still do once shut in: 0 for each of a connection to a listening
// socket, a file written outside its folder and one inside, or the errno that refused it.
struct Attempts {
    int connect = -1;
    int writeOutside = -1;
    int writeInside = -1;
};

Attempts TryFromChild(bool sandboxed, bool asNobody, int port, const std::string& outside,
                      const std::string& inside) {
    int ends[2];
    EXPECT_EQ(pipe(ends), 0);
    pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        if (asNobody && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
                         setresuid(65534, 65534, 65534) != 0)) {
            _exit(3);
        }
        int out = ends[1];
        std::string why;
        if (sandboxed) {
            if (!verify::EnterSandbox(out, {}, &why)) _exit(4);
            out = 3;
        }
        Attempts a;
        int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.connect = s < 0                                                          ? errno
                    : connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0 ? 0
                                                                                   : errno;
        int f = open(outside.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        a.writeOutside = f < 0 ? errno : 0;
        f = open(inside.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        a.writeInside = f < 0 ? errno : 0;
        if (write(out, &a, sizeof a) != sizeof a) _exit(5);
        _exit(0);
    }
    close(ends[1]);
    Attempts a;
    EXPECT_EQ(read(ends[0], &a, sizeof a), static_cast<ssize_t>(sizeof a));
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    return a;
}

TEST(Sandbox, NoConnectionAndNoWrite) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    socklen_t size = sizeof at;
    getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size);
    int port = ntohs(at.sin_port);
    fs::path folder = fs::temp_directory_path() / ("verify-sandbox-" + std::to_string(getpid()));
    fs::create_directories(folder);
    // Open to every user, so that only the walls keep a process out.
    chmod(folder.c_str(), 0777);
    std::string outside = (folder / "outside").string();
    std::string inside = (folder / "inside").string();
    std::vector<bool> users = {false};
    if (geteuid() == 0) users.push_back(true);
    for (bool asNobody : users) {
        Attempts free = TryFromChild(false, asNobody, port, outside, inside);
        EXPECT_EQ(free.connect, 0) << "as nobody: " << asNobody;
        EXPECT_EQ(free.writeOutside, 0);
        fs::remove(outside);
        fs::remove(inside);
        Attempts walled = TryFromChild(true, asNobody, port, outside, inside);
        EXPECT_NE(walled.connect, 0) << "as nobody: " << asNobody;
        EXPECT_EQ(walled.writeOutside, EACCES);
        EXPECT_EQ(walled.writeInside, EACCES);
    }
    close(listener);
    fs::remove_all(folder);
}

}  // namespace
