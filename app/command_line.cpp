#include "app/command_line.h"

#include <getopt.h>

#include <string_view>
#include <utility>

#include "app/version.h"

namespace {

constexpr int HELP = 'h';
constexpr int VERSION = 'V';
constexpr int VALUE = 'r';

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

}  // namespace

CommandLine ReadCommandLine(int argc, char** argv, const char* valueOption, int operands) {
    // Without a value option its entry has no name, which ends the table.
    const option options[] = {
        {"help", no_argument, nullptr, HELP},
        {"version", no_argument, nullptr, VERSION},
        {valueOption, required_argument, nullptr, VALUE},
        {nullptr, 0, nullptr, 0},
    };
    CommandLine line;
    auto wrong = [&line](std::string problem) {
        line = CommandLine{};
        line.action = CommandLine::Wrong;
        line.problem = std::move(problem);
        return line;
    };
    // getopt keeps its place in globals: start afresh, and say nothing itself (the leading
    // ':' tells a missing value from an unknown option), since Windows has no stderr to see.
    optind = 0;
    opterr = 0;
    for (int found; (found = getopt_long(argc, argv, ":", options, nullptr)) != -1;) {
        const char* given = argv[optind - 1];
        if (found == HELP || found == VERSION) {
            line.action = found == HELP ? CommandLine::Help : CommandLine::Version;
            return line;
        } else if (found == VALUE) {
            line.value = optarg;  // what an empty one means is the option's own business
        } else if (found == ':') {
            return wrong(std::string("--") + valueOption + " needs a file name");
        } else if (optopt == 0) {
            std::string_view name(given);
            return wrong("unknown option " + Quoted(std::string(name.substr(0, name.find('=')))));
        } else if (std::string_view(given).substr(0, 2) == "--") {
            return wrong(Quoted(given) + " takes no value");
        } else {
            return wrong("unknown option " + Quoted(std::string{'-', char(optopt)}));
        }
    }
    int left = argc - optind;
    if (left > operands) return wrong("unexpected argument " + Quoted(argv[optind + operands]));
    if (left < operands) return wrong("no script given");
    if (operands == 1) line.operand = argv[optind];
    return line;
}

std::string GameUsage(bool canRecord, const char* filesText) {
    std::string text =
        "Usage: sidescroller [OPTION]...\n"
        "A small full-screen arcade game: shoot the birds over a landscape that scrolls\n"
        "sideways, with the mouse, before the two minutes of a game run out.\n"
        "\n";
    if (canRecord) {
        text +=
            "  --record FILE  write the play-through into FILE as a replay script, which\n"
            "                 sidescroller-replay plays back to the same game\n";
    }
    text +=
        "  --help         show this text and exit\n"
        "  --version      show the version and exit\n"
        "\n";
    text += filesText;
    text += "\nSidescroller " SIDESCROLLER_VERSION "\n";
    return text;
}

std::string ReplayUsage() {
    return "Usage: sidescroller-replay SCRIPT\n"
           "Plays Sidescroller headlessly from the scripted input in SCRIPT, in the current\n"
           "folder, with a clock that never waits for real time; the script's dumps go to\n"
           "stdout. Ends with the game's exit code, or 2 when the script cannot be read or a\n"
           "screenshot cannot be written.\n"
           "\n"
           "  --help     show this text and exit\n"
           "  --version  show the version and exit\n"
           "\n"
           "Sidescroller " SIDESCROLLER_VERSION "\n";
}

std::string VersionText(const char* program) {
    return std::string(program) +
           " " SIDESCROLLER_VERSION
           "\n"
           "Copyright (c) 2026 the Sidescroller developers.\n"
           "MIT licence: free to use, copy, change and pass on; see the file LICENSE.\n";
}
