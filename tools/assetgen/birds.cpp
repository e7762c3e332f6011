// The two birds. Each is drawn on a 100 x 120 design grid facing right (the small one at
// half scale): a plump body, a head with beak and eye, a fanned tail and two wings built
// from single feathers. A wing is modelled in its own plane, bone along u and feathers
// trailing along v, and mapped onto the picture with its beat, so that it folds, turns
// toward the viewer and spreads again as the phase goes round.
#include <cmath>

#include "assets.h"
#include "draw.h"
#include "rng.h"

namespace {

struct Palette {
    Colour back, belly, wing, tip, beak, outline, crest, cheek;
};

const Palette BIG_PALETTE = {Hex(0xb5522b), Hex(0xf4dcac), Hex(0x94502a), Hex(0x4d2814),
                             Hex(0xf3b632), Hex(0x2c150a), Hex(0x7c2f14), Hex(0xe08a5a)};
const Palette SMALL_PALETTE = {Hex(0x3d7fd2), Hex(0xf7e06e), Hex(0x2f62b0), Hex(0x1a3670),
                               Hex(0xf29030), Hex(0x14203e), Hex(0x1b3d86), Hex(0xf4f4ee)};

// Mid-sky blue: what the birds are mostly seen against, for their soft edges.
constexpr Rgb SKY_BEHIND = {112, 170, 226};

struct Pose {
    double phase;     // 0 wings fully up, 0.5 fully down, back to 1
    double rotation;  // radians, clockwise, about the body centre
    bool dead;
};

double gLine = 1.3;  // outline width in design units; thicker for the half-size bird

// A feather blade from its root along +x, in whatever space the caller has set up; the
// path is finished in device space so outlines keep their width under the wing's shear.
void FeatherPath(cairo_t* cr, double length, double width) {
    cairo_move_to(cr, 0, -width * 0.4);
    cairo_curve_to(cr, length * 0.35, -width * 0.62, length * 0.78, -width * 0.55, length, 0);
    cairo_curve_to(cr, length * 0.8, width * 0.5, length * 0.35, width * 0.6, 0, width * 0.4);
    cairo_close_path(cr);
}

void FinishFeather(cairo_t* cr, Colour fill, Colour outline) {
    FillAndOutline(cr, fill, outline, gLine * 0.85);
}

struct WingFrame {
    cairo_matrix_t m;  // wing plane (u along the bone, v toward the trailing edge) to design
};

WingFrame WingAt(double sx, double sy, double phase, double scale) {
    double e = 1.08 * std::cos(2 * PI * phase) + 0.08;  // elevation: up positive
    // Seen from the side the bone points up or down; level, it points at the viewer and
    // only a little backward shows. The trailing edge always streams back.
    double ux = -0.22 * scale, uy = -0.9 * std::sin(e) * scale;
    double vx = -1.0 * scale, vy = 0.12 * scale;
    WingFrame f;
    cairo_matrix_init(&f.m, ux, uy, vx, vy, sx, sy);
    return f;
}

void Wing(cairo_t* cr, const Palette& p, double sx, double sy, double phase, double scale,
          bool far) {
    // On the upstroke the wing folds at the wrist and its primaries close up.
    double fold = std::max(0.0, -std::sin(2 * PI * phase));
    double spread = 0.2 * (1.0 - 0.65 * fold);
    double bone = 44.0 * (1.0 - 0.28 * fold);
    Colour wing = far ? Shade(p.wing, 0.7) : p.wing;
    Colour tip = far ? Shade(p.tip, 0.8) : p.tip;
    Colour covert = far ? Shade(p.wing, 0.82) : Shade(p.wing, 1.18);
    WingFrame f = WingAt(sx, sy, phase, scale);
    auto place = [&](double u, double v, double angle) {
        cairo_save(cr);
        cairo_transform(cr, &f.m);
        cairo_translate(cr, u, v);
        cairo_rotate(cr, angle);
    };
    // Primaries at the hand, fanning from outward-pointing to backward.
    for (int j = 5; j >= 0; --j) {
        place(bone * (0.72 + 0.05 * j), 2.0, 0.12 + j * spread + 0.3 * fold);
        FeatherPath(cr, 34.0 - 2.6 * j, 9.0);
        cairo_restore(cr);
        FinishFeather(cr, Mix(tip, wing, j / 7.0), p.outline);
    }
    // Secondaries along the arm, streaming back.
    for (int i = 6; i >= 0; --i) {
        double u = bone * (0.1 + 0.1 * i);
        place(u, 2.0, 1.35 - 0.07 * i + 0.1 * fold);
        FeatherPath(cr, 22.0 + i * 0.8, 8.5);
        cairo_restore(cr);
        FinishFeather(cr, Mix(wing, tip, 0.3 + (i % 2) * 0.12), p.outline);
    }
    // Coverts: the rounded leading part of the wing over the feather roots.
    cairo_save(cr);
    cairo_transform(cr, &f.m);
    cairo_move_to(cr, -2, -3);
    cairo_curve_to(cr, bone * 0.4, -6, bone * 0.8, -5, bone * 0.92, 1);
    cairo_curve_to(cr, bone * 0.75, 9, bone * 0.4, 14, 0, 15);
    cairo_close_path(cr);
    cairo_restore(cr);
    // Lit along the leading edge, shaded toward the feathers.
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, 1);
    cairo_matrix_t toPlane = f.m;
    cairo_matrix_invert(&toPlane);
    cairo_matrix_t toUnit;
    cairo_matrix_init(&toUnit, 1, 0, 0, 1.0 / 15.0, 0, 0);
    cairo_matrix_multiply(&toUnit, &toPlane, &toUnit);
    cairo_pattern_set_matrix(shade, &toUnit);
    cairo_pattern_add_color_stop_rgb(shade, 0, covert.r, covert.g, covert.b);
    Colour deep = Mix(covert, wing, 0.7);
    cairo_pattern_add_color_stop_rgb(shade, 1, deep.r, deep.g, deep.b);
    FillAndOutline(cr, shade, p.outline, gLine);
    cairo_pattern_destroy(shade);
    // A row of small scalloped feathers along the covert's edge.
    for (int k = 0; k < 4; ++k) {
        cairo_save(cr);
        cairo_transform(cr, &f.m);
        cairo_translate(cr, bone * (0.12 + 0.19 * k), 7 + (k == 0 ? 3 : 0));
        cairo_rotate(cr, 1.2);
        FeatherPath(cr, 9, 7);
        cairo_restore(cr);
        FillAndOutline(cr, Mix(covert, wing, 0.4), Shade(p.outline, 1.0), gLine * 0.6);
    }
}

