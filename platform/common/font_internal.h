// The font behind the GDI calls: every glyph of the code page rendered once into a
// coverage cache, so that writing text every frame allocates nothing. How the glyphs are
// rendered is the system's: FreeType over fontconfig natively (font_freetype.cpp),
// stb_truetype in the browser (platform/web/font_stb.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi.h"

constexpr int GLYPH_SLOTS = 256;

struct GlyphImage {
    int32_t left;  // first ink column, from the pen
    int32_t top;   // ink rows above the baseline
    int32_t width;
    int32_t rows;
    int32_t advance;  // whole pixels, as GDI advances the pen
    size_t offset;    // into Font::coverage
};

struct Font {
    int32_t ascent;  // the baseline's distance from the top of the cell
    int32_t descent;
    GlyphImage glyphs[GLYPH_SLOTS];  // by byte value of the text
    std::vector<uint8_t> coverage;   // 0 to 255 per pixel, every glyph one after the other
};

// The face GDI would pick for the name, scaled as GDI scales a TrueType face to a cell
// height and an average character width; null when there is none.
Font* RenderFont(int32_t height, int32_t width, int32_t weight, bool italic, const char* faceName);

// The classic OS/2 average character width: the lowercase letters and the blank weighted by
// their frequency in English. Newer faces store an all-glyph average there instead, which
// would stretch a width-scaled font too little.
constexpr int32_t LETTER_WEIGHTS[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                        56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
constexpr int32_t SPACE_WEIGHT = 166;
constexpr int32_t WEIGHT_TOTAL = 1000;

// Bytes 0x80 to 0x9F of the Windows Western code page; the rest of it is Latin-1.
constexpr uint16_t WESTERN_80_9F[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr uint32_t CodePoint(int byte) {
    return byte >= 0x80 && byte < 0xA0 ? WESTERN_80_9F[byte - 0x80] : static_cast<uint32_t>(byte);
}
