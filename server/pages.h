// The board's HTML pages, rendered on the server and readable without JavaScript.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "server/site.h"
#include "server/store.h"

namespace board {

struct PageBoard {
    std::string title;
    std::vector<std::pair<int64_t, Entry>> rows;  // rank, entry
};

// With a site, each entry links to the game's page playing its recording, and the home page
// to the daily game.
std::string HomePage(const std::vector<PageBoard>& boards, const std::string& version,
                     const SiteLinks& links);
std::string GamePage(const Entry& e, const std::vector<std::pair<std::string, Rank>>& ranks,
                     const PageBoard& around, const SiteLinks& links);
std::string NotFoundPage();

}  // namespace board
