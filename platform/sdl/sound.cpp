// Placeholder until the SDL2_mixer sound lands.
#include "platform/sound.h"

MCIERROR mciSendCommand(MCIDEVICEID, uint32_t, uint32_t, void*) { return MCIERR_INVALID_DEVICE_ID; }
bool sndPlaySound(const char*, uint32_t) { return false; }
