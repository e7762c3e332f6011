// Both programs' command lines, as a user types them: --help and --version answer on stdout
// with 0; anything wrong gives the usage on stderr and 2, and the game never starts.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>

#include "app/version.h"
#include "tests/support/game_fixture.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int code;
    std::string out, err;
};

// Without a display a game that starts says so and ends with 1 at once, having made
// log.txt first: nothing here waits on a window, and log.txt shows whether it started.
Outcome Start(const char* binary, const std::string& arguments) {
    std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ") +
                          binary + " " + arguments + " > out.txt 2> err.txt";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadTextFile("out.txt"),
            ReadTextFile("err.txt")};
}

using CommandLineTest = RunFolderTest;

TEST_F(CommandLineTest, GameAnswersAndRefusesWithoutStarting) {
    Outcome help = Start(GAME_BINARY, "--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("Usage: sidescroller [OPTION]...\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--record FILE"), std::string::npos);
    EXPECT_NE(help.out.find("~/.local/share/sidescroller"), std::string::npos);
    EXPECT_NE(help.out.find("Sidescroller " SIDESCROLLER_VERSION "\n"), std::string::npos);
    EXPECT_EQ(help.err, "");
    // The manual page tells every option the usage does.
    std::string manual = ReadTextFile(SOURCE_DIR "/packaging/sidescroller.6.in");
    std::istringstream lines(help.out);
    int options = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  --", 0) != 0) continue;
        std::string name = line.substr(4, line.find_first_of(" =", 4) - 4);
        std::regex entry("\n\\.TP\n\\.BI? \\\\-\\\\-" + name + "[ \n]");
        EXPECT_TRUE(std::regex_search(manual, entry)) << name;
        ++options;
    }
    EXPECT_EQ(options, 4);
    Outcome version = Start(GAME_BINARY, "--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("sidescroller " SIDESCROLLER_VERSION "\n", 0), 0u);
    EXPECT_NE(version.out.find("MIT"), std::string::npos);

    const std::pair<const char*, const char*> wrong[] = {
        {"--bogus", "unknown option '--bogus'"},
        {"-x", "unknown option '-x'"},
        {"x", "unexpected argument 'x'"},
        {"x --record r2.txt", "unexpected argument 'x'"},
        {"--record", "--record needs a file name"},
        {"--online", "--online needs the board's URL"},
        {"--online= --help", "--online needs the board's URL"},
        {"--version=2", "'--version=2' takes no value"},
    };
    for (auto [arguments, problem] : wrong) {
        Outcome run = Start(GAME_BINARY, arguments);
        EXPECT_EQ(run.code, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_EQ(run.err, std::string("sidescroller: ") + problem + "\n" + help.out) << arguments;
    }
    EXPECT_FALSE(fs::exists("log.txt"));
    EXPECT_FALSE(fs::exists("r2.txt"));

    // --record=FILE is --record FILE: the game starts recording (and here finds no display).
    for (const char* arguments : {"--record=play.txt", "--record play.txt"}) {
        fs::remove("play.txt");
        Outcome run = Start(GAME_BINARY, arguments);
        EXPECT_EQ(run.code, 1) << arguments << run.err;
        EXPECT_NE(run.err.find("no display"), std::string::npos) << run.err;
        EXPECT_TRUE(fs::exists("play.txt")) << arguments;
    }
    EXPECT_TRUE(fs::exists("log.txt"));
}

TEST_F(CommandLineTest, ReplayAnswersAndRefuses) {
    Outcome help = Start(REPLAY_BINARY, "--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("Usage: sidescroller-replay SCRIPT\n", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
    Outcome version = Start(REPLAY_BINARY, "--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("sidescroller-replay " SIDESCROLLER_VERSION "\n", 0), 0u);

    WriteTextFile("-script.txt", "frames 1\ndump\n");
    const std::pair<const char*, const char*> wrong[] = {
        {"", "no script given"},
        {"a.txt b.txt", "unexpected argument 'b.txt'"},
        {"--bogus -- -script.txt", "unknown option '--bogus'"},
        {"-script.txt", "unknown option '-s'"},
    };
    for (auto [arguments, problem] : wrong) {
        Outcome run = Start(REPLAY_BINARY, arguments);
        EXPECT_EQ(run.code, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_EQ(run.err, std::string("sidescroller-replay: ") + problem + "\n" + help.out);
    }
    // After "--" a name that starts with a dash is the script.
    Outcome played = Start(REPLAY_BINARY, "-- -script.txt");
    EXPECT_EQ(played.code, 0) << played.err;
    EXPECT_EQ(played.out.rfind("{", 0), 0u) << played.out;
}

}  // namespace
