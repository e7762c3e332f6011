// Real sound through SDL2_mixer and FluidSynth, rendered into a file by SDL's disk audio
// driver and checked there. The sound backend keeps process-wide state (its thread, the
// mixer), so every test needs a process of its own, as gtest_discover_tests gives it.
#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound.h"
#include "tests/support/sound_files.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t OPEN_FLAGS = MCI_OPEN_TYPE | MCI_OPEN_ELEMENT;
constexpr int WINDOW = 882;  // 20 ms at 44100 Hz

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

template <typename Condition>
bool WaitFor(Condition condition, int ms) {
    Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (Clock::now() > end) return false;
        Sleep(5);
    }
    return true;
}

// A game folder with the disk driver writing into it and stderr going to a file there.
class AudioTest : public ::testing::Test {
protected:
    void Enter(const char* name, const char* driver = "disk") {
        folder = EnterTempGameFolder(name);
        // With "font.des" beside "data" the folder is a game folder and the files are found here.
        std::ofstream("font.des").flush();
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", (folder + "/out.raw").c_str(), 1);
        fflush(stderr);
        int log = open((folder + "/stderr.txt").c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(log, 0);
        dup2(log, 2);
        close(log);
    }

    void TearDown() override {
        if (!HasFailure()) RemoveTempGameFolder(folder);
    }

    static bool MixerOpen() {
        int frequency = 0, channels = 0;
        Uint16 format = 0;
        return Mix_QuerySpec(&frequency, &format, &channels) != 0;
    }

    // Starts the sound backend and waits until its mixer is open, in the format read back.
    static void OpenMixer() {
        sndPlaySound(nullptr, 0);
        ASSERT_TRUE(WaitFor(MixerOpen, 5000));
        int frequency = 0, channels = 0;
        Uint16 format = 0;
        Mix_QuerySpec(&frequency, &format, &channels);
        ASSERT_EQ(frequency, 44100);
        ASSERT_EQ(format, AUDIO_S16SYS);
        ASSERT_EQ(channels, 2);
    }

    // The left channel as written so far.
    std::vector<double> Rendered() const {
        std::ifstream in(folder + "/out.raw", std::ios::binary);
        std::vector<double> left;
        int16_t frame[2];
        while (in.read(reinterpret_cast<char*>(frame), sizeof frame)) left.push_back(frame[0]);
        return left;
    }

    std::string Stderr() const {
        fflush(stderr);
        std::ifstream in(folder + "/stderr.txt");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string folder;
};

double Rms(const std::vector<double>& s, size_t from, size_t count) {
    double sum = 0;
    for (size_t i = from; i < from + count && i < s.size(); ++i) sum += s[i] * s[i];
    return std::sqrt(sum / static_cast<double>(count));
}

// The amplitude of one frequency in a stretch of samples (Goertzel).
double ToneLevel(const std::vector<double>& s, size_t from, size_t count, double frequency) {
    double k = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / 44100.0);
    double a = 0, b = 0;
    for (size_t i = from; i < from + count && i < s.size(); ++i) {
        double next = s[i] + k * a - b;
        b = a;
        a = next;
    }
    return 2.0 * std::sqrt(std::max(0.0, a * a + b * b - k * a * b)) / static_cast<double>(count);
}

// The first 20 ms window from start on where the tone stands out, or npos.
size_t FindTone(const std::vector<double>& s, double frequency, size_t start = 0) {
    for (size_t at = start; at + WINDOW <= s.size(); at += WINDOW) {
        if (ToneLevel(s, at, WINDOW, frequency) > 2000) return at;
    }
    return std::string::npos;
}

// Lines of the program's own; SDL's disk driver announces itself with "CRITICAL:" lines.
int CountLines(const std::string& text) {
    std::istringstream in(text);
    int lines = 0;
    for (std::string line; std::getline(in, line);) lines += line.rfind("CRITICAL:", 0) != 0;
    return lines;
}

TEST_F(AudioTest, MusicIsSynthesizedAndTheShotIsHeardBesideIt) {
    Enter("audio-music");
    ASSERT_TRUE(WriteTestMidi("data/tavok.mid", 16, 250));
    ASSERT_TRUE(WriteTestWave("data/shot.wav", 3000, 300));

    // The game thread must not wait for the mixer or the soundfont (the large one loads
    // for more than half a second).
    Clock::time_point before = Clock::now();
    MCI_OPEN_PARMS open = {0, 0, "sequencer", "data\\tavok.mid", nullptr};
    MCI_PLAY_PARMS play = {0, 0, 0};
    ASSERT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&open)), 0u);
    ASSERT_EQ(
        mciSendCommand(open.wDeviceID, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<uintptr_t>(&play)),
        0u);
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(250));

    // On a busy machine the soundfont's load takes seconds.
    ASSERT_TRUE(WaitFor([] { return Mix_PlayingMusic() != 0; }, 30000));
    Sleep(600);
    EXPECT_TRUE(sndPlaySound("data\\shot.wav", SND_ASYNC));
    auto shotHeard = [&] {
        std::vector<double> out = Rendered();
        size_t at = FindTone(out, 3000);
        return at != std::string::npos && out.size() >= at + 2 * WINDOW;
    };
    ASSERT_TRUE(WaitFor(shotHeard, 10000)) << "the shot is not in the output";
    EXPECT_TRUE(Mix_PlayingMusic());

    std::vector<double> out = Rendered();
    size_t shot = FindTone(out, 3000);
    double loudest = 0;
    for (size_t at = 0; at + WINDOW <= shot; at += WINDOW) {
        loudest = std::max(loudest, Rms(out, at, WINDOW));
    }
    EXPECT_GT(loudest, 300) << "the music before the shot is silence";
    EXPECT_GT(Rms(out, shot + WINDOW, WINDOW), 3000);

    std::string log = Stderr();
    EXPECT_NE(log.find("sound: MIDI soundfont /usr/share/sounds/"), std::string::npos) << log;
    EXPECT_EQ(CountLines(log), 1) << log;
}

