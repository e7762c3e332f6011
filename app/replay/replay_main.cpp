// sidescroller-replay SCRIPT: plays the game headlessly from scripted input.
#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/replay/replay.h"

int main(int argc, char** argv) {
    CommandLine line = ReadCommandLine(argc, argv, nullptr, 1);
    switch (line.action) {
        case CommandLine::Help:
            std::fputs(ReplayUsage().c_str(), stdout);
            return 0;
        case CommandLine::Version:
            std::fputs(VersionText("sidescroller-replay").c_str(), stdout);
            return 0;
        case CommandLine::Wrong:
            std::fprintf(stderr, "sidescroller-replay: %s\n%s", line.problem.c_str(),
                         ReplayUsage().c_str());
            return 2;
        case CommandLine::Run:
            break;
    }
    FILE* file = std::fopen(line.operand, "rb");
    if (!file) {
        std::fprintf(stderr, "sidescroller-replay: cannot read %s\n", line.operand);
        return 2;
    }
    // Read as it is played, after every line has been checked.
    ScriptFile script;
    script.file = file;
    Script header;
    std::string error;
    if (!CheckScriptFile(&script, &header, &error)) {
        std::fprintf(stderr, "sidescroller-replay: %s: %s\n", line.operand, error.c_str());
        std::fclose(file);
        return 2;
    }
    if (!header.note.empty()) {
        std::fprintf(stderr, "sidescroller-replay: %s: %s\n", line.operand, header.note.c_str());
    }
    int code = RunReplay(header, &script, stdout);
    std::fclose(file);
    return code;
}
