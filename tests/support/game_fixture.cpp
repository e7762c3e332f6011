#include "tests/support/game_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app.h"
#include "app/replay/replay.h"
#include "display/display.h"
#include "platform/headless/headless.h"
#include "tests/support/game_records.h"

namespace fs = std::filesystem;

std::string EnterFreshRunFolder() {
    char pattern[] = "/tmp/sidescroller-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) throw std::runtime_error("cannot make a run folder");
    std::string folder = made;
    fs::create_directory_symlink(fs::path(SOURCE_DIR) / "data", fs::path(folder) / "data");
    fs::create_symlink(fs::path(SOURCE_DIR) / "font.des", fs::path(folder) / "font.des");
    fs::current_path(folder);
    return folder;
}

namespace {

// The records as the test program started, kept before the first test: every test in a
// run folder starts from them, whichever tests ran before it in the same process.
class GameRecordsKept : public ::testing::Environment {
    void SetUp() override { KeepGameRecords(); }
};
[[maybe_unused]] ::testing::Environment* const gameRecordsKept =
    ::testing::AddGlobalTestEnvironment(new GameRecordsKept);

}  // namespace

void RunFolderTest::SetUp() {
    RestoreGameRecords();
    from = fs::current_path().string();
    folder = EnterFreshRunFolder();
}

void RunFolderTest::TearDown() {
    fs::current_path(from);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

void GameTest::SetUp() {
    RunFolderTest::SetUp();
    HeadlessReset();
    ASSERT_EQ(StartUp(1), 0) << "the game did not start";
}

void GameTest::TearDown() {
    ReleaseDisplay();
    HeadlessReset();
    RunFolderTest::TearDown();
}

void GameTest::Frame() {
    RunFrame();
}

COLORREF ScreenPixel(int32_t x, int32_t y) {
    return SurfaceGetPixel(HeadlessScreen(), x, y);
}
COLORREF BackPixel(int32_t x, int32_t y) {
    return SurfaceGetPixel(backBuffer, x, y);
}

namespace {

void CollectDumps(ReplayOutcome* outcome) {
    std::istringstream lines(outcome->output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line[0] == '{') outcome->dumps.push_back(ParseJson(line));
    }
}

}  // namespace

ReplayOutcome RunScript(const std::string& text) {
    ReplayOutcome outcome;
    Script script;
    std::string error;
    if (!ParseScript(text, &script, &error)) {
        ADD_FAILURE() << "bad script: " << error;
        outcome.exitCode = 2;
        return outcome;
    }
    FILE* out = std::tmpfile();
    outcome.exitCode = RunReplay(script, out);
    std::rewind(out);
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, out)) > 0) outcome.output.append(buffer, n);
    std::fclose(out);
    CollectDumps(&outcome);
    return outcome;
}

ReplayOutcome RunReplayBinary(const std::string& text) {
    WriteTextFile("script.txt", text);
    std::string command = std::string(REPLAY_BINARY) + " script.txt > replay.out 2> replay.err";
    int status = std::system(command.c_str());
    ReplayOutcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.output = ReadTextFile("replay.out");
    outcome.errors = ReadTextFile("replay.err");
    CollectDumps(&outcome);
    return outcome;
}

void WriteTextFile(const std::string& name, const std::string& content) {
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file << content;
}

std::string ReadTextFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
