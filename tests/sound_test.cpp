// The music's start-up commands and the recording sound backend that the replay reports from.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "app/app.h"
#include "platform/headless/headless.h"
#include "tests/support/sound_files.h"

namespace {

constexpr uint32_t OPEN_FLAGS = MCI_OPEN_TYPE | MCI_OPEN_ELEMENT;

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        musicOpenParams = {};
        musicPlayParams = {};
        mainWindow = nullptr;
        folder = EnterTempGameFolder("music");
    }
    void TearDown() override { RemoveTempGameFolder(folder); }

    static int Calls(HeadlessMciCall* calls) { return HeadlessMciCalls(calls, 8); }
    static int Events(HeadlessSoundEvent* events) { return HeadlessSoundEvents(events, 16); }

    std::string folder;
};

TEST_F(MusicTest, OpensTheSequencerAndStartsTheMusicOnce) {
    ASSERT_TRUE(WriteTestMidi("data/tavok.mid", 4, 250));
    HeadlessSetClock(1234);
    const char* name = "data\\tavok.mid";

    EXPECT_EQ(OpenMusic(name), 0u);
    EXPECT_STREQ(musicOpenParams.lpstrDeviceType, "sequencer");
    EXPECT_EQ(musicOpenParams.lpstrElementName, name);
    EXPECT_EQ(musicOpenParams.lpstrAlias, nullptr);
    EXPECT_NE(musicOpenParams.wDeviceID, 0u);
    EXPECT_STREQ(HeadlessMusicState(), "stopped");
    PlayMusic();

    HeadlessMciCall calls[8];
    ASSERT_EQ(Calls(calls), 2);
    EXPECT_EQ(calls[0].device, 0u);
    EXPECT_EQ(calls[0].message, MCI_OPEN);
    EXPECT_EQ(calls[0].flags, 0x2200u);
    EXPECT_EQ(calls[1].device, musicOpenParams.wDeviceID);
    EXPECT_EQ(calls[1].message, MCI_PLAY);
    EXPECT_EQ(calls[1].flags, MCI_NOTIFY);
    EXPECT_EQ(calls[1].result, 0u);
    EXPECT_STREQ(HeadlessMusicState(), "playing");

    HeadlessSoundEvent events[16];
    ASSERT_EQ(Events(events), 1);
    EXPECT_STREQ(events[0].file, "data\\tavok.mid");
    EXPECT_TRUE(events[0].music);
    EXPECT_EQ(events[0].time, 1234u);
}

TEST_F(MusicTest, PlayTakesTheWindowAsCallbackAtThatMoment) {
    ASSERT_TRUE(WriteTestMidi("data/tavok.mid", 1, 100));
    OpenMusic("data\\tavok.mid");
    mainWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5000));
    PlayMusic();
    EXPECT_EQ(musicPlayParams.dwCallback, 0x5000u);
}