void Tail(cairo_t* cr, const Palette& p, double bob) {
    for (int i = 0; i < 5; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 32, 68 + bob * 0.5);
        cairo_rotate(cr, PI + 0.12 + (i - 2) * 0.17 + bob * 0.02);
        FeatherPath(cr, 26 - std::abs(i - 2) * 2.5, 8);
        cairo_restore(cr);
        FinishFeather(cr, Mix(p.wing, p.tip, i % 2 ? 0.15 : 0.55), p.outline);
    }
}

void Body(cairo_t* cr, const Palette& p) {
    // Feet tucked under the belly.
    SetColour(cr, Shade(p.beak, 0.85));
    cairo_set_line_width(cr, 2.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (double fx : {46.0, 52.0}) {
        cairo_move_to(cr, fx, 78);
        cairo_line_to(cr, fx - 4, 85);
        cairo_line_to(cr, fx - 8, 86);
    }
    cairo_stroke(cr);
    // A plump teardrop from the tail to the chest.
    cairo_move_to(cr, 26, 64);
    cairo_curve_to(cr, 34, 50, 54, 45, 68, 50);
    cairo_curve_to(cr, 78, 56, 76, 76, 62, 81);
    cairo_curve_to(cr, 48, 85, 32, 80, 26, 70);
    cairo_close_path(cr);
    cairo_pattern_t* g = VerticalGradient(46, 84, Shade(p.back, 1.12), Shade(p.back, 0.78));
    FillAndOutline(cr, g, p.outline, gLine * 1.2);
    cairo_pattern_destroy(g);
    // Belly with a few soft scallops.
    cairo_save(cr);
    cairo_move_to(cr, 26, 64);
    cairo_curve_to(cr, 34, 50, 54, 45, 68, 50);
    cairo_curve_to(cr, 78, 56, 76, 76, 62, 81);
    cairo_curve_to(cr, 48, 85, 32, 80, 26, 70);
    cairo_close_path(cr);
    cairo_clip(cr);
    Ellipse(cr, 56, 74, 20, 11);
    cairo_pattern_t* b = VerticalGradient(62, 85, p.belly, Shade(p.belly, 0.86));
    cairo_set_source(cr, b);
    cairo_fill(cr);
    cairo_pattern_destroy(b);
    SetColour(cr, Shade(p.belly, 0.8), 0.8);
    cairo_set_line_width(cr, gLine * 0.6);
    for (int k = 0; k < 5; ++k) {
        double x = 46 + k * 5.5, y = 70 + (k % 2) * 4;
        cairo_arc(cr, x, y, 2.6, 0.3, PI - 0.3);
        cairo_new_sub_path(cr);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void Head(cairo_t* cr, const Palette& p, bool dead) {
    for (int i = 0; i < 3; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 71 - i * 3.5, 40 + i * 0.6);
        cairo_rotate(cr, -1.75 - i * 0.38);
        FeatherPath(cr, 12 - i, 5.5);
        cairo_restore(cr);
        FinishFeather(cr, p.crest, p.outline);
    }
    cairo_arc(cr, 73, 50, 14, 0, 2 * PI);
    cairo_pattern_t* h = cairo_pattern_create_radial(77, 44, 2, 73, 50, 14.5);
    Colour lit = Shade(p.back, 1.22);
    cairo_pattern_add_color_stop_rgb(h, 0, lit.r, lit.g, lit.b);
    cairo_pattern_add_color_stop_rgb(h, 1, p.back.r, p.back.g, p.back.b);
    FillAndOutline(cr, h, p.outline, gLine * 1.2);
    cairo_pattern_destroy(h);
    Ellipse(cr, 76, 57, 8, 5);
    SetColour(cr, p.cheek);
    cairo_fill(cr);
    // Beak in two parts, slightly open.
    cairo_move_to(cr, 84, 45);
    cairo_curve_to(cr, 89, 44, 94, 46.5, 97, 50);
    cairo_line_to(cr, 85, 51.5);
    cairo_close_path(cr);
    FillAndOutline(cr, p.beak, p.outline, gLine);
    cairo_move_to(cr, 85, 52.5);
    cairo_line_to(cr, 94, 52.5);
    cairo_curve_to(cr, 91, 55, 88, 56, 85, 56.5);
    cairo_close_path(cr);
    FillAndOutline(cr, Shade(p.beak, 0.78), p.outline, gLine);
    if (dead) {
        SetColour(cr, p.outline);
        cairo_set_line_width(cr, gLine * 1.4);
        cairo_move_to(cr, 74, 43);
        cairo_line_to(cr, 81, 50);
        cairo_move_to(cr, 81, 43);
        cairo_line_to(cr, 74, 50);
        cairo_stroke(cr);
        return;
    }
    cairo_arc(cr, 78, 46, 5.2, 0, 2 * PI);
    FillAndOutline(cr, Hex(0xfbfbf2), p.outline, gLine * 0.9);
    cairo_arc(cr, 79.6, 46.4, 2.8, 0, 2 * PI);
    SetColour(cr, Hex(0x1a1410));
    cairo_fill(cr);
    cairo_arc(cr, 80.6, 45.2, 1.0, 0, 2 * PI);
    SetColour(cr, Hex(0xffffff));
    cairo_fill(cr);
}

void PaintBird(cairo_t* cr, const Palette& p, const Pose& pose) {
    // The body rises a little as the wings push down.
    double bob = pose.dead ? 0.0 : -2.0 * std::sin(2 * PI * pose.phase);
    cairo_save(cr);
    cairo_translate(cr, 50, 62);
    cairo_rotate(cr, pose.rotation);
    if (pose.dead) cairo_scale(cr, 0.86, 0.86);
    cairo_translate(cr, -50, -59 + bob);
    Wing(cr, p, 57, 54, pose.phase - 0.03, 0.86, true);
    Tail(cr, p, bob);
    Body(cr, p);
    Head(cr, p, pose.dead);
    Wing(cr, p, 50, 57, pose.phase, 1.0, false);
    cairo_restore(cr);
}

// Loose feathers that drift off a bird that has just been hit.
void LooseFeathers(cairo_t* cr, const Palette& p, int k) {
    Rng rng(uint64_t(40 + k));
    for (int i = 0; i < 3 - k; ++i) {
        cairo_save(cr);
        cairo_translate(cr, rng.Range(20, 80), rng.Range(12, 30) - k * 4);
        cairo_rotate(cr, rng.Range(0, 2 * PI));
        FeatherPath(cr, 11, 5);
        cairo_restore(cr);
        FinishFeather(cr, i % 2 ? p.wing : p.belly, p.outline);
    }
}

Image PaintFrame(BirdKind kind, const Pose& pose, int fallIndex) {
    int w = kind == BirdKind::Big ? 100 : 50, h = kind == BirdKind::Big ? 120 : 60;
    const Palette& p = kind == BirdKind::Big ? BIG_PALETTE : SMALL_PALETTE;
    Canvas canvas = NewCanvas(w, h);
    cairo_t* cr = canvas.cr;
    cairo_rectangle(cr, 1, 1, w - 2, h - 2);
    cairo_clip(cr);
    gLine = kind == BirdKind::Big ? 1.3 : 2.2;
    if (kind == BirdKind::Small) cairo_scale(cr, 0.5, 0.5);
    PaintBird(cr, p, pose);
    if (fallIndex >= 0 && fallIndex < 3) LooseFeathers(cr, p, fallIndex);
    Image image = Flatten(canvas.surface, Key::Black, Plain(SKY_BEHIND), 0.4);
    FinishCanvas(canvas);
    return image;
}

// The tumble after a hit: more than a full turn, ending head down with the wings up,
// which holds well as the last picture while the bird drops out of the world.
Pose FallPose(int k) {
    const double flaps[] = {0.12, 0.6, 0.3, 0.82, 0.45, 0.0};
    return {flaps[k], (30.0 + 82.0 * k) * PI / 180.0, true};
}

}  // namespace

void DrawBird(cairo_t* cr, BirdKind kind, double phase) {
    gLine = 1.3;
    PaintBird(cr, kind == BirdKind::Big ? BIG_PALETTE : SMALL_PALETTE, {phase, 0.0, false});
}

Image PaintBirdSheet(BirdKind kind, bool facingLeft) {
    int w = kind == BirdKind::Big ? 100 : 50, h = kind == BirdKind::Big ? 120 : 60;
    Image sheet(6 * w, 3 * h);
    for (int f = 0; f < 18; ++f) {
        Image cell;
        if (f < 12) {
            // Flying right the cycle is 0..11; flying left the game shows 11 down to 1,
            // eleven pictures, so that sheet spreads one beat over those eleven.
            double phase = facingLeft ? (f == 0 ? 0.0 : (11.0 - f) / 11.0) : f / 12.0;
            cell = PaintFrame(kind, {phase, 0.0, false}, -1);
        } else {
            // Flying left the fall runs 17 down to 12, so its order is reversed.
            int k = facingLeft ? 17 - f : f - 12;
            cell = PaintFrame(kind, FallPose(k), k);
        }
        if (facingLeft) cell = MirrorX(cell);
        Blit(sheet, cell, (f % 6) * w, (f / 6) * h);
    }
    return sheet;
}
