#include "platform/common/sequencer.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"

namespace {
bool keepingLength = false;

constexpr size_t MAX_MIDI_SIZE = 16 << 20;
constexpr int MAX_TEMPOS = 1024;
constexpr uint32_t DEFAULT_TEMPO = 500000;  // microseconds a quarter note: 120 beats a minute

struct Tempo {
    uint64_t tick;
    uint32_t usPerQuarter;
};

struct Reader {
    const uint8_t* data;
    size_t pos;
    size_t end;
    bool ok = true;

    uint32_t Byte() {
        if (pos >= end) {
            ok = false;
            return 0;
        }
        return data[pos++];
    }
    uint32_t Be(int bytes) {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) value = (value << 8) | Byte();
        return value;
    }
    uint32_t VarLen() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            uint32_t b = Byte();
            value = (value << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) return value;
        }
        ok = false;
        return 0;
    }
    void Skip(uint32_t count) {
        if (count > end - pos) ok = false;
        pos = ok ? pos + count : end;
    }
};

// Walks one track chunk's events; answers its last tick, or false when it is malformed.
bool ReadTrack(Reader track, Tempo* tempos, int* tempoCount, uint64_t* lastTick) {
    uint64_t tick = 0;
    uint32_t running = 0;
    while (track.ok && track.pos < track.end) {
        tick += track.VarLen();
        uint32_t status = track.Byte();
        if (status < 0x80) {  // running status: the byte was the first data byte
            if (running == 0) return false;
            --track.pos;
            status = running;
        } else if (status < 0xF0) {
            running = status;
        }
        if (status == 0xFF) {
            uint32_t type = track.Byte();
            uint32_t length = track.VarLen();
            if (type == 0x51 && length == 3 && *tempoCount < MAX_TEMPOS) {
                tempos[(*tempoCount)++] = {tick, track.Be(3)};
            } else {
                track.Skip(length);
            }
            if (type == 0x2F) break;  // end of track
        } else if (status == 0xF0 || status == 0xF7) {
            track.Skip(track.VarLen());
        } else if (status >= 0xF0) {
            return false;
        } else {
            uint32_t kind = status & 0xF0;
            track.Skip(kind == 0xC0 || kind == 0xD0 ? 1 : 2);
        }
    }
    *lastTick = std::max(*lastTick, tick);
    return track.ok;
}

}  // namespace

bool MidiFileLength(const uint8_t* data, size_t size, uint32_t* lengthMs) {
    Reader file{data, 0, size};
    if (size < 14 || memcmp(data, "MThd", 4) != 0) return false;
    file.pos = 4;
    uint32_t headerLength = file.Be(4);
    file.Be(2);  // format: the tracks of every format play from tick 0 here
    uint32_t tracks = file.Be(2);
    uint32_t division = file.Be(2);
    if (headerLength < 6 || division == 0) return false;
    file.pos = 8;
    file.Skip(headerLength);

    static Tempo tempos[MAX_TEMPOS];
    int tempoCount = 0;
    uint64_t lastTick = 0;
    for (uint32_t t = 0; t < tracks && file.ok; ++t) {
        uint32_t id = file.Be(4);
        uint32_t length = file.Be(4);
        if (!file.ok || length > file.end - file.pos) return false;
        Reader track{data, file.pos, file.pos + length};
        if (id == 0x4D54726B && !ReadTrack(track, tempos, &tempoCount, &lastTick)) return false;
        file.Skip(length);  // chunks of other kinds are skipped, as the format asks
    }
    if (!file.ok) return false;

    double ms = 0;
    if ((division & 0x8000) != 0) {  // SMPTE: frames a second and ticks a frame
        int fps = 256 - static_cast<int>(division >> 8);
        uint32_t ticksPerFrame = division & 0xFF;
        if (fps <= 0 || ticksPerFrame == 0) return false;
        ms = 1000.0 * static_cast<double>(lastTick) / (fps * ticksPerFrame);
    } else {
        std::stable_sort(tempos, tempos + tempoCount,
                         [](const Tempo& a, const Tempo& b) { return a.tick < b.tick; });
        uint64_t tick = 0;
        uint32_t tempo = DEFAULT_TEMPO;
        for (int i = 0; i < tempoCount && tempos[i].tick < lastTick; ++i) {
            ms += static_cast<double>(tempos[i].tick - tick) * tempo / division / 1000.0;
            tick = tempos[i].tick;
            tempo = tempos[i].usPerQuarter;
        }
        ms += static_cast<double>(lastTick - tick) * tempo / division / 1000.0;
    }
    *lengthMs = ms > 4e9 ? 4000000000u : static_cast<uint32_t>(ms + 0.5);
    return true;
}

void KeepMusicLength(bool keep) {
    keepingLength = keep;
}

MCIERROR CheckSequencerOpen(uint32_t flags, const MCI_OPEN_PARMS* params, uint32_t* lengthMs) {
    if (params == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
    if ((flags & MCI_OPEN_TYPE) == 0 || params->lpstrDeviceType == nullptr) {
        return MCIERR_MISSING_PARAMETER;
    }
    if (strcasecmp(params->lpstrDeviceType, "sequencer") != 0) return MCIERR_INVALID_DEVICE_NAME;
    if ((flags & MCI_OPEN_ELEMENT) == 0 || params->lpstrElementName == nullptr) {
        return MCIERR_MISSING_PARAMETER;
    }
    // The music read before, while the files are kept, answers as it did then.
    static std::string& keptFile = *new std::string;
    static uint32_t keptLength;
    if (keepingLength && keptFile == params->lpstrElementName) {
        if (lengthMs != nullptr) *lengthMs = keptLength;
        return 0;
    }
    FILE* file = OpenGameFile(params->lpstrElementName, "rb");
    if (file == nullptr) return MCIERR_FILE_NOT_FOUND;
    std::vector<uint8_t> bytes;
    uint8_t block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file)) > 0 && bytes.size() < MAX_MIDI_SIZE) {
        bytes.insert(bytes.end(), block, block + got);
    }
    fclose(file);
    uint32_t length = 0;
    if (!MidiFileLength(bytes.data(), bytes.size(), &length)) return MCIERR_INVALID_FILE;
    if (keepingLength) keptFile = params->lpstrElementName, keptLength = length;
    if (lengthMs != nullptr) *lengthMs = length;
    return 0;
}
