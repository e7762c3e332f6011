// The line the desktop game prints for a game the board entered, read from the board's answer
// whatever the order of its members, and nothing for an answer that does not hold one.
#include <gtest/gtest.h>

#include "platform/common/online.h"

namespace {

TEST(OnlineAnswer, RankLineNamesTheDaysRankAndTheEntrysPage) {
    const char* game =
        R"({"rank": {"week": {"total": 9876, "rank": 203}, "day": {"total": 1204, "rank": 17}},)"
        R"( "name": "A\"B,}", "score": 120, "id": 4711})";
    EXPECT_EQ(RankLine(game, "https://board.example"),
              "rank 17 of 1,204 today at https://board.example/games/4711");
    EXPECT_EQ(WithThousands(1234567), "1,234,567");
    EXPECT_EQ(WithThousands(999), "999");
    EXPECT_EQ(WithThousands(-1000), "-1,000");
    for (const char* answer : {R"({"id": 1, "rank": {"week": {"rank": 1, "total": 1}}})",
                               R"({"id": 1, "rank": {"day": {"rank": -1, "total": 1}}})",
                               R"({"id": 1, "rank": {"day": {"rank": 1, "total": 1})", "[]", ""}) {
        EXPECT_EQ(RankLine(answer, "u"), "") << answer;
    }
}

}  // namespace
