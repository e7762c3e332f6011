// The background tune, composed by rule: a bright major-key song of about 110 seconds
// with a flute melody, piano chords, a bass line, marimba arpeggios and a drum kit,
// written as a standard MIDI file for General MIDI instruments.
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "assets.h"
#include "rng.h"

namespace {

constexpr int TICKS_PER_QUARTER = 480;
constexpr int BAR = 4 * TICKS_PER_QUARTER;
constexpr int EIGHTH = TICKS_PER_QUARTER / 2;

struct Event {
    int tick;
    int order;  // note-offs before everything else at the same tick
    std::vector<uint8_t> bytes;
};

struct Track {
    std::vector<Event> events;
    int transpose = 0;  // semitones added to every pitched note
    void Note(int channel, int tick, int length, int key, int velocity) {
        if (channel != 9) key += transpose;
        events.push_back({tick, 1, {uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity)}});
        events.push_back({tick + length, 0, {uint8_t(0x80 | channel), uint8_t(key), 0}});
    }
    void Control(int channel, int tick, int control, int value) {
        events.push_back({tick, 1, {uint8_t(0xB0 | channel), uint8_t(control), uint8_t(value)}});
    }
    void Program(int channel, int tick, int program) {
        events.push_back({tick, 1, {uint8_t(0xC0 | channel), uint8_t(program)}});
    }
};

struct Chord {
    int root;  // semitones above C
    bool minor;
};

// Pitch classes of the chord's triad.
std::vector<int> Tones(Chord c) {
    return {c.root, c.root + (c.minor ? 3 : 4), c.root + 7};
}

const int SCALE[] = {0, 2, 4, 5, 7, 9, 11};

bool InScale(int key) {
    int pc = key % 12;
    return std::find(std::begin(SCALE), std::end(SCALE), pc) != std::end(SCALE);
}

int ScaleStep(int from, int steps) {
    int key = from;
    int dir = steps > 0 ? 1 : -1;
    for (int n = 0; n < std::abs(steps); ++n) {
        key += dir;
        while (!InScale(key)) key += dir;
    }
    return key;
}

// Rhythms of one bar in eighths.
const std::vector<std::vector<int>> RHYTHMS = {{2, 2, 2, 2}, {1, 1, 2, 2, 2}, {2, 1, 1, 2, 2},
                                               {3, 1, 2, 2}, {2, 2, 1, 1, 2}, {3, 1, 3, 1}};

// The chord tone nearest to target, other than avoid when another one lies close by.
int ChordToneNear(int target, Chord c, int avoid) {
    int best = target, second = target, bestDist = 99, secondDist = 99;
    for (int key = target - 8; key <= target + 8; ++key) {
        bool tone = false;
        for (int t : Tones(c)) tone = tone || (key - t + 120) % 12 == 0;
        if (!tone) continue;
        int dist = std::abs(key - target);
        if (dist < bestDist) {
            second = best, secondDist = bestDist;
            best = key, bestDist = dist;
        } else if (dist < secondDist) {
            second = key, secondDist = dist;
        }
    }
    return best == avoid && secondDist <= 5 ? second : best;
}

