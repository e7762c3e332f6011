// The sound driver through SDL2_mixer. The music is a MIDI file played by FluidSynth with a
// General MIDI soundfont. A large soundfont takes the better part of a second to load, so a
// background thread opens the mixer and loads and starts the music: the game thread never
// waits for sound. The effects share one mixer channel, so a new effect cuts off the one
// still playing, as the original wave player does.
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>

#include "platform/common/sound_driver.h"
#include "platform/files.h"

namespace {

constexpr int EFFECT_CHANNEL = 0;
constexpr int MAX_EFFECTS = 8;
constexpr size_t MAX_NAME = 260;
constexpr uint32_t START_DELAY_MS = 500;  // longer names cannot be found on the original platform

const char* const SOUNDFONTS[] = {
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

enum MixerState : int { MIXER_CLOSED, MIXER_OPENING, MIXER_OPEN, MIXER_FAILED };
SDL_atomic_t mixerState;

// What the game asked of the sequencer; the worker makes the mixer follow it.
struct MusicRequest {
    bool open;
    bool play;
    uint32_t generation;  // moves on with every open and close
    char path[1024];
};
SDL_mutex* musicLock;
SDL_cond* musicWake;
MusicRequest request;  // guarded by musicLock

// Effects are loaded on first use and kept; a null chunk marks a file that cannot be found.
struct Effect {
    char name[MAX_NAME];
    Mix_Chunk* chunk;
};
SDL_mutex* effectLock;  // guards the effects, the pending effect and the change to MIXER_OPEN
Effect effects[MAX_EFFECTS];
int effectCount;
Mix_Chunk* defaultTone;
char pendingEffect[MAX_NAME];  // asked for while the mixer was still opening
bool pendingDefault;           // the default tone may stand in for it

void PutLe(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A short falling beep, in place of the system's default sound, built as a wave file in
// memory so that the mixer converts it to whatever format the device took.
Mix_Chunk* MakeDefaultTone() {
    constexpr int RATE = 22050;
    constexpr int SAMPLES = RATE * 15 / 100;
    static uint8_t wave[44 + SAMPLES * 2];
    memcpy(wave, "RIFF", 4);
    PutLe(wave + 4, sizeof wave - 8, 4);
    memcpy(wave + 8, "WAVEfmt ", 8);
    PutLe(wave + 16, 16, 4);
    PutLe(wave + 20, 1, 2);  // PCM
    PutLe(wave + 22, 1, 2);  // mono
    PutLe(wave + 24, RATE, 4);
    PutLe(wave + 28, RATE * 2, 4);
    PutLe(wave + 32, 2, 2);
    PutLe(wave + 34, 16, 2);
    memcpy(wave + 36, "data", 4);
    PutLe(wave + 40, SAMPLES * 2, 4);
    for (int i = 0; i < SAMPLES; ++i) {
        double t = static_cast<double>(i) / RATE;
        double fade = 1.0 - static_cast<double>(i) / SAMPLES;
        double value = 9000.0 * fade * std::sin(2.0 * std::numbers::pi * (880.0 - 1000.0 * t) * t);
        PutLe(wave + 44 + 2 * i, static_cast<uint16_t>(static_cast<int16_t>(value)), 2);
    }
    return Mix_LoadWAV_RW(SDL_RWFromConstMem(wave, sizeof wave), 1);
}

Effect* LoadEffect(const char* name) {
    for (int i = 0; i < effectCount; ++i) {
        if (strcmp(effects[i].name, name) == 0) return &effects[i];
    }
    Effect* slot = effectCount < MAX_EFFECTS ? &effects[effectCount++] : &effects[MAX_EFFECTS - 1];
    if (slot->chunk != nullptr) Mix_FreeChunk(slot->chunk);
    snprintf(slot->name, sizeof slot->name, "%s", name);
    // Through OpenGameFile, so that a pipe in the file's place cannot block the game.
    FILE* file = OpenGameFile(name, "rb");
    slot->chunk = file ? Mix_LoadWAV_RW(SDL_RWFromFP(file, SDL_TRUE), 1) : nullptr;
    return slot;
}

// The mixer is open and effectLock held; null when the file cannot be played.
Mix_Chunk* EffectChunk(const char* name) {
    return strlen(name) < MAX_NAME ? LoadEffect(name)->chunk : nullptr;
}

// The mixer is open and effectLock held. Without the file's sound the default tone stands
// in, unless the caller forbade it.
bool PlayLoaded(const char* name, bool mayDefault) {
    Mix_Chunk* chunk = EffectChunk(name);
    if (chunk == nullptr && mayDefault) chunk = defaultTone;
    return chunk != nullptr && Mix_PlayChannel(EFFECT_CHANNEL, chunk, 0) == EFFECT_CHANNEL;
}

// Whether an effect could be played, asked before the mixer that would load it is open:
// the answer must be the one the open mixer gives.
bool WaveReadable(const char* gameName) {
    if (strlen(gameName) >= MAX_NAME) return false;
    SDL_AudioSpec format;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(HostPath(gameName).c_str(), &format, &samples, &length) == nullptr)
        return false;
    SDL_FreeWAV(samples);
    return true;
}

void OpenMixer() {
    int state = MIXER_FAILED;
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) == 0) {
        Mix_AllocateChannels(1);
        defaultTone = MakeDefaultTone();
        state = MIXER_OPEN;
    } else {
        fprintf(stderr, "sound: no audio device (%s); the game runs silent\n", Mix_GetError());
    }
    SDL_LockMutex(effectLock);
    SDL_AtomicSet(&mixerState, state);
    if (state == MIXER_OPEN && pendingEffect[0] != '\0') PlayLoaded(pendingEffect, pendingDefault);
    pendingEffect[0] = '\0';
    SDL_UnlockMutex(effectLock);
}

