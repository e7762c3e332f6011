// Placeholder until the music and effects land.
#include "app/app.h"

MCI_OPEN_PARMS musicOpenParams;
MCI_PLAY_PARMS musicPlayParams;

MCIERROR OpenMusic(const char*) {
    return MCIERR_FILE_NOT_FOUND;
}
void PlayMusic() {}
