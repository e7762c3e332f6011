// The display objects, the pictures loaded at start-up, and text drawing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/bitmap.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/surface.h"

extern DirectDraw* directDraw;
extern Surface* primarySurface;
extern Surface* backBuffer;

struct AssetSurfaces {
    Surface* side1;
    Surface* side2;
    Surface* baum;
    Surface* plane;
    Surface* cursor;
    Surface* ammo;
    Surface* kralo;
    Surface* kralo2;
    Surface* pelko;
    Surface* pelko2;
    Surface* para;
    Surface* menu;
    Surface* high;
    Surface* font;
    Surface* logo;
};
extern AssetSurfaces assetSurfaces;

constexpr COLORREF COLOR_BLACK = 0x000000;
constexpr COLORREF COLOR_WHITE = 0xFFFFFF;

// 1 when the whole display is set up, 0 when a display step failed or a picture cannot be
// used (missing, damaged, unsupported, too large, or smaller than the game draws from it).
int InitDisplay(HWND window);
// The line for the player that says why InitDisplay answered 0: the display step, or the
// picture's path as this system names it and what is wrong with it.
const char* InitDisplayFailure();
// Gives back every picture and forgets the display objects, whose memory the display
// itself owns. The game leaves this to the end of the process; tests that start the game
// more than once in one process call it in between.
void ReleaseDisplay();
// Brings every surface back after another program had the screen and drew over it.
void RestoreDisplay();

// Null when the picture cannot be used; then, if problem is given, the reason in words.
Surface* LoadBitmapSurface(DirectDraw* dd, const char* name, int32_t width, int32_t height,
                           std::string* problem = nullptr);
HRESULT CopyBitmapToSurface(Surface* surface, Bitmap* bitmap, int32_t x, int32_t y, int32_t width,
                            int32_t height);
uint32_t MatchSurfaceColor(Surface* surface, COLORREF color);
HRESULT SetSurfaceColorKey(Surface* surface, COLORREF color);

// The game's own lettering: glyph cells of the font picture, described by "font.des".
struct BitmapFont {
    int32_t penX;
    int32_t penY;
    uint8_t glyphChar[100];
    int8_t glyphRow[100];
    int8_t glyphColumn[100];
    int32_t cellWidth;
    int32_t cellHeight;
    int32_t glyphCount;

    void Load(const char* fileName);
    void DrawBitmapText(int32_t x, int32_t y, const char* text, int32_t length);
};
extern BitmapFont bitmapFont;

// The lettering of the score popups and the high-score table; created at start-up.
extern HFONT textFont;

// Text in textFont's lettering, any colour, transparent background, top-left at (x, y).
void DrawGdiText(const char* text, int32_t x, int32_t y, COLORREF color, Surface* surface,
                 HFONT font);