// Picks the first soundfont present and says which on stderr; false when there is none.
bool ChooseSoundfont() {
    static int chosen;  // 1 found, -1 none
    if (chosen == 0) {
        chosen = -1;
        for (const char* path : SOUNDFONTS) {
            if (access(path, R_OK) != 0) continue;
            Mix_SetSoundFonts(path);
            // The default-GM names are links: say which file they lead to.
            char real[PATH_MAX];
            if (realpath(path, real) != nullptr && strcmp(real, path) != 0) {
                fprintf(stderr, "sound: MIDI soundfont %s (%s)\n", path, real);
            } else {
                fprintf(stderr, "sound: MIDI soundfont %s\n", path);
            }
            chosen = 1;
            break;
        }
        if (chosen < 0) {
            fprintf(stderr,
                    "sound: no General MIDI soundfont found; the game runs without music\n");
        }
    }
    return chosen > 0;
}

Mix_Music* LoadMusic(const char* path) {
    if (SDL_AtomicGet(&mixerState) != MIXER_OPEN || !ChooseSoundfont()) return nullptr;
    FILE* file = OpenGameFile(path, "rb");
    Mix_Music* music = file ? Mix_LoadMUS_RW(SDL_RWFromFP(file, SDL_TRUE), 1) : nullptr;
    if (music == nullptr) {
        fprintf(stderr, "sound: cannot play %s (%s)\n", path, file ? Mix_GetError() : "missing");
    }
    return music;
}

// The background thread: opens the mixer, then follows the game's music requests. The music
// plays once (no loops) and is never started again for the same open.
int SDLCALL SoundWorker(void*) {
    // The game's own start-up goes first: loading the synthesizer's libraries and soundfont
    // beside it delays the first frame by a tenth of a second and more, while music that
    // starts half a second late goes unnoticed.
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_LOW);
    SDL_Delay(START_DELAY_MS);
    OpenMixer();
    Mix_Music* music = nullptr;
    uint32_t loaded = 0;  // the request generation the music belongs to
    bool started = false;
    SDL_LockMutex(musicLock);
    for (;;) {
        while (request.generation == loaded && (!request.play || started || music == nullptr)) {
            SDL_CondWait(musicWake, musicLock);
        }
        if (request.generation == loaded) {
            Mix_PlayMusic(music, 0);
            started = true;
            continue;
        }
        MusicRequest wanted = request;
        SDL_UnlockMutex(musicLock);
        if (music != nullptr) {
            Mix_HaltMusic();
            Mix_FreeMusic(music);
        }
        music = wanted.open ? LoadMusic(wanted.path) : nullptr;
        SDL_LockMutex(musicLock);
        loaded = wanted.generation;
        started = false;
    }
    return 0;
}

