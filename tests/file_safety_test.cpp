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

const std::string ABC_RECORD = "\xBE\xBD\xBC" + std::string(7, '\xFF') + " 255\n";

void ReplacePicture(const std::string& name, int w, int h) {
    // A folder of its own, so that the game's own pictures stay untouched.
    fs::remove("data");
    fs::create_directory("data");
    for (const auto& entry : fs::directory_iterator(fs::path(SOURCE_DIR) / "data")) {
        fs::create_symlink(entry.path(), "data" / entry.path().filename());
    }
    fs::remove("data/" + name);
    WriteTestBmp("data/" + name, w, h, [](int, int) { return COLORREF{0x00FF00}; });
}

TEST_F(FileSafetyTest, FilesTheGameCannotUseAreNamedAndNothingIsLost) {
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::string script;
        int exitCode;
        std::string error;  // the stderr it must hold; "" for none at all
        std::function<void()> check;
    } cases[] = {
        {"leftovers of a crash and of older versions",
         [] {
             WriteTextFile("high.dat", OldTable());
             fs::create_directory("high.dat.tmp");
             WriteTextFile("high.dat.tmp.ab12cd", "half a ta");
         },
         Session("ABC", 1), 0, "",
         [] {
             EXPECT_EQ(ReadTextFile("high.dat").rfind(ABC_RECORD, 0), 0u);
             EXPECT_FALSE(fs::exists("high.dat.tmp.ab12cd"));
         }},
        {"a symbolic link",
         [] {
             fs::create_directory("scores");
             WriteTextFile("scores/real.dat", OldTable());
             fs::create_symlink("scores/real.dat", "high.dat");
         },
         Session("ABC", 1), 0, "",
         [] {
             EXPECT_TRUE(fs::is_symlink("high.dat"));
             EXPECT_EQ(ReadTextFile("scores/real.dat").rfind(ABC_RECORD, 0), 0u);
         }},
        {"a read-only table",
         [] {
             WriteTextFile("high.dat", OldTable());
             fs::permissions("high.dat", fs::perms::owner_read | fs::perms::group_read);
         },
         Session("ABC", 1), 0,
         "Sidescroller: cannot save the high scores in high.dat: the file is read-only\n",
         [] {
             EXPECT_EQ(ReadTextFile("high.dat"), OldTable());
             EXPECT_EQ(fs::status("high.dat").permissions(),
                       fs::perms::owner_read | fs::perms::group_read);
         }},
        {"a named pipe", [] { ASSERT_EQ(mkfifo("high.dat", 0644), 0); }, Session("ABC", 1), 0,
         "Sidescroller: cannot save the high scores in high.dat: not a regular file\n",
         [] { EXPECT_TRUE(fs::is_fifo("high.dat")); }},
        {"a picture smaller than the game draws from",
         [] { ReplacePicture("pelko.bmp", 100, 100); }, Session("ABC", 1), 1,
         "Sidescroller: cannot use the picture data/pelko.bmp: 100 x 100 pixels, smaller than "
         "the 300 x 180 the game needs\n",
         [] {}},
        {"an unwritable screenshot", [] {}, "wait 100\nscreenshot nowhere/shot.bmp\ndump\n", 2,
         "sidescroller-replay: line 2: cannot write nowhere/shot.bmp\n", [] {}},
        {"an over-long script line", [] {}, "wait 100\n" + std::string(1 << 20, 'x') + "\n", 2,
         "sidescroller-replay: script.txt: line 2: longer than 8192 bytes: " +
             std::string(60, 'x') + "...\n",
         [] {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::path folder = EnterFreshRunFolder();
        c.prepare();
        ReplayOutcome run = RunReplayBinary(c.script);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.errors, c.error);
        // The game played to its end unless it could not start.
        bool started = c.error.find("cannot use the picture") == std::string::npos &&
                       c.error.find("longer than") == std::string::npos;
        EXPECT_EQ(run.dumps.size(), started ? 1u : 0u);
        c.check();
        fs::current_path(this->folder);
        fs::remove_all(folder);
    }
}

}  // namespace
