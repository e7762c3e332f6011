// The checks the MIDI sequencer makes on an open command, shared by both backends so that
// they answer a bad open alike.
#pragma once

#include <cstdint>

#include "platform/sound.h"

// 0 when the command names the "sequencer" device and a readable MIDI file, else the
// error the device answers.
MCIERROR CheckSequencerOpen(uint32_t flags, const MCI_OPEN_PARMS* params);
