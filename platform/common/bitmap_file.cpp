// Bitmap files checked before any decoder sees them, the same on every system.
#include "platform/common/bitmap_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t MAX_SIDE = 4096;
// The largest file a picture of MAX_SIDE squared at 32 bits needs, with room for its headers.
constexpr size_t MAX_FILE_BYTES = MAX_SIDE * MAX_SIDE * 4 + 65536;

uint32_t Read16(const uint8_t* at) {
    return at[0] | at[1] << 8;
}

uint32_t Read32(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | uint32_t{at[3]} << 24;
}

// What the headers say is wrong with the file, or "" when a decoder may read it. A damaged header
// can claim a picture of gigabytes; no picture of the game comes near MAX_SIDE, so such a
// file is refused before anything is allocated for it.
std::string HeaderProblem(const std::string& data) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    if (data.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') return "damaged (not a bitmap)";
    uint32_t infoSize = Read32(bytes + 14);
    int64_t w = 0, h = 0;
    uint32_t bits = 0, compression = 0;
    if (infoSize == 12) {
        // The old core header's sides are unsigned: a height of 0xFFFF is 65535 rows to a
        // decoder, not a top-down row.
        w = Read16(bytes + 18);
        h = Read16(bytes + 20);
        bits = Read16(bytes + 24);
    } else if (infoSize >= 40 && data.size() >= 34) {
        w = static_cast<int32_t>(Read32(bytes + 18));
        h = static_cast<int32_t>(Read32(bytes + 22));
        bits = Read16(bytes + 28);
        compression = Read32(bytes + 30);
    } else if (infoSize < 40 && infoSize != 12) {
        return "unsupported (a header of " + std::to_string(infoSize) + " bytes)";
    } else {
        return "damaged (cut short)";
    }
    if (h < 0) h = -h;
    if (w <= 0 || h <= 0) return "damaged (no pixels)";
    if (w > MAX_SIDE || h > MAX_SIDE) {
        return "too large (" + std::to_string(w) + " x " + std::to_string(h) + " pixels)";
    }
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 &&
        bits != 32) {
        return "unsupported (" + std::to_string(bits) + " bits per pixel)";
    }
    // Plain, run-length or bit-field pixels; JPEG or PNG inside a bitmap is not read.
    if (compression == 4) return "unsupported (JPEG inside a bitmap)";
    if (compression == 5) return "unsupported (PNG inside a bitmap)";
    if (compression > 3) return "unsupported (compression " + std::to_string(compression) + ")";
    // Every row of plain pixels the header promises must be there.
    if (compression == 1 || compression == 2) return "";
    int64_t rowBytes = (w * bits + 31) / 32 * 4;
    int64_t pixelsAt = Read32(bytes + 10);
    if (pixelsAt + rowBytes * h > static_cast<int64_t>(data.size())) return "damaged (cut short)";
    return "";
}

std::string ReadWholeFile(const char* gameName, std::string* problem) {
    FILE* file = OpenGameFile(gameName, "rb");
    if (!file) {
        // OpenGameFile takes a pipe or a device for a missing file; the player is told which.
        *problem = errno != ENOENT                  ? std::strerror(errno)
                   : fs::exists(HostPath(gameName)) ? "not a regular file"
                                                    : "missing";
        return "";
    }
    std::string data;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 && data.size() <= MAX_FILE_BYTES) {
        data.append(chunk, got);
    }
    if (std::ferror(file)) *problem = "cannot be read";
    if (data.size() > MAX_FILE_BYTES) *problem = "too large";
    std::fclose(file);
    if (problem->empty() && data.empty()) *problem = "damaged (empty)";
    return problem->empty() ? data : "";
}

}  // namespace

Bitmap* RefuseBitmap(std::string* problem, const std::string& why) {
    if (problem) *problem = why;
    return nullptr;
}

std::string ReadBitmapFile(const char* gameName, std::string* problem) {
    if (!gameName) {
        *problem = "missing";
        return "";
    }
    std::string data = ReadWholeFile(gameName, problem);
    if (problem->empty()) *problem = HeaderProblem(data);
    return problem->empty() ? data : "";
}
