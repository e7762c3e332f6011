// Watching a recording in the page: the game runs with the recording's seed and clock and
// takes its input at its moments, as the headless replay gives them, so it plays the same
// frames; the page's clock (watch.js) only sets the pace, at the speed the visitor chose.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "app/replay/feed.h"
#include "hunt/hunt.h"
#include "platform/common/clock_driver.h"
#include "platform/web/backend.h"

namespace {

constexpr char WATCHED_FILE[] = "/watch.txt";

bool watching = false;
Script script;
size_t next = 0;
uint32_t gameClock = 0;  // the recording's clock, as the game sees it

EM_JS(void, WebWatchBegins, (double length), { sidescrollerWatch.begins(length); });
EM_JS(void, WebWatchRefused, (const char* why), { sidescrollerWatch.refused(UTF8ToString(why)); });
EM_JS(void, WebWatchEnds, (int finalScore), { sidescrollerWatch.ends(finalScore); });
// Resolves once the page's clock has reached this many ms after the recording's start; never
// after the end, so that the last picture stays (the stack waits aside, ASYNCIFY).
EM_ASYNC_JS(void, WebWatchUntil, (double elapsed), { await sidescrollerWatch.until(elapsed); });

bool Read(std::string* text) {
    FILE* file = std::fopen(WATCHED_FILE, "rb");
    if (!file) return false;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text->append(chunk, n);
    std::fclose(file);
    return true;
}

}  // namespace

bool WatchBegin() {
    std::string text, error;
    if (!Read(&text)) return false;
    if (!ParseScript(text, &script, &error)) {
        WebWatchRefused(error.c_str());
        return true;
    }
    // A recording is moments and their input; a hand-made script's waits and frames need the
    // headless replay.
    uint32_t last = script.start;
    for (const ScriptCommand& c : script.commands) {
        if (c.kind == CommandKind::At) {
            last = static_cast<uint32_t>(c.a);
        } else if (!IsInputCommand(c.kind) && c.kind != CommandKind::Screenshot &&
                   c.kind != CommandKind::Dump) {
            WebWatchRefused(("line " + std::to_string(c.line) +
                             ": only a recording's moments and input can be watched")
                                .c_str());
            return true;
        }
    }
    gameClock = script.start;
    watching = true;
    WebWatchBegins(static_cast<double>(last - script.start));
    return true;
}

bool Watching() {
    return watching;
}

uint32_t WatchNow() {
    return gameClock;
}

uint32_t WatchSeed() {
    return script.seed;
}

void WatchEnded() {
    WebWatchEnds(score);
}

void WatchWait() {
    // The next moment: its input goes in once the page's clock has reached it.
    while (next < script.commands.size() && script.commands[next].kind != CommandKind::At) ++next;
    if (next == script.commands.size()) {
        WatchEnded();
        WebWatchUntil(-1);
    }
    gameClock = static_cast<uint32_t>(script.commands[next++].a);
    WebWatchUntil(static_cast<double>(gameClock - script.start));
    CommonWake();
    for (; next < script.commands.size() && script.commands[next].kind != CommandKind::At; ++next) {
        if (IsInputCommand(script.commands[next].kind)) FeedInput(script.commands[next]);
    }
}
