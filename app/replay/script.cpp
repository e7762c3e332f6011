// Reading replay scripts. Every line is checked before the game starts, so a bad script
// never leaves a half-played run behind; a file is then read again as it is played, so
// that a long recording costs no memory.
#include "app/replay/script.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int64_t MAX_TIME = 0xFFFFFFFFll;
// No command has more words; a line with more is refused without splitting it further.
constexpr size_t MAX_WORDS = 4;

// A line as quoted in a message: its start only, so a huge line does not flood the output.
std::string Quote(std::string_view line) {
    constexpr size_t SHOWN = 60;
    return line.size() <= SHOWN ? std::string(line) : std::string(line.substr(0, SHOWN)) + "...";
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The characters of a script, from a file or from memory.
struct Source {
    FILE* file = nullptr;
    FILE* copy = nullptr;  // where what is read from file goes too
    std::string_view text;
    size_t at = 0;
    int Get() {
        if (file) {
            int c = getc_unlocked(file);
            if (copy && c != EOF) putc_unlocked(c, copy);
            return c;
        }
        return at < text.size() ? static_cast<unsigned char>(text[at++]) : EOF;
    }
};

enum class LineEnd { Newline, EndOfFile, Nothing, TooLong };

// One line into *line, without its line end; a line longer than MAX_SCRIPT_LINE stops
// being read once it gets that long.
LineEnd ReadLine(Source* source, std::string* line) {
    line->clear();
    for (int c; (c = source->Get()) != EOF;) {
        if (c == '\n') return LineEnd::Newline;
        line->push_back(static_cast<char>(c));
        if (line->size() > MAX_SCRIPT_LINE) return LineEnd::TooLong;
    }
    return line->empty() ? LineEnd::Nothing : LineEnd::EndOfFile;
}

// Reads one line into *c; *isCommand is false for a blank line, a comment, or a seed or
// start (which set the header, when one is given). On a bad line answers false with why.
bool ParseLine(std::string_view line, int lineNumber, bool* timeStarted, Script* header,
               ScriptCommand* c, bool* isCommand, std::string* error) {
    *isCommand = false;
    size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    std::string_view w[MAX_WORDS];
    size_t words = 0;
    for (size_t i = 0; i < line.size() && words < MAX_WORDS;) {
        while (i < line.size() && IsSpace(line[i])) ++i;
        size_t start = i;
        while (i < line.size() && !IsSpace(line[i])) ++i;
        if (i > start) w[words++] = line.substr(start, i - start);
    }
    if (words == 0) return true;

    c->line = lineNumber;
    c->a = c->b = 0;
    c->file.clear();
    std::string_view verb = w[0];
    bool ok = false;
    auto fail = [&](const std::string& why) {
        *error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    if ((verb == "seed" || verb == "start") && words == 2) {
        if (*timeStarted) {
            return fail(std::string(verb) + " must come before the first wait or frames");
        }
        int64_t v = 0;
        if (!ParseNumber(w[1], 0, MAX_TIME, &v)) {
            return fail("expected a number from 0 to 4294967295: " + Quote(line));
        }
        if (header && verb == "seed") header->seed = static_cast<uint32_t>(v);
        if (header && verb == "start") header->start = static_cast<uint32_t>(v);
        return true;
    } else if ((verb == "wait" || verb == "frames") && words == 2) {
        c->kind = verb == "wait" ? CommandKind::Wait : CommandKind::Frames;
        ok = ParseNumber(w[1], 0, 100000000, &c->a);
        *timeStarted = true;
    } else if (verb == "at" && words == 2) {
        c->kind = CommandKind::At;
        ok = ParseNumber(w[1], 0, MAX_TIME, &c->a);
        *timeStarted = true;
    } else if ((verb == "hold" || verb == "release") && words == 2) {
        c->kind = verb == "hold" ? CommandKind::Hold : CommandKind::Release;
        c->a = KeyCodeFromName(w[1]);
        ok = c->a > 0;
    } else if (verb == "move" && words == 3) {
        c->kind = CommandKind::Move;
        ok = ParseNumber(w[1], -100000, 100000, &c->a) && ParseNumber(w[2], -100000, 100000, &c->b);
    } else if ((verb == "key" || verb == "down" || verb == "up") && words == 2) {
        c->kind = verb == "key"    ? CommandKind::Key
                  : verb == "down" ? CommandKind::Down
                                   : CommandKind::Up;
        c->a = KeyCodeFromName(w[1]);
        ok = c->a > 0;
    } else if (verb == "click" && words == 2 && (w[1] == "left" || w[1] == "right")) {
        c->kind = CommandKind::Click;
        c->a = w[1] == "right";
        ok = true;
    } else if ((verb == "close" || verb == "lose") && words == 1) {
        c->kind = verb == "close" ? CommandKind::Close : CommandKind::Lose;
        ok = true;
    } else if (verb == "dump" && words == 1) {
        c->kind = CommandKind::Dump;
        ok = true;
    } else if (verb == "screenshot" && words == 2) {
        c->kind = CommandKind::Screenshot;
        c->file = w[1];
        ok = true;
    }
    if (!ok) return fail("cannot read: " + Quote(line));
    *isCommand = true;
    return true;
}

// Checks every line, keeping the commands when asked to. A last line without its line end
// is what a full disk or a crash leaves of a recording, since the recorder ends every line:
// the script is played without it, even when what is left still reads ("at 1078" cut to
// "at 10" would play at another moment).
bool CheckLines(Source* source, Script* script, std::vector<ScriptCommand>* commands,
                std::string* error) {
    std::string line;
    line.reserve(MAX_SCRIPT_LINE + 1);
    bool timeStarted = false;
    script->lastLine = 0;
    script->note.clear();
    for (int number = 1;; ++number) {
        LineEnd end = ReadLine(source, &line);
        if (end == LineEnd::Nothing) return true;
        if (end == LineEnd::TooLong) {
            *error = "line " + std::to_string(number) + ": longer than " +
                     std::to_string(MAX_SCRIPT_LINE) + " bytes: " + Quote(line);
            return false;
        }
        if (end == LineEnd::EndOfFile) {
            script->note = "the file ends early, in the middle of line " + std::to_string(number) +
                           ": played up to line " + std::to_string(number - 1);
            return true;
        }
        ScriptCommand c;
        bool isCommand = false;
        if (!ParseLine(line, number, &timeStarted, script, &c, &isCommand, error)) return false;
        if (isCommand && commands) commands->push_back(c);
        script->lastLine = number;
    }
}

}  // namespace

bool ParseScript(const std::string& text, Script* script, std::string* error) {
    *script = Script{};
    // Room for a command a line, up front: growing the list as it fills took most of the
    // time of reading a long recording. No command is shorter than five bytes with its line
    // end, which bounds what a text of empty lines can make it reserve.
    size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    script->commands.reserve(std::min(lines, text.size() / 5 + 1));
    Source source;
    source.text = text;
    return CheckLines(&source, script, &script->commands, error);
}

bool CheckScriptFile(ScriptFile* script, Script* header, std::string* error) {
    Source source;
    source.file = script->file;
    if (std::fseek(script->file, 0, SEEK_SET) != 0) {
        source.copy = script->copy = std::tmpfile();
        if (!script->copy) {
            *error = std::string("cannot keep the script to play: ") + std::strerror(errno);
            return false;
        }
    }
    bool ok = CheckLines(&source, header, nullptr, error);
    if (ok && std::ferror(script->file)) {
        *error = "cannot read the script";
        ok = false;
    }
    if (script->copy) {
        // The rest of a cut-short last line is not needed.
        if (ok && (std::fflush(script->copy) != 0 || std::ferror(script->copy))) {
            *error = std::string("cannot keep the script to play: ") + std::strerror(errno);
            ok = false;
        }
    }
    script->lastLine = header->lastLine;
    script->line = 0;
    script->timeStarted = false;
    FILE* played = script->copy ? script->copy : script->file;
    if (ok && std::fseek(played, 0, SEEK_SET) != 0) {
        *error = std::string("cannot read the script again: ") + std::strerror(errno);
        ok = false;
    }
    return ok;
}

bool NextScriptCommand(ScriptFile* script, ScriptCommand* command) {
    Source source;
    source.file = script->copy ? script->copy : script->file;
    std::string error;
    while (script->line < script->lastLine) {
        if (ReadLine(&source, &script->buffer) == LineEnd::Nothing) return false;
        ++script->line;
        bool isCommand = false;
        // A line that no longer reads as it did when checked ends the script there.
        if (!ParseLine(script->buffer, script->line, &script->timeStarted, nullptr, command,
                       &isCommand, &error)) {
            return false;
        }
        if (isCommand) return true;
    }
    return false;
}
