// Pictures in memory, their conversion from cairo drawings and the 24-bit BMP writer.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row-major, top row first
    Image() = default;
    Image(int w, int h, Rgb fill = {0, 0, 0}) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    Rgb& at(int x, int y) { return pixels[size_t(y) * width + x]; }
    const Rgb& at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

enum class Key { Black, White };

// What a sprite pixel is seen against, so that its soft edge can be mixed into it.
using Backdrop = std::function<Rgb(int x, int y)>;
Backdrop Plain(Rgb colour);

// A fresh ARGB drawing surface with its context; free with FinishCanvas.
struct Canvas {
    cairo_surface_t* surface;
    cairo_t* cr;
};
Canvas NewCanvas(int width, int height);
void FinishCanvas(Canvas& canvas);

// An opaque drawing as it is (alpha is ignored: the drawing covers itself).
Image Opaque(cairo_surface_t* surface);

// A sprite with a colour key: pixels under the coverage threshold become the key; the
// rest are mixed over the backdrop and kept far enough from the key that the 16-bit
// display format cannot round them into it.
Image Flatten(cairo_surface_t* surface, Key key, const Backdrop& backdrop, double threshold = 0.4);

// Moves a colour away from the key so that no channel lies within 12 of it.
Rgb AwayFromKey(Rgb colour, Key key);

void Blit(Image& target, const Image& source, int x, int y);
Image Crop(const Image& source, int x, int y, int width, int height);
Image MirrorX(const Image& source);

void WriteBmp(const Image& image, const std::string& path);
// Paints an image into a cairo context at (x, y), for drawing over rendered pictures.
void PaintImage(cairo_t* cr, const Image& image, double x, double y, double alpha = 1.0);