TEST_F(AudioTest, MusicPlaysOnceAndIsNotRestarted) {
    Enter("audio-once");
    ASSERT_TRUE(WriteTestMidi("data/tavok.mid", 2, 150));
    MCI_OPEN_PARMS open = {0, 0, "sequencer", "data\\tavok.mid", nullptr};
    ASSERT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&open)), 0u);
    ASSERT_EQ(mciSendCommand(open.wDeviceID, MCI_PLAY, 0, 0), 0u);
    ASSERT_TRUE(WaitFor([] { return Mix_PlayingMusic() != 0; }, 30000));
    ASSERT_TRUE(WaitFor([] { return Mix_PlayingMusic() == 0; }, 5000));

    EXPECT_EQ(mciSendCommand(open.wDeviceID, MCI_PLAY, 0, 0), 0u);
    Sleep(500);
    EXPECT_FALSE(Mix_PlayingMusic());
    std::vector<double> out = Rendered();
    ASSERT_GT(out.size(), 44100u / 4);
    EXPECT_LT(Rms(out, out.size() - 44100 / 4, 44100 / 4), 1.0);
}

TEST_F(AudioTest, ANewEffectCutsOffTheOneStillPlaying) {
    Enter("audio-voice");
    ASSERT_TRUE(WriteTestWave("data/shot.wav", 500, 1500));
    ASSERT_TRUE(WriteTestWave("data/load.wav", 2000, 1000));
    OpenMixer();

    // Each effect is waited for in the output rather than for a time: on a busy machine the
    // sound thread may take both requests at once, and the shot would never be heard.
    EXPECT_TRUE(sndPlaySound("data\\shot.wav", SND_ASYNC));
    ASSERT_TRUE(WaitFor([&] { return FindTone(Rendered(), 500) != std::string::npos; }, 10000));
    EXPECT_TRUE(sndPlaySound("data\\load.wav", SND_ASYNC));
    auto reloadHeard = [&] {
        std::vector<double> out = Rendered();
        size_t at = FindTone(out, 2000);
        return at != std::string::npos && out.size() >= at + 12 * WINDOW;
    };
    ASSERT_TRUE(WaitFor(reloadHeard, 10000));

    std::vector<double> out = Rendered();
    size_t shot = FindTone(out, 500);
    size_t reload = FindTone(out, 2000);
    ASSERT_NE(shot, std::string::npos);
    ASSERT_NE(reload, std::string::npos);
    ASSERT_LT(shot, reload);
    ASSERT_GE(out.size(), reload + 12 * WINDOW);
    // From the window after the reload's start on, the shot's tone is gone.
    for (size_t at = reload + WINDOW; at < reload + 12 * WINDOW; at += WINDOW) {
        EXPECT_LT(ToneLevel(out, at, WINDOW, 500), 50) << "at sample " << at;
        EXPECT_GT(ToneLevel(out, at, WINDOW, 2000), 2000) << "at sample " << at;
    }
}

