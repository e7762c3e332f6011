#include "server/site.h"

#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>

namespace board {

namespace {

// As JavaScript's encodeURIComponent: the recording's address is one parameter of the link.
std::string EncodeComponent(const std::string& text) {
    static const char HEX[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || std::strchr("-_.!~*'()", c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += HEX[c >> 4];
            out += HEX[c & 15];
        }
    }
    return out;
}

std::string SiteUrl(const SiteOptions& o) {
    std::string url = o.url.empty() && !o.folder.empty() ? "/play/" : o.url;
    if (!url.empty() && url.back() != '/') url += '/';
    return url;
}

void AllowOrigins(httplib::Server& s, const std::vector<std::string>& origins) {
    auto allowed = [origins](const httplib::Request& req) {
        std::string origin = req.get_header_value("Origin");
        return !origin.empty() &&
               std::find(origins.begin(), origins.end(), origin) != origins.end();
    };
    // The hand-in's Authorization and Content-Encoding headers make the browser ask first.
    s.Options(R"(/api/v1/.*)", [allowed](const httplib::Request& req, httplib::Response& res) {
        res.status = 204;
        if (!allowed(req)) return;
        res.set_header("Access-Control-Allow-Methods", "GET, POST");
        res.set_header("Access-Control-Allow-Headers",
                       "Authorization, Content-Type, Content-Encoding");
        res.set_header("Access-Control-Max-Age", "600");
    });
    s.set_post_routing_handler([allowed](const httplib::Request& req, httplib::Response& res) {
        if (req.path.rfind("/api/", 0) != 0 || !allowed(req)) return;
        res.set_header("Access-Control-Allow-Origin", req.get_header_value("Origin"));
        res.set_header("Access-Control-Expose-Headers", "Location, Retry-After");
        res.set_header("Vary", "Origin");
    });
}

}  // namespace

bool ServeSite(httplib::Server& s, const SiteOptions& o) {
    if (!o.allowOrigins.empty()) AllowOrigins(s, o.allowOrigins);
    if (o.folder.empty()) return true;
    if (access((o.folder + "/index.html").c_str(), R_OK) != 0) return false;
    // The page finds the board from the file beside it: where the site's own names none,
    // the server names itself, wherever a proxy puts it.
    const char OWN[] = "{\"server\": \"../\"}\n";
    s.Get("/play/leaderboard.json", [OWN](const httplib::Request&, httplib::Response& res) {
        res.set_content(OWN, "application/json");
    });
    s.set_file_request_handler([OWN](const httplib::Request& req, httplib::Response& res) {
        if (req.path != "/play/leaderboard.json") return;
        nlohmann::json named = nlohmann::json::parse(res.body, nullptr, false);
        if (!named.is_object() || !named.contains("server") || !named["server"].is_string() ||
            named["server"].get<std::string>().empty()) {
            res.set_content(OWN, "application/json");
        }
    });
    s.set_file_extension_and_mimetype_mapping("webmanifest", "application/manifest+json");
    s.set_file_extension_and_mimetype_mapping("des", "application/octet-stream");
    s.Get("/play",
          [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/play/"); });
    return s.set_mount_point("/play/", o.folder);
}

SiteLinks LinksFor(const SiteOptions& o, const httplib::Request& req, bool trustForwarded,
                   const std::string& today) {
    SiteLinks links;
    links.site = SiteUrl(o);
    links.today = today;
    std::string scheme = "http", host = req.get_header_value("Host");
    if (trustForwarded && req.has_header("X-Forwarded-Proto")) {
        scheme = req.get_header_value("X-Forwarded-Proto");
    }
    if (trustForwarded && req.has_header("X-Forwarded-Host")) {
        host = req.get_header_value("X-Forwarded-Host");
    }
    links.origin = scheme + "://" + host;
    return links;
}

std::string WatchLink(const SiteLinks& links, int64_t id) {
    return links.site + "index.html?watch=" +
           EncodeComponent(links.origin + "/api/v1/games/" + std::to_string(id) + "/recording");
}

std::string DailyLink(const SiteLinks& links) {
    return links.site + "index.html?board=daily";
}

}  // namespace board
