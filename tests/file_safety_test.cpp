// Scores saved once and never lost, and files the game cannot use named, through whole runs
// of the replay binary; "high.dat" shared by two copies of the game.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/game_fixture.h"

namespace {

const std::string ABC_RECORD = "\xBE\xBD\xBC" + std::string(7, '\xFF') + " 255\n";  // ABC, 0

// "ABC" typed, then games started at 130 ms and ended after wait ms by the keys, then the state.
std::string Games(int games, const std::string& wait = "60",
                  const std::string& keys = "key ESCAPE\n") {
    std::string script = "key A\nkey A\nkey B\nkey C\nkey RETURN\nwait 100\n";
    for (int k = 0; k < games; k++) {
        script += "move 185 65\nwait 30\nclick left\nmove 20 20\nwait " + wait + "\n" + keys +
                  "frames 2\n";
    }
    return script + "dump\n";
}

std::string OldTable() {  // ten entries of OLD, -100
    std::string table;
    for (int k = 0; k < 10; k++) table += "\xB0\xB3\xBB" + std::string(7, '\xFF') + " 355\n";
    return table;
}

// Ten lines of ten name bytes, a space, a number and a line feed.
bool WholeTable(const std::string& file) {
    size_t at = 0;
    for (int line = 0; line < 10; line++, at++) {
        size_t end = file.find('\n', at);
        if (end == std::string::npos || end < at + 12 || file[at + 10] != ' ') return false;
        at = end;
    }
    return at == file.size();
}

using FileSafetyTest = RunFolderTest;

TEST_F(FileSafetyTest, TwoCopiesSavingNeverLetAReaderSeeAnIncompleteTable) {
    WriteTextFile("high.dat", OldTable());
    WriteTextFile("games.txt", Games(200));
    std::string copy = std::string(REPLAY_BINARY) + " games.txt";
    std::system(("(" + copy + " >a.out 2>a.err & " + copy + " >b.out 2>b.err & wait; touch done) &")
                    .c_str());
    int bad = 0;
    std::string first;
    while (!std::filesystem::exists("done")) {
        std::string table = ReadTextFile("high.dat");
        if (!WholeTable(table) && bad++ == 0) first = table;
    }
    EXPECT_EQ(bad, 0) << "the first: \"" << first << "\"";
    for (const char* out : {"a", "b"}) {
        EXPECT_NE(ReadTextFile(out + std::string(".out")).find("\"state\":2"), std::string::npos);
        EXPECT_EQ(ReadTextFile(out + std::string(".err")), "");  // every save succeeded
    }
    EXPECT_EQ(std::system("test -z \"$(ls | grep '^high.dat.')\""), 0)
        << "a temporary file is left";
}

TEST_F(FileSafetyTest, FilesTheGameCannotUseAreNamedAndNothingIsLost) {
    std::string burst;
    for (int k = 0; k < 12; k++) burst += "key ESCAPE\n";
    const char* ONE_ABC_THEN_MENU =
        "test $(grep -ac \"$(printf '\\276\\275\\274')\" high.dat) = 1 && "
        "grep -q '\"state\":2' replay.out";
    const struct {
        const char* what;
        const char* prepare;  // shell commands, "high.dat" holding ten entries of OLD
        std::string script;
        int exitCode;
        std::string error;      // all of stderr
        const char* table;      // where the table is then, holding ABC first, or nullptr
        const char* stillTrue;  // a shell test on the folder afterwards
    } cases[] = {
        // The game is saved once (one ABC), and the menu follows as after any Escape. Frames
        // come every 26 ms; the game's last clock tick at 121000 ms, before the frame at 121004.
        {"a burst of Escape presses in one frame", "", Games(1, "60", burst), 0, "", "high.dat",
         ONE_ABC_THEN_MENU},
        {"Escape in the clock's last tick", "", Games(1, "120865", "key ESCAPE\nwait 8\n"), 0, "",
         "high.dat", ONE_ABC_THEN_MENU},
        {"Escape held before its key message", "",
         Games(1, "60", "hold ESCAPE\nframes 1\nrelease ESCAPE\nkey ESCAPE\n"), 0, "", "high.dat",
         ONE_ABC_THEN_MENU},
        {"leftovers", "mkdir high.dat.tmp && echo half >high.dat.tmp.ab12cd", Games(1), 0, "",
         "high.dat", "test -d high.dat.tmp && test ! -e high.dat.tmp.ab12cd"},
        {"a symbolic link", "mkdir s && mv high.dat s/real.dat && ln -s s/real.dat high.dat",
         Games(1), 0, "", "s/real.dat", "test -L high.dat"},
        {"a read-only table", "chmod 444 high.dat && cp high.dat old", Games(1), 0,
         "Sidescroller: cannot save the high scores in high.dat: the file is read-only\n", nullptr,
         "cmp high.dat old && test $(stat -c %a high.dat) = 444"},
        {"a named pipe", "rm high.dat && mkfifo high.dat", Games(1), 0,
         "Sidescroller: cannot save the high scores in high.dat: not a regular file\n", nullptr,
         "test -p high.dat"},
        {"a small picture",
         "rm data && mkdir data && ln -s $SRC/data/* data && cp -f --remove-destination "
         "data/cursor.bmp data/pelko.bmp",
         Games(1), 1,
         "Sidescroller: cannot use the picture data/pelko.bmp: 50 x 50 pixels, smaller than the "
         "300 x 180 the game needs\n",
         nullptr, "true"},
        {"an unwritable screenshot", "", "wait 100\nscreenshot no/shot.bmp\ndump\n", 2,
         "sidescroller-replay: line 2: cannot write no/shot.bmp\n", nullptr, "true"},
        {"an over-long script line", "", "wait 100\n" + std::string(1 << 20, 'x') + "\n", 2,
         "sidescroller-replay: script.txt: line 2: longer than 8192 bytes: " +
             std::string(60, 'x') + "...\n",
         nullptr, "true"},
    };
    setenv("SRC", SOURCE_DIR, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string folder = EnterFreshRunFolder();
        WriteTextFile("high.dat", OldTable());
        ASSERT_EQ(std::system(c.prepare), 0);
        ReplayOutcome run = RunReplayBinary(c.script);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.errors, c.error);
        // The game played to its end whenever it could start.
        bool started = c.exitCode != 1 && c.error.find("longer than") == std::string::npos;
        EXPECT_EQ(run.dumps.size(), started ? 1u : 0u);
        if (c.table) {
            EXPECT_EQ(ReadTextFile(c.table).substr(0, 15), ABC_RECORD);
        }
        EXPECT_EQ(std::system(c.stillTrue), 0);
        std::filesystem::remove_all(folder);
    }
}

}  // namespace
