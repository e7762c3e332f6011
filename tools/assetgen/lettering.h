// The game's own lettering: every character is a few pen strokes on a 10 x 14 grid, drawn
// as a thick bright stroke inside a darker rim. The font sheet, buttons, logo and panel
// all write with it, so no system font is involved.
#pragma once

#include <cairo.h>

#include <string>

#include "draw.h"

struct LetterStyle {
    double capHeight;    // pixels from the top to the baseline of a capital
    double advance;      // pixels from one character to the next
    double pen;          // width of the bright stroke, pixels
    double rim;          // width of the dark rim on each side, pixels
    Colour top, bottom;  // the bright stroke's gradient over the cap height
    Colour rimColour;
    double shine = 0.35;      // strength of the highlight along the upper half
    double slant = 0.0;       // x shift per pixel of height, for a lively italic
    double widthScale = 1.0;  // narrows the letters against their height
};

bool HasLetter(unsigned char c);

// Adds the centre lines of the text's strokes to the current path; (x, y) is the top-left
// of the first character's grid.
void AddTextStrokes(cairo_t* cr, const std::string& text, double x, double y,
                    const LetterStyle& style);

// Draws the text with its rim and shading.
void DrawLettering(cairo_t* cr, const std::string& text, double x, double y,
                   const LetterStyle& style);

// The gold-on-brown style of the titles, buttons and headings.
LetterStyle GoldenLettering(double capHeight, double advance);

// Left edge that centres the text on cx.
double CentredX(const std::string& text, double cx, const LetterStyle& style);
