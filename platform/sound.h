// Music through a command interface shaped like the multimedia one, and one-voice sound
// effects. Files are named as the game names them ("data\shot.wav").
#pragma once

#include <cstdint>

#ifdef _WIN32
#include "platform/win32/system.h"
#else
using MCIERROR = uint32_t;
using MCIDEVICEID = uint32_t;

constexpr uint32_t MCI_OPEN = 0x0803;
constexpr uint32_t MCI_CLOSE = 0x0804;
constexpr uint32_t MCI_PLAY = 0x0806;
constexpr uint32_t MCI_NOTIFY = 0x1;
constexpr uint32_t MCI_WAIT = 0x2;
constexpr uint32_t MCI_OPEN_ELEMENT = 0x0200;
constexpr uint32_t MCI_OPEN_TYPE = 0x2000;
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = 257;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = 261;
constexpr MCIERROR MCIERR_HARDWARE = 262;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = 263;
constexpr MCIERROR MCIERR_DEVICE_OPEN = 265;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = 273;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = 275;
constexpr MCIERROR MCIERR_INVALID_FILE = 296;
constexpr MCIERROR MCIERR_NULL_PARAMETER_BLOCK = 297;
constexpr MCIERROR MCIERR_SEQ_NOMIDIPRESENT = 343;

constexpr uint32_t SND_SYNC = 0;
constexpr uint32_t SND_ASYNC = 1;
constexpr uint32_t SND_NODEFAULT = 2;

struct MCI_OPEN_PARMS {
    uintptr_t dwCallback;
    MCIDEVICEID wDeviceID;
    const char* lpstrDeviceType;
    const char* lpstrElementName;
    const char* lpstrAlias;
};

struct MCI_PLAY_PARMS {
    uintptr_t dwCallback;
    uint32_t dwFrom;
    uint32_t dwTo;
};

// params is the address of the record the command takes (MCI_OPEN_PARMS, MCI_PLAY_PARMS) or 0.
MCIERROR mciSendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, uintptr_t params);

// Starts a wave file; a new effect cuts off the one still playing. A missing file plays a
// short default tone instead.
bool sndPlaySound(const char* gameName, uint32_t flags);
#endif
