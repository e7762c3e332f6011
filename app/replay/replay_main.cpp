// sidescroller-replay SCRIPT: plays the game headlessly from scripted input.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/replay/replay.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sidescroller-replay SCRIPT\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "sidescroller-replay: cannot read %s\n", argv[1]);
        return 2;
    }
    std::ostringstream text;
    text << file.rdbuf();
    Script script;
    std::string error;
    if (!ParseScript(text.str(), &script, &error)) {
        std::fprintf(stderr, "sidescroller-replay: %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    return RunReplay(script, stdout);
}
