// The propeller plane and the parachutist, both with white as their transparent colour.
#include <cmath>

#include "assets.h"
#include "draw.h"
#include "rng.h"

namespace {

constexpr Rgb kHighSky = {70, 140, 215};  // the sky where the plane flies, y 10 to 70
constexpr Rgb kMidSky = {130, 185, 235};

// Facing right, in a 220 x 60 cell.
void PaintPlane(cairo_t* cr) {
    const Colour red = Hex(0xd8342c), cream = Hex(0xf0e2c0), dark = Hex(0x2a1a14);
    // Far wing and tailplane, darker.
    cairo_move_to(cr, 92, 34);
    cairo_line_to(cr, 120, 34);
    cairo_line_to(cr, 112, 14);
    cairo_line_to(cr, 100, 14);
    cairo_close_path(cr);
    FillAndOutline(cr, Shade(red, 0.7), dark, 1.4);
    // Fuselage.
    cairo_move_to(cr, 24, 30);
    cairo_curve_to(cr, 60, 24, 120, 20, 176, 22);
    cairo_curve_to(cr, 196, 23, 200, 30, 200, 34);
    cairo_curve_to(cr, 200, 40, 190, 44, 172, 44);
    cairo_curve_to(cr, 120, 45, 60, 40, 24, 36);
    cairo_close_path(cr);
    cairo_pattern_t* body = VerticalGradient(20, 45, Shade(red, 1.2), Shade(red, 0.75));
    FillAndOutline(cr, body, dark, 1.6);
    cairo_pattern_destroy(body);
    // Cream stripe and the cockpit canopy.
    cairo_move_to(cr, 40, 33);
    cairo_curve_to(cr, 90, 33, 150, 34, 196, 35);
    SetColour(cr, cream);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    cairo_move_to(cr, 120, 23);
    cairo_curve_to(cr, 124, 10, 146, 9, 152, 22);
    cairo_close_path(cr);
    cairo_pattern_t* glass = VerticalGradient(9, 23, Hex(0xd8f0ff), Hex(0x5a8ab0));
    FillAndOutline(cr, glass, dark, 1.3);
    cairo_pattern_destroy(glass);
    // Tail fin and tailplane.
    cairo_move_to(cr, 26, 31);
    cairo_line_to(cr, 14, 8);
    cairo_line_to(cr, 30, 8);
    cairo_line_to(cr, 52, 28);
    cairo_close_path(cr);
    FillAndOutline(cr, red, dark, 1.4);
    cairo_move_to(cr, 20, 35);
    cairo_line_to(cr, 50, 34);
    cairo_line_to(cr, 44, 42);
    cairo_line_to(cr, 16, 42);
    cairo_close_path(cr);
    FillAndOutline(cr, Shade(red, 0.85), dark, 1.3);
    // Near wing with a roundel.
    cairo_move_to(cr, 96, 36);
    cairo_line_to(cr, 136, 36);
    cairo_line_to(cr, 130, 54);
    cairo_line_to(cr, 104, 54);
    cairo_close_path(cr);
    cairo_pattern_t* wing = VerticalGradient(36, 54, Shade(red, 1.1), Shade(red, 0.8));
    FillAndOutline(cr, wing, dark, 1.4);
    cairo_pattern_destroy(wing);
    cairo_arc(cr, 117, 45, 5, 0, 2 * kPi);
    FillAndOutline(cr, cream, dark, 1.0);
    // Wheels and strut.
    SetColour(cr, dark);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, 160, 43);
    cairo_line_to(cr, 164, 52);
    cairo_stroke(cr);
    cairo_arc(cr, 164, 53, 4, 0, 2 * kPi);
    FillAndOutline(cr, Hex(0x3a3a3a), dark, 1.0);
    // Spinner and the blurred propeller disc.
    cairo_move_to(cr, 199, 27);
    cairo_curve_to(cr, 206, 28, 210, 31, 210, 33);
    cairo_curve_to(cr, 210, 35, 206, 38, 199, 40);
    cairo_close_path(cr);
    FillAndOutline(cr, Hex(0xe0c040), dark, 1.2);
    Ellipse(cr, 211, 33, 3.5, 25);
    cairo_set_source_rgba(cr, 0.55, 0.55, 0.6, 0.55);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 0.3, 0.3, 0.35, 0.8);
    cairo_set_line_width(cr, 2.5);
    cairo_move_to(cr, 211, 12);
    cairo_line_to(cr, 211, 22);
    cairo_move_to(cr, 211, 44);
    cairo_line_to(cr, 211, 54);
    cairo_stroke(cr);
}

