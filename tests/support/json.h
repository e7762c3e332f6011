// A small JSON reader for the replay's dump lines.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct Json {
    enum Kind { Null, Number, String, Array, Object } kind = Null;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    // Missing keys and indexes answer a Null value, so a test fails on its assertion.
    const Json& operator[](const std::string& key) const;
    const Json& operator[](size_t index) const;
    const Json& operator[](int index) const { return (*this)[static_cast<size_t>(index)]; }
    int64_t Int() const { return static_cast<int64_t>(number); }
    size_t size() const { return kind == Array ? items.size() : fields.size(); }
    bool Has(const std::string& key) const { return fields.count(key) != 0; }
};

// Throws std::runtime_error on malformed text.
Json ParseJson(const std::string& text);

// The bytes of a dumped name: each character stands for the byte of its number.
std::string NameBytes(const Json& value);
