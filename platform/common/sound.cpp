// The sequencer's open, play and close, and the wave player's rules, as the game's commands
// find them on the original platform. The driver only makes the sound.
#include <cstdint>

#include "platform/common/driver.h"
#include "platform/common/sequencer.h"

namespace {

// One sequencer at a time, as with a single MIDI output.
constexpr MCIDEVICEID SEQUENCER_ID = 1;

bool sequencerOpen;
bool musicPlayed;  // since the open: without a from position a play goes on from the end

MCIERROR Open(const SoundDriver& driver, uint32_t flags, MCI_OPEN_PARMS* params) {
    uint32_t length = 0;
    MCIERROR error = CheckSequencerOpen(flags, params, &length);
    // The game goes on silently after a failed open, as it did on Windows.
    if ((error == MCIERR_FILE_NOT_FOUND || error == MCIERR_INVALID_FILE) &&
        driver.musicRefused != nullptr) {
        driver.musicRefused(params->lpstrElementName, error);
    }
    if (error != 0) return error;
    if (sequencerOpen) return MCIERR_DEVICE_OPEN;
    if (!driver.openMusic(params->lpstrElementName, length)) return MCIERR_FILE_NOT_FOUND;
    sequencerOpen = true;
    musicPlayed = false;
    params->wDeviceID = SEQUENCER_ID;
    return 0;
}

// No completion notice is ever sent: the game never handles one.
MCIERROR Play(const SoundDriver& driver, uint32_t flags, const MCI_PLAY_PARMS* params) {
    if ((flags & MCI_NOTIFY) != 0 && params == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!driver.midiOutput()) return MCIERR_SEQ_NOMIDIPRESENT;
    if (!musicPlayed) driver.playMusic();
    musicPlayed = true;
    return 0;
}

MCIERROR Command(const SoundDriver& driver, MCIDEVICEID device, uint32_t message, uintptr_t flags,
                 uintptr_t params) {
    if (message == MCI_OPEN) {
        if (device != 0) return MCIERR_INVALID_DEVICE_ID;
        return Open(driver, static_cast<uint32_t>(flags),
                    reinterpret_cast<MCI_OPEN_PARMS*>(params));
    }
    if (device != SEQUENCER_ID || !sequencerOpen) return MCIERR_INVALID_DEVICE_ID;
    if (message == MCI_PLAY) {
        return Play(driver, static_cast<uint32_t>(flags),
                    reinterpret_cast<const MCI_PLAY_PARMS*>(params));
    }
    if (message == MCI_CLOSE) {
        sequencerOpen = false;
        driver.closeMusic();
        return 0;
    }
    return MCIERR_UNRECOGNIZED_COMMAND;
}

}  // namespace

MCIERROR mciSendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, uintptr_t params) {
    const SoundDriver& driver = BACKEND_DRIVER.sound;
    MCIERROR result = Command(driver, device, message, flags, params);
    if (driver.answered) driver.answered(device, message, flags, result);
    return result;
}

// Every effect plays without waiting, SND_SYNC too: the game only ever starts effects
// asynchronously, and a frame must never wait for a sound.
bool sndPlaySound(const char* gameName, uint32_t flags) {
    const SoundDriver& driver = BACKEND_DRIVER.sound;
    if (gameName == nullptr) return driver.stopEffect();
    bool found = driver.findEffect(gameName);
    if (!found && (flags & SND_NODEFAULT) != 0) return false;
    return driver.playEffect(gameName, found);
}

void CommonResetSequencer() {
    sequencerOpen = false;
    musicPlayed = false;
}
