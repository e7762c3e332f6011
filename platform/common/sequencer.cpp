#include "platform/common/sequencer.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "platform/files.h"

MCIERROR CheckSequencerOpen(uint32_t flags, const MCI_OPEN_PARMS* params) {
    if (params == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
    if ((flags & MCI_OPEN_TYPE) == 0 || params->lpstrDeviceType == nullptr) {
        return MCIERR_MISSING_PARAMETER;
    }
    if (strcasecmp(params->lpstrDeviceType, "sequencer") != 0) return MCIERR_INVALID_DEVICE_NAME;
    if ((flags & MCI_OPEN_ELEMENT) == 0 || params->lpstrElementName == nullptr) {
        return MCIERR_MISSING_PARAMETER;
    }
    FILE* file = OpenGameFile(params->lpstrElementName, "rb");
    if (file == nullptr) return MCIERR_FILE_NOT_FOUND;
    char magic[4] = {};
    size_t got = fread(magic, 1, sizeof magic, file);
    fclose(file);
    // A standard MIDI file starts with its header chunk.
    if (got != sizeof magic || memcmp(magic, "MThd", sizeof magic) != 0) return MCIERR_INVALID_FILE;
    return 0;
}