TEST_F(MusicTest, MissingFileGivesNoMusicAndAHarmlessPlayAndClose) {
    EXPECT_EQ(OpenMusic("data\\tavok.mid"), MCIERR_FILE_NOT_FOUND);
    PlayMusic();

    HeadlessMciCall calls[8];
    ASSERT_EQ(Calls(calls), 3);
    EXPECT_EQ(calls[1].device, 0u);
    EXPECT_EQ(calls[1].message, MCI_PLAY);
    EXPECT_EQ(calls[1].result, MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(calls[2].device, 0u);
    EXPECT_EQ(calls[2].message, MCI_CLOSE);
    EXPECT_EQ(calls[2].flags, 0u);
    EXPECT_EQ(calls[2].result, MCIERR_INVALID_DEVICE_ID);
    EXPECT_STREQ(HeadlessMusicState(), "none");
    HeadlessSoundEvent events[16];
    EXPECT_EQ(Events(events), 0);
}

TEST_F(MusicTest, AFileThatIsNoMidiFileIsRefused) {
    ASSERT_TRUE(WriteTestWave("data/tavok.mid", 440, 100));
    EXPECT_EQ(OpenMusic("data\\tavok.mid"), MCIERR_INVALID_FILE);
    PlayMusic();
    EXPECT_STREQ(HeadlessMusicState(), "none");
}

TEST_F(MusicTest, AFailedPlayClosesTheDevice) {
    ASSERT_TRUE(WriteTestMidi("data/tavok.mid", 4, 250));
    HeadlessSetMidiOutput(false);
    ASSERT_EQ(OpenMusic("data\\tavok.mid"), 0u);
    MCIDEVICEID id = musicOpenParams.wDeviceID;
    PlayMusic();

    HeadlessMciCall calls[8];
    ASSERT_EQ(Calls(calls), 3);
    EXPECT_EQ(calls[1].result, MCIERR_SEQ_NOMIDIPRESENT);
    EXPECT_EQ(calls[2].device, id);
    EXPECT_EQ(calls[2].message, MCI_CLOSE);
    EXPECT_EQ(calls[2].flags, 0u);
    EXPECT_EQ(calls[2].result, 0u);
    EXPECT_STREQ(HeadlessMusicState(), "none");
    // Closed for good: the id is no longer valid.
    EXPECT_EQ(mciSendCommand(id, MCI_PLAY, 0, 0), MCIERR_INVALID_DEVICE_ID);
}

TEST_F(MusicTest, MusicAtItsEndStaysStoppedWhenPlayedAgain) {
    ASSERT_TRUE(WriteTestMidi("data/tavok.mid", 4, 250));
    OpenMusic("data\\tavok.mid");
    PlayMusic();
    HeadlessFinishMusic();
    EXPECT_STREQ(HeadlessMusicState(), "stopped");
    EXPECT_EQ(mciSendCommand(musicOpenParams.wDeviceID, MCI_PLAY, MCI_NOTIFY,
                             reinterpret_cast<uintptr_t>(&musicPlayParams)),
              0u);
    EXPECT_STREQ(HeadlessMusicState(), "stopped");
    HeadlessSoundEvent events[16];
    EXPECT_EQ(Events(events), 1);
}

TEST_F(MusicTest, MusicEndsByItselfAfterTheFilesPlayingTime) {
    ASSERT_TRUE(WriteTestMidi("data/tavok.mid", 4, 250));  // 1000 ms
    HeadlessSetClock(0xFFFFFF00u);                         // the end lies past the wrap
    OpenMusic("data\\tavok.mid");
    PlayMusic();
    HeadlessSetClock(0xFFFFFF00u + 999);
    EXPECT_STREQ(HeadlessMusicState(), "playing");
    HeadlessSetClock(0xFFFFFF00u + 1000);
    EXPECT_STREQ(HeadlessMusicState(), "stopped");
    HeadlessSetClock(0xFFFFFF00u + 5000);
    EXPECT_STREQ(HeadlessMusicState(), "stopped");
}

TEST_F(MusicTest, SequencerAnswersBadCommandsLikeARealDevice) {
    ASSERT_TRUE(WriteTestMidi("data/tavok.mid", 1, 100));
    MCI_OPEN_PARMS open = {0, 0, "sequencer", "data\\tavok.mid", nullptr};
    MCI_OPEN_PARMS waveaudio = {0, 0, "waveaudio", "data\\tavok.mid", nullptr};
    MCI_OPEN_PARMS noFile = {0, 0, "sequencer", nullptr, nullptr};

    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, 0), MCIERR_NULL_PARAMETER_BLOCK);
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&waveaudio)),
              MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&noFile)),
              MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(mciSendCommand(7, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&open)),
              MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(mciSendCommand(1, MCI_PLAY, 0, 0), MCIERR_INVALID_DEVICE_ID);

    ASSERT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&open)), 0u);
    MCI_OPEN_PARMS again = open;
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&again)),
              MCIERR_DEVICE_OPEN);
    EXPECT_EQ(mciSendCommand(open.wDeviceID + 1, MCI_PLAY, 0, 0), MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(mciSendCommand(open.wDeviceID, MCI_PLAY, MCI_NOTIFY, 0), MCIERR_NULL_PARAMETER_BLOCK);
    EXPECT_EQ(mciSendCommand(open.wDeviceID, 0x0809, 0, 0), MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_STREQ(HeadlessMusicState(), "stopped");
    EXPECT_EQ(mciSendCommand(open.wDeviceID, MCI_CLOSE, 0, 0), 0u);
    EXPECT_EQ(mciSendCommand(open.wDeviceID, MCI_CLOSE, 0, 0), MCIERR_INVALID_DEVICE_ID);
    // Once closed it may be opened again.
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<uintptr_t>(&open)), 0u);
}

TEST(SoundEffectTest, EffectsAreRecordedWithFileTimeAndDefaultTone) {
    HeadlessReset();
    std::string folder = EnterTempGameFolder("effects");
    ASSERT_TRUE(WriteTestWave("data/shot.wav", 1000, 100));

    HeadlessSetClock(500);
    EXPECT_TRUE(sndPlaySound("data\\shot.wav", SND_ASYNC));
    HeadlessSetClock(520);
    EXPECT_TRUE(sndPlaySound("data\\load.wav", SND_ASYNC));  // missing: the default tone
    EXPECT_FALSE(sndPlaySound("data\\load.wav", SND_ASYNC | SND_NODEFAULT));
    EXPECT_TRUE(sndPlaySound(nullptr, 0));
    ASSERT_EQ(mkdir("data/folder.wav", 0755), 0);  // a folder is no wave either
    EXPECT_FALSE(sndPlaySound("data\\folder.wav", SND_ASYNC | SND_NODEFAULT));

    HeadlessSoundEvent events[4];
    ASSERT_EQ(HeadlessSoundEvents(events, 4), 2);
    EXPECT_STREQ(events[0].file, "data\\shot.wav");
    EXPECT_EQ(events[0].time, 500u);
    EXPECT_FALSE(events[0].music);
    EXPECT_FALSE(events[0].defaultTone);
    EXPECT_STREQ(events[1].file, "data\\load.wav");
    EXPECT_EQ(events[1].time, 520u);
    EXPECT_TRUE(events[1].defaultTone);
    EXPECT_STREQ(HeadlessMusicState(), "none");

    // The count stays true when the caller asks for fewer.
    EXPECT_EQ(HeadlessSoundEvents(events, 1), 2);
    HeadlessReset();
    EXPECT_EQ(HeadlessSoundEvents(events, 4), 0);
    RemoveTempGameFolder(folder);
}

}  // namespace
