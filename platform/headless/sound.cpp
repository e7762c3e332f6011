// The recording sound driver: a MIDI output whose music ends by the clock, and a log of every
// sound started, with the clock time, for tests and the replay.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/common/sound_driver.h"
#include "platform/files.h"
#include "platform/headless/backend.h"  // HeadlessResetSound
#include "platform/headless/headless.h"

namespace {

constexpr int MAX_EVENTS = 4096;
constexpr int MAX_CALLS = 256;

enum class Music { Closed, Ready, Playing, Ended };

HeadlessSoundEvent events[MAX_EVENTS];
int eventCount;
HeadlessMciCall calls[MAX_CALLS];
int callCount;

Music music;
char musicFile[sizeof events[0].file];
uint32_t musicLength;  // ms
uint32_t musicStart;   // clock ms
bool midiOutput = true;
HeadlessSoundHook soundHook;

void Record(const char* file, bool isMusic, bool defaultTone) {
    if (eventCount >= MAX_EVENTS) return;
    HeadlessSoundEvent& event = events[eventCount++];
    event.time = timeGetTime();
    snprintf(event.file, sizeof event.file, "%s", file);
    event.music = isMusic;
    event.defaultTone = defaultTone;
    if (soundHook != nullptr) soundHook(event);
}

// The music ends by itself once the clock has passed the file's playing time.
void FollowClock() {
    if (music == Music::Playing && timeGetTime() - musicStart >= musicLength) music = Music::Ended;
}

bool OpenMusic(const char* gameName, uint32_t lengthMs) {
    musicLength = lengthMs;
    music = Music::Ready;
    snprintf(musicFile, sizeof musicFile, "%s", gameName);
    return true;
}

void PlayMusic() {
    music = Music::Playing;
    musicStart = timeGetTime();
    Record(musicFile, true, false);
}

// A regular file this user may read. Asked at every effect, so of the file's entry rather
// than by opening it.
bool FindEffect(const char* gameName) {
    std::string path = HostPath(gameName);
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), R_OK) == 0;
}

bool PlayEffect(const char* gameName, bool found) {
    Record(gameName, false, !found);
    return true;
}

void Answered(MCIDEVICEID device, uint32_t message, uintptr_t flags, MCIERROR result) {
    FollowClock();
    if (callCount < MAX_CALLS)
        calls[callCount++] = {device, message, static_cast<uint32_t>(flags), result};
}

}  // namespace

// Stopping an effect leaves nothing to record.
extern const SoundDriver HEADLESS_SOUND = {
    .midiOutput = [] { return midiOutput; },
    .openMusic = OpenMusic,
    .playMusic = PlayMusic,
    .closeMusic = [] { music = Music::Closed; },
    .musicRefused = nullptr,
    .findEffect = FindEffect,
    .playEffect = PlayEffect,
    .stopEffect = [] { return true; },
    .answered = Answered,
};

int HeadlessSoundEvents(HeadlessSoundEvent* out, int capacity) {
    for (int i = 0; i < eventCount && i < capacity; ++i) out[i] = events[i];
    return eventCount;
}

const char* HeadlessMusicState() {
    FollowClock();
    switch (music) {
        case Music::Playing:
            return "playing";
        case Music::Ready:
        case Music::Ended:
            return "stopped";
        case Music::Closed:
            break;
    }
    return "none";
}

void HeadlessFinishMusic() {
    if (music == Music::Playing) music = Music::Ended;
}

void HeadlessSetMidiOutput(bool present) {
    midiOutput = present;
}

int HeadlessMciCalls(HeadlessMciCall* out, int capacity) {
    for (int i = 0; i < callCount && i < capacity; ++i) out[i] = calls[i];
    return callCount;
}

void HeadlessSetSoundHook(HeadlessSoundHook hook) {
    soundHook = hook;
}

void HeadlessResetSound() {
    soundHook = nullptr;
    eventCount = 0;
    callCount = 0;
    CommonResetSequencer();
    music = Music::Closed;
    musicFile[0] = '\0';
    musicLength = 0;
    musicStart = 0;
    midiOutput = true;
}
