// Text written with the GDI font: glyphs from the coverage cache blended onto a surface.
#include <string>
#include <vector>

#include "platform/common/font_internal.h"
#include "platform/common/gdi_internal.h"
#include "platform/common/surface_internal.h"

namespace {

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
    if (dc->surface->undrawn || !WritablePixels(dc->surface)) return true;
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
