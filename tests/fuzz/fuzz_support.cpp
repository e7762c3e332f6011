#include "tests/fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

void WriteInput(const char* name, const uint8_t* data, size_t size) {
    static bool entered = false;
    if (!entered) {
        char pattern[] = "/tmp/sidescroller-fuzz-XXXXXX";
        if (!mkdtemp(pattern) || chdir(pattern) != 0) std::abort();
        std::filesystem::create_directory("data");
        entered = true;
    }
    FILE* file = std::fopen(name, "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}