// Without a sound card ALSA prints its own lines; the one line of ours says it all.
void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (alsa == nullptr) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler != nullptr) setHandler(SilentAlsaError);
}

// The audio subsystem is started on the game thread, where SDL's other subsystems start
// too (SDL's start-up is not safe from two threads); opening the device waits on the worker.
bool StartAudio() {
    static int started;  // 1 running, -1 failed
    if (started != 0) return started > 0;
    started = -1;
    QuietAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        fprintf(stderr, "sound: no audio (%s); the game runs silent\n", SDL_GetError());
        return false;
    }
    musicLock = SDL_CreateMutex();
    musicWake = SDL_CreateCond();
    effectLock = SDL_CreateMutex();
    if (musicLock == nullptr || musicWake == nullptr || effectLock == nullptr) return false;
    SDL_AtomicSet(&mixerState, MIXER_OPENING);
    SDL_Thread* worker = SDL_CreateThread(SoundWorker, "sound", nullptr);
    if (worker == nullptr) {
        SDL_AtomicSet(&mixerState, MIXER_FAILED);
        fprintf(stderr, "sound: no sound thread (%s); the game runs silent\n", SDL_GetError());
        return false;
    }
    SDL_DetachThread(worker);
    started = 1;
    return true;
}

void SendMusicRequest(bool open, bool play, const char* path) {
    if (!StartAudio()) return;
    SDL_LockMutex(musicLock);
    if (open != request.open || path != nullptr) ++request.generation;
    if (path != nullptr) snprintf(request.path, sizeof request.path, "%s", path);
    request.open = open;
    request.play = play;
    SDL_CondSignal(musicWake);
    SDL_UnlockMutex(musicLock);
}

bool OpenMusic(const char* gameName, uint32_t) {
    std::string path = HostPath(gameName);
    if (path.size() >= sizeof request.path) return false;
    SendMusicRequest(true, false, path.c_str());
    return true;
}

// The player is told why there is no music.
void MusicRefused(const char* gameName, MCIERROR error) {
    fprintf(stderr, "sound: cannot play %s (%s)\n", HostPath(gameName).c_str(),
            error == MCIERR_FILE_NOT_FOUND ? "missing" : "not a MIDI file");
}

// While the mixer opens, the answer is the one the open mixer will give.
bool FindEffect(const char* gameName) {
    if (!StartAudio()) return false;
    SDL_LockMutex(effectLock);
    int state = SDL_AtomicGet(&mixerState);
    bool found = state == MIXER_OPEN ? EffectChunk(gameName) != nullptr
                                     : state == MIXER_OPENING && WaveReadable(gameName);
    SDL_UnlockMutex(effectLock);
    return found;
}

// An effect asked for while the mixer opens is played as soon as it is open; a later effect
// replaces it, as it would cut it off.
bool PlayEffect(const char* gameName, bool found) {
    if (!StartAudio()) return false;
    SDL_LockMutex(effectLock);
    int state = SDL_AtomicGet(&mixerState);
    bool result = false;
    if (state == MIXER_OPEN) {
        result = PlayLoaded(gameName, true);
    } else if (state == MIXER_OPENING) {
        snprintf(pendingEffect, sizeof pendingEffect, "%s", gameName);
        pendingDefault = !found;
        result = true;
    }
    SDL_UnlockMutex(effectLock);
    return result;
}

bool StopEffect() {
    if (!StartAudio()) return false;
    SDL_LockMutex(effectLock);
    int state = SDL_AtomicGet(&mixerState);
    if (state == MIXER_OPEN) Mix_HaltChannel(EFFECT_CHANNEL);
    pendingEffect[0] = '\0';
    SDL_UnlockMutex(effectLock);
    return state != MIXER_FAILED;
}

}  // namespace

extern const SoundDriver SDL_SOUND = {
    .midiOutput = [] { return StartAudio() && SDL_AtomicGet(&mixerState) != MIXER_FAILED; },
    .openMusic = OpenMusic,
    .playMusic = [] { SendMusicRequest(true, true, nullptr); },
    .closeMusic = [] { SendMusicRequest(false, false, nullptr); },
    .musicRefused = MusicRefused,
    .findEffect = FindEffect,
    .playEffect = PlayEffect,
    .stopEffect = StopEffect,
    .answered = nullptr,
};
