// The game state as one JSON line, and screenshots as BMP files.
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/replay/replay.h"
#include "hunt/hunt.h"
#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "screens/screens.h"

namespace {

void Key(std::string& s, const char* key) {
    if (s.back() != '{' && s.back() != '[') s += ',';
    s += '"';
    s += key;
    s += "\":";
}

void Int(std::string& s, const char* key, int64_t value) {
    Key(s, key);
    s += std::to_string(value);
}

// Every byte becomes the character of the same number, so that no byte is lost.
void Quoted(std::string& s, const uint8_t* bytes, size_t max) {
    s += '"';
    for (size_t i = 0; i < max && bytes[i]; ++i) {
        uint8_t b = bytes[i];
        if (b == '"' || b == '\\') {
            s += '\\';
            s += static_cast<char>(b);
        } else if (b >= 0x20 && b < 0x7F) {
            s += static_cast<char>(b);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", b);
            s += escaped;
        }
    }
    s += '"';
}

void Bytes(std::string& s, const char* key, const uint8_t* bytes, size_t max) {
    Key(s, key);
    Quoted(s, bytes, max);
}

void BirdJson(std::string& s, const Bird& b) {
    s += '{';
    Int(s, "x", b.x);
    Int(s, "y", b.y);
    Int(s, "dx", b.dx);
    Int(s, "dy", b.dy);
    Int(s, "frame", b.frame);
    Int(s, "tick", b.tick);
    Int(s, "falling", b.falling);
    Int(s, "active", b.active);
    Int(s, "direction", b.direction);
    s += '}';
}

template <size_t N>
void Birds(std::string& s, const char* key, const Bird (&birds)[N]) {
    Key(s, key);
    s += '[';
    for (const Bird& b : birds) {
        if (s.back() == '}') s += ',';
        BirdJson(s, b);
    }
    s += ']';
}

void Objects(std::string& s) {
    Key(s, "plane");
    s += '{';
    Int(s, "x", plane.x);
    Int(s, "y", plane.y);
    Int(s, "dx", plane.dx);
    Int(s, "dy", plane.dy);
    Int(s, "hit", plane.hit);
    Int(s, "active", plane.active);
    Int(s, "direction", plane.direction);
    s += '}';
    Key(s, "para");
    s += '{';
    Int(s, "x", para.x);
    Int(s, "y", para.y);
    Int(s, "dx", para.dx);
    Int(s, "dy", para.dy);
    Int(s, "frame", para.frame);
    Int(s, "tick", para.tick);
    Int(s, "hit", para.hit);
    Int(s, "active", para.active);
    Int(s, "direction", para.direction);
    s += '}';
    Key(s, "popups");
    s += '[';
    for (const ScorePopup& p : popups) {
        if (s.back() == '}') s += ',';
        s += '{';
        Int(s, "x", p.x);
        Int(s, "y", p.y);
        Int(s, "ttl", p.ttl);
        Int(s, "active", p.active);
        Bytes(s, "text", reinterpret_cast<const uint8_t*>(p.text), sizeof p.text);
        s += '}';
    }
    s += ']';
}

void Screens(std::string& s) {
    Key(s, "buttons");
    s += '[';
    for (const MenuButton* b : {&newGameButton, &quitButton, &creditsButton, &highScoreButton}) {
        if (s.back() == '}') s += ',';
        s += '{';
        Int(s, "frame", b->frame);
        Int(s, "tick", b->tick);
        Int(s, "animating", b->animating);
        s += '}';
    }
    s += ']';
    Key(s, "highScores");
    s += '[';
    for (int i = 0; i < 10; ++i) {
        if (s.back() == '}') s += ',';
        s += '{';
        Int(s, "score", highScoreTable.entries[i].score);
        Bytes(s, "name", highScoreTable.entries[i].name, sizeof highScoreTable.entries[i].name);
        s += '}';
    }
    s += ']';
    Int(s, "highScorePhase", highScorePhase);
}

void Sounds(std::string& s, int* soundsSeen) {
    static HeadlessSoundEvent events[4096];
    int count = HeadlessSoundEvents(events, 4096);
    Key(s, "sounds");
    s += '[';
    for (int i = *soundsSeen; i < count; ++i) {
        if (i > *soundsSeen) s += ',';
        Quoted(s, reinterpret_cast<const uint8_t*>(events[i].file), sizeof events[i].file);
    }
    s += ']';
    *soundsSeen = count;
    Key(s, "music");
    s += '"';
    s += HeadlessMusicState();
    s += '"';
}

}  // namespace

std::string DumpState(int* soundsSeen) {
    std::string s = "{";
    Int(s, "t", timeGetTime());
    Int(s, "frames", HeadlessFlipCount());
    Int(s, "state", GameState);
    Int(s, "score", score);
    Int(s, "secondsLeft", secondsLeft);
    Int(s, "shotsLeft", shotsLeft);
    Int(s, "scrollX", scrollX);
    Key(s, "cursor");
    s += '[';
    s += std::to_string(cursorPos.x);
    s += ',';
    s += std::to_string(cursorPos.y);
    s += ']';
    Bytes(s, "name", reinterpret_cast<const uint8_t*>(nameEntry.name), sizeof nameEntry.name);
    Int(s, "nameLength", nameEntry.length);
    Int(s, "nameX", nameEntry.x);
    Int(s, "quitAfterCredits", quitAfterCredits);
    Key(s, "timers");
    s += '[';
    uintptr_t ids[16];
    int count = RunningTimers(ids, 16);
    for (int i = 0; i < count; ++i) {
        if (i) s += ',';
        s += std::to_string(ids[i]);
    }
    s += ']';
    Birds(s, "bigBirds", bigBirds);
    Birds(s, "smallBirds", smallBirds);
    Objects(s);
    Screens(s);
    Sounds(s, soundsSeen);
    s += '}';
    return s;
}

bool WriteBmp(const char* path, Surface* surface) {
    const int32_t width = 640, height = 480;
    const uint32_t rowBytes = width * 3;
    const uint32_t imageBytes = rowBytes * height;
    uint8_t header[54] = {'B', 'M'};
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(2, 54 + imageBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    header[26] = 1;
    header[28] = 24;
    put32(34, imageBytes);
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    uint8_t row[rowBytes];
    // In the colours of the real screen, so that a replay's picture can be held against it.
    uint32_t shown[width];
    for (int32_t y = height - 1; y >= 0 && ok; --y) {
        if (!SurfaceRowAsShown(surface, y, shown)) std::fill_n(shown, width, 0u);
        for (int32_t x = 0; x < width; ++x) {
            row[x * 3] = static_cast<uint8_t>(shown[x]);
            row[x * 3 + 1] = static_cast<uint8_t>(shown[x] >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(shown[x] >> 16);
        }
        ok = std::fwrite(row, 1, rowBytes, file) == rowBytes;
    }
    return std::fclose(file) == 0 && ok;
}
