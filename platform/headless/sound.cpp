// Placeholder until the recording sound backend lands.
#include "platform/sound.h"

#include "platform/headless/headless.h"

MCIERROR mciSendCommand(MCIDEVICEID, uint32_t, uint32_t, void*) {
    return MCIERR_INVALID_DEVICE_ID;
}
bool sndPlaySound(const char*, uint32_t) {
    return false;
}
int HeadlessSoundEvents(HeadlessSoundEvent*, int) {
    return 0;
}
const char* HeadlessMusicState() {
    return "none";
}
void HeadlessFinishMusic() {}
void HeadlessResetSound() {}
