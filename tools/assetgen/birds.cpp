// The two birds. Each is drawn on a 100 x 120 design grid facing right (the small one at
// half scale) from a body, a head with beak and eye, a feathered tail and two wings whose
// feathers fan out and fold through the wing beat.
#include <cmath>

#include "assets.h"
#include "draw.h"
#include "rng.h"

namespace {

struct Palette {
    Colour body, belly, wing, wingTip, beak, outline, crest;
};

const Palette kBigPalette = {Hex(0xb4502a), Hex(0xf3d9a8), Hex(0x8a4424), Hex(0x4e2614),
                             Hex(0xf2b630), Hex(0x2e160a), Hex(0x7a2e14)};
const Palette kSmallPalette = {Hex(0x3f7fd0), Hex(0xf6e07a), Hex(0x2d5ea8), Hex(0x1c3a70),
                               Hex(0xf08a2a), Hex(0x14213f), Hex(0x1d3f80)};

// Mid-sky blue: what the birds are mostly seen against, for their soft edges.
constexpr Rgb kSkyBehind = {112, 170, 226};

struct Pose {
    double phase;     // 0 wings fully up, 0.5 fully down, back to 1
    double rotation;  // radians, clockwise, about the body centre
    bool dead;
};

// One feather: a tapered blade from its root along the angle, with a quill line.
void Feather(cairo_t* cr, double x, double y, double angle, double length, double width,
             Colour fill, Colour outline) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    cairo_move_to(cr, 0, -width * 0.35);
    cairo_curve_to(cr, length * 0.35, -width * 0.6, length * 0.8, -width * 0.5, length, 0);
    cairo_curve_to(cr, length * 0.8, width * 0.45, length * 0.35, width * 0.55, 0, width * 0.35);
    cairo_close_path(cr);
    FillAndOutline(cr, fill, outline, 1.1);
    SetColour(cr, Shade(fill, 0.75), 0.8);
    cairo_set_line_width(cr, 0.7);
    cairo_move_to(cr, 1, 0);
    cairo_line_to(cr, length * 0.8, 0);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// A wing rooted at the shoulder. The beat swings it from up-and-back to down-and-back;
// halfway it points at the viewer and looks short, and on the downstroke the primaries
// spread while on the upstroke they fold together.
void Wing(cairo_t* cr, const Palette& p, double sx, double sy, double phase, double scale,
          bool far) {
    double c = std::cos(2 * kPi * phase);
    double angle = -1.3 * c + 0.12;  // 0 points straight back; negative is up
    double reach = scale * (0.42 + 0.58 * std::abs(std::sin(angle)));
    bool down = phase < 0.5;
    double spread = (down ? 0.55 : 0.25) + 0.12 * std::sin(2 * kPi * phase);
    Colour wing = far ? Shade(p.wing, 0.72) : p.wing;
    Colour tip = far ? Shade(p.wingTip, 0.8) : p.wingTip;
    Colour outline = p.outline;
    // The wing points back (toward -x) and up or down with its angle.
    double dirX = -std::cos(angle), dirY = std::sin(angle);
    double base = std::atan2(dirY, dirX);
    // Primaries from the wing's end, fanning toward the body as they go.
    const int primaries = 6;
    double ex = sx + dirX * 20 * reach, ey = sy + dirY * 20 * reach;
    for (int i = primaries - 1; i >= 0; --i) {
        double t = double(i) / (primaries - 1);
        double a = base + (t - 0.3) * spread * (angle < 0 ? -1 : 1);
        double len = (30 - 6 * t) * reach;
        double rx = ex - dirX * 6 * t * reach, ry = ey - dirY * 6 * t * reach;
        Feather(cr, rx, ry, a, len, 7.5 * scale, Mix(tip, wing, t * 0.6), outline);
    }
    // Secondaries along the arm, shorter and pointing back.
    for (int i = 0; i < 4; ++i) {
        double t = (i + 0.5) / 4;
        double rx = sx + dirX * 18 * reach * t, ry = sy + dirY * 18 * reach * t;
        double a = base + (angle < 0 ? -1 : 1) * (0.5 + 0.25 * (1 - t)) * (down ? 1.0 : 0.7);
        Feather(cr, rx, ry, a, 20 * reach * scale, 8 * scale, Mix(wing, tip, 0.25), outline);
    }
    // Coverts: the rounded arm of the wing over the feather roots.
    cairo_save(cr);
    cairo_translate(cr, sx, sy);
    cairo_rotate(cr, base);
    Ellipse(cr, 11 * reach, 0, 14 * reach + 3, 6.5 * scale);
    FillAndOutline(cr, Shade(wing, 1.12), outline, 1.2);
    cairo_restore(cr);
}

void Tail(cairo_t* cr, const Palette& p, double phase) {
    double lift = 2.0 * std::sin(2 * kPi * phase);
    for (int i = 0; i < 5; ++i) {
        double a = kPi + 0.1 + (i - 2) * 0.16;
        Feather(cr, 34, 66 + lift * 0.3, a, 24 - std::abs(i - 2) * 2, 7,
                Mix(p.wing, p.wingTip, i % 2 ? 0.2 : 0.55), p.outline);
    }
}

void BodyAndHead(cairo_t* cr, const Palette& p, bool dead) {
    // Body, belly and the little tucked feet.
    SetColour(cr, p.beak);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, 48, 77);
    cairo_line_to(cr, 46, 83);
    cairo_move_to(cr, 53, 77);
    cairo_line_to(cr, 51, 83);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_translate(cr, 50, 64);
    cairo_rotate(cr, -0.18);
    Ellipse(cr, 0, 0, 22, 15);
    cairo_pattern_t* g = VerticalGradient(-15, 15, Shade(p.body, 1.12), Shade(p.body, 0.82));
    FillAndOutline(cr, g, p.outline, 1.6);
    cairo_pattern_destroy(g);
    Ellipse(cr, 5, 6, 14, 8);
    SetColour(cr, p.belly);
    cairo_fill(cr);
    cairo_restore(cr);
    // Head with crest.
    for (int i = 0; i < 3; ++i) {
        Feather(cr, 70 - i * 3, 42, -1.9 + i * 0.35, 10, 5, p.crest, p.outline);
    }
    cairo_arc(cr, 71, 50, 12.5, 0, 2 * kPi);
    cairo_pattern_t* h = cairo_pattern_create_radial(74, 45, 2, 71, 50, 13);
    cairo_pattern_add_color_stop_rgb(h, 0, Shade(p.body, 1.25).r, Shade(p.body, 1.25).g,
                                     Shade(p.body, 1.25).b);
    cairo_pattern_add_color_stop_rgb(h, 1, p.body.r, p.body.g, p.body.b);
    FillAndOutline(cr, h, p.outline, 1.6);
    cairo_pattern_destroy(h);
    Ellipse(cr, 74, 56, 7, 4.5);
    SetColour(cr, p.belly);
    cairo_fill(cr);
    // Beak in two parts, slightly open.
    cairo_move_to(cr, 80, 46);
    cairo_curve_to(cr, 86, 45, 91, 47, 95, 50);
    cairo_line_to(cr, 81, 51.5);
    cairo_close_path(cr);
    FillAndOutline(cr, p.beak, p.outline, 1.2);
    cairo_move_to(cr, 81, 52);
    cairo_line_to(cr, 92, 52);
    cairo_line_to(cr, 81, 56);
    cairo_close_path(cr);
    FillAndOutline(cr, Shade(p.beak, 0.8), p.outline, 1.2);
    // Eye: white, iris, highlight; a cross once the bird is hit.
    if (dead) {
        SetColour(cr, p.outline);
        cairo_set_line_width(cr, 1.8);
        cairo_move_to(cr, 72, 43);
        cairo_line_to(cr, 78, 49);
        cairo_move_to(cr, 78, 43);
        cairo_line_to(cr, 72, 49);
        cairo_stroke(cr);
        return;
    }
    cairo_arc(cr, 75, 46, 4.6, 0, 2 * kPi);
    FillAndOutline(cr, Hex(0xfbfbf4), p.outline, 1.0);
    cairo_arc(cr, 76.4, 46.2, 2.4, 0, 2 * kPi);
    SetColour(cr, Hex(0x1a1410));
    cairo_fill(cr);
    cairo_arc(cr, 77.2, 45.2, 0.9, 0, 2 * kPi);
    SetColour(cr, Hex(0xffffff));
    cairo_fill(cr);
}