TEST_F(AudioTest, AMissingWaveFilePlaysTheDefaultTone) {
    Enter("audio-default");
    // Refused while the mixer is still opening, and once it is open.
    EXPECT_FALSE(sndPlaySound("data\\missing.wav", SND_ASYNC | SND_NODEFAULT));
    OpenMixer();
    EXPECT_FALSE(sndPlaySound("data\\missing.wav", SND_ASYNC | SND_NODEFAULT));
    size_t from = Rendered().size();
    ASSERT_TRUE(WaitFor([&] { return Rendered().size() >= from + 44100 / 5; }, 10000));
    std::vector<double> quiet = Rendered();
    EXPECT_LT(Rms(quiet, 0, quiet.size()), 1.0);

    EXPECT_TRUE(sndPlaySound("data\\missing.wav", SND_ASYNC));
    auto toneHeard = [&] {
        std::vector<double> out = Rendered();
        for (size_t at = quiet.size(); at + WINDOW <= out.size(); at += WINDOW) {
            if (Rms(out, at, WINDOW) > 1000) return true;
        }
        return false;
    };
    EXPECT_TRUE(WaitFor(toneHeard, 10000));
}

TEST_F(AudioTest, NoAudioDriverRunsSilentWithOneLine) {
    Enter("audio-none", "no-such-driver");
    ASSERT_TRUE(WriteTestMidi("data/tavok.mid", 2, 150));
    MCI_OPEN_PARMS open = {0, 0, "sequencer", "data\\tavok.mid", nullptr};
    ASSERT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&open)), 0u);
    EXPECT_EQ(mciSendCommand(open.wDeviceID, MCI_PLAY, 0, 0), MCIERR_SEQ_NOMIDIPRESENT);
    EXPECT_EQ(mciSendCommand(open.wDeviceID, MCI_CLOSE, 0, 0), 0u);
    EXPECT_FALSE(sndPlaySound("data\\shot.wav", SND_ASYNC));
    std::string log = Stderr();
    EXPECT_NE(log.find("runs silent"), std::string::npos) << log;
    EXPECT_EQ(CountLines(log), 1) << log;
}

TEST_F(AudioTest, ADeviceThatCannotBeOpenedRunsSilentWithOneLine) {
    Enter("audio-broken");
    setenv("SDL_DISKAUDIOFILE", "/nonexistent-folder/out.raw", 1);
    ASSERT_TRUE(WriteTestMidi("data/tavok.mid", 2, 150));
    MCI_OPEN_PARMS open = {0, 0, "sequencer", "data\\tavok.mid", nullptr};
    ASSERT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&open)), 0u);
    // The device opens in the background: until it has failed, effects are accepted.
    ASSERT_TRUE(WaitFor([] { return !sndPlaySound("data\\shot.wav", SND_ASYNC); }, 5000));
    EXPECT_EQ(mciSendCommand(open.wDeviceID, MCI_PLAY, 0, 0), MCIERR_SEQ_NOMIDIPRESENT);
    std::string log = Stderr();
    EXPECT_NE(log.find("runs silent"), std::string::npos) << log;
    EXPECT_EQ(CountLines(log), 1) << log;
}

// The open fails before any sound starts, and the player reads why, once a file.
TEST_F(AudioTest, AMusicFileThatCannotPlayIsNamedOnce) {
    Enter("audio-refused", "no-such-driver");
    std::ofstream("data/broken.mid") << "not a MIDI file";
    MCI_OPEN_PARMS missing = {0, 0, "sequencer", "data\\tavok.mid", nullptr};
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&missing)),
              MCIERR_FILE_NOT_FOUND);
    MCI_OPEN_PARMS broken = {0, 0, "sequencer", "data\\broken.mid", nullptr};
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&broken)),
              MCIERR_INVALID_FILE);
    std::string log = Stderr();
    EXPECT_NE(log.find("data/tavok.mid (missing)"), std::string::npos) << log;
    EXPECT_NE(log.find("data/broken.mid (not a MIDI file)"), std::string::npos) << log;
    EXPECT_EQ(CountLines(log), 2) << log;
}

}  // namespace
