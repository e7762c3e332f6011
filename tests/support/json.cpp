#include "tests/support/json.h"

#include <stdexcept>

namespace {

struct Reader {
    const std::string& s;
    size_t at = 0;

    void Space() {
        while (at < s.size() && (s[at] == ' ' || s[at] == '\n' || s[at] == '\r' || s[at] == '\t'))
            ++at;
    }
    [[noreturn]] void Fail() {
        throw std::runtime_error("bad JSON at " + std::to_string(at) + ": " + s);
    }
    void Expect(char c) {
        Space();
        if (at >= s.size() || s[at] != c) Fail();
        ++at;
    }
    std::string Str() {
        Expect('"');
        std::string out;
        while (at < s.size() && s[at] != '"') {
            char c = s[at++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at >= s.size()) Fail();
            char e = s[at++];
            if (e == 'u') {
                if (at + 4 > s.size()) Fail();
                unsigned code = std::stoul(s.substr(at, 4), nullptr, 16);
                at += 4;
                // Code points up to 255 stand for single bytes here.
                out += static_cast<char>(code & 0xFF);
            } else if (e == 'n') {
                out += '\n';
            } else if (e == 't') {
                out += '\t';
            } else {
                out += e;
            }
        }
        Expect('"');
        return out;
    }
    Json Value() {
        Space();
        if (at >= s.size()) Fail();
        Json v;
        char c = s[at];
        if (c == '{') {
            v.kind = Json::Object;
            ++at;
            Space();
            if (s[at] == '}') return ++at, v;
            for (;;) {
                std::string key = Str();
                Expect(':');
                v.fields[key] = Value();
                Space();
                if (s[at] == ',') {
                    ++at;
                    continue;
                }
                Expect('}');
                return v;
            }
        }
        if (c == '[') {
            v.kind = Json::Array;
            ++at;
            Space();
            if (s[at] == ']') return ++at, v;
            for (;;) {
                v.items.push_back(Value());
                Space();
                if (s[at] == ',') {
                    ++at;
                    continue;
                }
                Expect(']');
                return v;
            }
        }
        if (c == '"') {
            v.kind = Json::String;
            v.text = Str();
            return v;
        }
        if (s.compare(at, 4, "null") == 0) return at += 4, v;
        size_t used = 0;
        v.kind = Json::Number;
        v.number = std::stod(s.substr(at), &used);
        at += used;
        return v;
    }
};

const Json& Missing() {
    static const Json none;
    return none;
}

}  // namespace

const Json& Json::operator[](const std::string& key) const {
    auto it = fields.find(key);
    return it == fields.end() ? Missing() : it->second;
}

const Json& Json::operator[](size_t index) const {
    return index < items.size() ? items[index] : Missing();
}

Json ParseJson(const std::string& text) {
    Reader r{text};
    Json v = r.Value();
    r.Space();
    if (r.at != text.size()) r.Fail();
    return v;
}

std::string NameBytes(const Json& value) {
    return value.text;
}
