#include "tests/fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string privateFolder;

// Leaves the private folder and removes it with everything in it.
void LeavePrivateFolder() {
    if (privateFolder.empty()) return;
    std::error_code error;
    std::filesystem::current_path("/", error);
    std::filesystem::remove_all(privateFolder, error);
    privateFolder.clear();
}

}  // namespace

void EnterPrivateFolder() {
    std::error_code error;
    std::string base = std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/sidescroller-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) std::abort();
    privateFolder = pattern;
    std::atexit(LeavePrivateFolder);
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
