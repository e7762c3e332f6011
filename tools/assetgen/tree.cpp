// The big tree in front of the scene. Its soft edges are mixed into the landscape pixels
// that lie behind it in the world, since the tree never moves against them.
#include <algorithm>
#include <cmath>
#include <vector>

#include "assets.h"
#include "draw.h"
#include "rng.h"

namespace {

constexpr double TRUNK_X = 176;  // centre of the trunk at the ground, in tree pixels

void TrunkPath(cairo_t* cr) {
    const double base = TREE_HEIGHT;
    cairo_move_to(cr, TRUNK_X - 44, base);
    cairo_curve_to(cr, TRUNK_X - 26, base - 20, TRUNK_X - 20, base - 60, TRUNK_X - 18, base - 130);
    cairo_curve_to(cr, TRUNK_X - 16, base - 190, TRUNK_X - 30, base - 230, TRUNK_X - 70, 150);
    cairo_line_to(cr, TRUNK_X - 52, 140);
    cairo_curve_to(cr, TRUNK_X - 14, base - 250, TRUNK_X - 4, base - 240, TRUNK_X, 120);
    cairo_line_to(cr, TRUNK_X + 14, 120);
    cairo_curve_to(cr, TRUNK_X + 12, base - 240, TRUNK_X + 30, base - 250, TRUNK_X + 68, 146);
    cairo_line_to(cr, TRUNK_X + 80, 158);
    cairo_curve_to(cr, TRUNK_X + 34, base - 220, TRUNK_X + 18, base - 180, TRUNK_X + 20,
                   base - 120);
    cairo_curve_to(cr, TRUNK_X + 22, base - 60, TRUNK_X + 28, base - 20, TRUNK_X + 48, base);
    cairo_close_path(cr);
}

void PaintTrunk(cairo_t* cr) {
    TrunkPath(cr);
    cairo_pattern_t* bark = cairo_pattern_create_linear(TRUNK_X - 40, 0, TRUNK_X + 40, 0);
    cairo_pattern_add_color_stop_rgb(bark, 0, 0.30, 0.19, 0.11);
    cairo_pattern_add_color_stop_rgb(bark, 0.35, 0.55, 0.38, 0.24);
    cairo_pattern_add_color_stop_rgb(bark, 1, 0.27, 0.17, 0.10);
    FillAndOutline(cr, bark, Hex(0x2a1a0e), 2.0);
    cairo_pattern_destroy(bark);
    // Bark furrows.
    Rng rng(7);
    SetColour(cr, Hex(0x3a2414), 0.7);
    cairo_set_line_width(cr, 1.4);
    for (int i = 0; i < 16; ++i) {
        double x = TRUNK_X + rng.Range(-14, 14);
        double y = rng.Range(240, 395);
        cairo_move_to(cr, x, y);
        cairo_curve_to(cr, x + rng.Range(-3, 3), y - 10, x + rng.Range(-3, 3), y - 20,
                       x + rng.Range(-2, 2), y - rng.Range(22, 40));
        cairo_stroke(cr);
    }
    // The crown's shade falls on the top of the trunk.
    cairo_save(cr);
    TrunkPath(cr);
    cairo_clip(cr);
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 270, 0, 330);
    cairo_pattern_add_color_stop_rgba(shade, 0, 0.08, 0.05, 0.02, 0.75);
    cairo_pattern_add_color_stop_rgba(shade, 1, 0.08, 0.05, 0.02, 0.0);
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);
    cairo_restore(cr);
}

struct Cluster {
    double x, y, r;
};

