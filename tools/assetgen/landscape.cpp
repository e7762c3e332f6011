// The sunny landscape: sky, sun, clouds, distant hills, fields and the meadow in front.
// It is drawn as one 1280-pixel picture, so the two halves meet at x 640 without a seam.
#include <cmath>
#include <vector>

#include "assets.h"
#include "draw.h"
#include "rng.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 480;

// Smooth random wiggle along x: knots every `spacing` pixels, eased between them.
class Ridge {
public:
    Ridge(uint64_t seed, double spacing) : spacing_(spacing) {
        Rng rng(seed);
        for (int i = 0; i < int(kWidth / spacing) + 4; ++i) knots_.push_back(rng.Range(-1, 1));
    }
    double At(double x) const {
        double u = x / spacing_ + 1.0;
        int i = int(std::floor(u));
        double f = u - i;
        double e = f * f * (3 - 2 * f);
        return knots_[i] + (knots_[i + 1] - knots_[i]) * e;
    }

private:
    double spacing_;
    std::vector<double> knots_;
};

void PaintSky(cairo_t* cr) {
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, 330);
    cairo_pattern_add_color_stop_rgb(sky, 0.0, 0.16, 0.45, 0.82);
    cairo_pattern_add_color_stop_rgb(sky, 0.55, 0.42, 0.68, 0.92);
    cairo_pattern_add_color_stop_rgb(sky, 1.0, 0.78, 0.89, 0.97);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
}

void PaintSun(cairo_t* cr, double x, double y) {
    cairo_pattern_t* glow = cairo_pattern_create_radial(x, y, 10, x, y, 170);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1.0, 0.98, 0.85, 0.85);
    cairo_pattern_add_color_stop_rgba(glow, 0.3, 1.0, 0.95, 0.75, 0.3);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1.0, 0.95, 0.75, 0.0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
    cairo_pattern_t* disc = cairo_pattern_create_radial(x - 6, y - 6, 2, x, y, 28);
    cairo_pattern_add_color_stop_rgb(disc, 0, 1.0, 1.0, 0.93);
    cairo_pattern_add_color_stop_rgb(disc, 1, 1.0, 0.9, 0.52);
    cairo_set_source(cr, disc);
    cairo_arc(cr, x, y, 27, 0, 2 * PI);
    cairo_fill(cr);
    cairo_pattern_destroy(disc);
}

// A cumulus: a row of big puffs on top of a row of small ones, flat at the base, shaded
// from a white top to a bluish underside.
void PaintCloud(cairo_t* cr, Rng& rng, double cx, double cy, double width) {
    struct Puff {
        double x, y, r;
    };
    std::vector<Puff> list;
    int puffs = 4 + rng.Below(3);
    for (int i = 0; i < puffs; ++i) {
        double t = (i + 0.5) / puffs;
        double bulge = std::sin(t * PI);
        double r = width * (0.1 + 0.16 * bulge) * rng.Range(0.8, 1.2);
        list.push_back({cx - width * 0.42 + t * width * 0.84 + rng.Range(-4, 4),
                        cy - bulge * width * 0.12 - r * 0.2, r});
    }
    for (int i = 0; i < puffs + 2; ++i) {
        double t = (i + 0.5) / (puffs + 2);
        list.push_back({cx - width / 2 + t * width, cy + width * 0.04 + rng.Range(-2, 2),
                        width * rng.Range(0.07, 0.11)});
    }
    double base = cy + width * 0.1;
    for (int pass = 0; pass < 2; ++pass) {
        for (const Puff& p : list) {
            double oy = pass == 0 ? p.r * 0.12 : 0.0;
            cairo_pattern_t* g = cairo_pattern_create_radial(p.x + p.r * 0.2, p.y - p.r * 0.5,
                                                             p.r * 0.1, p.x, p.y, p.r * 1.05);
            if (pass == 0) {
                cairo_pattern_add_color_stop_rgb(g, 0, 0.82, 0.87, 0.94);
                cairo_pattern_add_color_stop_rgb(g, 1, 0.66, 0.75, 0.87);
            } else {
                cairo_pattern_add_color_stop_rgb(g, 0, 1.0, 1.0, 1.0);
                cairo_pattern_add_color_stop_rgb(g, 0.6, 0.96, 0.97, 0.99);
                cairo_pattern_add_color_stop_rgb(g, 1, 0.8, 0.86, 0.94);
            }
            cairo_set_source(cr, g);
            cairo_save(cr);
            cairo_rectangle(cr, cx - width, 0, width * 2, base + oy);
            cairo_clip(cr);
            cairo_arc(cr, p.x, p.y + oy, p.r * (pass == 0 ? 1.0 : 0.9), 0, 2 * PI);
            cairo_fill(cr);
            cairo_restore(cr);
            cairo_pattern_destroy(g);
        }
    }
}

