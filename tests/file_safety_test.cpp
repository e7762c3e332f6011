// Files the game cannot use, and "high.dat" shared by several copies of the game: whole
// runs of the replay binary, which say why and never lose or damage the table.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/bmp.h"
#include "tests/support/game_fixture.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Ten entries of -100 under the name "OLD", so that a score of 0 leads the table.
std::string OldTable() {
    std::string lines;
    for (int slot = 0; slot < 10; slot++)
        lines += "\xB0\xB3\xBB" + std::string(7, '\xFF') + " 355\n";
    return lines;
}

// Typed name, then a game ended by Escape at once.
std::string Session(const std::string& name, int games) {
    std::string script = "key A\n";
    for (char c : name) script += std::string("key ") + c + "\n";
    script += "key RETURN\nwait 100\n";
    for (int k = 0; k < games; k++) {
        script += "move 185 65\nwait 30\nclick left\nmove 20 20\nwait 60\nkey ESCAPE\nframes 2\n";
    }
    return script + "dump\n";
}

// Ten lines of ten name bytes, a space, a number and a line feed.
bool WholeTable(const std::string& file) {
    if (std::count(file.begin(), file.end(), '\n') != 10 || file.back() != '\n') return false;
    for (size_t at = 0; at < file.size(); at = file.find('\n', at) + 1) {
        size_t end = file.find('\n', at);
        if (end - at < 12 || file[at + 10] != ' ') return false;
    }
    return true;
}

// Runs the replay binary on script, its output in script.out and script.err.
pid_t StartReplay(const std::string& script) {
    const char* argv[] = {REPLAY_BINARY, script.c_str(), nullptr};
    std::string out = script + ".out", err = script + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    posix_spawn(&pid, REPLAY_BINARY, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

using FileSafetyTest = RunFolderTest;

TEST_F(FileSafetyTest, TwoCopiesSavingNeverLetAReaderSeeAnIncompleteTable) {
    WriteTextFile("high.dat", OldTable());
    WriteTextFile("a.txt", Session("A", 200));
    WriteTextFile("b.txt", Session("B", 200));
    pid_t copies[] = {StartReplay("a.txt"), StartReplay("b.txt")};
    ASSERT_GT(copies[0], 0);
    ASSERT_GT(copies[1], 0);
    int reads = 0, bad = 0, finished = 0, exitCodes = 0;
    std::string seen;
    while (finished < 2) {
        std::string table = ReadTextFile("high.dat");
        reads++;
        if (!WholeTable(table)) {
            if (bad++ == 0) seen = table;
        }
        for (pid_t& pid : copies) {
            int status = 0;
            if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) {
                exitCodes += WIFEXITED(status) ? WEXITSTATUS(status) : 100;
                pid = 0;
                finished++;
            }
        }
    }
    EXPECT_EQ(exitCodes, 0);
    EXPECT_EQ(bad, 0) << "of " << reads << " reads; the first: \"" << seen << "\"";
    for (const char* copy : {"a.txt", "b.txt"}) {
        EXPECT_NE(ReadTextFile(copy + std::string(".out")).find("\"state\":2"), std::string::npos);
        EXPECT_EQ(ReadTextFile(copy + std::string(".err")), "");  // every save succeeded
    }
    // No temporary file is left behind.
    for (const auto& entry : fs::directory_iterator(".")) {
        EXPECT_EQ(entry.path().filename().string().rfind("high.dat.", 0), std::string::npos)
            << entry.path();
    }
}

}  // namespace
