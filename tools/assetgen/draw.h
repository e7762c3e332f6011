// Small cairo conveniences shared by the pictures.
#pragma once

#include <cairo.h>

#include "image.h"

struct Colour {
    double r, g, b;
};

constexpr Colour Hex(uint32_t rgb) {
    return {double((rgb >> 16) & 255) / 255.0, double((rgb >> 8) & 255) / 255.0,
            double(rgb & 255) / 255.0};
}
Colour Mix(Colour a, Colour b, double t);
Colour Shade(Colour c, double factor);  // <1 darker, >1 lighter (toward white)
Rgb ToRgb(Colour c);

void SetColour(cairo_t* cr, Colour c, double alpha = 1.0);
void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

// Vertical linear gradient from top colour to bottom colour over y0..y1.
cairo_pattern_t* VerticalGradient(double y0, double y1, Colour top, Colour bottom);
// Fills the current path with a gradient and then strokes it as an outline.
void FillAndOutline(cairo_t* cr, cairo_pattern_t* fill, Colour outline, double width);
void FillAndOutline(cairo_t* cr, Colour fill, Colour outline, double width);

constexpr double PI = 3.14159265358979323846;

// A gun sight: a ring of the radius with four ticks from inner to outer, drawn twice, a dark
// shadow of shadowWidth under a red line of lineWidth.
struct Sight {
    double radius, inner, outer, shadowWidth, lineWidth, shadowAlpha;
};
void DrawSight(cairo_t* cr, double cx, double cy, const Sight& sight);
