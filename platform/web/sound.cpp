// Music and effects through the page's WebAudio. The MIDI file is rendered at build time
// (FluidSynth with the General MIDI soundfont the native game plays it with) into an MP3
// beside it, which the page decodes; the sequencer's commands still check the MIDI file,
// so that they answer as natively. The music plays once, from its start, when the player's
// first click or key lets the page make sound. A new effect cuts off the one still playing.
// A file missing or not decodable leaves the game playing, silently.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/common/sequencer.h"
#include "platform/files.h"

namespace {

constexpr MCIDEVICEID SEQUENCER_ID = 1;

bool sequencerOpen = false;
bool musicStarted = false;
std::string musicPath;

EM_JS(void, WebPlayMusic, (const char* path), { sidescrollerPage.playMusic(UTF8ToString(path)); });
EM_JS(void, WebStopMusic, (), { sidescrollerPage.stopMusic(); });
// An empty path plays the default tone.
EM_JS(void, WebPlayEffect, (const char* path),
      { sidescrollerPage.playEffect(UTF8ToString(path)); });
EM_JS(void, WebStopEffect, (), { sidescrollerPage.stopEffect(); });

bool FileExists(const char* gameName) {
    FILE* file = OpenGameFile(gameName, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

}  // namespace

MCIERROR mciSendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, uintptr_t params) {
    if (message == MCI_OPEN) {
        if (device != 0) return MCIERR_INVALID_DEVICE_ID;
        auto* open = reinterpret_cast<MCI_OPEN_PARMS*>(params);
        MCIERROR error = CheckSequencerOpen(static_cast<uint32_t>(flags), open, nullptr);
        if (error != 0) return error;
        if (sequencerOpen) return MCIERR_DEVICE_OPEN;
        sequencerOpen = true;
        musicStarted = false;
        musicPath = HostPath(open->lpstrElementName);
        open->wDeviceID = SEQUENCER_ID;
        return 0;
    }
    if (device != SEQUENCER_ID || !sequencerOpen) return MCIERR_INVALID_DEVICE_ID;
    if (message == MCI_PLAY) {
        if ((flags & MCI_NOTIFY) != 0 && params == 0) return MCIERR_NULL_PARAMETER_BLOCK;
        // Played to its end, the file plays nothing more until it is opened again.
        if (!musicStarted) WebPlayMusic(musicPath.c_str());
        musicStarted = true;
        return 0;
    }
    if (message == MCI_CLOSE) {
        sequencerOpen = false;
        WebStopMusic();
        return 0;
    }
    return MCIERR_UNRECOGNIZED_COMMAND;
}

bool sndPlaySound(const char* gameName, uint32_t flags) {
    if (gameName == nullptr) {
        WebStopEffect();
        return true;
    }
    std::string path = HostPath(gameName);
    bool found = FileExists(gameName);
    if (!found && (flags & SND_NODEFAULT) != 0) return false;
    WebPlayEffect(found ? path.c_str() : "");
    return true;
}
