// sidescroller-replay SCRIPT: plays the game headlessly from scripted input.
#include <cstdio>
#include <string>

#include "app/replay/replay.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sidescroller-replay SCRIPT\n");
        return 2;
    }
    FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
        std::fprintf(stderr, "sidescroller-replay: cannot read %s\n", argv[1]);
        return 2;
    }
    // Read as it is played, after every line has been checked.
    ScriptFile script;
    script.file = file;
    Script header;
    std::string error;
    if (!CheckScriptFile(&script, &header, &error)) {
        std::fprintf(stderr, "sidescroller-replay: %s: %s\n", argv[1], error.c_str());
        std::fclose(file);
        return 2;
    }
    if (!header.note.empty()) {
        std::fprintf(stderr, "sidescroller-replay: %s: %s\n", argv[1], header.note.c_str());
    }
    int code = RunReplay(header, &script, stdout);
    std::fclose(file);
    return code;
}
