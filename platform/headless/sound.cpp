// The recording sound backend: a sequencer that answers commands as a real one does, and a
// log of every sound started, with the clock time, for tests and the replay.
#include "platform/sound.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/common/sequencer.h"
#include "platform/files.h"
#include "platform/headless/backend.h"  // HeadlessResetSound
#include "platform/headless/headless.h"

namespace {

constexpr int MAX_EVENTS = 4096;
constexpr int MAX_CALLS = 256;
// One sequencer at a time, as with a single MIDI output.
constexpr MCIDEVICEID SEQUENCER_ID = 1;

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

MCIERROR Open(uint32_t flags, MCI_OPEN_PARMS* params) {
    uint32_t length = 0;
    MCIERROR error = CheckSequencerOpen(flags, params, &length);
    if (error != 0) return error;
    if (music != Music::Closed) return MCIERR_DEVICE_OPEN;
    musicLength = length;
    music = Music::Ready;
    snprintf(musicFile, sizeof musicFile, "%s", params->lpstrElementName);
    params->wDeviceID = SEQUENCER_ID;
    return 0;
}

// Without a from position the play goes on from where the file stands: once it has played
// to its end, playing again plays nothing.
MCIERROR Play(uint32_t flags, const MCI_PLAY_PARMS* params) {
    if ((flags & MCI_NOTIFY) != 0 && params == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!midiOutput) return MCIERR_SEQ_NOMIDIPRESENT;
    if (music == Music::Ready) {
        music = Music::Playing;
        musicStart = timeGetTime();
        Record(musicFile, true, false);
    }
    return 0;
}

MCIERROR Command(MCIDEVICEID device, uint32_t message, uint32_t flags, void* params) {
    FollowClock();
    if (message == MCI_OPEN) {
        if (device != 0) return MCIERR_INVALID_DEVICE_ID;
        return Open(flags, static_cast<MCI_OPEN_PARMS*>(params));
    }
    if (device != SEQUENCER_ID || music == Music::Closed) return MCIERR_INVALID_DEVICE_ID;
    if (message == MCI_PLAY) return Play(flags, static_cast<const MCI_PLAY_PARMS*>(params));
    if (message == MCI_CLOSE) {
        music = Music::Closed;
        return 0;
    }
    return MCIERR_UNRECOGNIZED_COMMAND;
}

// Whether an effect's file could be played: a regular file this user may read. Asked at
// every effect, so of the file's entry rather than by opening it.
bool FileExists(const char* gameName) {
    std::string path = HostPath(gameName);
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), R_OK) == 0;
}

}  // namespace

MCIERROR mciSendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, uintptr_t params) {
    MCIERROR result =
        Command(device, message, static_cast<uint32_t>(flags), reinterpret_cast<void*>(params));
    if (callCount < MAX_CALLS)
        calls[callCount++] = {device, message, static_cast<uint32_t>(flags), result};
    return result;
}

bool sndPlaySound(const char* gameName, uint32_t flags) {
    if (gameName == nullptr) return true;  // stops the effect playing; nothing to record
    bool found = FileExists(gameName);
    if (!found && (flags & SND_NODEFAULT) != 0) return false;
    Record(gameName, false, !found);
    return true;
}

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
    music = Music::Closed;
    musicFile[0] = '\0';
    musicLength = 0;
    musicStart = 0;
    midiOutput = true;
}
