// The high-score table: clearing, ranking, and the file "high.dat" byte for byte.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "screens/screens.h"
#include "tests/support/game_fixture.h"

namespace {

// Each test works in a folder of its own (RunFolderTest), so tests running side by side
// never share a "high.dat".
class HighScoreFileTest : public RunFolderTest {
protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        std::memset(&table_, 0, sizeof table_);
        table_.Clear();
    }

    HighScoreTable table_;
};

void WriteBytes(const char* name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadBytes(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TemporaryLeft() {
    return std::system("ls | grep -q '^high.dat.'") == 0;
}

void SetName(HighScoreEntry* entry, const char* name) {
    std::memset(entry->name, 0, sizeof entry->name);
    std::strncpy(reinterpret_cast<char*>(entry->name), name, 10);
}

std::string Name(const HighScoreEntry& entry) {
    return reinterpret_cast<const char*>(entry.name);
}

// One line as Save writes it for a name of zero bytes after its text.
std::string Line(const std::string& name, const char* number) {
    std::string line;
    for (size_t k = 0; k < 10; k++) {
        uint8_t b = k < name.size() ? static_cast<uint8_t>(name[k]) : 0;
        line += static_cast<char>(255 - b);
    }
    return line + " " + number + "\n";
}

std::string ClearedLines(int count) {
    std::string lines;
    for (int k = 0; k < count; k++) lines += Line("", "255");
    return lines;
}

void ExpectCleared(const HighScoreTable& table, int fromSlot) {
    for (int slot = fromSlot; slot < 10; slot++) {
        EXPECT_EQ(table.entries[slot].score, 0) << "slot " << slot;
        EXPECT_EQ(Name(table.entries[slot]), "") << "slot " << slot;
    }
}

TEST_F(HighScoreFileTest, ClearedTableIsTenEmptyNamesOfZero) {
    std::memset(&table_, 0x5A, sizeof table_);
    table_.Clear();
    ExpectCleared(table_, 0);

    std::memset(&table_, 0, sizeof table_);
    table_.Clear();
    table_.Save();
    EXPECT_EQ(ReadBytes("high.dat"), ClearedLines(10));
}

TEST_F(HighScoreFileTest, SavedBytesAreComplementedNamesAndBiasedScores) {
    table_.entries[0].score = 10000;
    SetName(&table_.entries[0], "ABC");
    table_.entries[1].score = 0;
    table_.entries[2].score = -30;
    table_.entries[3].score = 9999;
    table_.Save();

    std::string abc = "\xBE\xBD\xBC" + std::string(7, '\xFF');
    EXPECT_EQ(ReadBytes("high.dat"), abc + " -9744\n" + Line("", "255") + Line("", "285") +
                                         Line("", "-9744") + ClearedLines(6));
    // The cap is kept in the table itself.
    EXPECT_EQ(table_.entries[0].score, 9999);
    EXPECT_FALSE(TemporaryLeft());
}

TEST_F(HighScoreFileTest, EveryStorableNameByteSurvivesSaveAndLoad) {
    // Three tables pass every byte value through the file, among them those that
    // complement to white space (0xDF, 0xF2 to 0xF6), and bytes that earlier names left
    // after the terminator.
    bool seen[256] = {};
    int next = 0;
    for (int round = 0; round < 3; round++) {
        std::memset(&table_, 0, sizeof table_);
        for (int slot = 0; slot < 10; slot++) {
            HighScoreEntry& entry = table_.entries[slot];
            int terminator = 8 - slot % 3;
            for (int k = 0; k < 10; k++) {
                if (k != terminator) entry.name[k] = static_cast<uint8_t>(1 + next++ % 255);
                seen[entry.name[k]] = true;
            }
            entry.score = 5000 - 1111 * slot;
        }
        table_.Save();

        HighScoreTable loaded;
        std::memset(&loaded, 0, sizeof loaded);
        loaded.Load();
        for (int slot = 0; slot < 10; slot++) {
            EXPECT_EQ(loaded.entries[slot].score, table_.entries[slot].score) << "slot " << slot;
            EXPECT_EQ(std::memcmp(loaded.entries[slot].name, table_.entries[slot].name, 12), 0)
                << "round " << round << " slot " << slot;
        }
    }
    for (int value = 1; value < 256; value++) EXPECT_TRUE(seen[value]) << value;
}

TEST_F(HighScoreFileTest, LoadCapsAboveButNotBelow) {
    std::string lines = Line("AB", "-10000") + Line("CD", "-9744") + Line("EF", "10255") +
                        Line("GH", "99999999999999999999");
    WriteBytes("high.dat", lines + ClearedLines(6));
    table_.Load();
    EXPECT_EQ(table_.entries[0].score, 9999);
    EXPECT_EQ(Name(table_.entries[0]), "AB");
    EXPECT_EQ(table_.entries[1].score, 9999);
    EXPECT_EQ(table_.entries[2].score, -10000);
    EXPECT_EQ(table_.entries[3].score, INT32_MIN);
}

TEST_F(HighScoreFileTest, UnsortedFileShowsInFileOrderUntilTheNextInsert) {
    std::string lines;
    const char* numbers[] = {"245", "235", "225", "215", "205",
                             "195", "185", "175", "165", "155"};  // scores 10, 20, ... 100
    for (const char* number : numbers) lines += Line("P", number);
    WriteBytes("high.dat", lines);
    table_.Load();
    for (int slot = 0; slot < 10; slot++) EXPECT_EQ(table_.entries[slot].score, 10 * slot + 10);

    table_.Insert(55, "NEW");
    const int32_t ranked[] = {100, 90, 80, 70, 60, 55, 50, 40, 30, 20};
    for (int slot = 0; slot < 10; slot++) EXPECT_EQ(table_.entries[slot].score, ranked[slot]);
    EXPECT_EQ(Name(table_.entries[5]), "NEW");
}

TEST_F(HighScoreFileTest, OtherShapesAreReadAsWhiteSpaceSeparatedTokens) {
    // A fifteen-byte token keeps its first ten bytes.
    std::string fifteen = Line("ABCDEFGHIJKLMNO", "245");
    fifteen.insert(10, "\xBA\xB9\xB8\xB7\xB6");
    // Short tokens that a reading by position would join into one record.
    std::string shortTokens = "\xBE\xBD 3\n\xBC\xBB\xBA\xB9\xB8 7\n";
    // Line ends of another system.
    std::string crlf = Line("XYZ", "100");
    crlf.back() = '\r';
    crlf += '\n';
    WriteBytes("high.dat", fifteen + shortTokens + crlf);
    table_.Load();

    EXPECT_EQ(Name(table_.entries[0]), "ABCDEFGHIJ");
    EXPECT_EQ(table_.entries[0].score, 10);
    // A short token's name has the complemented terminator after it.
    EXPECT_EQ(std::memcmp(table_.entries[1].name, "AB\xFF\xFF", 4), 0);
    EXPECT_EQ(table_.entries[1].score, 252);
    EXPECT_EQ(std::memcmp(table_.entries[2].name, "CDEFG\xFF", 6), 0);
    EXPECT_EQ(table_.entries[2].score, 248);
    EXPECT_EQ(Name(table_.entries[3]), "XYZ");
    EXPECT_EQ(table_.entries[3].score, 155);
    ExpectCleared(table_, 4);
}

TEST_F(HighScoreFileTest, MissingShortAndDamagedFilesFillWhatTheyCan) {
    table_.Load();
    ExpectCleared(table_, 0);

    WriteBytes("high.dat", "");
    table_.Load();
    ExpectCleared(table_, 0);

    // Three whole records, then a cut in the fourth name.
    WriteBytes("high.dat", Line("A", "155") + Line("B", "205") + Line("C", "245") + "\xBE\xBD");
    table_.Load();
    EXPECT_EQ(table_.entries[0].score, 100);
    EXPECT_EQ(table_.entries[2].score, 10);
    EXPECT_EQ(Name(table_.entries[2]), "C");
    ExpectCleared(table_, 3);

    // A record without a number is skipped; what follows is read on.
    std::memset(&table_, 0, sizeof table_);
    WriteBytes("high.dat", "\xBE\xBE\xBE xyz\n\xBD\xBD\xBD 5\n-\n+");
    table_.Load();
    // "xyz" is taken for the second name, whose number is missing too.
    EXPECT_EQ(table_.entries[0].score, 0);
    EXPECT_EQ(Name(table_.entries[0]), "");
    EXPECT_EQ(table_.entries[1].score, 0);
    EXPECT_EQ(Name(table_.entries[1]), "");
    EXPECT_EQ(table_.entries[2].score, 250);
    EXPECT_EQ(std::memcmp(table_.entries[2].name, "BBB\xFF", 4), 0);
    ExpectCleared(table_, 3);

    // Save's own shape with its last record cut or stretched: the whole records before it
    // load as they do from the whole file, and a last line that lost only its line end
    // loads whole.
    std::string nine;
    for (const char* name : {"A", "B", "C", "D", "E", "F", "G", "H", "I"})
        nine += Line(name, "155");
    std::string last = Line("Z", "305");
    WriteBytes("high.dat", nine + last);
    table_.Load();
    const HighScoreTable whole = table_;
    for (const std::string& end :
         {last.substr(0, last.size() - 1), last.substr(0, 11) + "-", last.substr(0, 11) + "-\n",
          last.substr(0, 11) + std::string(30, '7') + "\n"}) {
        std::memset(&table_, 0, sizeof table_);
        WriteBytes("high.dat", nine + end);
        table_.Load();
        bool lineEndOnly = end.size() == last.size() - 1;
        for (int slot = 0; slot < (lineEndOnly ? 10 : 9); slot++) {
            EXPECT_EQ(table_.entries[slot].score, whole.entries[slot].score) << slot << end;
            EXPECT_EQ(Name(table_.entries[slot]), Name(whole.entries[slot])) << slot << end;
        }
    }
}

TEST_F(HighScoreFileTest, GarbageNeverCrashesTheLoad) {
    std::string garbage;
    uint32_t state = 12345;
    for (int k = 0; k < 100000; k++) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>(state >> 24);
    }
    WriteBytes("high.dat", garbage);
    table_.Load();
    for (int slot = 0; slot < 15; slot++) {
        EXPECT_EQ(table_.entries[slot].name[10], 0);
        EXPECT_EQ(table_.entries[slot].name[11], 0);
        EXPECT_LE(table_.entries[slot].score, 9999);
    }
    EXPECT_EQ(table_.file, nullptr);

    // One endless token.
    WriteBytes("high.dat", std::string(200000, 'Q'));
    table_.Load();
    ExpectCleared(table_, 0);
}

TEST_F(HighScoreFileTest, FailedSaveLeavesTheOldFileAsItWasAndSaysWhy) {
    table_.entries[0].score = 40;
    table_.Save();
    std::string before = ReadBytes("high.dat");

    // A file size limit below the table's (but above the message's) fails the write itself.
    rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 120;
    std::signal(SIGXFSZ, SIG_IGN);
    table_.entries[0].score = 80;
    testing::internal::CaptureStderr();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    table_.Save();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Sidescroller: cannot save the high scores in high.dat: File too large\n");
    EXPECT_EQ(ReadBytes("high.dat"), before);
    EXPECT_FALSE(TemporaryLeft());

    table_.Save();
    EXPECT_EQ(ReadBytes("high.dat"), Line("", "175") + ClearedLines(9));
}

}  // namespace
