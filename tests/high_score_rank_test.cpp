// Ranking in the high-score table: the insertion slot and the stable bubble sort.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "screens/screens.h"

namespace {

std::string Name(const HighScoreEntry& entry) {
    return reinterpret_cast<const char*>(entry.name);
}

// Slots 0 to 9 hold 100, 90, ... 10 under the names R0 to R9.
HighScoreTable RankedTable() {
    HighScoreTable table;
    std::memset(&table, 0, sizeof table);
    for (int slot = 0; slot < 10; slot++) {
        table.entries[slot].score = 100 - 10 * slot;
        table.entries[slot].name[0] = 'R';
        table.entries[slot].name[1] = static_cast<uint8_t>('0' + slot);
    }
    return table;
}

TEST(HighScoreRanking, ANewScoreMustBeatTheLastRankedOne) {
    HighScoreTable table = RankedTable();
    table.Insert(10, "TIE");
    EXPECT_EQ(Name(table.entries[9]), "R9");
    EXPECT_EQ(Name(table.entries[10]), "TIE");

    table.Insert(11, "NEW");
    EXPECT_EQ(Name(table.entries[9]), "NEW");
    EXPECT_EQ(table.entries[9].score, 11);
    // The old last one waits in the insertion slot and is lost with the next insertion.
    EXPECT_EQ(Name(table.entries[10]), "R9");
    table.Insert(5, "LOW");
    for (int slot = 0; slot < 13; slot++) EXPECT_NE(Name(table.entries[slot]), "R9");
}

TEST(HighScoreRanking, EqualScoresKeepTheOlderEntryFirst) {
    HighScoreTable table = RankedTable();
    table.Insert(70, "SAME");
    EXPECT_EQ(Name(table.entries[3]), "R3");
    EXPECT_EQ(Name(table.entries[4]), "SAME");
    EXPECT_EQ(table.entries[5].score, 60);
    EXPECT_EQ(table.entries[10].score, 10);
}

TEST(HighScoreRanking, NegativeScoresSinkBelowTheZeros) {
    HighScoreTable table;
    std::memset(&table, 0, sizeof table);
    table.Clear();
    table.Insert(-30, "NEG");
    for (int slot = 0; slot < 12; slot++) EXPECT_EQ(table.entries[slot].score, 0);
    EXPECT_EQ(Name(table.entries[12]), "NEG");
    EXPECT_EQ(table.entries[12].score, -30);
    // The last two slots never take part.
    EXPECT_EQ(table.entries[13].score, 0);
    EXPECT_EQ(table.entries[14].score, 0);
}

TEST(HighScoreRanking, InsertCopiesUpToTheTerminatorOnly) {
    HighScoreTable table;
    std::memset(&table, 0, sizeof table);
    std::memcpy(table.entries[10].name, "ABCDEFGH", 8);
    table.Insert(5, "XY");
    // The new entry rose to slot 0, bringing the older bytes after its terminator.
    EXPECT_EQ(std::memcmp(table.entries[0].name, "XY\0DEFGH\0\0\0", 12), 0);
    EXPECT_EQ(table.entries[0].score, 5);

    // A name longer than a slot holds is cut at ten bytes, still terminated.
    table.Insert(6, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Name(table.entries[0]), "ABCDEFGHIJ");
}

}  // namespace