// Thin streaks of high cloud near the horizon.
void PaintHaze(cairo_t* cr, Rng& rng) {
    for (int i = 0; i < 9; ++i) {
        double x = rng.Range(0, kWidth), y = rng.Range(170, 255), w = rng.Range(60, 160);
        cairo_pattern_t* g = cairo_pattern_create_radial(x, y, 1, x, y, w);
        cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, 0.45);
        cairo_pattern_add_color_stop_rgba(g, 1, 1, 1, 1, 0);
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 1, 0.08);
        cairo_translate(cr, -x, -y);
        cairo_set_source(cr, g);
        cairo_arc(cr, x, y, w, 0, 2 * PI);
        cairo_fill(cr);
        cairo_restore(cr);
        cairo_pattern_destroy(g);
    }
}

// Woods along a ridge: overlapping dark crowns, lit on the sun side.
void PaintWoods(cairo_t* cr, Rng& rng, const Ridge& ridge, double base, double amplitude) {
    for (int patch = 0; patch < 9; ++patch) {
        double x0 = rng.Range(0, kWidth), len = rng.Range(40, 130);
        for (double x = x0; x < x0 + len; x += rng.Range(3, 6)) {
            double y = base + amplitude * ridge.At(x) + rng.Range(0, 6);
            double r = rng.Range(4, 7);
            Colour c = Mix(Hex(0x3f7a46), Hex(0x5b8f55), rng.Unit());
            cairo_pattern_t* g =
                cairo_pattern_create_radial(x + r * 0.4, y - r * 0.5, 0.5, x, y, r);
            Colour lit = Shade(c, 1.2);
            cairo_pattern_add_color_stop_rgb(g, 0, lit.r, lit.g, lit.b);
            cairo_pattern_add_color_stop_rgb(g, 1, c.r * 0.8, c.g * 0.8, c.b * 0.8);
            cairo_set_source(cr, g);
            cairo_arc(cr, x, y, r, 0, 2 * PI);
            cairo_fill(cr);
            cairo_pattern_destroy(g);
        }
    }
}

