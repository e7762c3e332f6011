// The parachutist: in flight and three hit pictures (canopy torn, collapsing, collapsed),
// facing right in row 0 and mirrored in row 1; white is its transparent colour.
#include <cmath>

#include "assets.h"
#include "draw.h"

namespace {

constexpr Rgb MID_SKY = {120, 178, 232};
const Colour INK = Hex(0x26180f);

// The canopy: a dome of seven gores whose lower edge scallops between the lines.
void CanopyPath(cairo_t* cr, double cx, double cy, double rx, double ry, double droop) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, PI, 2 * PI);
    cairo_restore(cr);
    for (int i = 7; i > 0; --i) {
        double x0 = cx - rx + 2 * rx * i / 7.0, x1 = cx - rx + 2 * rx * (i - 1) / 7.0;
        double sag = i == 4 ? droop : 0;
        cairo_curve_to(cr, x0 - rx * 0.08, cy - 6 + sag, x1 + rx * 0.08, cy - 6 + sag, x1, cy);
    }
    cairo_close_path(cr);
}

void Canopy(cairo_t* cr, double cx, double cy, double rx, double ry, int stage) {
    const Colour gores[] = {Hex(0xe8412f), Hex(0xf3e7cf), Hex(0xf3b52a), Hex(0xf3e7cf),
                            Hex(0xf3b52a), Hex(0xf3e7cf), Hex(0x3a78d0)};
    cairo_save(cr);
    CanopyPath(cr, cx, cy, rx, ry, stage >= 2 ? 10 : 0);
    cairo_clip_preserve(cr);
    for (int i = 0; i < 7; ++i) {
        cairo_rectangle(cr, cx - rx + 2 * rx * i / 7.0, cy - ry - 2, 2 * rx / 7.0 + 0.5, ry + 4);
        SetColour(cr, gores[i]);
        cairo_fill(cr);
    }
    // Light from above: a soft highlight on the crown, shade under the rim.
    cairo_pattern_t* light = VerticalGradient(cy - ry, cy, {1, 1, 1}, {0.1, 0.05, 0.1});
    cairo_pattern_t* mask = cairo_pattern_create_linear(0, cy - ry, 0, cy);
    cairo_pattern_add_color_stop_rgba(mask, 0, 0, 0, 0, 0.3);
    cairo_pattern_add_color_stop_rgba(mask, 0.5, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(mask, 1, 0, 0, 0, 0.3);
    cairo_set_source(cr, light);
    cairo_mask(cr, mask);
    cairo_pattern_destroy(light);
    cairo_pattern_destroy(mask);
    SetColour(cr, INK, 0.55);
    cairo_set_line_width(cr, 1);
    for (int i = 1; i < 7; ++i) {
        double x = cx - rx + 2 * rx * i / 7.0;
        cairo_move_to(cr, x, cy);
        cairo_curve_to(cr, x, cy - ry * 0.6, cx + (x - cx) * 0.4, cy - ry, cx + (x - cx) * 0.2,
                       cy - ry);
    }
    cairo_stroke(cr);
    if (stage >= 1) {
        // Torn panels: dark holes with frayed flaps hanging from them.
        const double holes[][3] = {{-0.35, 0.55, 9}, {0.3, 0.35, 7}};
        for (int h = 0; h < (stage >= 2 ? 2 : 1); ++h) {
            double hx = cx + holes[h][0] * rx, hy = cy - holes[h][1] * ry;
            cairo_move_to(cr, hx - holes[h][2], hy);
            for (int k = 1; k <= 8; ++k) {
                double a = k * PI / 4;
                double r = holes[h][2] * (k % 2 ? 0.55 : 1.0);
                cairo_line_to(cr, hx - std::cos(a) * r, hy - std::sin(a) * r * 0.7);
            }
            cairo_close_path(cr);
            SetColour(cr, Hex(0x3a2c30));
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
    CanopyPath(cr, cx, cy, rx, ry, stage >= 2 ? 10 : 0);
    SetColour(cr, INK);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
}

// The jumper under the harness at (x, y): helmet, orange suit, boots; arms up to the
// risers in flight, flailing once the canopy fails.
void Jumper(cairo_t* cr, double x, double y, int stage) {
    const Colour suit = Hex(0xf07a28), boots = Hex(0x3a3030), skin = Hex(0xf2c7a0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    auto limb = [&](double x0, double y0, double x1, double y1, double x2, double y2, Colour c) {
        cairo_move_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        cairo_line_to(cr, x2, y2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        SetColour(cr, INK);
        cairo_set_line_width(cr, 7.5);
        cairo_stroke_preserve(cr);
        SetColour(cr, c);
        cairo_set_line_width(cr, 5);
        cairo_stroke(cr);
    };
    double kick = stage * 4.0;
    limb(x - 3, y + 24, x - 6 - kick * 0.5, y + 34, x - 4 - kick, y + 44, suit);
    limb(x + 3, y + 24, x + 7 + kick * 0.3, y + 34, x + 5 + kick, y + 43 - kick * 0.5, suit);
    SetColour(cr, boots);
    cairo_arc(cr, x - 4 - kick, y + 45, 3.4, 0, 2 * PI);
    cairo_arc(cr, x + 5 + kick, y + 44 - kick * 0.5, 3.4, 0, 2 * PI);
    cairo_fill(cr);
    RoundedRect(cr, x - 8, y + 2, 16, 25, 6);
    cairo_pattern_t* g = cairo_pattern_create_linear(x - 8, 0, x + 8, 0);
    cairo_pattern_add_color_stop_rgb(g, 0, suit.r, suit.g, suit.b);
    Colour dark = Shade(suit, 0.7);
    cairo_pattern_add_color_stop_rgb(g, 1, dark.r, dark.g, dark.b);
    FillAndOutline(cr, g, INK, 1.4);
    cairo_pattern_destroy(g);
    SetColour(cr, Hex(0x2f4f7a));
    cairo_set_line_width(cr, 2.2);
    cairo_move_to(cr, x - 7, y + 5);
    cairo_line_to(cr, x + 6, y + 20);
    cairo_move_to(cr, x + 7, y + 5);
    cairo_line_to(cr, x - 6, y + 20);
    cairo_stroke(cr);
    if (stage == 0) {
        limb(x - 6, y + 6, x - 12, y - 4, x - 10, y - 14, suit);
        limb(x + 6, y + 6, x + 12, y - 4, x + 10, y - 14, suit);
    } else {
        double wave = stage * 0.9;
        limb(x - 6, y + 6, x - 16, y + 2 - 6 * std::sin(wave), x - 22, y - 6 + 10 * std::cos(wave),
             suit);
        limb(x + 6, y + 6, x + 16, y + 4 - 8 * std::cos(wave), x + 21, y - 8 + 8 * std::sin(wave),
             suit);
    }
    cairo_arc(cr, x, y - 4, 7, 0, 2 * PI);
    FillAndOutline(cr, skin, INK, 1.3);
    cairo_arc(cr, x, y - 5.5, 7.6, PI * 0.95, PI * 2.05);
    cairo_close_path(cr);
    FillAndOutline(cr, Hex(0xe23c30), INK, 1.3);
    RoundedRect(cr, x - 5, y - 5, 10, 4, 2);
    FillAndOutline(cr, Hex(0x8fd0ef), INK, 1.0);
    if (stage > 0) {
        SetColour(cr, INK);
        cairo_arc(cr, x, y + 1, 1.8, 0, 2 * PI);  // an open mouth
        cairo_fill(cr);
    }
}

// Para frames 0 to 3 facing right: in flight, canopy torn, collapsing, collapsed.
void PaintPara(cairo_t* cr, int stage) {
    const double harnessX = 75, harnessY = 122;
    double tilt = 0.06 + 0.1 * stage;
    cairo_save(cr);
    cairo_translate(cr, harnessX, harnessY);
    cairo_rotate(cr, tilt);
    cairo_translate(cr, -harnessX, -harnessY);
    if (stage < 3) {
        double rx = stage == 2 ? 50 : 62, ry = stage == 2 ? 30 : 42;
        double cy = stage == 2 ? 62 : 54;
        // Lines from the scallop points to the risers; slack ones bow once it collapses.
        SetColour(cr, Hex(0x4a4038));
        cairo_set_line_width(cr, 0.9);
        for (int i = 0; i <= 7; ++i) {
            double x = harnessX - rx + 2 * rx * i / 7.0;
            double bow = stage == 2 ? (i - 3.5) * 2.5 : 0;
            cairo_move_to(cr, x, cy);
            cairo_curve_to(cr, x + bow, cy + 30, harnessX + (i - 3.5) * 2 + bow, harnessY - 30,
                           harnessX + (i < 4 ? -9 : 9), harnessY - 14);
        }
        cairo_stroke(cr);
        Canopy(cr, harnessX, cy, rx, ry, stage);
    } else {
        // The collapsed canopy streams above as a twisted ribbon of cloth.
        SetColour(cr, Hex(0x4a4038));
        cairo_set_line_width(cr, 0.9);
        for (int i = 0; i < 5; ++i) {
            cairo_move_to(cr, harnessX + (i - 2) * 3, 58);
            cairo_curve_to(cr, harnessX + 10 + i, 80, harnessX - 8 - i, 95,
                           harnessX + (i < 2 ? -9 : 9), harnessY - 14);
        }
        cairo_stroke(cr);
        const Colour cloth[] = {Hex(0xe8412f), Hex(0xf3e7cf), Hex(0xf3b52a), Hex(0xf3e7cf),
                                Hex(0x3a78d0)};
        for (int k = 0; k < 5; ++k) {
            double x = harnessX - 22 + k * 10, y = 6 + (k % 2) * 5;
            cairo_move_to(cr, x, y + 54);
            cairo_curve_to(cr, x - 18, y + 36, x + 20, y + 20, x + k * 3 - 6, y);
            cairo_curve_to(cr, x + 18, y + 18, x - 2, y + 36, x + 11, y + 54);
            cairo_close_path(cr);
            FillAndOutline(cr, cloth[k], INK, 1.4);
        }
    }
    cairo_restore(cr);
    Jumper(cr, harnessX, harnessY, stage);
}

}  // namespace

Image PaintParaSheet() {
    Image sheet(600, 360);
    for (int stage = 0; stage < 4; ++stage) {
        Canvas canvas = NewCanvas(150, 180);
        cairo_rectangle(canvas.cr, 1, 1, 148, 178);
        cairo_clip(canvas.cr);
        PaintPara(canvas.cr, stage);
        Image right = Flatten(canvas.surface, Key::White, Plain(MID_SKY), 0.45);
        FinishCanvas(canvas);
        Blit(sheet, right, stage * 150, 0);
        Blit(sheet, MirrorX(right), stage * 150, 180);
    }
    return sheet;
}
