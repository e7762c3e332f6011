// The GDI font in the browser: Liberation Sans, the face metric-compatible with Arial that
// fontconfig gives natively for every name the game asks for, read from the page's files
// and rendered with stb_truetype, scaled the way GDI scales a TrueType face.
#include <cstdio>
#include <string>

#include "platform/common/font_internal.h"

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

namespace {

constexpr const char* FACE_FILE = "fonts/LiberationSans-Regular.ttf";
constexpr int64_t MAX_PPEM = 1000;
constexpr int64_t DEFAULT_PPEM = 16;

int64_t Clamp(int64_t value, int64_t low, int64_t high) {
    return value < low ? low : (value > high ? high : value);
}

std::string ReadFace() {
    std::string data;
    FILE* file = std::fopen(FACE_FILE, "rb");
    if (!file) return data;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) data.append(chunk, got);
    std::fclose(file);
    return data;
}

// In font units.
int64_t ClassicAverageWidth(const stbtt_fontinfo& face, int64_t upem) {
    int64_t sum = 0;
    for (int i = 0; i <= 26; ++i) {
        int index = stbtt_FindGlyphIndex(&face, i < 26 ? 'a' + i : ' ');
        if (index == 0) return upem / 2;
        int advance = 0, bearing = 0;
        stbtt_GetGlyphHMetrics(&face, index, &advance, &bearing);
        sum += int64_t{i < 26 ? LETTER_WEIGHTS[i] : SPACE_WEIGHT} * advance;
    }
    return sum > 0 ? sum / WEIGHT_TOTAL : upem / 2;
}

void RenderGlyph(const stbtt_fontinfo& face, float scaleX, float scaleY, int byte, Font* font) {
    GlyphImage& image = font->glyphs[byte];
    image = GlyphImage{0, 0, 0, 0, 0, font->coverage.size()};
    int index = stbtt_FindGlyphIndex(&face, static_cast<int>(CodePoint(byte)));
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(&face, index, &advance, &bearing);
    image.advance = static_cast<int32_t>(advance * scaleX + 0.5f);
    int x0, y0, x1, y1;
    stbtt_GetGlyphBitmapBox(&face, index, scaleX, scaleY, &x0, &y0, &x1, &y1);
    if (x1 <= x0 || y1 <= y0) return;
    image.left = x0;
    image.top = -y0;
    image.width = x1 - x0;
    image.rows = y1 - y0;
    font->coverage.resize(image.offset + static_cast<size_t>(image.width) * image.rows);
    stbtt_MakeGlyphBitmap(&face, font->coverage.data() + image.offset, image.width, image.rows,
                          image.width, scaleX, scaleY, index);
}

}  // namespace

// A positive height is the cell (the Windows ascent plus descent) met at whole pixels per
// em; a negative one is the em itself. A width stretches the face horizontally until the
// average character is that wide.
Font* RenderFont(int32_t height, int32_t width, int32_t, bool, const char*) {
    std::string data = ReadFace();
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    stbtt_fontinfo face;
    if (data.empty() || stbtt_GetFontOffsetForIndex(bytes, 0) != 0 ||
        !stbtt_InitFont(&face, bytes, 0)) {
        return nullptr;
    }
    int64_t upem = ttUSHORT(face.data + face.head + 18);
    if (upem <= 0) upem = 2048;
    uint32_t os2 = stbtt__find_table(face.data, face.fontstart, "OS/2");
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&face, &ascent, &descent, &gap);
    int64_t winAscent = os2 ? ttUSHORT(face.data + os2 + 74) : ascent;
    int64_t winDescent = os2 ? ttUSHORT(face.data + os2 + 76) : -descent;
    int64_t cell = winAscent + winDescent > 0 ? winAscent + winDescent : upem;
    int64_t ppem = DEFAULT_PPEM;
    if (height > 0) ppem = (upem * height + cell / 2) / cell;
    if (height < 0) ppem = -int64_t{height};
    ppem = Clamp(ppem, 1, MAX_PPEM);
    double xPpem = static_cast<double>(ppem);
    if (width > 0) {
        xPpem =
            static_cast<double>(width) * upem / Clamp(ClassicAverageWidth(face, upem), 1, upem * 4);
    }
    xPpem = Clamp(static_cast<int64_t>(xPpem * 64), 64, MAX_PPEM * 64) / 64.0;
    auto* font = new Font{};
    font->ascent = static_cast<int32_t>((winAscent * ppem + upem / 2) / upem);
    font->descent = static_cast<int32_t>((winDescent * ppem + upem / 2) / upem);
    auto scaleX = static_cast<float>(xPpem / upem);
    auto scaleY = static_cast<float>(static_cast<double>(ppem) / upem);
    for (int byte = 0; byte < GLYPH_SLOTS; ++byte) RenderGlyph(face, scaleX, scaleY, byte, font);
    return font;
}