// A band of land whose top follows a ridge line, filled with a vertical gradient.
void PaintBand(cairo_t* cr, const Ridge& ridge, double base, double amplitude, double bottom,
               Colour top, Colour low) {
    cairo_move_to(cr, -2, bottom);
    for (int x = -2; x <= kWidth + 2; x += 2) cairo_line_to(cr, x, base + amplitude * ridge.At(x));
    cairo_line_to(cr, kWidth + 2, bottom);
    cairo_close_path(cr);
    cairo_pattern_t* g = VerticalGradient(base - amplitude, bottom, top, low);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

// A small round tree as seen from far away: trunk, shaded crown, a shadow on the grass.
void PaintFarTree(cairo_t* cr, double x, double y, double size, Colour leaf) {
    SetColour(cr, Hex(0x2f5a24), 0.35);
    Ellipse(cr, x + size * 0.3, y + size * 0.05, size * 0.9, size * 0.25);
    cairo_fill(cr);
    SetColour(cr, Hex(0x6b4a2a));
    cairo_rectangle(cr, x - size * 0.12, y - size * 0.9, size * 0.24, size * 0.9);
    cairo_fill(cr);
    cairo_pattern_t* g = cairo_pattern_create_radial(x - size * 0.3, y - size * 1.6, size * 0.1, x,
                                                     y - size * 1.2, size * 0.9);
    Colour light = Shade(leaf, 1.25), dark = Shade(leaf, 0.65);
    cairo_pattern_add_color_stop_rgb(g, 0, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(g, 1, dark.r, dark.g, dark.b);
    cairo_set_source(cr, g);
    cairo_arc(cr, x, y - size * 1.25, size * 0.75, 0, 2 * PI);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

void PaintFields(cairo_t* cr, Rng& rng) {
    Ridge fieldTop(31, 160);
    // Rolling field strips, each a patch between two ridge lines, in the colours of a summer.
    const Colour crops[] = {Hex(0x9cc85a), Hex(0xd8c96a), Hex(0x7fbf55),
                            Hex(0xb9d56b), Hex(0xe2b95e), Hex(0x8ccf5f)};
    double x = -40;
    int i = 0;
    while (x < kWidth + 40) {
        double w = rng.Range(110, 220);
        double y0 = 352 + 10 * fieldTop.At(x), y1 = 352 + 10 * fieldTop.At(x + w);
        Colour c = crops[(i * 5 + rng.Below(3)) % 6];
        cairo_move_to(cr, x, y0);
        cairo_line_to(cr, x + w, y1);
        cairo_line_to(cr, x + w + 60, 420);
        cairo_line_to(cr, x - 40, 420);
        cairo_close_path(cr);
        cairo_pattern_t* g = VerticalGradient(345, 410, Shade(c, 0.9), Shade(c, 1.08));
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
        // Crop rows run along the slope; a hedge marks the field's edge.
        SetColour(cr, Shade(c, 0.84), 0.45);
        cairo_set_line_width(cr, 1.0);
        for (double r = 6; r < 70; r += 5 + r * 0.12) {
            cairo_move_to(cr, x, y0 + r);
            cairo_line_to(cr, x + w, y1 + r);
        }
        cairo_stroke(cr);
        // The field's far edge is a hedgerow; its side edge only a faint change of crop.
        for (double hx = 0; hx < w; hx += 3.0) {
            double t = hx / w;
            double bump = 2.0 + 1.2 * std::sin(hx * 0.9 + x);
            SetColour(cr, Mix(Hex(0x2f6a2a), Hex(0x4f8f3c), 0.5 + 0.5 * std::sin(hx * 1.7 + x)));
            cairo_arc(cr, x + hx, y0 + (y1 - y0) * t + 0.5, bump, 0, 2 * PI);
            cairo_fill(cr);
        }
        SetColour(cr, Shade(c, 0.75), 0.3);
        cairo_set_line_width(cr, 1.2);
        cairo_move_to(cr, x, y0);
        cairo_line_to(cr, x - 40, 420);
        cairo_stroke(cr);
        x += w;
        ++i;
    }
    // Hedges between the strips and a few far trees.
    for (int t = 0; t < 34; ++t) {
        double tx = rng.Range(0, kWidth);
        double ty = 356 + 10 * fieldTop.At(tx) + rng.Range(0, 24);
        PaintFarTree(cr, tx, ty, rng.Range(5, 8), Mix(Hex(0x3d8a2e), Hex(0x5a9e35), rng.Unit()));
    }
}

void PaintMeadow(cairo_t* cr, Rng& rng) {
    Ridge front(41, 140);
    PaintBand(cr, front, 408, 7, 480, Hex(0x6cc444), Hex(0x3a9a2a));
    // Blades of grass in layers, darker at the back, with flowers among them.
    for (int layer = 0; layer < 3; ++layer) {
        int count = 900 + layer * 300;
        for (int i = 0; i < count; ++i) {
            double x = rng.Range(-4, kWidth + 4);
            double yTop = 404 + 7 * front.At(x);
            double y = yTop + 4 + (480 - yTop) * (layer + rng.Unit()) / 3.2;
            double h = rng.Range(5, 11) * (0.8 + 0.25 * layer);
            double lean = rng.Range(-3, 3);
            Colour c = Mix(Hex(0x2f8a22), Hex(0x8fd65a), rng.Unit() * 0.7 + layer * 0.12);
            SetColour(cr, c);
            cairo_move_to(cr, x - 1.2, y);
            cairo_curve_to(cr, x - 0.5, y - h * 0.5, x + lean * 0.5, y - h * 0.8, x + lean, y - h);
            cairo_curve_to(cr, x + lean * 0.4, y - h * 0.7, x + 0.6, y - h * 0.4, x + 1.2, y);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
    }
    const Colour petals[] = {Hex(0xfff6d8), Hex(0xffe14d), Hex(0xf59ac0), Hex(0xb49cf0),
                             Hex(0xff8a5c)};
    for (int i = 0; i < 260; ++i) {
        double x = rng.Range(0, kWidth);
        double y = rng.Range(418, 476);
        double r = rng.Range(1.3, 2.4) * (0.7 + (y - 418) / 100);
        Colour p = petals[rng.Below(5)];
        SetColour(cr, p);
        for (int k = 0; k < 5; ++k) {
            double a = k * 2 * PI / 5 + x;
            cairo_arc(cr, x + std::cos(a) * r * 0.8, y + std::sin(a) * r * 0.8, r * 0.6, 0, 2 * PI);
            cairo_fill(cr);
        }
        SetColour(cr, Hex(0xf2b21c));
        cairo_arc(cr, x, y, r * 0.45, 0, 2 * PI);
        cairo_fill(cr);
    }
}

}  // namespace

Image PaintLandscape() {
    Canvas canvas = NewCanvas(kWidth, kHeight);
    cairo_t* cr = canvas.cr;
    Rng rng(1280);
    PaintSky(cr);
    PaintSun(cr, 1040, 78);
    // Clouds keep clear of the sun and drift at different heights.
    const double clouds[][3] = {{110, 95, 190},   {380, 52, 150},  {620, 120, 210}, {860, 60, 170},
                                {1200, 140, 180}, {300, 200, 120}, {760, 215, 110}, {1000, 250, 90},
                                {50, 260, 80},    {520, 268, 70}};
    for (const auto& c : clouds) PaintCloud(cr, rng, c[0], c[1], c[2]);
    PaintBand(cr, Ridge(11, 190), 282, 26, 480, Hex(0xa9bfdc), Hex(0xc2d6ea));
    PaintBand(cr, Ridge(12, 120), 305, 18, 480, Hex(0x8fb1c8), Hex(0xa8c6d2));
    PaintHaze(cr, rng);
    Ridge hills(13, 150);
    PaintBand(cr, hills, 330, 14, 480, Hex(0x74ad6a), Hex(0x8cbf6e));
    PaintWoods(cr, rng, hills, 333, 14);
    PaintFields(cr, rng);
    PaintMeadow(cr, rng);
    Image image = Opaque(canvas.surface);
    FinishCanvas(canvas);
    return image;
}
