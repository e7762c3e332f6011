#include "draw.h"

#include <algorithm>
#include <cmath>

Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Shade(Colour c, double factor) {
    if (factor <= 1.0) return {c.r * factor, c.g * factor, c.b * factor};
    return Mix(c, {1, 1, 1}, std::min(1.0, factor - 1.0));
}

Rgb ToRgb(Colour c) {
    auto ch = [](double v) { return uint8_t(std::clamp(std::lround(v * 255.0), 0l, 255l)); };
    return {ch(c.r), ch(c.g), ch(c.b)};
}

void SetColour(cairo_t* cr, Colour c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * PI);
    cairo_restore(cr);
}

void DrawSight(cairo_t* cr, double cx, double cy, const Sight& sight) {
    for (int pass = 0; pass < 2; ++pass) {
        SetColour(cr, pass == 0 ? Hex(0x201010) : Hex(0xff3a2a),
                  pass == 0 ? sight.shadowAlpha : 1.0);
        cairo_set_line_width(cr, pass == 0 ? sight.shadowWidth : sight.lineWidth);
        cairo_arc(cr, cx, cy, sight.radius, 0, 2 * PI);
        cairo_stroke(cr);
        for (int k = 0; k < 4; ++k) {
            double dx = k < 2 ? (k == 0 ? 1 : -1) : 0, dy = k >= 2 ? (k == 2 ? 1 : -1) : 0;
            cairo_move_to(cr, cx + dx * sight.inner, cy + dy * sight.inner);
            cairo_line_to(cr, cx + dx * sight.outer, cy + dy * sight.outer);
        }
        cairo_stroke(cr);
    }
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, PI / 2, PI);
    cairo_arc(cr, x + r, y + r, r, PI, 3 * PI / 2);
    cairo_close_path(cr);
}

cairo_pattern_t* VerticalGradient(double y0, double y1, Colour top, Colour bottom) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
    return p;
}

void FillAndOutline(cairo_t* cr, cairo_pattern_t* fill, Colour outline, double width) {
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    SetColour(cr, outline);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void FillAndOutline(cairo_t* cr, Colour fill, Colour outline, double width) {
    SetColour(cr, fill);
    cairo_fill_preserve(cr);
    SetColour(cr, outline);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}
