// Test helpers: a fresh folder with the game's files for each test, the game started on
// the headless backend, and replay scripts run in-process or through the real binary.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/surface.h"
#include "tests/support/json.h"

// Makes a new folder under /tmp with links to the game's data and font.des, and enters it.
// Answers the folder.
std::string EnterFreshRunFolder();

// Every test in its own folder, so that "high.dat" and "log.txt" never clash.
class RunFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string folder;
    std::string from;  // the folder the test started in, entered again after it
};

// The game started as the entry starts it (headless, seed 1, clock 0), with no frame run yet.
class GameTest : public RunFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Runs the frame functions of the current state and flips, as the loop does.
    void Frame();
};

// The colour of a pixel of the last flipped picture / of the back buffer.
COLORREF ScreenPixel(int32_t x, int32_t y);
COLORREF BackPixel(int32_t x, int32_t y);

struct ReplayOutcome {
    int exitCode = 0;
    std::vector<Json> dumps;
    std::string output;  // everything printed
    std::string errors;  // the binary's stderr (binary runs only)
};

// Runs the script through the game in this process, in the current folder.
ReplayOutcome RunScript(const std::string& script);
// Runs the script through the sidescroller-replay binary in the current folder.
ReplayOutcome RunReplayBinary(const std::string& script);

// Writes a text file in the current folder.
void WriteTextFile(const std::string& name, const std::string& content);
std::string ReadTextFile(const std::string& name);
