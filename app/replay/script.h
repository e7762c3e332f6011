// Replay scripts: one command a line, "#" comments and blank lines ignored.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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
    std::vector<ScriptCommand> commands;
    uint32_t seed = 1;
    uint32_t start = 0;
};

// The virtual-key code for a name without its prefix ("RETURN", "A", "F12") or a decimal
// code; -1 when unknown.
int KeyCodeFromName(const std::string& name);

// No command needs more; a longer line is refused without being read whole.
constexpr size_t MAX_SCRIPT_LINE = 8192;

// Reads a script file into text; on a line longer than MAX_SCRIPT_LINE answers false at
// once with a message naming the line and quoting its start.
bool ReadScriptFile(FILE* file, std::string* text, std::string* error);
// Parses the whole text; on a bad line answers false with a message naming the line.
bool ParseScript(const std::string& text, Script* script, std::string* error);
