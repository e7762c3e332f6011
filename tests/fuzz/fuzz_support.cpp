#include "tests/fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

void EnterPrivateFolder() {
    std::error_code error;
    std::string base = std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/sidescroller-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) std::abort();
}

void WriteInput(const char* name, const uint8_t* data, size_t size) {
    static bool entered = false;
    if (!entered) {
        EnterPrivateFolder();
        std::filesystem::create_directory("data");
        entered = true;
    }
    FILE* file = std::fopen(name, "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}
