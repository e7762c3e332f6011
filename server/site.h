// The game's web site beside the board: served under /play/ when asked, allowed to call the
// API from other origins, and linked from the board's pages.
#pragma once

#include <string>
#include <vector>

namespace httplib {
class Server;
struct Request;
}  // namespace httplib

namespace board {

struct SiteOptions {
    std::string folder;                     // the built site, served under /play/; empty: none
    std::string url;                        // where the site is; empty: /play/ with a folder
    std::vector<std::string> allowOrigins;  // origins whose pages may call the API
};

// Where the pages link to the game: the site's address (empty: no links to it), the board's
// own address for a recording's absolute URL, and today's date (a daily game's recording is
// served once its day has closed, so today's get no link to watch them).
struct SiteLinks {
    std::string site;
    std::string origin;
    std::string today;
};

// Serves the site under /play/ (with a leaderboard.json naming this server, unless the
// folder's names another) and answers the API's CORS requests; false when the folder is no
// site.
bool ServeSite(httplib::Server& s, const SiteOptions& o);
SiteLinks LinksFor(const SiteOptions& o, const httplib::Request& req, bool trustForwarded,
                   const std::string& today);
// The page that plays a recording, and the page that starts the daily game.
std::string WatchLink(const SiteLinks& links, int64_t id);
std::string DailyLink(const SiteLinks& links);

}  // namespace board