// One clump of leaves: a shaded ball covered in small leaves, lit from the upper right,
// where the sun stands.
void PaintCluster(cairo_t* cr, Rng& rng, const Cluster& c, double depth) {
    Colour deep = Mix(Hex(0x163f16), Hex(0x2c6e22), depth);
    Colour mid = Mix(Hex(0x2c6a26), Hex(0x4f9e33), depth);
    Colour lit = Mix(Hex(0x5c9a3c), Hex(0x9bd45a), depth);
    cairo_pattern_t* g =
        cairo_pattern_create_radial(c.x + c.r * 0.35, c.y - c.r * 0.4, c.r * 0.1, c.x, c.y, c.r);
    cairo_pattern_add_color_stop_rgb(g, 0, lit.r, lit.g, lit.b);
    cairo_pattern_add_color_stop_rgb(g, 0.55, mid.r, mid.g, mid.b);
    cairo_pattern_add_color_stop_rgb(g, 1, deep.r, deep.g, deep.b);
    cairo_set_source(cr, g);
    cairo_arc(cr, c.x, c.y, c.r, 0, 2 * PI);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // Leaves on its surface, more of them lit toward the sun, giving a ragged edge.
    int leaves = int(c.r * c.r / 9);
    for (int i = 0; i < leaves; ++i) {
        double a = rng.Range(0, 2 * PI);
        double d = std::sqrt(rng.Unit()) * c.r * 1.02;
        double lx = c.x + std::cos(a) * d, ly = c.y + std::sin(a) * d;
        double light = std::clamp(0.5 + ((lx - c.x) * 0.6 - (ly - c.y)) / (2.2 * c.r), 0.0, 1.0);
        Colour leaf = light < 0.5 ? Mix(deep, mid, light * 2) : Mix(mid, lit, (light - 0.5) * 2);
        leaf = Shade(leaf, rng.Range(0.9, 1.1));
        cairo_save(cr);
        cairo_translate(cr, lx, ly);
        cairo_rotate(cr, rng.Range(0, 2 * PI));
        double len = rng.Range(3.5, 6.0);
        cairo_move_to(cr, -len, 0);
        cairo_curve_to(cr, -len * 0.3, -len * 0.55, len * 0.3, -len * 0.55, len, 0);
        cairo_curve_to(cr, len * 0.3, len * 0.55, -len * 0.3, len * 0.55, -len, 0);
        SetColour(cr, leaf);
        cairo_fill(cr);
        cairo_restore(cr);
    }
}

void PaintCrown(cairo_t* cr) {
    Rng rng(226);
    std::vector<Cluster> back, front;
    // Clumps fill a dome over the trunk; the back ones are darker and larger.
    for (int i = 0; i < 26; ++i) {
        double a = rng.Range(0, 2 * PI), d = std::sqrt(rng.Unit());
        back.push_back(
            {172 + std::cos(a) * d * 118, 138 + std::sin(a) * d * 96, rng.Range(34, 48)});
    }
    for (int i = 0; i < 30; ++i) {
        double a = rng.Range(0, 2 * PI), d = std::sqrt(rng.Unit());
        front.push_back(
            {172 + std::cos(a) * d * 112, 142 + std::sin(a) * d * 92, rng.Range(24, 38)});
    }
    // Drawn from the top down, so lower clumps overlap the ones above like a real crown.
    auto byY = [](const Cluster& a, const Cluster& b) { return a.y < b.y; };
    std::sort(back.begin(), back.end(), byY);
    std::sort(front.begin(), front.end(), byY);
    // Lower clumps lie in the crown's own shade.
    auto light = [](const Cluster& c, double top) {
        return std::clamp(top - (c.y - 110) / 260.0, 0.0, 1.0);
    };
    for (const Cluster& c : back) PaintCluster(cr, rng, c, light(c, 0.1));
    for (const Cluster& c : front) PaintCluster(cr, rng, c, light(c, 0.95));
}

void PaintGrassAtFoot(cairo_t* cr) {
    Rng rng(78);
    for (int i = 0; i < 140; ++i) {
        double x = TRUNK_X + rng.Range(-70, 70);
        double y = TREE_HEIGHT + 1;
        double h = rng.Range(6, 16) * (1.0 - std::abs(x - TRUNK_X) / 110);
        double lean = rng.Range(-4, 4);
        SetColour(cr, Mix(Hex(0x2f8a22), Hex(0x8fd65a), rng.Unit()));
        cairo_move_to(cr, x - 1.4, y);
        cairo_curve_to(cr, x, y - h * 0.6, x + lean * 0.6, y - h * 0.8, x + lean, y - h);
        cairo_curve_to(cr, x + lean * 0.3, y - h * 0.6, x + 0.6, y - h * 0.3, x + 1.4, y);
        cairo_fill(cr);
    }
}

}  // namespace

Image PaintTree(const Image& landscape) {
    Canvas canvas = NewCanvas(TREE_WIDTH, TREE_HEIGHT);
    cairo_t* cr = canvas.cr;
    // One pixel of air on the three open sides keeps the tree off its picture's border.
    cairo_rectangle(cr, 1, 1, TREE_WIDTH - 2, TREE_HEIGHT);
    cairo_clip(cr);
    PaintTrunk(cr);
    PaintCrown(cr);
    PaintGrassAtFoot(cr);
    Backdrop behind = [&landscape](int x, int y) { return landscape.at(TREE_X + x, TREE_Y + y); };
    Image image = Flatten(canvas.surface, Key::White, behind, 0.5);
    FinishCanvas(canvas);
    return image;
}
