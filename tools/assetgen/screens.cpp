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
    RoundedRect(cr, 184, 66, 277, 384, 22);
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
    LetterStyle s = GoldenLettering(24, 22);
    DrawLettering(cr, "HIGHSCORE", CentredX("HIGHSCORE", w / 2.0, s), 16, s);
    Image image = Opaque(canvas.surface);
    FinishCanvas(canvas);
    return image;
}

namespace {

constexpr int BUTTON_WIDTH = 225;
constexpr int BUTTON_HEIGHT = 53;

void ButtonShape(cairo_t* cr, double lift) {
    RoundedRect(cr, 4, 3 + lift * 0.3, 217, 43, 16);
}

// The body of the button: a shadow that the flattening turns into darkened menu pixels,
// the glowing rim and the gloss over the upper half.
void PaintButtonBody(cairo_t* cr, double lift, double glow) {
    RoundedRect(cr, 6, 8, 217, 43, 16);
    cairo_set_source_rgba(cr, 0.05, 0.1, 0.2, 0.55);
    cairo_fill(cr);
    ButtonShape(cr, lift);
    Colour rim = Mix(Hex(0x0f3a14), Hex(0xe8a418), glow);
    cairo_pattern_t* body = VerticalGradient(3, 46, Mix(Hex(0x5cc452), Hex(0x7ad86a), glow),
                                             Mix(Hex(0x1e7a2a), Hex(0x2c8c30), glow));
    FillAndOutline(cr, body, rim, 3.0);
    cairo_pattern_destroy(body);
    RoundedRect(cr, 12, 6 + lift * 0.3, 201, 17, 8);
    cairo_pattern_t* gloss = cairo_pattern_create_linear(0, 6, 0, 24);
    cairo_pattern_add_color_stop_rgba(gloss, 0, 1, 1, 1, 0.55);
    cairo_pattern_add_color_stop_rgba(gloss, 1, 1, 1, 1, 0.05);
    cairo_set_source(cr, gloss);
    cairo_fill(cr);
    cairo_pattern_destroy(gloss);
}

// A slanted band of light at x, clipped to the button.
void PaintShine(cairo_t* cr, double lift, double x) {
    cairo_save(cr);
    ButtonShape(cr, lift);
    cairo_clip(cr);
    cairo_pattern_t* band = cairo_pattern_create_linear(x - 22, 0, x + 22, 0);
    cairo_pattern_add_color_stop_rgba(band, 0, 1, 1, 0.85, 0);
    cairo_pattern_add_color_stop_rgba(band, 0.5, 1, 1, 0.85, 0.65);
    cairo_pattern_add_color_stop_rgba(band, 1, 1, 1, 0.85, 0);
    cairo_move_to(cr, x - 10, 0);
    cairo_line_to(cr, x + 30, 0);
    cairo_line_to(cr, x + 10, BUTTON_HEIGHT);
    cairo_line_to(cr, x - 30, BUTTON_HEIGHT);
    cairo_close_path(cr);
    cairo_set_source(cr, band);
    cairo_fill(cr);
    cairo_pattern_destroy(band);
    cairo_restore(cr);
}

// Picture f of a button: 0 at rest; 1 to 14 a pop of the label that settles with a
// wobble, a shine that sweeps across and a rim that glows up and fades.
void PaintButtonPicture(cairo_t* cr, const std::string& label, int f) {
    double t = f / 15.0;
    double lift = f == 0 ? 0.0 : -3.2 * std::sin(t * PI * 2.0) * std::exp(-1.8 * t);
    double glow = f == 0 ? 0.0 : std::pow(std::sin(t * PI), 2) * 0.9 + 0.1 * (1 - t);
    PaintButtonBody(cr, lift, glow);
    if (f > 0 && f < 12) PaintShine(cr, lift, -40 + (f - 1) / 10.0 * (BUTTON_WIDTH + 80));
    LetterStyle s = GoldenLettering(20, 16);
    double grow = 1.0 + (f == 0 ? 0.0 : 0.07 * std::sin(t * PI * 3.0) * std::exp(-2.0 * t));
    cairo_save(cr);
    cairo_translate(cr, BUTTON_WIDTH / 2.0, 25 + lift);
    cairo_scale(cr, grow, grow);
    DrawLettering(cr, label, CentredX(label, 0, s), -s.capHeight / 2.0 - 1, s);
    cairo_restore(cr);
}

}  // namespace

Image PaintButtonSheet(const std::string& label, const Image& menu, int buttonY) {
    Image sheet(2 * BUTTON_WIDTH, 8 * BUTTON_HEIGHT);
    // The button always stands at x 210 on the menu, so its edges mix into what lies there.
    Backdrop behind = [&menu, buttonY](int x, int y) { return menu.at(210 + x, buttonY + y); };
    for (int f = 0; f < 15; ++f) {
        Canvas canvas = NewCanvas(BUTTON_WIDTH, BUTTON_HEIGHT);
        PaintButtonPicture(canvas.cr, label, f);
        Image cell = Flatten(canvas.surface, Key::Black, behind, 0.45);
        Blit(sheet, cell, (f % 2) * BUTTON_WIDTH, (f / 2) * BUTTON_HEIGHT);
        FinishCanvas(canvas);
    }
    return sheet;
}
