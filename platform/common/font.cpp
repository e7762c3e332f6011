// The GDI font: a system face found by name through fontconfig, scaled the way GDI scales a
// TrueType face to a cell height and an average character width, and rendered once with
// FreeType into a coverage cache, so that writing text every frame allocates nothing.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <string>
#include <vector>

#include "platform/common/gdi_internal.h"
#include "platform/common/surface_internal.h"

namespace {

constexpr int GLYPH_SLOTS = 256;

struct GlyphImage {
    int32_t left;  // first ink column, from the pen
    int32_t top;   // ink rows above the baseline
    int32_t width;
    int32_t rows;
    int32_t advance;  // whole pixels, as GDI advances the pen
    size_t offset;    // into Font::coverage
};

}  // namespace

struct Font {
    int32_t ascent;  // the baseline's distance from the top of the cell
    int32_t descent;
    GlyphImage glyphs[GLYPH_SLOTS];  // by byte value of the text
    std::vector<uint8_t> coverage;   // 0 to 255 per pixel, every glyph one after the other
};

namespace {

// The average character width as the classic OS/2 table defined it: the lowercase
// letters and the blank weighted by their frequency in English. Newer faces store an
// all-glyph average there instead, which would stretch a width-scaled font too little.
constexpr int32_t LETTER_WEIGHTS[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                        56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
constexpr int32_t SPACE_WEIGHT = 166;
constexpr int32_t WEIGHT_TOTAL = 1000;

constexpr int64_t MAX_PPEM = 1000;
constexpr int64_t DEFAULT_PPEM = 16;

// Bytes 0x80 to 0x9F of the Windows Western code page; the rest of it is Latin-1.
constexpr uint16_t WESTERN_80_9F[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

FT_ULong CodePoint(int byte) {
    return byte >= 0x80 && byte < 0xA0 ? WESTERN_80_9F[byte - 0x80] : static_cast<FT_ULong>(byte);
}

// The file of the installed face that fontconfig matches to the name ("Arial" gives a
// metric-compatible face such as Liberation Sans); empty when there is none.
std::string ResolveFace(const char* faceName, int32_t weight, bool italic, int* index) {
    // A configuration of our own, given back whole: the shared one is never freed.
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* pattern = config ? FcPatternCreate() : nullptr;
    std::string path;
    if (pattern) {
        const char* family = faceName && faceName[0] ? faceName : "sans-serif";
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        if (weight > 0) FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
        if (italic) FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ITALIC);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        FcChar8* file = nullptr;
        if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            path = reinterpret_cast<const char*>(file);
            if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
        }
        if (match) FcPatternDestroy(match);
        FcPatternDestroy(pattern);
    }
    if (config) FcConfigDestroy(config);
    return path;
}

// In font units.
int64_t ClassicAverageWidth(FT_Face face, const TT_OS2* os2) {
    int64_t sum = 0;
    for (int i = 0; i <= 26; ++i) {
        FT_UInt index = FT_Get_Char_Index(face, i < 26 ? 'a' + i : ' ');
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0) {
            if (os2 && os2->xAvgCharWidth > 0) return os2->xAvgCharWidth;
            return face->units_per_EM / 2;
        }
        sum += int64_t{i < 26 ? LETTER_WEIGHTS[i] : SPACE_WEIGHT} * face->glyph->advance.x;
    }
    return sum > 0 ? sum / WEIGHT_TOTAL : face->units_per_EM / 2;
}

int64_t Clamp(int64_t value, int64_t low, int64_t high) {
    return value < low ? low : (value > high ? high : value);
}

// GDI's scaling: a positive height is the cell (the Windows ascent plus descent) and is
// met at whole pixels per em; a negative one is the em itself. A width stretches the face
// horizontally until the average character is that wide.
bool ScaleFace(FT_Face face, int32_t height, int32_t width, Font* font) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    int64_t upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    int64_t winAscent = os2 ? os2->usWinAscent : face->ascender;
    int64_t winDescent = os2 ? os2->usWinDescent : -int64_t{face->descender};
    int64_t cell = winAscent + winDescent > 0 ? winAscent + winDescent : upem;
    int64_t ppem = DEFAULT_PPEM;
    if (height > 0) ppem = (upem * height + cell / 2) / cell;
    if (height < 0) ppem = -int64_t{height};
    ppem = Clamp(ppem, 1, MAX_PPEM);
    int64_t xPpem64 = ppem * 64;
    if (width > 0) {
        xPpem64 = int64_t{width} * upem * 64 / Clamp(ClassicAverageWidth(face, os2), 1, upem * 4);
    }
    xPpem64 = Clamp(xPpem64, 64, MAX_PPEM * 64);
    font->ascent = static_cast<int32_t>((winAscent * ppem + upem / 2) / upem);
    font->descent = static_cast<int32_t>((winDescent * ppem + upem / 2) / upem);
    return FT_Set_Char_Size(face, xPpem64, ppem * 64, 72, 72) == 0;
}

