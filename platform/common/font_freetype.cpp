// The GDI font natively: a system face found by name through fontconfig, scaled the way
// GDI scales a TrueType face to a cell height and an average character width, and
// rendered with FreeType.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <string>

#include "platform/common/font_internal.h"

namespace {

constexpr int64_t MAX_PPEM = 1000;
constexpr int64_t DEFAULT_PPEM = 16;

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

}  // namespace

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
