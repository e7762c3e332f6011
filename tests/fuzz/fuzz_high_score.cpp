// Any "high.dat" loads without harm, and whatever loaded saves and loads back the same.
#include <cstdlib>
#include <cstring>

#include "screens/screens.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteInput("high.dat", data, size);
    highScoreTable = HighScoreTable{};
    highScoreTable.Clear();
    highScoreTable.Load();
    for (int i = 0; i < 10; ++i) {
        if (highScoreTable.entries[i].score > 9999) std::abort();
    }
    HighScoreTable loaded = highScoreTable;
    highScoreTable.Save();
    highScoreTable = HighScoreTable{};
    highScoreTable.Clear();
    highScoreTable.Load();
    for (int i = 0; i < 10; ++i) {
        if (highScoreTable.entries[i].score != loaded.entries[i].score ||
            std::memcmp(highScoreTable.entries[i].name, loaded.entries[i].name, 10) != 0) {
            std::abort();
        }
    }
    return 0;
}
