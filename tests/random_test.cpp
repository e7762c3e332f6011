// The game's generator against draws taken once from the C library on Linux.
#include "hunt/random.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

TEST(GameRandom, MatchesTheCLibrarySequenceAndIgnoresRandCallsBetweenDraws) {
    std::ifstream file(SOURCE_DIR "/tests/data/glibc_rand.txt");
    ASSERT_TRUE(file) << "tests/data/glibc_rand.txt";
    std::string word;
    int seeds = 0;
    int draws = 0;
    while (file >> word) {
        if (word == "seed") {
            uint32_t seed = 0;
            ASSERT_TRUE(file >> seed);
            SeedGameRandom(seed);
            ++seeds;
            continue;
        }
        // A library drawing from the C library's generator must not move the game's.
        std::srand(static_cast<unsigned>(draws));
        std::rand();
        ASSERT_EQ(GameRandom(), std::stol(word)) << "draw " << draws << " of seed " << seeds;
        ++draws;
    }
    EXPECT_EQ(seeds, 7);
    EXPECT_EQ(draws, 7 * 400);
}
