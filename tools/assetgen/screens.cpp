// The pictures of the screens around the hunt: menu background, high-score heading,
// logo and the four menu buttons.
#include <algorithm>
#include <cmath>

#include "assets.h"
#include "draw.h"
#include "lettering.h"
#include "rng.h"

namespace {

// A soft box blur, a few passes of which give the menu its calm, out-of-focus look.
Image Blur(const Image& in, int radius) {
    Image tmp = in, out = in;
    for (int pass = 0; pass < 2; ++pass) {
        const Image& src = pass == 0 ? in : tmp;
        Image& dst = pass == 0 ? tmp : out;
        for (int y = 0; y < in.height; ++y) {
            for (int x = 0; x < in.width; ++x) {
                int r = 0, g = 0, b = 0, n = 0;
                for (int d = -radius; d <= radius; ++d) {
                    int sx = pass == 0 ? std::clamp(x + d, 0, in.width - 1) : x;
                    int sy = pass == 1 ? std::clamp(y + d, 0, in.height - 1) : y;
                    const Rgb& p = src.at(sx, sy);
                    r += p.r, g += p.g, b += p.b, ++n;
                }
                dst.at(x, y) = {uint8_t(r / n), uint8_t(g / n), uint8_t(b / n)};
            }
        }
    }
    return out;
}

LetterStyle TitleStyle(double cap, double advance) {
    LetterStyle s;
    s.capHeight = cap;
    s.advance = advance;
    s.pen = cap * 0.2;
    s.rim = cap * 0.075;
    s.top = Hex(0xfff2a0);
    s.bottom = Hex(0xff9a1c);
    s.rimColour = Hex(0x3b1d08);
    s.widthScale = 0.85;
    return s;
}

}  // namespace

Image PaintMenuBackground(const Image& landscape) {
    Image view = Blur(Crop(landscape, 420, 0, 640, 480), 3);
    view = Blur(view, 3);
    Canvas canvas = NewCanvas(640, 480);
    cairo_t* cr = canvas.cr;
    PaintImage(cr, view, 0, 0);
    // A gentle wash makes the scene recede behind buttons and text.
    cairo_set_source_rgba(cr, 0.95, 0.97, 1.0, 0.18);
    cairo_paint(cr);
    // The frosted pane behind the button column and the score rows.
    RoundedRect(cr, 178, 66, 364, 384, 22);
    cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.42);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.7);
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    Image image = Opaque(canvas.surface);
    FinishCanvas(canvas);
    return image;
}

Image PaintHighScorePanel(const Image& menu) {
    // The panel is drawn opaque at (180, 70), so it starts from the menu pixels it covers.
    const int w = 280, h = 56;
    Canvas canvas = NewCanvas(w, h);
    cairo_t* cr = canvas.cr;
    PaintImage(cr, Crop(menu, 180, 70, w, h), 0, 0);
    RoundedRect(cr, 8, 6, w - 16, h - 12, 12);
    cairo_pattern_t* ribbon = VerticalGradient(6, h - 6, Hex(0x3a78c8), Hex(0x1d4f96));
    FillAndOutline(cr, ribbon, Hex(0x142c52), 2.0);
    cairo_pattern_destroy(ribbon);
    LetterStyle s = TitleStyle(24, 22);
    DrawLettering(cr, "HIGHSCORE", CentredX("HIGHSCORE", w / 2.0, s), 16, s);
    Image image = Opaque(canvas.surface);
    FinishCanvas(canvas);
    return image;
}

Image PaintLogo() {
    const int w = 400, h = 226;
    Canvas canvas = NewCanvas(w, h);
    cairo_t* cr = canvas.cr;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    RoundedRect(cr, 4, 4, w - 8, h - 8, 26);
    cairo_pattern_t* sky = VerticalGradient(4, h - 4, Hex(0x2a72cf), Hex(0xbfe3f7));
    cairo_set_source(cr, sky);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(sky);
    cairo_save(cr);
    cairo_clip(cr);
    SetColour(cr, Hex(0x86b86a));
    Ellipse(cr, 110, 250, 220, 70);
    cairo_fill(cr);
    SetColour(cr, Hex(0x5aa83c));
    Ellipse(cr, 320, 262, 200, 70);
    cairo_fill(cr);
    cairo_restore(cr);
    RoundedRect(cr, 4, 4, w - 8, h - 8, 26);
    SetColour(cr, Hex(0xffd45a));
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    LetterStyle s = TitleStyle(46, 30);
    DrawLettering(cr, "SIDESCROLLER", CentredX("SIDESCROLLER", w / 2.0, s), 80, s);
    Image image = Opaque(canvas.surface);
    FinishCanvas(canvas);
    return image;
}

Image PaintButtonSheet(const std::string& label, const Image& menu, int buttonY) {
    const int cw = 225, ch = 53;
    Image sheet(2 * cw, 8 * ch);
    for (int f = 0; f < 15; ++f) {
        double t = f / 14.0;
        Canvas canvas = NewCanvas(cw, ch);
        cairo_t* cr = canvas.cr;
        // A bounce of the label that settles, and a shine sweeping across the button.
        double lift = f == 0 ? 0.0 : -3.5 * std::sin(t * kPi * 2.0) * std::exp(-1.6 * t);
        RoundedRect(cr, 3, 3, cw - 6, ch - 6, 15);
        cairo_pattern_t* body = VerticalGradient(3, ch - 3, Hex(0x4fb84a), Hex(0x1f7a2c));
        FillAndOutline(cr, body, Hex(0x123d16), 2.5);
        cairo_pattern_destroy(body);
        if (f > 0) {
            cairo_save(cr);
            RoundedRect(cr, 4, 4, cw - 8, ch - 8, 14);
            cairo_clip(cr);
            double sx = -60 + t * (cw + 120);
            cairo_move_to(cr, sx, 0);
            cairo_line_to(cr, sx + 30, 0);
            cairo_line_to(cr, sx + 10, ch);
            cairo_line_to(cr, sx - 20, ch);
            cairo_close_path(cr);
            cairo_set_source_rgba(cr, 1, 1, 0.9, 0.45);
            cairo_fill(cr);
            cairo_restore(cr);
        }
        LetterStyle s = TitleStyle(22, 18);
        DrawLettering(cr, label, CentredX(label, cw / 2.0, s), 15 + lift, s);
        int col = f % 2, row = f / 2;
        Backdrop behind = [&menu, buttonY](int x, int y) { return menu.at(210 + x, buttonY + y); };
        Image cell = Flatten(canvas.surface, Key::Black, behind, 0.45);
        Blit(sheet, cell, col * cw, row * ch);
        FinishCanvas(canvas);
    }
    return sheet;
}
