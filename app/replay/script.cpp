// Reading replay scripts. Every line is checked before the game starts, so a bad script
// never leaves a half-played run behind.
#include "app/replay/script.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

struct NamedKey {
    const char* name;
    int code;
};

constexpr NamedKey kKeys[] = {
    {"BACK", 8},       {"TAB", 9},       {"RETURN", 13},     {"SHIFT", 16},     {"CONTROL", 17},
    {"MENU", 18},      {"PAUSE", 19},    {"CAPITAL", 20},    {"ESCAPE", 27},    {"SPACE", 32},
    {"PRIOR", 33},     {"NEXT", 34},     {"END", 35},        {"HOME", 36},      {"LEFT", 37},
    {"UP", 38},        {"RIGHT", 39},    {"DOWN", 40},       {"INSERT", 45},    {"DELETE", 46},
    {"MULTIPLY", 106}, {"ADD", 107},     {"SEPARATOR", 108}, {"SUBTRACT", 109}, {"DECIMAL", 110},
    {"DIVIDE", 111},   {"NUMLOCK", 144}, {"SCROLL", 145},
};

bool ParseNumber(const std::string& text, int64_t min, int64_t max, int64_t* value) {
    if (text.empty() || text.size() > 12) return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno || *end || v < min || v > max) return false;
    *value = v;
    return true;
}

// A line as quoted in a message: its start only, so a huge line does not flood the output.
std::string Quote(const std::string& line) {
    constexpr size_t kShown = 60;
    return line.size() <= kShown ? line : line.substr(0, kShown) + "...";
}

}  // namespace

bool ReadScriptFile(FILE* file, std::string* text, std::string* error) {
    text->clear();
    int lineNumber = 1;
    size_t lineStart = 0;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        text->push_back(static_cast<char>(c));
        if (c == '\n') {
            lineNumber++;
            lineStart = text->size();
        } else if (text->size() - lineStart > MAX_SCRIPT_LINE) {
            *error = "line " + std::to_string(lineNumber) + ": longer than " +
                     std::to_string(MAX_SCRIPT_LINE) + " bytes: " + Quote(text->substr(lineStart));
            return false;
        }
    }
    if (std::ferror(file)) {
        *error = "cannot read the script";
        return false;
    }
    return true;
}

int KeyCodeFromName(const std::string& name) {
    if (name.size() == 1 &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9'))) {
        return name[0];
    }
    for (const NamedKey& key : kKeys) {
        if (name == key.name) return key.code;
    }
    int64_t n = 0;
    if (name.rfind("NUMPAD", 0) == 0 && name.size() == 7 && ParseNumber(name.substr(6), 0, 9, &n)) {
        return static_cast<int>(96 + n);
    }
    if (name.size() >= 2 && name[0] == 'F' && ParseNumber(name.substr(1), 1, 24, &n)) {
        return static_cast<int>(111 + n);
    }
    if (ParseNumber(name, 1, 255, &n)) return static_cast<int>(n);
    return -1;
}

bool ParseScript(const std::string& text, Script* script, std::string* error) {
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    bool timeStarted = false;
    constexpr int64_t kMaxTime = 0xFFFFFFFFll;
    while (std::getline(lines, line)) {
        ++lineNumber;
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;

        ScriptCommand c;
        c.line = lineNumber;
        const std::string& verb = w[0];
        bool ok = false;
        auto fail = [&](const std::string& why) {
            *error = "line " + std::to_string(lineNumber) + ": " + why;
            return false;
        };
        if ((verb == "seed" || verb == "start") && w.size() == 2) {
            if (timeStarted) return fail(verb + " must come before the first wait or frames");
            int64_t v = 0;
            ok = ParseNumber(w[1], 0, kMaxTime, &v);
            if (ok && verb == "seed") script->seed = static_cast<uint32_t>(v);
            if (ok && verb == "start") script->start = static_cast<uint32_t>(v);
            if (!ok) return fail("expected a number from 0 to 4294967295: " + Quote(line));
            continue;
        } else if ((verb == "wait" || verb == "frames") && w.size() == 2) {
            c.kind = verb == "wait" ? CommandKind::Wait : CommandKind::Frames;
            ok = ParseNumber(w[1], 0, 100000000, &c.a);
            timeStarted = true;
        } else if (verb == "at" && w.size() == 2) {
            c.kind = CommandKind::At;
            ok = ParseNumber(w[1], 0, kMaxTime, &c.a);
            timeStarted = true;
        } else if ((verb == "hold" || verb == "release") && w.size() == 2) {
            c.kind = verb == "hold" ? CommandKind::Hold : CommandKind::Release;
            c.a = KeyCodeFromName(w[1]);
            ok = c.a > 0;
        } else if (verb == "move" && w.size() == 3) {
            c.kind = CommandKind::Move;
            ok = ParseNumber(w[1], -100000, 100000, &c.a) &&
                 ParseNumber(w[2], -100000, 100000, &c.b);
        } else if ((verb == "key" || verb == "down" || verb == "up") && w.size() == 2) {
            c.kind = verb == "key"    ? CommandKind::Key
                     : verb == "down" ? CommandKind::Down
                                      : CommandKind::Up;
            c.a = KeyCodeFromName(w[1]);
            ok = c.a > 0;
        } else if (verb == "click" && w.size() == 2 && (w[1] == "left" || w[1] == "right")) {
            c.kind = CommandKind::Click;
            c.a = w[1] == "right";
            ok = true;
        } else if ((verb == "close" || verb == "lose") && w.size() == 1) {
            c.kind = verb == "close" ? CommandKind::Close : CommandKind::Lose;
            ok = true;
        } else if (verb == "dump" && w.size() == 1) {
            c.kind = CommandKind::Dump;
            ok = true;
        } else if (verb == "screenshot" && w.size() == 2) {
            c.kind = CommandKind::Screenshot;
            c.file = w[1];
            ok = true;
        }
        if (!ok) return fail("cannot read: " + Quote(line));
        script->commands.push_back(c);
    }
    return true;
}
