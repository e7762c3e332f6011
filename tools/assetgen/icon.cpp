// The desktop icon: a bird in the crosshair on a rounded piece of sky, drawn once as vectors
// on a 256-unit grid, so that every PNG size and the SVG show the same picture.
#include <cairo-svg.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "assets.h"
#include "draw.h"

namespace {

constexpr double GRID = 256;

void DrawIcon(cairo_t* cr) {
    RoundedRect(cr, 8, 8, 240, 240, 44);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    cairo_pattern_t* sky = VerticalGradient(8, 200, Hex(0x2468c4), Hex(0xbfe3f7));
    cairo_set_source(cr, sky);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
    SetColour(cr, Hex(0x6fb45a));
    Ellipse(cr, 190, 250, 150, 50);
    cairo_fill(cr);
    SetColour(cr, Hex(0x4e9c3a));
    Ellipse(cr, 50, 262, 160, 52);
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, 38, 6);
    cairo_scale(cr, 1.85, 1.85);
    DrawBird(cr, BirdKind::Big, 0.1);
    cairo_restore(cr);
    cairo_restore(cr);

    // Thick enough to read at 16 pixels.
    DrawSight(cr, 132, 112, Sight{52, 26, 76, 16, 8, 0.85});
    RoundedRect(cr, 8, 8, 240, 240, 44);
    SetColour(cr, Hex(0x3b1d08));
    cairo_set_line_width(cr, 8);
    cairo_stroke(cr);
}

void Check(cairo_status_t status, const std::string& path) {
    if (status != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error("cannot write " + path + ": " + cairo_status_to_string(status));
    }
}

}  // namespace

void WriteIcons(const std::filesystem::path& hicolor, const std::string& name) {
    for (int size : {16, 24, 32, 48, 64, 128, 192, 256, 512}) {
        std::string dimension = std::to_string(size) + "x" + std::to_string(size);
        std::filesystem::path folder = hicolor / dimension / "apps";
        std::filesystem::create_directories(folder);
        Canvas canvas = NewCanvas(size, size);
        cairo_scale(canvas.cr, size / GRID, size / GRID);
        DrawIcon(canvas.cr);
        std::string path = (folder / (name + ".png")).string();
        cairo_status_t status = cairo_surface_write_to_png(canvas.surface, path.c_str());
        FinishCanvas(canvas);
        Check(status, path);
    }
    std::filesystem::path folder = hicolor / "scalable" / "apps";
    std::filesystem::create_directories(folder);
    std::string path = (folder / (name + ".svg")).string();
    cairo_surface_t* svg = cairo_svg_surface_create(path.c_str(), GRID, GRID);
    cairo_t* cr = cairo_create(svg);
    DrawIcon(cr);
    cairo_destroy(cr);
    cairo_surface_finish(svg);
    cairo_status_t status = cairo_surface_status(svg);
    cairo_surface_destroy(svg);
    Check(status, path);
}
