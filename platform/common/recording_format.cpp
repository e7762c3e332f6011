// The words for key codes, written and read from one table so that the two cannot part.
// Recordings once wrote every key without a letter or digit as its number, so Backspace
// and Tab came out as "8" and "9", which read as the digit keys; that reading stays for
// old recordings, and the recorder now writes a name or a number of two digits instead.
#include "platform/common/recording_format.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

struct NamedKey {
    const char* name;
    int code;
};

constexpr NamedKey KEYS[] = {
    {"BACK", 8},       {"TAB", 9},       {"RETURN", 13},     {"SHIFT", 16},     {"CONTROL", 17},
    {"MENU", 18},      {"PAUSE", 19},    {"CAPITAL", 20},    {"ESCAPE", 27},    {"SPACE", 32},
    {"PRIOR", 33},     {"NEXT", 34},     {"END", 35},        {"HOME", 36},      {"LEFT", 37},
    {"UP", 38},        {"RIGHT", 39},    {"DOWN", 40},       {"INSERT", 45},    {"DELETE", 46},
    {"MULTIPLY", 106}, {"ADD", 107},     {"SEPARATOR", 108}, {"SUBTRACT", 109}, {"DECIMAL", 110},
    {"DIVIDE", 111},   {"NUMLOCK", 144}, {"SCROLL", 145},
};

constexpr int NUMPAD0_CODE = 96;
constexpr int F1_CODE = 112;
constexpr int FUNCTION_KEYS = 24;

bool IsLetterOrDigit(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

bool ParseNumber(std::string_view text, int64_t min, int64_t max, int64_t* value) {
    char digits[16];
    if (text.empty() || text.size() > 12) return false;
    text.copy(digits, text.size());
    digits[text.size()] = '\0';
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(digits, &end, 10);
    if (errno || *end || v < min || v > max) return false;
    *value = v;
    return true;
}

void KeyWord(int code, char (&word)[KEY_WORD_SIZE]) {
    if (IsLetterOrDigit(code)) {
        std::snprintf(word, KEY_WORD_SIZE, "%c", code);
        return;
    }
    for (const NamedKey& key : KEYS) {
        if (key.code == code) {
            std::snprintf(word, KEY_WORD_SIZE, "%s", key.name);
            return;
        }
    }
    if (code >= NUMPAD0_CODE && code <= NUMPAD0_CODE + 9) {
        std::snprintf(word, KEY_WORD_SIZE, "NUMPAD%d", code - NUMPAD0_CODE);
    } else if (code >= F1_CODE && code < F1_CODE + FUNCTION_KEYS) {
        std::snprintf(word, KEY_WORD_SIZE, "F%d", code - F1_CODE + 1);
    } else {
        std::snprintf(word, KEY_WORD_SIZE, "%02d", code);
    }
}

int KeyCodeFromName(std::string_view name) {
    if (name.size() == 1 && IsLetterOrDigit(name[0])) return name[0];
    for (const NamedKey& key : KEYS) {
        if (name == key.name) return key.code;
    }
    int64_t n = 0;
    if (name.size() == 7 && name.substr(0, 6) == "NUMPAD" &&
        ParseNumber(name.substr(6), 0, 9, &n)) {
        return static_cast<int>(NUMPAD0_CODE + n);
    }
    if (name.size() >= 2 && name[0] == 'F' && ParseNumber(name.substr(1), 1, FUNCTION_KEYS, &n)) {
        return static_cast<int>(F1_CODE + n - 1);
    }
    if (ParseNumber(name, 1, 255, &n)) return static_cast<int>(n);
    return -1;
}
