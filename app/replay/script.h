// Replay scripts: one command a line, "#" comments and blank lines ignored.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The key words, as the recorder writes them.
#include "platform/common/recording_format.h"

enum class CommandKind {
    Seed,
    Start,
    Wait,
    Frames,
    Move,
    Key,
    Down,
    Up,
    Click,
    Close,
    Lose,
    Dump,
    Screenshot,
    At,
    Hold,
    Release
};

struct ScriptCommand {
    CommandKind kind;
    int64_t a = 0;  // number, key code, x, or 0/1 for the left/right button
    int64_t b = 0;  // y
    std::string file;
    int line = 0;
};

struct Script {
    std::vector<ScriptCommand> commands;  // empty for a script read as it is played
    uint32_t seed = 1;
    uint32_t start = 0;
    // The last line to play: a last line cut short (no line end, as a full disk or a crash
    // leaves a recording; the recorder ends every line) is left out, and note says so.
    int lastLine = 0;
    std::string note;
};

// No command needs more; a longer line is refused without being read whole.
constexpr size_t MAX_SCRIPT_LINE = 8192;

// Parses the whole text into the script, replacing what it held; on a bad line, or one
// longer than MAX_SCRIPT_LINE, answers false with a message naming the line.
bool ParseScript(const std::string& text, Script* script, std::string* error);

// A script file read as it is played, one line at a time, so that its length costs no
// memory. Every line is checked first (CheckScriptFile), so a bad script never leaves a
// half-played run behind.
struct ScriptFile {
    FILE* file = nullptr;  // the caller's, which the caller closes
    FILE* copy = nullptr;  // what is read when file is a pipe, which cannot be read twice
    ~ScriptFile() {
        if (copy) std::fclose(copy);
    }
    int line = 0;      // lines read so far
    int lastLine = 0;  // from the check
    bool timeStarted = false;
    std::string buffer;  // the line being read
};

// Checks every line of the file from its start, as ParseScript does, and sets the script's
// seed, start, lastLine and note (its commands stay empty); a line longer than
// MAX_SCRIPT_LINE is refused as soon as it gets that long. Then rewinds the file for play
// (a pipe is copied into a temporary file as it is checked, and that is played).
bool CheckScriptFile(ScriptFile* script, Script* header, std::string* error);
// The next command of a checked script, up to its last line; false at the end.
bool NextScriptCommand(ScriptFile* script, ScriptCommand* command);