// A phrase of bars over the chords. Each bar aims at a height of the phrase's contour:
// chord tones fall on the beats, and the notes between them step toward the next beat.
void Melody(Track& t, Rng& rng, int startTick, const std::vector<Chord>& chords,
            const std::vector<int>& contour, bool cadence) {
    std::vector<int> rhythmOf(chords.size());
    for (size_t b = 0; b < chords.size(); ++b) {
        // Bars pair up with the same rhythm, which makes the tune easy to remember.
        rhythmOf[b] = b % 2 == 1 ? rhythmOf[b - 1] : rng.Below(int(RHYTHMS.size()));
    }
    int key = contour[0];
    for (size_t b = 0; b < chords.size(); ++b) {
        int tick = startTick + int(b) * BAR;
        bool last = cadence && b + 1 == chords.size();
        std::vector<int> rhythm = last ? std::vector<int>{2, 2, 4} : RHYTHMS[rhythmOf[b]];
        int target = contour[b];
        int pos = 0;
        for (size_t n = 0; n < rhythm.size(); ++n) {
            bool strong = pos % 2 == 0;
            // Drift from the last note toward this bar's height as the bar goes on.
            int aim = key + (target - key) * (pos + 2) / 8 + rng.Below(3) - 1;
            if (strong) {
                key = ChordToneNear(aim, chords[b], key);
            } else {
                key = ScaleStep(key, aim > key ? 1 : (aim < key ? -1 : (rng.Below(2) ? 1 : -1)));
            }
            if (last && n + 1 == rhythm.size()) key = ChordToneNear(72, {0, false}, -1);
            int length = rhythm[n] * EIGHTH;
            t.Note(0, tick + pos * EIGHTH, length * 9 / 10, key, strong ? 94 : 80);
            pos += rhythm[n];
        }
    }
}

void Accompany(Track& t, int startTick, const std::vector<Chord>& chords, bool arpeggio) {
    for (size_t b = 0; b < chords.size(); ++b) {
        int bar = startTick + int(b) * BAR;
        std::vector<int> tones = Tones(chords[b]);
        // Piano: a close triad near G4, stabbed in a light syncopation.
        std::vector<int> triad;
        for (int pc : tones) {
            int key = 55 + ((pc - 55) % 12 + 12) % 12;
            triad.push_back(key);
        }
        const int hits[][2] = {{0, 3}, {3, 1}, {4, 2}, {7, 1}};
        for (const auto& h : hits) {
            for (int key : triad) t.Note(1, bar + h[0] * EIGHTH, h[1] * EIGHTH - 20, key, 64);
        }
        // Bass: root, fifth, root, and a step toward the next bar's root.
        int root = 36 + chords[b].root;
        int next = 36 + chords[(b + 1) % chords.size()].root;
        t.Note(2, bar, 3 * EIGHTH - 20, root, 100);
        t.Note(2, bar + 3 * EIGHTH, EIGHTH - 20, root + 7, 84);
        t.Note(2, bar + 4 * EIGHTH, 2 * EIGHTH - 20, root + 12, 92);
        t.Note(2, bar + 6 * EIGHTH, 2 * EIGHTH - 20, next > root ? next - 1 : root + 7, 84);
        if (arpeggio) {
            const int order[] = {0, 1, 2, 1, 0, 1, 2, 3};
            for (int e = 0; e < 8; ++e) {
                int key = 72 + tones[order[e] % 3] + (order[e] == 3 ? 12 : 0);
                t.Note(3, bar + e * EIGHTH, EIGHTH - 30, key, e % 2 ? 48 : 60);
            }
        }
    }
}

