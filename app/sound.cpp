// The background music: opened and started once at start-up, then left to play to its end.
#include "app/app.h"

MCI_OPEN_PARMS musicOpenParams;
MCI_PLAY_PARMS musicPlayParams;

MCIERROR OpenMusic(const char* fileName) {
    musicOpenParams.lpstrDeviceType = "sequencer";
    musicOpenParams.lpstrElementName = fileName;
    return mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                          reinterpret_cast<uintptr_t>(&musicOpenParams));
}

// After a failed open the id is still 0, so the play and the close fail harmlessly.
void PlayMusic() {
    musicPlayParams.dwCallback = reinterpret_cast<uintptr_t>(mainWindow);
    if (mciSendCommand(musicOpenParams.wDeviceID, MCI_PLAY, MCI_NOTIFY,
                       reinterpret_cast<uintptr_t>(&musicPlayParams)) != 0) {
        mciSendCommand(musicOpenParams.wDeviceID, MCI_CLOSE, 0, 0);
    }
}
