// The software surface both backends draw with.
#pragma once

#include <cstdint>

#include "platform/surface.h"

struct Surface {
    int32_t width;
    int32_t height;
    uint16_t* pixels;  // width * height, rows top to bottom
    bool hasColorKey;
    uint16_t colorKey;
    bool locked;
    bool lost;          // its memory went while another program had the screen
    Surface* attached;  // a flipping chain's back buffer, restored with its primary
    // What is drawn into it is never looked at (a replay that needs only the game's state):
    // every call checks and answers as ever, but its pixels are left as they are.
    bool undrawn;
    // pixels are a kept picture's, shared and never written: the surface takes a copy of
    // its own before its first change (WritablePixels).
    bool sharedPixels;
    // The shared pixels are those of every blank surface, or of every lost kept picture:
    // never written in place.
    bool blank;
    bool wiped;
};

// The surface's pixels, its own from now on, for writing; nullptr when there is no memory
// for its own copy.
uint16_t* WritablePixels(Surface* surface);
// Shows the given pixels, which outlive the surface and must not change, until the surface
// is first written; they must be of the surface's size.
void SharePixels(Surface* surface, const uint16_t* pixels);
// For a forked child, whose memory is a copy of its own that the system makes page by page
// as it is written: shared pixels are written in place from now on, not copied first.
void WriteSharedPixelsInPlace();
// For a process that plays game after game over the same kept pictures: single pixels set in
// shared pixels are set in place and put back by PutBackSharedPixels (a picture's colour key
// is found by setting a pixel and setting it back), and a lock of shared pixels only reads
// them. Any other drawing into them copies them first, as ever.
void UndoSharedPixelSets(bool undo);
void PutBackSharedPixels();

// Every surface loses its memory, as when another program takes the screen: drawing with
// it fails until it is restored, and its pixels are gone.
void CommonLoseSurfaces();

// The pixel work of a blit and a fill, apart from their checks (pixels.cpp): a blit's
// rectangle is checked against both surfaces before it gets here.
void CopyPixels(Surface* dst, int64_t x, int64_t y, const Surface* src, const RECT& from,
                bool keyed);
void FillPixels(Surface* surface, uint16_t value);