void Drums(Track& t, int startTick, int bars, bool light, bool fillAtEnd) {
    for (int b = 0; b < bars; ++b) {
        int bar = startTick + b * BAR;
        if (b == 0) t.Note(9, bar, EIGHTH, 49, 96);  // crash at the top of a section
        for (int e = 0; e < 8; ++e) t.Note(9, bar + e * EIGHTH, EIGHTH / 2, 42, e % 2 ? 52 : 74);
        t.Note(9, bar, EIGHTH, 36, 110);
        t.Note(9, bar + 4 * EIGHTH, EIGHTH, 36, 100);
        if (!light) {
            t.Note(9, bar + 5 * EIGHTH, EIGHTH, 36, 80);
            t.Note(9, bar + 2 * EIGHTH, EIGHTH, 38, 96);
            bool fill = fillAtEnd && b + 1 == bars;
            if (fill) {
                const int toms[] = {50, 48, 47, 45};
                for (int s = 0; s < 4; ++s)
                    t.Note(9, bar + 6 * EIGHTH + s * EIGHTH / 2, 60, toms[s], 100);
            } else {
                t.Note(9, bar + 6 * EIGHTH, EIGHTH, 38, 96);
            }
        }
    }
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

void PutVarLen(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t buf[5];
    int n = 0;
    buf[n++] = v & 0x7F;
    while (v >>= 7) buf[n++] = uint8_t(0x80 | (v & 0x7F));
    while (n) out.push_back(buf[--n]);
}

void PutTrack(std::vector<uint8_t>& out, std::vector<Event> events) {
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::vector<uint8_t> body;
    int last = 0;
    for (const Event& e : events) {
        PutVarLen(body, uint32_t(e.tick - last));
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
        last = e.tick;
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    Put32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

}  // namespace

void WriteMusic(const std::string& path) {
    const Chord C{0, false}, F{5, false}, G{7, false}, Am{9, true}, Dm{2, true}, Em{4, true};
    const std::vector<Chord> verse = {C, G, Am, F, C, F, G, C};
    const std::vector<Chord> bridge = {F, C, Dm, G, F, C, Em, G};
    // Heights the melody reaches for, bar by bar: an arch, and a higher one in the bridge.
    const std::vector<int> verseShape = {76, 74, 72, 77, 79, 81, 79, 72};
    const std::vector<int> bridgeShape = {81, 79, 77, 83, 84, 79, 76, 74};
    Track tune;
    const int setup[][3] = {{0, 73, 100}, {1, 0, 78}, {2, 33, 100}, {3, 12, 70}};
    for (const auto& s : setup) {
        tune.Program(s[0], 0, s[1]);
        tune.Control(s[0], 0, 7, s[2]);
        tune.Control(s[0], 0, 91, 40);
        tune.Control(s[0], 0, 10, 64 + (s[0] - 1) * 18);
    }
    tune.Control(9, 0, 7, 92);
    tune.Control(9, 0, 91, 30);
    Rng verseRng(2024), bridgeRng(1999);
    int tick = 0;
    // Intro: chords and a light beat.
    Accompany(tune, tick, {C, F, G, G}, false);
    Drums(tune, tick, 4, true, false);
    tick += 4 * BAR;
    const char form[] = "AABABA";
    for (int s = 0; form[s]; ++s) {
        bool bridgePart = form[s] == 'B';
        // The last verse steps up a whole tone, the old lift for a final chorus.
        if (form[s + 1] == '\0') tune.transpose = 2;
        const std::vector<Chord>& chords = bridgePart ? bridge : verse;
        // Every verse reuses the same melody, every bridge its own: a tune to hum along.
        Rng melodyRng = bridgePart ? bridgeRng : verseRng;
        Melody(tune, melodyRng, tick, chords, bridgePart ? bridgeShape : verseShape, !bridgePart);
        Accompany(tune, tick, chords, bridgePart || s == 5);
        Drums(tune, tick, 8, false, true);
        tick += 8 * BAR;
    }
    // Ending: one long chord of the new key over a crash.
    tune.Note(0, tick, 2 * BAR - 60, 72, 96);
    for (int k : {48, 60, 64, 67}) tune.Note(1, tick, 2 * BAR - 60, k, 70);
    tune.Note(2, tick, 2 * BAR - 60, 36, 100);
    tune.Note(9, tick, BAR, 49, 110);
    tune.Note(9, tick, EIGHTH, 36, 110);

    std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2};
    out.push_back(uint8_t(TICKS_PER_QUARTER >> 8));
    out.push_back(uint8_t(TICKS_PER_QUARTER & 0xFF));
    std::vector<Event> tempo = {
        {0, 1, {0xFF, 0x51, 0x03, 0x07, 0x53, 0x00}},  // 480000 us a quarter: 125 beats a minute
        {0, 1, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}}};
    PutTrack(out, tempo);
    PutTrack(out, tune.events);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    size_t written = std::fwrite(out.data(), 1, out.size(), file);
    std::fclose(file);
    if (written != out.size()) throw std::runtime_error("short write to " + path);
}
