// Small pieces of text the board shows: names, dates, escapes.
#pragma once

#include <cstdint>
#include <string>

namespace board {

// A name's key codes as UTF-8: each byte the Windows-1252 character the game's font draws
// for it, U+FFFD for a control byte or one the code page leaves undefined.
std::string NameText(const std::string& bytes);

// Text safe inside HTML, as text and inside quoted attributes.
std::string HtmlEscape(const std::string& text);

// "YYYY-MM-DD" and "YYYY-Www" (ISO week) of a UTC time in milliseconds.
std::string DayOf(int64_t ms);
std::string WeekOf(int64_t ms);
std::string IsoTime(int64_t ms);
// The start of a "YYYY-MM-DD" day in milliseconds; false when it is no date.
bool ParseDay(const std::string& day, int64_t* ms);

std::string Hex(const std::string& bytes);
// Random bytes from the system; throws if there are none.
std::string RandomBytes(size_t n);
std::string HmacSha256(const std::string& key, const std::string& message);

}  // namespace board
