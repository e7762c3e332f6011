#include "server/pages.h"

#include "server/text.h"

namespace board {

namespace {

const char HEAD[] =
    "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
    "<meta name=\"viewport\" content=\"width=device-width\">"
    "<style>body{font-family:sans-serif;max-width:48em;margin:1em auto;padding:0 1em}"
    "table{border-collapse:collapse;width:100%}td,th{padding:.2em .5em;text-align:left}"
    "td.n,th.n{text-align:right}tr.me{font-weight:bold}</style>";

// A daily game's recording is served once its day has closed.
bool RecordingServed(const Entry& e, const SiteLinks& links) {
    return !(e.board == "daily" && e.day >= links.today);
}

std::string WatchCell(const Entry& e, const SiteLinks& links) {
    if (links.site.empty()) return "";
    if (!RecordingServed(e, links)) return "<td></td>";
    return "<td><a href=\"" + HtmlEscape(WatchLink(links, e.id)) + "\">Watch</a></td>";
}

// Every name and date goes through HtmlEscape: a name is key codes, never markup.
std::string Table(const PageBoard& b, int64_t highlight, const SiteLinks& links) {
    std::string out = "<h2>" + HtmlEscape(b.title) + "</h2>\n";
    if (b.rows.empty()) return out + "<p>No games yet.</p>\n";
    out +=
        "<table><tr><th class=\"n\">Rank</th><th>Name</th><th class=\"n\">Score</th>"
        "<th>Date</th>" +
        std::string(links.site.empty() ? "" : "<th></th>") + "</tr>\n";
    for (const auto& [rank, e] : b.rows) {
        std::string id = std::to_string(e.id);
        out += std::string("<tr") + (e.id == highlight ? " class=\"me\"" : "") +
               "><td class=\"n\">" + std::to_string(rank) + "</td><td><a href=\"/games/" + id +
               "\">" + HtmlEscape(NameText(e.name)) + "</a></td><td class=\"n\">" +
               std::to_string(e.score) + "</td><td>" + HtmlEscape(e.day) + "</td>" +
               WatchCell(e, links) + "</tr>\n";
    }
    return out + "</table>\n";
}

}  // namespace

std::string HomePage(const std::vector<PageBoard>& boards, const std::string& version,
                     const SiteLinks& links) {
    std::string out = std::string(HEAD) + "<title>Sidescroller scores</title></head><body>\n" +
                      "<h1>Sidescroller scores</h1>\n<p>Every score here is what the game " +
                      "scored when the server replayed the game's recording.</p>\n";
    if (!links.site.empty()) {
        out += "<p><a href=\"" + HtmlEscape(links.site) + "index.html\">Play</a> · <a href=\"" +
               HtmlEscape(DailyLink(links)) + "\">Play today's daily hunt</a></p>\n";
    }
    for (const PageBoard& b : boards) out += Table(b, 0, links);
    return out + "<p><small>Verified by version " + HtmlEscape(version) +
           "</small></p>\n</body></html>\n";
}

std::string GamePage(const Entry& e, const std::vector<std::pair<std::string, Rank>>& ranks,
                     const PageBoard& around, const SiteLinks& links) {
    std::string id = std::to_string(e.id);
    std::string name = HtmlEscape(NameText(e.name));
    std::string out = std::string(HEAD) + "<title>" + name + ": " + std::to_string(e.score) +
                      "</title></head><body>\n<p><a href=\"/\">All boards</a></p>\n<h1>" + name +
                      ": " + std::to_string(e.score) + "</h1>\n<p>" +
                      (e.board == "daily" ? "Daily game of " : "Played on ") + HtmlEscape(e.day) +
                      ", verified by version " + HtmlEscape(e.version) + ".</p>\n<ul>\n";
    for (const auto& [period, rank] : ranks) {
        const char* label = period == "day"    ? "That day"
                            : period == "week" ? "That week"
                                               : "All time";
        out += std::string("<li>") + label + ": rank " + std::to_string(rank.rank) + " of " +
               std::to_string(rank.total) + "</li>\n";
    }
    out += "</ul>\n";
    if (RecordingServed(e, links)) {
        out += "<p><a href=\"/api/v1/games/" + id + "/recording\">The recording</a> " +
               "(sidescroller-replay plays it)";
        if (!links.site.empty()) {
            out += ", or <a href=\"" + HtmlEscape(WatchLink(links, e.id)) + "\">watch it</a>";
        }
        out += ".</p>\n";
    } else {
        out += "<p>The recording is served once the day has closed.</p>\n";
    }
    PageBoard nearby = around;
    nearby.title = "Around it, all time";
    return out + Table(nearby, e.id, links) + "</body></html>\n";
}

std::string NotFoundPage() {
    return std::string(HEAD) +
           "<title>Not found</title></head><body><h1>No such game</h1>"
           "<p><a href=\"/\">All boards</a></p></body></html>\n";
}

}  // namespace board
