// The sound driver on the page's WebAudio. The MIDI file is rendered at build time
// (FluidSynth with the General MIDI soundfont the native game plays it with) into an MP3
// beside it, which the page decodes; the sequencer's commands still check the MIDI file,
// so that they answer as natively. The music plays from its start when the player's first
// click or key lets the page make sound. A new effect cuts off the one still playing.
// A file missing or not decodable leaves the game playing, silently.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/common/sound_driver.h"
#include "platform/files.h"

namespace {

std::string musicPath;

EM_JS(void, WebPlayMusic, (const char* path), { sidescrollerPage.playMusic(UTF8ToString(path)); });
EM_JS(void, WebStopMusic, (), { sidescrollerPage.stopMusic(); });
// An empty path plays the default tone.
EM_JS(void, WebPlayEffect, (const char* path),
      { sidescrollerPage.playEffect(UTF8ToString(path)); });
EM_JS(void, WebStopEffect, (), { sidescrollerPage.stopEffect(); });

bool OpenMusic(const char* gameName, uint32_t) {
    musicPath = HostPath(gameName);
    return true;
}

bool FindEffect(const char* gameName) {
    FILE* file = OpenGameFile(gameName, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

bool PlayEffect(const char* gameName, bool found) {
    WebPlayEffect(found ? HostPath(gameName).c_str() : "");
    return true;
}

bool StopEffect() {
    WebStopEffect();
    return true;
}

}  // namespace

extern const SoundDriver WEB_SOUND = {
    .midiOutput = [] { return true; },
    .openMusic = OpenMusic,
    .playMusic = [] { WebPlayMusic(musicPath.c_str()); },
    .closeMusic = [] { WebStopMusic(); },
    .musicRefused = nullptr,
    .findEffect = FindEffect,
    .playEffect = PlayEffect,
    .stopEffect = StopEffect,
    .answered = nullptr,
};
