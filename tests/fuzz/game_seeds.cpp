// game_seeds FOLDER SCRIPT...: writes each replay script as an input of the whole-game
// fuzzer, so that the fuzzing starts from the plays the tests know.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/replay/script.h"
#include "tests/fuzz/game_input.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: game_seeds FOLDER SCRIPT...\n");
        return 2;
    }
    for (int k = 2; k < argc; ++k) {
        std::ifstream in(argv[k], std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string error = "cannot read it";
        Script script;
        if (!in.is_open() || in.bad() || !ParseScript(text, &script, &error)) {
            std::fprintf(stderr, "game_seeds: %s: %s\n", argv[k], error.c_str());
            return 2;
        }
        std::vector<uint8_t> input = EncodeGameInput(script);
        std::string name = std::filesystem::path(argv[k]).stem().string();
        FILE* out = std::fopen((std::string(argv[1]) + "/" + name).c_str(), "wb");
        if (!out || std::fwrite(input.data(), 1, input.size(), out) != input.size()) return 2;
        std::fclose(out);
    }
    return 0;
}
