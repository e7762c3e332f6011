// The small sprites: crosshair, cartridge and the font sheet with its glyph table.
#include <cmath>
#include <cstdio>

#include "assets.h"
#include "draw.h"
#include "lettering.h"

namespace {

constexpr int CELL_WIDTH = 15;  // the advance the game's fixed text positions expect
constexpr int CELL_HEIGHT = 24;
constexpr int COLUMNS = 10;

// The font's characters in sheet order; the blank keeps an empty cell.
const unsigned char FONT_CHARS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-\xD6 ";
constexpr int FONT_CHAR_COUNT = sizeof(FONT_CHARS) - 1;

LetterStyle FontStyle() {
    LetterStyle s;
    s.capHeight = 17;
    s.advance = CELL_WIDTH;
    s.pen = 2.3;
    s.rim = 1.15;
    s.widthScale = 0.78;
    s.top = Hex(0xfff6b0);
    s.bottom = Hex(0xffa81e);
    s.rimColour = Hex(0x3a1c08);
    s.shine = 0.3;
    return s;
}

}  // namespace

Image PaintCursor() {
    Canvas canvas = NewCanvas(50, 50);
    cairo_t* cr = canvas.cr;
    // Pixel (25, 25) is the hot spot; its centre is at 25.5 in cairo's coordinates.
    const double c = 25.5;
    auto ring = [&](double width, Colour colour) {
        SetColour(cr, colour);
        cairo_set_line_width(cr, width);
        cairo_arc(cr, c, c, 15, 0, 2 * PI);
        cairo_stroke(cr);
        for (int k = 0; k < 4; ++k) {
            double dx = k == 0 ? 1 : (k == 1 ? -1 : 0), dy = k == 2 ? 1 : (k == 3 ? -1 : 0);
            cairo_move_to(cr, c + dx * 7, c + dy * 7);
            cairo_line_to(cr, c + dx * 22, c + dy * 22);
        }
        cairo_stroke(cr);
    };
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    ring(5, Hex(0x201010));
    ring(2, Hex(0xff3a2a));
    cairo_rectangle(cr, 24, 24, 3, 3);
    SetColour(cr, Hex(0x201010));
    cairo_fill(cr);
    cairo_rectangle(cr, 25, 25, 1, 1);
    SetColour(cr, Hex(0xff3a2a));
    cairo_fill(cr);
    Image image = Flatten(canvas.surface, Key::Black, Plain({40, 20, 20}), 0.45);
    FinishCanvas(canvas);
    return image;
}

Image PaintCartridge() {
    const int w = 22, h = 50;
    Canvas canvas = NewCanvas(w, h);
    cairo_t* cr = canvas.cr;
    // Red plastic hull with a crimped top and a brass head.
    RoundedRect(cr, 3, 2, 16, 36, 3);
    cairo_pattern_t* hull = cairo_pattern_create_linear(3, 0, 19, 0);
    cairo_pattern_add_color_stop_rgb(hull, 0, 0.55, 0.08, 0.06);
    cairo_pattern_add_color_stop_rgb(hull, 0.4, 0.95, 0.3, 0.22);
    cairo_pattern_add_color_stop_rgb(hull, 1, 0.5, 0.07, 0.05);
    FillAndOutline(cr, hull, Hex(0x2a0c08), 1.2);
    cairo_pattern_destroy(hull);
    cairo_rectangle(cr, 2, 36, 18, 12);
    cairo_pattern_t* brass = cairo_pattern_create_linear(2, 0, 20, 0);
    cairo_pattern_add_color_stop_rgb(brass, 0, 0.55, 0.42, 0.12);
    cairo_pattern_add_color_stop_rgb(brass, 0.4, 1.0, 0.88, 0.5);
    cairo_pattern_add_color_stop_rgb(brass, 1, 0.5, 0.38, 0.1);
    FillAndOutline(cr, brass, Hex(0x3a2a08), 1.2);
    cairo_pattern_destroy(brass);
    Image image = Flatten(canvas.surface, Key::Black, Plain({70, 150, 50}), 0.45);
    FinishCanvas(canvas);
    return image;
}

Image PaintFontSheet() {
    int rows = (FONT_CHAR_COUNT + COLUMNS - 1) / COLUMNS;
    Canvas canvas = NewCanvas(COLUMNS * CELL_WIDTH, rows * CELL_HEIGHT);
    cairo_t* cr = canvas.cr;
    LetterStyle style = FontStyle();
    for (int i = 0; i < FONT_CHAR_COUNT; ++i) {
        int col = i % COLUMNS, row = i / COLUMNS;
        cairo_save(cr);
        // Each glyph stays inside its own cell, clear of the cell's border.
        cairo_rectangle(cr, col * CELL_WIDTH + 1, row * CELL_HEIGHT + 1, CELL_WIDTH - 2,
                        CELL_HEIGHT - 2);
        cairo_clip(cr);
        std::string one(1, char(FONT_CHARS[i]));
        DrawLettering(cr, one, col * CELL_WIDTH, row * CELL_HEIGHT + 3.5, style);
        cairo_restore(cr);
    }
    // The rim is the outermost colour of every glyph, so soft edges fade into it.
    Image image = Flatten(canvas.surface, Key::Black, Plain({58, 28, 8}), 0.4);
    FinishCanvas(canvas);
    return image;
}

std::string FontDescription() {
    std::string text = std::to_string(FONT_CHAR_COUNT) + " " + std::to_string(CELL_WIDTH) + " " +
                       std::to_string(CELL_HEIGHT) + "\n";
    for (int i = 0; i < FONT_CHAR_COUNT; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%d %d %d\n", int(FONT_CHARS[i]), i / COLUMNS,
                      i % COLUMNS);
        text += line;
    }
    return text;
}
