// Readers for the game's picture, sound and music files, written apart from the game's
// own loaders so that the asset tests check the files against the formats themselves.
// A malformed file shows as an empty result plus a test failure naming what is wrong.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetfiles {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    const Rgb& at(int x, int y) const { return pixels.at(size_t(y) * width + x); }
};

// "data/NAME": only the plain 24-bit, 40-byte-header, bottom-up, padded layout passes.
Picture ReadBmp(const std::string& name);

struct Wave {
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
};
Wave ReadWav(const std::string& name);

struct MidiSummary {
    bool parsed = false;    // header and every track read to its end-of-track event
    int notes = 0;          // note-ons with a velocity
    int strayOffs = 0;      // note-offs with no sounding note to end
    int stillSounding = 0;  // notes never ended
    int programs = 0;
    std::vector<bool> channelUsed = std::vector<bool>(16, false);
    double seconds = 0;  // to the last event, through every tempo change
};
MidiSummary ReadMidi(const std::string& name);

}  // namespace assetfiles
