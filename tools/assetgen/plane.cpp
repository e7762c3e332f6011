// The propeller plane, facing right in a 220 x 60 cell and mirrored for the flight to
// the left; white is its transparent colour.
#include <cmath>

#include "assets.h"
#include "draw.h"

namespace {

constexpr Rgb HIGH_SKY = {64, 132, 212};  // the sky where the plane flies, y 10 to 70
const Colour INK = Hex(0x26180f);
const Colour BODY = Hex(0xf4c13a), TRIM = Hex(0x2f6fc0), METAL = Hex(0xc9ccd2);

void Fuselage(cairo_t* cr) {
    cairo_move_to(cr, 16, 27);
    cairo_curve_to(cr, 60, 21, 110, 14, 168, 16);
    cairo_curve_to(cr, 186, 17, 194, 24, 195, 32);
    cairo_curve_to(cr, 194, 40, 186, 46, 168, 47);
    cairo_curve_to(cr, 110, 49, 60, 42, 16, 35);
    cairo_close_path(cr);
}

// The tail fin with a stripe, and the far tailplane behind it.
void PaintTail(cairo_t* cr) {
    // Far tailplane and far wing peek out behind the fuselage.
    Ellipse(cr, 30, 30, 20, 3.5);
    FillAndOutline(cr, Shade(BODY, 0.7), INK, 1.3);
    // Tail fin with a stripe.
    cairo_move_to(cr, 20, 28);
    cairo_curve_to(cr, 14, 18, 12, 8, 20, 5);
    cairo_curve_to(cr, 28, 3, 40, 14, 52, 24);
    cairo_close_path(cr);
    cairo_pattern_t* fin = VerticalGradient(4, 28, Shade(BODY, 1.1), Shade(BODY, 0.85));
    FillAndOutline(cr, fin, INK, 1.5);
    cairo_pattern_destroy(fin);
    cairo_save(cr);
    cairo_move_to(cr, 20, 28);
    cairo_curve_to(cr, 14, 18, 12, 8, 20, 5);
    cairo_curve_to(cr, 28, 3, 40, 14, 52, 24);
    cairo_close_path(cr);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 9, 60, 5);
    SetColour(cr, TRIM);
    cairo_fill(cr);
    cairo_restore(cr);
}

// The body, lit from above, with its trim stripe and the metal cowling at the nose.
void PaintBody(cairo_t* cr) {
    Fuselage(cr);
    cairo_pattern_t* g = VerticalGradient(14, 48, Shade(BODY, 1.18), Shade(BODY, 0.72));
    FillAndOutline(cr, g, INK, 1.6);
    cairo_pattern_destroy(g);
    cairo_save(cr);
    Fuselage(cr);
    cairo_clip(cr);
    // Trim stripe along the body and the cowling at the nose.
    cairo_move_to(cr, 10, 33);
    cairo_curve_to(cr, 70, 36, 130, 37, 200, 35);
    SetColour(cr, TRIM);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    cairo_rectangle(cr, 170, 0, 40, 60);
    cairo_pattern_t* cowl = VerticalGradient(14, 48, Shade(METAL, 1.2), Shade(METAL, 0.62));
    cairo_set_source(cr, cowl);
    cairo_fill(cr);
    cairo_pattern_destroy(cowl);
    SetColour(cr, INK, 0.7);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, 170, 10);
    cairo_line_to(cr, 170, 50);
    for (int k = 0; k < 3; ++k) {
        cairo_move_to(cr, 176 + k * 5, 27);
        cairo_line_to(cr, 176 + k * 5, 39);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

// The open cockpit: windscreen and the pilot in cap, goggles and scarf.
void PaintCockpit(cairo_t* cr) {
    cairo_move_to(cr, 126, 12);
    cairo_curve_to(cr, 118, 10, 112, 16, 104, 13);  // the scarf streams back
    cairo_curve_to(cr, 110, 19, 118, 15, 127, 16);
    cairo_close_path(cr);
    FillAndOutline(cr, Hex(0xe8463a), INK, 1.0);
    cairo_arc(cr, 132, 13, 6.5, 0, 2 * PI);
    FillAndOutline(cr, Hex(0xf2c7a0), INK, 1.3);
    cairo_arc(cr, 132, 12, 6.8, PI * 1.0, PI * 2.0);
    cairo_close_path(cr);
    FillAndOutline(cr, Hex(0x7a4a2a), INK, 1.2);
    RoundedRect(cr, 131, 8.5, 8, 4, 2);
    FillAndOutline(cr, Hex(0x9fd8f0), INK, 1.0);
    cairo_move_to(cr, 142, 18);
    cairo_line_to(cr, 146, 8);
    cairo_line_to(cr, 152, 17);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0.75, 0.9, 1.0, 0.8);
    cairo_fill_preserve(cr);
    SetColour(cr, INK);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
}

