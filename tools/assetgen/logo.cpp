// The title picture: sky, sun, clouds and hills on a rounded card, a bird in the
// crosshair and the game's name. It is drawn opaque at (120, 127) on a black screen, so
// everything outside the card is black.
#include "assets.h"
#include "draw.h"
#include "lettering.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 226;

void CardPath(cairo_t* cr) {
    RoundedRect(cr, 5, 5, kWidth - 10, kHeight - 10, 26);
}

void PaintScenery(cairo_t* cr) {
    CardPath(cr);
    cairo_pattern_t* sky = VerticalGradient(5, 170, Hex(0x2468c4), Hex(0xbfe3f7));
    cairo_set_source(cr, sky);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
    cairo_pattern_t* glow = cairo_pattern_create_radial(330, 50, 5, 330, 50, 90);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.97, 0.8, 0.9);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.97, 0.8, 0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
    cairo_arc(cr, 330, 50, 20, 0, 2 * PI);
    SetColour(cr, Hex(0xfff1a8));
    cairo_fill(cr);
    const double puffs[][3] = {{60, 40, 16},  {82, 32, 20},  {104, 42, 14},
                               {230, 70, 11}, {246, 64, 14}, {262, 72, 10}};
    for (const auto& p : puffs) {
        cairo_arc(cr, p[0], p[1], p[2], 0, 2 * PI);
        SetColour(cr, Hex(0xf6f9fc));
        cairo_fill(cr);
    }
    SetColour(cr, Hex(0x9bbad6));
    Ellipse(cr, 90, 200, 170, 50);
    cairo_fill(cr);
    SetColour(cr, Hex(0x6fb45a));
    Ellipse(cr, 310, 215, 190, 55);
    cairo_fill(cr);
    SetColour(cr, Hex(0x4e9c3a));
    Ellipse(cr, 80, 232, 200, 48);
    cairo_fill(cr);
}

void PaintBirdInSights(cairo_t* cr) {
    cairo_save(cr);
    cairo_translate(cr, 128, 2);
    cairo_scale(cr, 1.15, 1.15);
    DrawBird(cr, BirdKind::Big, 0.1);
    cairo_restore(cr);
    DrawSight(cr, 192, 76, Sight{26, 14, 36, 5, 2.2, 0.8});
}

void PaintFrameAndTitle(cairo_t* cr) {
    CardPath(cr);
    SetColour(cr, Hex(0x3b1d08));
    cairo_set_line_width(cr, 6);
    cairo_stroke_preserve(cr);
    SetColour(cr, Hex(0xffcf4a));
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    LetterStyle s = GoldenLettering(40, 29);
    s.slant = 0.12;
    DrawLettering(cr, "SIDESCROLLER", CentredX("SIDESCROLLER", kWidth / 2.0, s), 130, s);
}

}  // namespace

Image PaintLogo() {
    Canvas canvas = NewCanvas(kWidth, kHeight);
    cairo_t* cr = canvas.cr;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_save(cr);
    CardPath(cr);
    cairo_clip(cr);
    PaintScenery(cr);
    PaintBirdInSights(cr);
    cairo_restore(cr);
    PaintFrameAndTitle(cr);
    Image image = Opaque(canvas.surface);
    FinishCanvas(canvas);
    return image;
}
