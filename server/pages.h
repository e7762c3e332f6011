// The board's HTML pages, rendered on the server and readable without JavaScript.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "server/store.h"

namespace board {

struct PageBoard {
    std::string title;
    std::vector<std::pair<int64_t, Entry>> rows;  // rank, entry
};

std::string HomePage(const std::vector<PageBoard>& boards, const std::string& version);
std::string GamePage(const Entry& e, const std::vector<std::pair<std::string, Rank>>& ranks,
                     const PageBoard& around, bool recordingServed);
std::string NotFoundPage();

}  // namespace board
