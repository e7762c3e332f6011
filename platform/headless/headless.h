// Controls of the headless backend, for tests and the replay: a clock that moves only
// when told, scripted input, injected start-up failures, and what the display and the
// sound would have shown and played.
#pragma once

#include <cstdint>

#include "platform/surface.h"
#include "platform/window.h"

// Puts the whole backend back to its start: clock 0, no window, no timers, empty queue,
// no held keys, cursor at (0, 0), no failures, no recorded sound.
void HeadlessReset();

void HeadlessSetClock(uint32_t ms);
void HeadlessSetSeed(uint32_t seed);
// Moves the clock on by ms and queues the timer ticks then due.
void HeadlessAdvance(uint32_t ms);

void HeadlessSetCursor(int32_t x, int32_t y);
void HeadlessSetKeyHeld(int virtualKey, bool held);
// Queues a message for the game's window, as the system would on input.
void HeadlessQueueInput(uint32_t message, WPARAM wParam);
// The window is closed from outside (the system's close command).
void HeadlessCloseWindow();

// Called by WaitForWork whenever the game has nothing to do, with the moment it next has
// work (its next frame or an earlier timer); the replay drives time and input from it.
// Without a hook, WaitForWork moves the clock straight to that moment.
using HeadlessIdleHook = void (*)(uint32_t wakeAt);
void HeadlessSetIdleHook(HeadlessIdleHook hook);

// Another program takes the screen and gives it back: every surface is lost, and blits,
// locks and flips answer DDERR_SURFACELOST until the game restores them.
void HeadlessLoseSurfaces();

// Start-up steps that should fail, to test the failure paths.
enum HeadlessFailure : uint32_t {
    FAIL_NONE = 0,
    FAIL_CREATE_WINDOW = 1,
    FAIL_DIRECTDRAW = 2,
    FAIL_COOPERATIVE_LEVEL = 4,
    FAIL_DISPLAY_MODE = 8,
    FAIL_PRIMARY_SURFACE = 16,
    FAIL_ATTACHED_SURFACE = 32,
};
void HeadlessSetFailures(uint32_t failures);

// A row of a surface in the colours the real screen shows it, 0x00RRGGBB: widened to 8 bits a
// channel as SDL widens them on the way to the window, which GDI-style reading does not do
// alike. False outside the surface.
bool SurfaceRowAsShown(Surface* surface, int32_t y, uint32_t* rgb);

// The picture shown by the last Flip (null before the first), and how many flips ran.
Surface* HeadlessScreen();
uint32_t HeadlessFlipCount();
// Called after every flip, so that a check can look at the game after each frame. It stays
// set across HeadlessReset, which a replay makes as it starts.
using HeadlessFlipHook = void (*)();
void HeadlessSetFlipHook(HeadlessFlipHook hook);
bool HeadlessCursorShown();

// Whether the screen and the back buffer are drawn into (by default they are). Without,
// blits, fills and text into them check and answer exactly as ever but leave the pixels
// alone: for a replay that needs only the game's state, which never reads them back (the
// hit tests read the sprites' pixels, which are drawn as ever). It stays set across
// HeadlessReset and applies from the next start-up's primary surface on.
void HeadlessSetDrawing(bool drawing);
// Pictures decoded once and kept for every later start-up in this process (and in its
// forked children), rather than read from their files at each. Each start-up shows them
// without a copy of its own: the single pixels it sets in them are put back at the reset,
// and it locks them only to read (the game's colour keys and hit tests).
void HeadlessKeepPictures(bool keep);
// For a child forked from a process with kept pictures: the pictures' surfaces are drawn
// into in place, so that the system copies just the pages written rather than the game
// copying each picture whole. Nothing of them is then shared back with the parent.
void HeadlessOwnKeptPictures();

// Every platform call the start-up makes, in order, for checking the start-up order.
int HeadlessCallLog(const char** names, int capacity);

// Sounds as they were started: each effect, and the music when it starts to play.
struct HeadlessSoundEvent {
    uint32_t time;     // clock ms
    char file[64];     // as the game names it
    bool music;        // the MIDI sequencer rather than an effect
    bool defaultTone;  // the wave file was missing, so the default tone played instead
};
// Copies the first events (at most capacity) and answers how many were recorded.
int HeadlessSoundEvents(HeadlessSoundEvent* events, int capacity);
// "playing", "stopped" or "none"
const char* HeadlessMusicState();
// The music stops by itself once the clock has passed the MIDI file's playing time; this
// makes it stop at its end now.
void HeadlessFinishMusic();
// Without a MIDI output the sequencer opens files but cannot play them. Present by default.
void HeadlessSetMidiOutput(bool present);
// Every music command as it was sent, with its answer.
struct HeadlessMciCall {
    uint32_t device;
    uint32_t message;
    uint32_t flags;
    uint32_t result;
};
int HeadlessMciCalls(HeadlessMciCall* calls, int capacity);
// Called as each sound starts, so that a test can look at the game at that very moment.
using HeadlessSoundHook = void (*)(const HeadlessSoundEvent& event);
void HeadlessSetSoundHook(HeadlessSoundHook hook);
