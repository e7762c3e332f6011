// The checks the MIDI sequencer makes on an open command, shared by both backends so that
// they answer a bad open alike.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/sound.h"

// 0 when the command names the "sequencer" device and a readable standard MIDI file, else
// the error the device answers. On success *lengthMs (when given) is the file's playing time.
MCIERROR CheckSequencerOpen(uint32_t flags, const MCI_OPEN_PARMS* params, uint32_t* lengthMs);
// From now on the last music file read is not read again: its length is kept.
void KeepMusicLength(bool keep);

// The playing time of a standard MIDI file in ms, following its tempo changes; false when
// the bytes are no well-formed MIDI file.
bool MidiFileLength(const uint8_t* data, size_t size, uint32_t* lengthMs);
