// The multimedia sequencer and the wave player, emulated once over a small sound driver
// (its backend's, platform/common/driver.h).
#pragma once

#include <cstdint>

#include "platform/sound.h"

struct SoundDriver {
    // Whether the music can sound at all; asked at every play command.
    bool (*midiOutput)();
    // A MIDI file checked readable, of lengthMs playing time; false when it cannot be handed
    // on. Nothing sounds until playMusic.
    bool (*openMusic)(const char* gameName, uint32_t lengthMs);
    // From the file's start, once an open: played to its end, the file plays nothing more.
    void (*playMusic)();
    void (*closeMusic)();
    // Told of a music file that is missing or no MIDI file; may be null.
    void (*musicRefused)(const char* gameName, MCIERROR error);
    // Whether the wave file can be played.
    bool (*findEffect)(const char* gameName);
    // Cuts off the effect playing and starts this one, or the default tone when it was not
    // found; false when nothing could be started.
    bool (*playEffect)(const char* gameName, bool found);
    // Cuts off the effect playing; false when there is no sound at all.
    bool (*stopEffect)();
    // Told of every music command and its answer; may be null.
    void (*answered)(MCIDEVICEID device, uint32_t message, uintptr_t flags, MCIERROR result);
};

// Closes the sequencer without telling the driver, for a backend that starts afresh.
void CommonResetSequencer();
