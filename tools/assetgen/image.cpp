#include "image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

Backdrop Plain(Rgb colour) {
    return [colour](int, int) { return colour; };
}

Canvas NewCanvas(int width, int height) {
    Canvas canvas;
    canvas.surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    canvas.cr = cairo_create(canvas.surface);
    cairo_set_antialias(canvas.cr, CAIRO_ANTIALIAS_GOOD);
    return canvas;
}

void FinishCanvas(Canvas& canvas) {
    cairo_destroy(canvas.cr);
    cairo_surface_destroy(canvas.surface);
    canvas.cr = nullptr;
    canvas.surface = nullptr;
}

namespace {

struct Argb {
    int a, r, g, b;  // premultiplied, 0 to 255
};

Argb ReadArgb(cairo_surface_t* surface, int x, int y) {
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    uint32_t v = *reinterpret_cast<const uint32_t*>(data + size_t(y) * stride + size_t(x) * 4);
    return {int(v >> 24), int((v >> 16) & 255), int((v >> 8) & 255), int(v & 255)};
}

uint8_t Clamp8(int v) {
    return uint8_t(std::clamp(v, 0, 255));
}

}  // namespace

Image Opaque(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    int w = cairo_image_surface_get_width(surface);
    int h = cairo_image_surface_get_height(surface);
    Image image(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Argb p = ReadArgb(surface, x, y);
            image.at(x, y) = {Clamp8(p.r), Clamp8(p.g), Clamp8(p.b)};
        }
    }
    return image;
}

Rgb AwayFromKey(Rgb c, Key key) {
    if (key == Key::Black) {
        return {std::max<uint8_t>(c.r, 12), std::max<uint8_t>(c.g, 12), std::max<uint8_t>(c.b, 12)};
    }
    return {std::min<uint8_t>(c.r, 243), std::min<uint8_t>(c.g, 243), std::min<uint8_t>(c.b, 243)};
}

Image Flatten(cairo_surface_t* surface, Key key, const Backdrop& backdrop, double threshold) {
    cairo_surface_flush(surface);
    int w = cairo_image_surface_get_width(surface);
    int h = cairo_image_surface_get_height(surface);
    Rgb keyColour = key == Key::Black ? Rgb{0, 0, 0} : Rgb{255, 255, 255};
    Image image(w, h, keyColour);
    int cut = int(std::lround(threshold * 255.0));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Argb p = ReadArgb(surface, x, y);
            if (p.a < cut) continue;
            // Premultiplied colour over the backdrop: exactly what the eye would see there.
            Rgb bg = backdrop(x, y);
            int rest = 255 - p.a;
            Rgb mixed = {Clamp8(p.r + (bg.r * rest + 127) / 255),
                         Clamp8(p.g + (bg.g * rest + 127) / 255),
                         Clamp8(p.b + (bg.b * rest + 127) / 255)};
            image.at(x, y) = AwayFromKey(mixed, key);
        }
    }
    return image;
}

void Blit(Image& target, const Image& source, int x, int y) {
    for (int sy = 0; sy < source.height; ++sy) {
        for (int sx = 0; sx < source.width; ++sx) {
            int tx = x + sx, ty = y + sy;
            if (tx < 0 || ty < 0 || tx >= target.width || ty >= target.height) continue;
            target.at(tx, ty) = source.at(sx, sy);
        }
    }
}

Image Crop(const Image& source, int x, int y, int width, int height) {
    Image out(width, height);
    for (int cy = 0; cy < height; ++cy) {
        for (int cx = 0; cx < width; ++cx) out.at(cx, cy) = source.at(x + cx, y + cy);
    }
    return out;
}

Image MirrorX(const Image& source) {
    Image out(source.width, source.height);
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) out.at(x, y) = source.at(source.width - 1 - x, y);
    }
    return out;
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

void WriteBmp(const Image& image, const std::string& path) {
    uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
    uint32_t dataBytes = rowBytes * uint32_t(image.height);
    std::vector<uint8_t> out;
    out.reserve(54 + dataBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + dataBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, uint32_t(image.width));
    Put32(out, uint32_t(image.height));  // positive: bottom row first
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);  // BI_RGB, uncompressed
    Put32(out, dataBytes);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb& p = image.at(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (uint32_t pad = uint32_t(image.width) * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    size_t written = std::fwrite(out.data(), 1, out.size(), file);
    std::fclose(file);
    if (written != out.size()) throw std::runtime_error("short write to " + path);
}

void PaintImage(cairo_t* cr, const Image& image, double x, double y, double alpha) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int py = 0; py < image.height; ++py) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(py) * stride);
        for (int px = 0; px < image.width; ++px) {
            const Rgb& p = image.at(px, py);
            row[px] = 0xFF000000u | (uint32_t(p.r) << 16) | (uint32_t(p.g) << 8) | p.b;
        }
    }
    cairo_surface_mark_dirty(s);
    cairo_save(cr);
    cairo_set_source_surface(cr, s, x, y);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
    cairo_surface_destroy(s);
}
