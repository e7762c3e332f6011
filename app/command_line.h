// What a program was asked on its command line: GNU-style long options (--record FILE or
// --record=FILE, --help, --version, -- before an operand that starts with a dash).
#pragma once

#include <string>

struct CommandLine {
    enum Action { Run, Help, Version, Wrong };
    Action action = Run;
    const char* value = nullptr;    // the value of the program's one option, if given
    const char* operand = nullptr;  // the program's one operand, if it takes one
    std::string problem;            // for Wrong: what is wrong, one line without a newline
};

// Reads argv: --help, --version, the option `valueOption` with its value (none when null)
// and exactly `operands` operands (0 or 1). As in GNU programs, the first --help or --version
// answers, whatever follows it.
CommandLine ReadCommandLine(int argc, char** argv, const char* valueOption, int operands);

// The texts of --help. The game's lists --record only where this system's game can record;
// `filesText` says where it keeps its files there.
std::string GameUsage(bool canRecord, const char* filesText);
std::string ReplayUsage();
// The text of --version: the program's name and version, then the licence.
std::string VersionText(const char* program);
