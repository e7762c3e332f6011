// The ten best scores and their file "high.dat" (state/high_score_table.cpp).
#pragma once

#include <cstdint>
#include <cstdio>

// The places shown and saved; the slots beyond them take a new score while it is sorted in.
constexpr int RANKED_SLOTS = 10;

struct HighScoreEntry {
    int32_t score;
    uint8_t name[12];
};

struct HighScoreTable {
    HighScoreEntry entries[15];
    FILE* file;

    void Clear();
    void Load();
    void Save();
    void Insert(int32_t score, const char* name);
    void Sort();
};
extern HighScoreTable highScoreTable;