void PaintBird(cairo_t* cr, const Palette& p, const Pose& pose) {
    cairo_save(cr);
    cairo_translate(cr, 50, 62);
    cairo_rotate(cr, pose.rotation);
    if (pose.rotation != 0) cairo_scale(cr, 0.88, 0.88);
    cairo_translate(cr, -50, -62);
    Wing(cr, p, 56, 56, pose.phase + 0.04, 0.8, true);
    Tail(cr, p, pose.phase);
    BodyAndHead(cr, p, pose.dead);
    Wing(cr, p, 50, 58, pose.phase, 1.0, false);
    cairo_restore(cr);
}

Image PaintFrame(BirdKind kind, const Pose& pose) {
    int w = kind == BirdKind::Big ? 100 : 50, h = kind == BirdKind::Big ? 120 : 60;
    Canvas canvas = NewCanvas(w, h);
    cairo_t* cr = canvas.cr;
    cairo_rectangle(cr, 1, 1, w - 2, h - 2);
    cairo_clip(cr);
    if (kind == BirdKind::Small) cairo_scale(cr, 0.5, 0.5);
    PaintBird(cr, kind == BirdKind::Big ? kBigPalette : kSmallPalette, pose);
    Image image = Flatten(canvas.surface, Key::Black, Plain(kSkyBehind), 0.4);
    FinishCanvas(canvas);
    return image;
}

// The tumble after a hit: more than a full turn, ending head down with the wings up,
// which holds well as the last picture while the bird drops out of the world.
Pose FallPose(int k) {
    const double flaps[] = {0.15, 0.62, 0.3, 0.85, 0.45, 0.02};
    return {flaps[k], (35.0 + 85.0 * k) * kPi / 180.0, true};
}

}  // namespace

Image PaintBirdSheet(BirdKind kind, bool facingLeft) {
    int w = kind == BirdKind::Big ? 100 : 50, h = kind == BirdKind::Big ? 120 : 60;
    Image sheet(6 * w, 3 * h);
    for (int f = 0; f < 18; ++f) {
        Pose pose;
        if (f < 12) {
            // Flying right the cycle is 0..11; flying left the game shows 11 down to 1,
            // eleven pictures, so that sheet spreads one beat over those eleven.
            double phase = facingLeft ? (f == 0 ? 0.0 : (11.0 - f) / 11.0) : f / 12.0;
            pose = {phase, 0.0, false};
        } else {
            // Flying left the fall runs 17 down to 12, so its order is reversed.
            pose = FallPose(facingLeft ? 17 - f : f - 12);
        }
        Image cell = PaintFrame(kind, pose);
        if (facingLeft) cell = MirrorX(cell);
        Blit(sheet, cell, (f % 6) * w, (f / 6) * h);
    }
    return sheet;
}