// Light hinting works on the vertical only, which suits a horizontally stretched face.
void RenderGlyph(FT_Face face, int byte, Font* font) {
    GlyphImage& image = font->glyphs[byte];
    image = GlyphImage{0, 0, 0, 0, 0, font->coverage.size()};
    FT_UInt index = FT_Get_Char_Index(face, CodePoint(byte));  // 0, the missing-glyph box
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) != 0) return;
    image.advance = static_cast<int32_t>((face->glyph->linearHoriAdvance + 0x8000) >> 16);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || !bitmap.buffer) return;
    image.left = face->glyph->bitmap_left;
    image.top = face->glyph->bitmap_top;
    image.width = static_cast<int32_t>(bitmap.width);
    image.rows = static_cast<int32_t>(bitmap.rows);
    int levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
    for (int32_t row = 0; row < image.rows; ++row) {
        const uint8_t* line = bitmap.buffer + row * bitmap.pitch;
        for (int32_t col = 0; col < image.width; ++col) {
            font->coverage.push_back(static_cast<uint8_t>(line[col] * 255 / levels));
        }
    }
}

uint16_t Blend(uint16_t under, COLORREF color, uint16_t solid, uint32_t alpha) {
    if (alpha >= 255) return solid;
    COLORREF old = PixelToColor(under);
    auto mix = [alpha](uint32_t over, uint32_t base) {
        return static_cast<uint8_t>((over * alpha + base * (255 - alpha) + 127) / 255);
    };
    return ColorToPixel(RGB(mix(GetRValue(color), GetRValue(old)),
                            mix(GetGValue(color), GetGValue(old)),
                            mix(GetBValue(color), GetBValue(old))));
}

void DrawGlyph(Surface* surface, const Font* font, const GlyphImage& image, int64_t x, int64_t y,
               COLORREF color) {
    uint16_t solid = ColorToPixel(color);
    for (int32_t row = 0; row < image.rows; ++row) {
        int64_t py = y + row;
        if (py < 0 || py >= surface->height) continue;
        const uint8_t* alpha = font->coverage.data() + image.offset + size_t(row) * image.width;
        uint16_t* line = surface->pixels + py * surface->width;
        for (int32_t col = 0; col < image.width; ++col) {
            int64_t px = x + col;
            if (alpha[col] == 0 || px < 0 || px >= surface->width) continue;
            line[px] = Blend(line[px], color, solid, alpha[col]);
        }
    }
}

// An opaque background paints the cell in GDI's default background colour, white.
void FillCell(Surface* surface, int64_t x, int64_t y, int32_t width, int32_t height) {
    uint16_t white = ColorToPixel(RGB(255, 255, 255));
    for (int64_t py = y < 0 ? 0 : y; py < y + height && py < surface->height; ++py) {
        for (int64_t px = x < 0 ? 0 : x; px < x + width && px < surface->width; ++px) {
            surface->pixels[py * surface->width + px] = white;
        }
    }
}

Font* RenderFont(int32_t height, int32_t width, int32_t weight, bool italic, const char* faceName) {
    int faceIndex = 0;
    std::string path = ResolveFace(faceName, weight, italic, &faceIndex);
    if (path.empty()) return nullptr;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return nullptr;
    Font* font = nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), faceIndex, &face) == 0) {
        font = new Font{};
        if (ScaleFace(face, height, width, font)) {
            for (int byte = 0; byte < GLYPH_SLOTS; ++byte) RenderGlyph(face, byte, font);
        } else {
            delete font;
            font = nullptr;
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return font;
}

// Fonts never change once made and are never deleted, so a second request for the same
// font (a second start-up in one process) is answered with the first one.
struct MadeFont {
    int32_t height;
    int32_t width;
    int32_t weight;
    bool italic;
    std::string faceName;
    Font* font;
};
std::vector<MadeFont> madeFonts;

}  // namespace

Font* CreateFont(int32_t height, int32_t width, int32_t, int32_t, int32_t weight, uint32_t italic,
                 uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                 const char* faceName) {
    std::string name = faceName ? faceName : "";
    for (const MadeFont& made : madeFonts) {
        if (made.height == height && made.width == width && made.weight == weight &&
            made.italic == (italic != 0) && made.faceName == name) {
            return made.font;
        }
    }
    Font* font = RenderFont(height, width, weight, italic != 0, faceName);
    if (font) madeFonts.push_back(MadeFont{height, width, weight, italic != 0, name, font});
    return font;
}

bool TextOut(DeviceContext* dc, int32_t x, int32_t y, const char* text, int32_t length) {
    if (!dc || !dc->surface || !dc->font || (!text && length > 0)) return false;
    const Font* font = dc->font;
    int64_t penX = x;
    int64_t baseline = int64_t{y} + font->ascent;
    for (int32_t i = 0; i < length; ++i) {
        const GlyphImage& image = font->glyphs[static_cast<uint8_t>(text[i])];
        if (dc->bkMode == OPAQUE) {
            FillCell(dc->surface, penX, y, image.advance, font->ascent + font->descent);
        }
        DrawGlyph(dc->surface, font, image, penX + image.left, baseline - image.top, dc->textColor);
        penX += image.advance;
    }
    return true;
}
