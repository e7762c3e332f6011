#include "tests/support/sound_files.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <vector>

namespace {

void PutBe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A MIDI delta time as a variable-length number.
void PutDelta(std::vector<uint8_t>& out, uint32_t ticks) {
    uint8_t bytes[5];
    int count = 0;
    do {
        bytes[count++] = ticks & 0x7F;
        ticks >>= 7;
    } while (ticks != 0);
    while (count > 1) out.push_back(bytes[--count] | 0x80);
    out.push_back(bytes[0]);
}

bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

}  // namespace

bool WriteTestMidi(const std::string& path, int notes, int noteMs) {
    // 480 ticks a quarter note at the default 120 beats a minute: 1 ms is 0.96 ticks.
    uint32_t noteTicks = static_cast<uint32_t>(noteMs * 96 / 100);
    std::vector<uint8_t> track = {0x00, 0xC0, 0x00};  // program 0, the piano
    for (int i = 0; i < notes; ++i) {
        uint8_t key = static_cast<uint8_t>(60 + i % 24);
        PutDelta(track, 0);
        track.insert(track.end(), {0x90, key, 110});
        PutDelta(track, noteTicks);
        track.insert(track.end(), {0x80, key, 0});
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd'};
    PutBe(file, 6, 4);
    PutBe(file, 0, 2);  // format 0
    PutBe(file, 1, 2);  // one track
    PutBe(file, 480, 2);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBe(file, static_cast<uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return WriteAll(path, file);
}

bool WriteTestWave(const std::string& path, double frequency, int ms) {
    constexpr uint32_t RATE = 22050;
    uint32_t samples = RATE * static_cast<uint32_t>(ms) / 1000;
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
    PutLe(file, 36 + samples * 2, 4);
    file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(file, 16, 4);
    PutLe(file, 1, 2);
    PutLe(file, 1, 2);
    PutLe(file, RATE, 4);
    PutLe(file, RATE * 2, 4);
    PutLe(file, 2, 2);
    PutLe(file, 16, 2);
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    PutLe(file, samples * 2, 4);
    for (uint32_t i = 0; i < samples; ++i) {
        double value = 12000.0 * std::sin(2.0 * std::numbers::pi * frequency * i / RATE);
        PutLe(file, static_cast<uint16_t>(static_cast<int16_t>(value)), 2);
    }
    return WriteAll(path, file);
}

std::string EnterTempGameFolder(const char* name) {
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() /
                      (std::string("sidescroller-") + name + "-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "data");
    fs::current_path(folder);
    return folder.string();
}

void RemoveTempGameFolder(const std::string& folder) {
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
