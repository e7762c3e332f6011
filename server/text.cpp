#include "server/text.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace board {

namespace {

void AppendUtf8(std::string* out, uint32_t c) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (c >> 6)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xE0 | (c >> 12)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// 0x80 to 0x9F of Windows-1252; 0 where the code page has no character.
const uint16_t HIGH_CONTROLS[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string NameText(const std::string& bytes) {
    std::string out;
    for (unsigned char b : bytes) {
        uint32_t c = b;
        if (b < 0x20 || b == 0x7F) {
            c = 0xFFFD;
        } else if (b >= 0x80 && b < 0xA0) {
            c = HIGH_CONTROLS[b - 0x80] ? HIGH_CONTROLS[b - 0x80] : 0xFFFD;
        }
        AppendUtf8(&out, c);
    }
    return out;
}

std::string HtmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

namespace {
std::string Format(int64_t ms, const char* format) {
    time_t seconds = static_cast<time_t>(ms / 1000);
    struct tm utc {};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::strftime(text, sizeof text, format, &utc);
    return text;
}
}  // namespace

std::string DayOf(int64_t ms) {
    return Format(ms, "%Y-%m-%d");
}

std::string WeekOf(int64_t ms) {
    return Format(ms, "%G-W%V");
}

std::string IsoTime(int64_t ms) {
    return Format(ms, "%Y-%m-%dT%H:%M:%SZ");
}

bool ParseDay(const std::string& day, int64_t* ms) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (day.size() != 10 || std::sscanf(day.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) {
        return false;
    }
    if (y < 1970 || m < 1 || m > 12 || d < 1 || d > 31) return false;
    struct tm utc {};
    utc.tm_year = y - 1900;
    utc.tm_mon = m - 1;
    utc.tm_mday = d;
    time_t seconds = timegm(&utc);
    *ms = static_cast<int64_t>(seconds) * 1000;
    return DayOf(*ms) == day;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

std::string RandomBytes(size_t n) {
    std::string out(n, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(n)) != 1) {
        throw std::runtime_error("no random bytes from the system");
    }
    return out;
}

std::string HmacSha256(const std::string& key, const std::string& message) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
         reinterpret_cast<const unsigned char*>(message.data()), message.size(), out, &length);
    return std::string(reinterpret_cast<char*>(out), length);
}

}  // namespace board