// Para frames 0 to 3 facing right: in flight, canopy torn, collapsing, collapsed.
void PaintPara(cairo_t* cr, int stage) {
    const Colour dark = Hex(0x2a1a14);
    const Colour stripes[] = {Hex(0xe8402e), Hex(0xf2e8d2), Hex(0xf0b428), Hex(0xf2e8d2),
                              Hex(0x3a7ad0)};
    double tilt = 0.08 + 0.12 * stage;
    double squash = stage == 3 ? 0.35 : (stage == 2 ? 0.7 : 1.0);
    double span = stage == 3 ? 34 : (stage == 2 ? 52 : 64);
    double cy = 52;
    cairo_save(cr);
    cairo_translate(cr, 75, 120);
    cairo_rotate(cr, tilt);
    cairo_translate(cr, -75, -120);
    // Lines from the canopy's edge to the harness.
    SetColour(cr, Hex(0x4a4038));
    cairo_set_line_width(cr, 1.0);
    for (int i = 0; i <= 4; ++i) {
        double x = 75 - span + i * span / 2;
        cairo_move_to(cr, x, cy + 4);
        cairo_line_to(cr, 75 + (i - 2) * 3, 120);
    }
    cairo_stroke(cr);
    // Canopy of five coloured gores.
    for (int i = 0; i < 5; ++i) {
        double a0 = kPi + i * kPi / 5, a1 = kPi + (i + 1) * kPi / 5;
        cairo_move_to(cr, 75, cy + 4);
        cairo_save(cr);
        cairo_translate(cr, 75, cy + 4);
        cairo_scale(cr, span, 44 * squash);
        cairo_arc(cr, 0, 0, 1, a0, a1);
        cairo_restore(cr);
        cairo_close_path(cr);
        FillAndOutline(cr, stripes[i], dark, 1.2);
    }
    if (stage >= 1) {
        // Tears: dark holes with ragged edges.
        SetColour(cr, Hex(0x3a2a22));
        Ellipse(cr, 60, cy - 20 * squash, 7, 5 * squash + 1);
        cairo_fill(cr);
        if (stage >= 2) {
            Ellipse(cr, 92, cy - 12 * squash, 6, 4 * squash + 1);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
    // The jumper: helmet, body, arms up to the risers, legs; flailing once falling.
    double swing = stage * 0.35;
    cairo_save(cr);
    cairo_translate(cr, 75, 126);
    SetColour(cr, Hex(0x2e5a2a));
    cairo_set_line_width(cr, 5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, -3, 2);
    cairo_line_to(cr, -10 - 6 * std::sin(swing), -8 - 6 * std::cos(swing));
    cairo_move_to(cr, 3, 2);
    cairo_line_to(cr, 10 + 6 * std::sin(swing * 1.5), -8 + 4 * stage);
    cairo_stroke(cr);
    Ellipse(cr, 0, 12, 7, 13);
    FillAndOutline(cr, Hex(0x3f7a36), dark, 1.3);
    SetColour(cr, Hex(0x2b3f6e));
    cairo_set_line_width(cr, 5.5);
    cairo_move_to(cr, -3, 22);
    cairo_line_to(cr, -6 - 3 * stage, 40);
    cairo_move_to(cr, 3, 22);
    cairo_line_to(cr, 7 + 2 * stage, 40 - 3 * stage);
    cairo_stroke(cr);
    cairo_arc(cr, 0, -4, 6.5, 0, 2 * kPi);
    FillAndOutline(cr, Hex(0xf0c8a0), dark, 1.2);
    cairo_arc(cr, 0, -6, 7, kPi, 2 * kPi);
    cairo_close_path(cr);
    FillAndOutline(cr, Hex(0xe0a020), dark, 1.2);
    cairo_restore(cr);
}

}  // namespace

Image PaintPlaneSheet() {
    Canvas canvas = NewCanvas(220, 60);
    cairo_rectangle(canvas.cr, 1, 1, 218, 58);
    cairo_clip(canvas.cr);
    PaintPlane(canvas.cr);
    Image right = Flatten(canvas.surface, Key::White, Plain(kHighSky), 0.45);
    FinishCanvas(canvas);
    Image sheet(220, 120);
    Blit(sheet, right, 0, 0);
    Blit(sheet, MirrorX(right), 0, 60);
    return sheet;
}

Image PaintParaSheet() {
    Image sheet(600, 360);
    for (int stage = 0; stage < 4; ++stage) {
        Canvas canvas = NewCanvas(150, 180);
        cairo_rectangle(canvas.cr, 1, 1, 148, 178);
        cairo_clip(canvas.cr);
        PaintPara(canvas.cr, stage);
        Image right = Flatten(canvas.surface, Key::White, Plain(kMidSky), 0.45);
        FinishCanvas(canvas);
        Blit(sheet, right, stage * 150, 0);
        Blit(sheet, MirrorX(right), stage * 150, 180);
    }
    return sheet;
}
