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
    std::string text;
    std::string error;
    bool read = ReadScriptFile(file, &text, &error);
    std::fclose(file);
    Script script;
    if (!read || !ParseScript(text, &script, &error)) {
        std::fprintf(stderr, "sidescroller-replay: %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    return RunReplay(script, stdout);
}
