// The playing time of a MIDI file, which tells the headless sequencer when the music ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/common/sequencer.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Header(uint16_t format, uint16_t tracks, uint16_t division) {
    return {'M',
            'T',
            'h',
            'd',
            0,
            0,
            0,
            6,
            0,
            static_cast<uint8_t>(format),
            0,
            static_cast<uint8_t>(tracks),
            static_cast<uint8_t>(division >> 8),
            static_cast<uint8_t>(division)};
}

void AddTrack(Bytes& file, const Bytes& events) {
    uint32_t n = static_cast<uint32_t>(events.size());
    file.insert(file.end(),
                {'M', 'T', 'r', 'k', static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                 static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    file.insert(file.end(), events.begin(), events.end());
}

bool Length(const Bytes& file, uint32_t* ms) {
    return MidiFileLength(file.data(), file.size(), ms);
}

TEST(MidiLengthTest, FollowsTheTempoMapAcrossTracks) {
    // One quarter note at the default 120 beats a minute: 960 ticks at 480 a quarter is 1 s.
    Bytes single = Header(0, 1, 480);
    AddTrack(single, {0x00, 0x90, 60, 100, 0x87, 0x40, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
    uint32_t ms = 0;
    ASSERT_TRUE(Length(single, &ms));
    EXPECT_EQ(ms, 1000u);

    // Tempo track: one beat a second, then from tick 480 four a second; the notes run on to
    // tick 960 in a second track with running status: 1000 ms + 250 ms.
    Bytes tempo = Header(1, 2, 480);
    AddTrack(tempo, {0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,  // 1000000 us
                     0x83, 0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x00, 0xFF, 0x2F, 0x00});
    AddTrack(tempo,
             {0x00, 0x90, 60, 100, 0x83, 0x60, 64, 100, 0x83, 0x60, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
    ASSERT_TRUE(Length(tempo, &ms));
    EXPECT_EQ(ms, 1250u);

    // SMPTE time: 25 frames of 40 ticks, 1000 ticks a second; a sysex and a program change
    // on the way.
    Bytes smpte = Header(0, 1, 0xE728);
    AddTrack(smpte, {0x00, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 0xC0, 0x05, 0x83, 0x74, 0x90, 60, 0, 0x00,
                     0xFF, 0x2F, 0x00});
    ASSERT_TRUE(Length(smpte, &ms));
    EXPECT_EQ(ms, 500u);
}

TEST(MidiLengthTest, RefusesDamagedFiles) {
    uint32_t ms = 0;
    Bytes good = Header(0, 1, 480);
    AddTrack(good, {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
    ASSERT_TRUE(Length(good, &ms));

    for (size_t cut = 0; cut < good.size(); ++cut) {
        Bytes shorter(good.begin(), good.begin() + static_cast<long>(cut));
        EXPECT_FALSE(Length(shorter, &ms)) << "cut at " << cut;
    }
    Bytes noStatus = Header(0, 1, 480);
    AddTrack(noStatus, {0x00, 60, 100});  // data bytes before any status
    EXPECT_FALSE(Length(noStatus, &ms));
    Bytes endlessNumber = Header(0, 1, 480);
    AddTrack(endlessNumber, {0xFF, 0xFF, 0xFF, 0xFF, 0x7F});
    EXPECT_FALSE(Length(endlessNumber, &ms));
    Bytes moreTracks = good;
    moreTracks[11] = 2;  // says two tracks, holds one
    EXPECT_FALSE(Length(moreTracks, &ms));
    Bytes noDivision = good;
    noDivision[12] = noDivision[13] = 0;
    EXPECT_FALSE(Length(noDivision, &ms));
}

TEST(MidiLengthTest, TheGamesMusicHasALength) {
    std::ifstream in(std::string(SOURCE_DIR) + "/data/tavok.mid", std::ios::binary);
    Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    uint32_t ms = 0;
    ASSERT_TRUE(Length(file, &ms));
    EXPECT_GT(ms, 10000u);
}

}  // namespace
