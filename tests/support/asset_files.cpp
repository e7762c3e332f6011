#include "tests/support/asset_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

namespace assetfiles {

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t Le(const std::vector<uint8_t>& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | d.at(at + i);
    return v;
}

uint32_t Be(const std::vector<uint8_t>& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | d.at(at + i);
    return v;
}

uint32_t VarLen(const std::vector<uint8_t>& d, size_t& at) {
    uint32_t v = 0;
    do v = (v << 7) | (d.at(at) & 0x7F);
    while (d.at(at++) & 0x80);
    return v;
}

}  // namespace

Picture ReadBmp(const std::string& name) {
    std::vector<uint8_t> d = ReadAll("data/" + name);
    Picture p;
    EXPECT_GE(d.size(), 54u) << name;
    if (d.size() < 54) return p;
    EXPECT_TRUE(d[0] == 'B' && d[1] == 'M') << name;
    EXPECT_EQ(Le(d, 2, 4), d.size()) << name;
    EXPECT_EQ(Le(d, 10, 4), 54u) << name;
    EXPECT_EQ(Le(d, 14, 4), 40u) << name << ": header size";
    int32_t w = int32_t(Le(d, 18, 4)), h = int32_t(Le(d, 22, 4));
    EXPECT_GT(h, 0) << name << ": rows must be stored bottom-up";
    EXPECT_EQ(Le(d, 26, 2), 1u) << name;
    EXPECT_EQ(Le(d, 28, 2), 24u) << name << ": bits per pixel";
    EXPECT_EQ(Le(d, 30, 4), 0u) << name << ": compression";
    size_t row = (size_t(w) * 3 + 3) & ~size_t(3);
    EXPECT_EQ(d.size(), 54 + row * size_t(h)) << name;
    if (w <= 0 || h <= 0 || d.size() != 54 + row * size_t(h)) return p;
    p.width = w;
    p.height = h;
    p.pixels.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = d.data() + 54 + row * size_t(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            p.pixels[size_t(y) * w + x] = {src[3 * x + 2], src[3 * x + 1], src[3 * x]};
        }
    }
    return p;
}

Wave ReadWav(const std::string& name) {
    std::vector<uint8_t> d = ReadAll("data/" + name);
    Wave w;
    if (d.size() < 12 || std::string(d.begin(), d.begin() + 4) != "RIFF" ||
        std::string(d.begin() + 8, d.begin() + 12) != "WAVE") {
        ADD_FAILURE() << name << " is not a RIFF WAVE file";
        return w;
    }
    EXPECT_EQ(Le(d, 4, 4) + 8, d.size()) << name;
    for (size_t at = 12; at + 8 <= d.size();) {
        std::string id(d.begin() + at, d.begin() + at + 4);
        size_t size = Le(d, at + 4, 4);
        if (at + 8 + size > d.size()) break;
        if (id == "fmt ") {
            w.format = int(Le(d, at + 8, 2));
            w.channels = int(Le(d, at + 10, 2));
            w.rate = int(Le(d, at + 12, 4));
            w.bits = int(Le(d, at + 22, 2));
        } else if (id == "data") {
            for (size_t i = 0; i + 1 < size; i += 2) {
                w.samples.push_back(int16_t(Le(d, at + 8 + i, 2)));
            }
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

MidiSummary ReadMidi(const std::string& name) {
    std::vector<uint8_t> d = ReadAll("data/" + name);
    MidiSummary m;
    if (d.size() < 14 || std::string(d.begin(), d.begin() + 4) != "MThd" || Be(d, 4, 4) != 6) {
        ADD_FAILURE() << name << " has no MIDI header";
        return m;
    }
    int tracks = int(Be(d, 10, 2)), division = int(Be(d, 12, 2));
    if (division <= 0 || division >= 0x8000) return m;
    std::map<int, int> open;  // channel * 128 + key -> notes sounding
    std::map<uint32_t, uint32_t> tempoAt = {{0, 500000}};
    uint32_t lastTick = 0;
    size_t at = 14;
    for (int t = 0; t < tracks; ++t) {
        if (at + 8 > d.size() || std::string(d.begin() + at, d.begin() + at + 4) != "MTrk")
            return m;
        size_t end = at + 8 + Be(d, at + 4, 4);
        if (end > d.size()) return m;
        at += 8;
        uint32_t tick = 0;
        int status = 0;
        bool ended = false;
        while (at < end && !ended) {
            tick += VarLen(d, at);
            if (d.at(at) & 0x80) status = d.at(at++);
            if (status == 0) return m;  // running status with nothing to run on
            int kind = status & 0xF0, channel = status & 0x0F;
            if (status == 0xFF) {
                int type = d.at(at++);
                uint32_t len = VarLen(d, at);
                if (type == 0x51) tempoAt[tick] = Be(d, at, 3);
                ended = type == 0x2F;
                at += len;
            } else if (status == 0xF0 || status == 0xF7) {
                at += VarLen(d, at);
            } else if (kind == 0x90 || kind == 0x80) {
                int key = d.at(at), velocity = d.at(at + 1);
                at += 2;
                m.channelUsed[channel] = true;
                int& sounding = open[channel * 128 + key];
                if (kind == 0x90 && velocity > 0) {
                    ++sounding;
                    ++m.notes;
                } else if (sounding > 0) {
                    --sounding;
                } else {
                    ++m.strayOffs;
                }
            } else {
                if (kind == 0xC0) ++m.programs;
                at += (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            }
            lastTick = std::max(lastTick, tick);
        }
        if (!ended) return m;
        at = end;
    }
    for (const auto& entry : open) m.stillSounding += entry.second;
    for (auto it = tempoAt.begin(); it != tempoAt.end(); ++it) {
        auto next = std::next(it);
        uint32_t until = next == tempoAt.end() ? lastTick : next->first;
        if (until > it->first) m.seconds += double(until - it->first) / division * it->second / 1e6;
    }
    m.parsed = true;
    return m;
}

}  // namespace assetfiles
