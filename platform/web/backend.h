// Shared between the files of the web backend only.
#pragma once

#include <cstdint>

#include "platform/common/driver.h"
#include "platform/common/recorder.h"
#include "platform/window.h"

extern const WindowDriver WEB_WINDOW;
extern const DisplayDriver WEB_DISPLAY;
extern const SoundDriver WEB_SOUND;

// Listens to the page's mouse and keyboard; called once the window exists.
void WebStartInput();

// The picture pixel under a page position, held at the picture's nearest edge beyond it.
POINT WebPictureAt(double clientX, double clientY);
// A key that a control on the page stands for: down, it is pressed and held; up, let go.
void WebControlKey(int virtualKey, bool down);
// Told each time the game reads the cursor, and each time it wakes: a tap's shot is sent
// at the first waking after a frame has read the cursor the finger set (touch.cpp).
void TouchCursorRead();
void TouchWoke();
// While the page holds the game (turned upright, or in the background), the frame loop's
// wait lasts, and the game's clock does not count the held time (hold.cpp).
void WebWaitWhileHeld();
uint32_t WebHeldMs();

// Watching a recording the page has laid at /watch.txt (watch.cpp): false when there is none,
// and the visit plays; otherwise the page is told it begins, or why it cannot be watched.
bool WatchBegin();
bool Watching();
// While watching, the game's clock is the recording's, its seed the recording's, and its
// wait lasts until the page's clock reaches the next moment, whose input then goes in.
uint32_t WatchNow();
uint32_t WatchSeed();
void WatchWait();
// The page shows the end: the last picture and the score.
void WatchEnded();

// The recorder (platform/common/recorder.h) hears everything the game reads from the
// browser; a recording runs from the start of every visit. This writes out what it holds,
// so that the page can read it whole.
extern "C" void WebFlushRecording();