// The near wing seen a little from below, the near tailplane and the wheel.
void PaintWingAndWheel(cairo_t* cr) {
    cairo_move_to(cr, 92, 40);
    cairo_curve_to(cr, 110, 36, 150, 36, 164, 40);
    cairo_curve_to(cr, 160, 50, 120, 55, 98, 50);
    cairo_close_path(cr);
    cairo_pattern_t* wing = VerticalGradient(36, 54, Shade(BODY, 1.05), Shade(BODY, 0.7));
    FillAndOutline(cr, wing, INK, 1.5);
    cairo_pattern_destroy(wing);
    Ellipse(cr, 128, 45.5, 7, 4);
    FillAndOutline(cr, TRIM, INK, 1.0);
    Ellipse(cr, 128, 45.5, 3, 1.8);
    SetColour(cr, Hex(0xe84a3a));
    cairo_fill(cr);
    // Near tailplane.
    Ellipse(cr, 28, 35, 20, 4);
    FillAndOutline(cr, Shade(BODY, 0.95), INK, 1.3);
    // Wheel under the wing.
    SetColour(cr, INK);
    cairo_set_line_width(cr, 2.2);
    cairo_move_to(cr, 150, 46);
    cairo_line_to(cr, 156, 52);
    cairo_stroke(cr);
    cairo_arc(cr, 156, 52.5, 5, 0, 2 * PI);
    FillAndOutline(cr, Hex(0x3c3c40), INK, 1.0);
    cairo_arc(cr, 156, 52.5, 1.8, 0, 2 * PI);
    SetColour(cr, METAL);
    cairo_fill(cr);
}

// The spinner and the blurred disc of the turning propeller.
void PaintPropeller(cairo_t* cr) {
    cairo_move_to(cr, 195, 25);
    cairo_curve_to(cr, 203, 26, 209, 30, 210, 31.5);
    cairo_curve_to(cr, 209, 33, 203, 37, 195, 38);
    cairo_close_path(cr);
    FillAndOutline(cr, Hex(0xe04a38), INK, 1.3);
    Ellipse(cr, 206, 31.5, 4, 26);
    cairo_pattern_t* disc = cairo_pattern_create_radial(206, 31.5, 2, 206, 31.5, 26);
    cairo_pattern_add_color_stop_rgba(disc, 0, 0.45, 0.45, 0.5, 0.7);
    cairo_pattern_add_color_stop_rgba(disc, 1, 0.6, 0.6, 0.65, 0.45);
    cairo_set_source(cr, disc);
    cairo_fill(cr);
    cairo_pattern_destroy(disc);
    cairo_set_source_rgba(cr, 0.25, 0.22, 0.2, 0.9);
    cairo_set_line_width(cr, 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, 206, 9);
    cairo_line_to(cr, 207, 20);
    cairo_move_to(cr, 206, 43);
    cairo_line_to(cr, 205, 55);
    cairo_stroke(cr);
}

}  // namespace

Image PaintPlaneSheet() {
    Canvas canvas = NewCanvas(220, 60);
    cairo_t* cr = canvas.cr;
    cairo_rectangle(cr, 1, 1, 218, 58);
    cairo_clip(cr);
    PaintTail(cr);
    PaintBody(cr);
    PaintCockpit(cr);
    PaintWingAndWheel(cr);
    PaintPropeller(cr);
    Image right = Flatten(canvas.surface, Key::White, Plain(HIGH_SKY), 0.45);
    FinishCanvas(canvas);
    Image sheet(220, 120);
    Blit(sheet, right, 0, 0);
    Blit(sheet, MirrorX(right), 0, 60);
    return sheet;
}
