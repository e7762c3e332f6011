// The recording under careless and hostile use: the real game (SDL's dummy display) never
// writes a recording over a file of the game's or a file that is not a recording, never
// blocks on a path, says when the recording could not be written whole, and ends a recording
// properly on a hang-up; the replay plays a recording cut short up to its last whole line;
// every key typed into the name replays as it was typed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/app.h"
#include "app/replay/replay.h"
#include "display/display.h"
#include "platform/clock.h"
#include "platform/common/recorder.h"
#include "platform/headless/headless.h"
#include "platform/record.h"
#include "screens/screens.h"
#include "tests/support/game_fixture.h"
#include "tests/support/game_records.h"

namespace {

const std::string HIGH_DAT = "\xBE\xBD\xBC" + std::string(7, '\xFF') + " 245\n";  // ABC, 10
const char FIRST_LINE[] =
    "# A play-through recorded with sidescroller --record; sidescroller-replay plays it.\n";

struct GameRun {
    int status = -1;  // as waitpid gives it
    std::string errors;
};

// The game recording to path; after ms, sent the signal (0: none), then given ten seconds
// to end before it is killed.
GameRun RecordGame(const std::string& path, int ms, int signal) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!freopen("game.err", "w", stderr)) _exit(126);
        execl(GAME_BINARY, GAME_BINARY, "--record", path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    GameRun run;
    if (pid < 0) return run;
    if (signal != 0) {
        // The game's time counts from its start (its log file made), however slow the machine
        // is to get there; a signal before the game took it would only test the default.
        for (int i = 0; i < 600 && !std::filesystem::exists("log.txt"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        kill(pid, signal);
    }
    for (int i = 0; i < 200 && waitpid(pid, &run.status, WNOHANG) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (waitpid(pid, &run.status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &run.status, 0);
        ADD_FAILURE() << "the game did not end: " << path;
    }
    run.errors = ReadTextFile("game.err");
    return run;
}

int ExitCode(const GameRun& run) {
    return WIFEXITED(run.status) ? WEXITSTATUS(run.status) : 128 + WTERMSIG(run.status);
}

using RecordingTest = RunFolderTest;

// Each path is refused before the window opens, without blocking, with a message that names
// the program and the recording, and exit code 2; no file is touched or made.
TEST_F(RecordingTest, GameFilesOtherFilesAndNonFilesAreRefusedAndLeftAsTheyWere) {
    WriteTextFile("high.dat", HIGH_DAT);
    WriteTextFile("notes.txt", "not a recording\n");
    ASSERT_EQ(link("high.dat", "hard-link"), 0);
    ASSERT_EQ(symlink("high.dat", "soft-link"), 0);
    ASSERT_EQ(symlink("nowhere/file", "dangling"), 0);
    ASSERT_EQ(mkfifo("pipe", 0644), 0);
    std::filesystem::create_directory("folder");
    const std::string here = std::filesystem::current_path().string();
    for (const std::string& path :
         {std::string("high.dat"),
          here + "/../" + std::filesystem::path(here).filename().string() + "/high.dat",
          std::string("hard-link"), std::string("soft-link"), std::string("data/side1.bmp"),
          std::string("font.des"), std::string("log.txt"), std::string("high.dat.tmp.abc123"),
          std::string("notes.txt"), std::string("pipe"), std::string("folder"),
          std::string("/dev/zero"), std::string("dangling"), std::string("")}) {
        GameRun run = RecordGame(path, 0, 0);
        EXPECT_EQ(ExitCode(run), 2) << path << ": " << run.errors;
        EXPECT_EQ(run.errors.rfind("sidescroller: cannot record to ", 0), 0u) << run.errors;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    }
    EXPECT_EQ(ReadTextFile("high.dat"), HIGH_DAT);
    EXPECT_EQ(ReadTextFile("notes.txt"), "not a recording\n");
    EXPECT_FALSE(std::filesystem::exists("log.txt"));  // the game never started
    EXPECT_FALSE(std::filesystem::exists("high.dat.tmp.abc123"));
    EXPECT_FALSE(std::filesystem::exists("nowhere"));
}

// An earlier recording may be replaced; a hang-up ends the game as SIGTERM does, with the
// recording whole to its closing line, and the replay plays it to the same end.
TEST_F(RecordingTest, AHangUpEndsTheGameWithTheRecordingWhole) {
    WriteTextFile("play.txt", std::string(FIRST_LINE) + "seed 5\nat 1\nclose\n");
    GameRun run = RecordGame("play.txt", 1500, SIGHUP);
    EXPECT_EQ(ExitCode(run), 0) << run.errors;
    std::string recording = ReadTextFile("play.txt");
    EXPECT_EQ(recording.rfind(FIRST_LINE, 0), 0u);
    ASSERT_GE(recording.size(), 7u);
    EXPECT_EQ(recording.substr(recording.size() - 7), "\nclose\n") << recording;
    EXPECT_NE(recording.find("\nat "), std::string::npos);
    int replayed = std::system((std::string(REPLAY_BINARY) + " play.txt > /dev/null").c_str());
    EXPECT_EQ(replayed, 0);
}

// A full disk: the game plays on and ends as asked, with one line about the recording and 1.
TEST_F(RecordingTest, AFullDeviceStopsTheRecordingWithOneLineAndExitCode1) {
    WriteTextFile("high.dat", HIGH_DAT);
    GameRun run = RecordGame("/dev/full", 1500, SIGTERM);
    EXPECT_EQ(ExitCode(run), 1);
    // Only the sound speaks besides.
    const std::string said =
        "sidescroller: recording stopped: /dev/full: No space left on device\n";
    size_t at = run.errors.find(said);
    EXPECT_NE(at, std::string::npos) << run.errors;
    EXPECT_EQ(run.errors.find("sidescroller:"), at) << run.errors;
    EXPECT_EQ(run.errors.rfind("sidescroller:"), at) << run.errors;
    EXPECT_EQ(ReadTextFile("high.dat"), HIGH_DAT);
}

struct CutPlay {
    bool checked = false;
    std::string said;  // the error, or the note
    int exitCode = -1;
};

// The script file read as sidescroller-replay reads it, checked and, when asked, played in
// this process.
CutPlay PlayFile(const std::string& text, bool playIt) {
    WriteTextFile("cut.txt", text);
    CutPlay play;
    FILE* file = std::fopen("cut.txt", "rb");
    if (!file) return play;
    ScriptFile script;
    script.file = file;
    Script header;
    play.checked = CheckScriptFile(&script, &header, &play.said);
    if (play.checked) play.said = header.note;
    if (play.checked && playIt) {
        FILE* out = std::tmpfile();
        play.exitCode = RunReplay(header, &script, out);
        std::fclose(out);
    }
    std::fclose(file);
    return play;
}

// A real recording cut at every byte, as a full disk or a crash leaves it, plays to its last
// whole line and says so whenever the cut line is left out, even when what is left of it
// still reads ("at 1078" cut to "at 10"); the same line damaged anywhere but at the end is
// refused with its number when it cannot be read. Nothing crashes.
TEST_F(RecordingTest, ARecordingCutAtEveryBytePlaysToItsLastWholeLine) {
    GameRun run = RecordGame("play.txt", 600, SIGTERM);
    ASSERT_EQ(ExitCode(run), 0) << run.errors;
    const std::string recording = ReadTextFile("play.txt");
    ASSERT_GT(recording.size(), 100u);
    std::string noted;  // a cut that is left out, for the binary below
    int notes = 0, refusals = 0, stillRead = 0, midLines = 0;
    // Inside the first line, a comment, every cut plays the same empty script: one is played.
    const size_t firstLine = recording.find('\n');
    for (size_t cut = 1; cut < recording.size(); cut = cut == 1 ? firstLine : cut + 1) {
        std::string kept = recording.substr(0, cut);
        int line = static_cast<int>(std::count(kept.begin(), kept.end(), '\n')) + 1;
        std::string where = "line " + std::to_string(line);
        bool midLine = kept.back() != '\n';
        midLines += midLine;

        // Every cut is read; a game is played from three cuts a line (the whole line, its first
        // byte, all of it but its end), which reach every way a replay stops, at a tenth of the
        // cost of playing them all.
        const bool playIt = cut == 1 || recording[cut] == '\n' || recording[cut - 1] == '\n' ||
                            recording[cut - 2] == '\n';
        CutPlay atEnd = PlayFile(kept, playIt);
        ASSERT_TRUE(atEnd.checked) << cut << ": " << atEnd.said;
        if (playIt) {
            EXPECT_EQ(atEnd.exitCode, 0) << cut;
        }
        if (!atEnd.said.empty()) {
            ++notes;
            noted = kept;
            EXPECT_TRUE(midLine) << cut;
            EXPECT_EQ(atEnd.said, "the file ends early, in the middle of " + where +
                                      ": played up to line " + std::to_string(line - 1));
        }
        // The cut line followed by the rest: a line that cannot be read is refused by number.
        if (!midLine) continue;
        CutPlay inside =
            PlayFile(kept + "\n" + recording.substr(recording.find('\n', cut) + 1), false);
        if (!inside.checked) {
            ++refusals;
            EXPECT_EQ(inside.said.rfind(where + ": ", 0), 0u) << cut << ": " << inside.said;
        } else if (line > 1) {
            ++stillRead;  // a command cut to one that still reads, left out all the same
        }
    }
    EXPECT_EQ(notes, midLines);
    EXPECT_GT(refusals, 0);
    EXPECT_GT(stillRead, 0);

    // What the player reads.
    WriteTextFile("noted.txt", noted);
    std::string replay = std::string(REPLAY_BINARY) + " noted.txt > /dev/null 2> noted.err";
    EXPECT_EQ(std::system(replay.c_str()), 0);
    EXPECT_EQ(
        ReadTextFile("noted.err").rfind("sidescroller-replay: noted.txt: the file ends early, ", 0),
        0u)
        << ReadTextFile("noted.err");
}

// The live game of the test below: the headless game played as a player would play it, one
// input a frame, and told to the recorder as the SDL backend tells it.
struct LiveInput {
    uint32_t message;  // WM_KEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN or WM_CLOSE
    int code = 0;
    POINT at = {0, 0};
};
std::vector<LiveInput> livePlan;
size_t liveNext = 0;
uint32_t liveFlips = 0;
std::vector<std::string> namesSeen;  // the name at every frame where it changed

void NoteName() {
    std::string name(nameEntry.name, static_cast<size_t>(nameEntry.length));
    if (namesSeen.empty() || namesSeen.back() != name) namesSeen.push_back(name);
}

void LiveFrameShown() {
    RecordFrameShown();
    NoteName();
}

void LiveIdle(uint32_t workAt) {
    int32_t ahead = static_cast<int32_t>(workAt - timeGetTime());
    HeadlessAdvance(ahead > 0 ? static_cast<uint32_t>(ahead) : 0);
    RecordWake(timeGetTime());
    if (liveNext == livePlan.size() || HeadlessFlipCount() == liveFlips) return;
    liveFlips = HeadlessFlipCount();
    const LiveInput& input = livePlan[liveNext++];
    if (input.message == WM_MOUSEMOVE) {
        // Where the game reads it: the SDL backend records the cursor as it is read.
        HeadlessSetCursor(input.at.x, input.at.y);
        RecordCursor(input.at);
    } else if (input.message == WM_LBUTTONDOWN) {
        HeadlessQueueInput(WM_LBUTTONDOWN, 0);
        HeadlessQueueInput(WM_LBUTTONUP, 0);
    } else if (input.message == WM_CLOSE) {
        HeadlessCloseWindow();
    } else {
        HeadlessQueueInput(WM_KEYDOWN, static_cast<WPARAM>(input.code));
    }
}

// Every key code that can reach the window is typed into the name, each one shown in it for
// a frame before Backspace takes it away again (Backspace on an empty name too), until the
// last eight stay, with a ninth that does not fit; then a game is ended with Escape, which
// saves the name. The recording of that visit replays to the same name at every frame, and
// to the same "high.dat".
TEST_F(RecordingTest, EveryKeyTypedIntoTheNameReplaysAsTyped) {
    std::string table;  // ten entries of -100, so that the score of 0 leads with the name
    for (int slot = 0; slot < 10; slot++) {
        table += "\xB0\xB3\xBB" + std::string(7, '\xFF') + " 355\n";
    }
    WriteTextFile("high.dat", table);
    const std::vector<int> kept = {VK_TAB, VK_SHIFT, VK_CONTROL, '8', '9', 186, 7, 255};
    std::vector<int> typed;
    for (int code = 1; code < 256; code++) {
        if (code != VK_BACK && code != VK_RETURN &&
            std::find(kept.begin(), kept.end(), code) == kept.end()) {
            typed.push_back(code);
        }
    }
    typed.insert(typed.end(), kept.begin(), kept.end());
    livePlan = {{WM_KEYDOWN, 'A'}, {WM_KEYDOWN, VK_BACK}};  // the logo's key is not typed
    for (size_t i = 0; i < typed.size(); i++) {
        livePlan.push_back({WM_KEYDOWN, typed[i]});
        if (i < typed.size() - kept.size()) livePlan.push_back({WM_KEYDOWN, VK_BACK});
    }
    livePlan.push_back({WM_KEYDOWN, 'X'});
    livePlan.push_back({WM_KEYDOWN, VK_RETURN});
    livePlan.push_back({WM_MOUSEMOVE, 0, {185, 65}});  // on the new game button
    livePlan.push_back({WM_LBUTTONDOWN});
    livePlan.push_back({WM_KEYDOWN, VK_ESCAPE});
    livePlan.push_back({WM_CLOSE});
    liveNext = 0;
    liveFlips = 0;
    namesSeen.clear();

    FILE* file = std::fopen("live.txt", "w");
    ASSERT_NE(file, nullptr);
    HeadlessReset();
    HeadlessSetSeed(41);
    HeadlessSetClock(5000);
    HeadlessSetIdleHook(LiveIdle);
    HeadlessSetFlipHook(LiveFrameShown);
    BeginRecording(file, "live.txt", nullptr);
    RecordSeed(41);
    RecordStart(5000);
    EXPECT_EQ(GameMain(1), 0);
    EXPECT_EQ(StopRecording(), 0);
    HeadlessSetIdleHook(nullptr);
    HeadlessSetFlipHook(nullptr);
    ReleaseDisplay();
    HeadlessReset();
    EXPECT_EQ(liveNext, livePlan.size());
    const std::vector<std::string> liveNames = namesSeen;
    const std::string liveTable = ReadTextFile("high.dat");
    // Every code was in the name (the keypad and F1 to F11 are kept 32 higher).
    std::string everyName;
    for (const std::string& name : liveNames) everyName += name;
    for (int code : typed) {
        char stored = static_cast<char>(code >= 97 && code <= 122 ? code + 32 : code);
        EXPECT_NE(everyName.find(stored), std::string::npos) << code;
    }
    EXPECT_EQ(liveNames.back(), std::string("\t\x10\x11"
                                            "89\xBA\x07\xFF"));
    EXPECT_EQ(liveTable.substr(0, 15),
              std::string("\xF6\xEF\xEE\xC7\xC6\x45\xF8\x00\xFF\xFF 255\n", 15));

    RestoreGameRecords();
    WriteTextFile("high.dat", table);
    namesSeen.clear();
    FILE* recording = std::fopen("live.txt", "rb");
    ASSERT_NE(recording, nullptr);
    ScriptFile script;
    script.file = recording;
    Script header;
    std::string error;
    ASSERT_TRUE(CheckScriptFile(&script, &header, &error)) << error;
    EXPECT_EQ(header.note, "");
    FILE* out = std::tmpfile();
    HeadlessSetFlipHook(NoteName);
    EXPECT_EQ(RunReplay(header, &script, out), 0);
    std::fclose(out);
    std::fclose(recording);
    HeadlessSetFlipHook(nullptr);
    EXPECT_EQ(namesSeen, liveNames);
    EXPECT_EQ(ReadTextFile("high.dat"), liveTable);
}

}  // namespace
