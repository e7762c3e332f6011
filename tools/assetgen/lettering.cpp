#include "lettering.h"

#include <cstdlib>
#include <cstring>

namespace {

// Strokes in a small path language: M x y (move), L x y (line), C x1 y1 x2 y2 x y (curve),
// Z (close), D x y (dot). Grid: x 0 to 10, y 0 (cap line) to 14 (baseline).
const char* StrokesOf(unsigned char c) {
    switch (c) {
        case 'A':
            return "M0.5 14 L5 0 L9.5 14 M2.2 9 L7.8 9";
        case 'B':
            return "M1 14 L1 0 L5.5 0 C9.5 0 9.5 6.6 5.5 6.6 L1 6.6 M5.5 6.6 C10.3 6.6 10.3 14 5.5 "
                   "14 L1 14";
        case 'C':
            return "M9.4 2.6 C7.6 -0.8 0.6 -0.4 0.6 7 C0.6 14.4 7.6 14.8 9.4 11.4";
        case 'D':
            return "M1 0 L1 14 L4.5 14 C10.4 14 10.4 0 4.5 0 Z";
        case 'E':
            return "M9.2 0 L1 0 L1 14 L9.2 14 M1 6.8 L7.4 6.8";
        case 'F':
            return "M9.2 0 L1 0 L1 14 M1 6.8 L7.4 6.8";
        case 'G':
            return "M9.4 2.6 C7.6 -0.8 0.6 -0.4 0.6 7 C0.6 14.6 9.4 15 9.4 8 L5.4 8";
        case 'H':
            return "M1 0 L1 14 M9 0 L9 14 M1 7 L9 7";
        case 'I':
            return "M5 0 L5 14 M2 0 L8 0 M2 14 L8 14";
        case 'J':
            return "M8.6 0 L8.6 9.6 C8.6 15 1.2 15 1 10";
        case 'K':
            return "M1 0 L1 14 M9.2 0 L1 8.6 M4.2 5.4 L9.4 14";
        case 'L':
            return "M1 0 L1 14 L9.2 14";
        case 'M':
            return "M0.6 14 L0.6 0 L5 8.4 L9.4 0 L9.4 14";
        case 'N':
            return "M1 14 L1 0 L9 14 L9 0";
        case 'O':
            return "M5 0 C11.2 0 11.2 14 5 14 C-1.2 14 -1.2 0 5 0 Z";
        case 'P':
            return "M1 14 L1 0 L5.6 0 C10.2 0 10.2 7.6 5.6 7.6 L1 7.6";
        case 'Q':
            return "M5 0 C11.2 0 11.2 14 5 14 C-1.2 14 -1.2 0 5 0 Z M5.8 9.6 L9.6 14";
        case 'R':
            return "M1 14 L1 0 L5.6 0 C10.2 0 10.2 7.4 5.6 7.4 L1 7.4 M5.2 7.4 L9.4 14";
        case 'S':
            return "M8.8 2 C7.4 -0.6 1.2 -0.6 1.2 3.4 C1.2 7.2 8.9 6.4 8.9 10.4 C8.9 14.6 2.2 14.6 "
                   "0.8 11.8";
        case 'T':
            return "M0.4 0 L9.6 0 M5 0 L5 14";
        case 'U':
            return "M1 0 L1 9.4 C1 15.2 9 15.2 9 9.4 L9 0";
        case 'V':
            return "M0.4 0 L5 14 L9.6 0";
        case 'W':
            return "M0.2 0 L2.5 14 L5 4.6 L7.5 14 L9.8 0";
        case 'X':
            return "M0.8 0 L9.2 14 M9.2 0 L0.8 14";
        case 'Y':
            return "M0.4 0 L5 7 L9.6 0 M5 7 L5 14";
        case 'Z':
            return "M0.8 0 L9.2 0 L0.8 14 L9.2 14";
        case '0':
            return "M5 0 C10.6 0 10.6 14 5 14 C-0.6 14 -0.6 0 5 0 Z";
        case '1':
            return "M2.2 3 L6 0 L6 14";
        case '2':
            return "M1 3.2 C1.8 -1 9 -1 9 3.6 C9 7.4 1.2 9.8 0.8 14 L9.4 14";
        case '3':
            return "M1 1.8 C3 -0.9 9 -0.5 9 3.5 C9 6.2 6.6 7 4.2 7 C7.4 7 9.4 8.2 9.4 10.6 C9.4 15 "
                   "2.6 15 0.8 12";
        case '4':
            return "M7 14 L7 0 L0.6 9.8 L9.8 9.8";
        case '5':
            return "M9 0 L2 0 L1.2 6.4 C3.8 4.6 9.4 5 9.4 9.6 C9.4 15 2.6 15 0.8 12";
        case '6':
            return "M8.6 1.2 C4.4 -1.2 0.8 2.6 0.8 8.6 C0.8 15 9.4 15 9.4 9.6 C9.4 4.8 2.6 4.6 0.8 "
                   "8.4";
        case '7':
            return "M0.6 0 L9.4 0 L4 14";
        case '8':
            return "M5 6.8 C1.2 6.8 1.2 0 5 0 C8.8 0 8.8 6.8 5 6.8 C0.6 6.8 0.6 14 5 14 C9.4 14 "
                   "9.4 6.8 5 6.8 Z";
        case '9':
            return "M9.2 5.6 C7.6 9.6 0.6 9.2 0.6 4.6 C0.6 -1.2 9.2 -1.2 9.2 5.6 C9.2 11.2 6 15 "
                   "1.4 13";
        case '-':
            return "M2 8 L8 8";
        case '.':
            return "D5 13";
        case 214:
            return "M5 1.9 C11.2 1.9 11.2 14 5 14 C-1.2 14 -1.2 1.9 5 1.9 Z D2.4 -1.3 D7.6 -1.3";
        case ' ':
            return "";
        default:
            return nullptr;
    }
}

}  // namespace

bool HasLetter(unsigned char c) {
    return StrokesOf(c) != nullptr;
}

void AddTextStrokes(cairo_t* cr, const std::string& text, double x, double y,
                    const LetterStyle& style) {
    double s = style.capHeight / 14.0;
    double sx = s * style.widthScale;
    double glyphWidth = 10.0 * sx;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* p = StrokesOf(static_cast<unsigned char>(text[i]));
        if (!p) continue;
        double ox = x + double(i) * style.advance + (style.advance - glyphWidth) / 2.0;
        auto px = [&](double gx, double gy) {
            return ox + gx * sx + (14.0 - gy) * s * style.slant;
        };
        auto py = [&](double gy) { return y + gy * s; };
        char* end = nullptr;
        auto num = [&]() {
            double v = std::strtod(p, &end);
            p = end;
            return v;
        };
        while (*p) {
            char op = *p++;
            if (op == ' ') continue;
            if (op == 'M' || op == 'L' || op == 'D') {
                double gx = num(), gy = num();
                if (op == 'M') cairo_move_to(cr, px(gx, gy), py(gy));
                if (op == 'L') cairo_line_to(cr, px(gx, gy), py(gy));
                if (op == 'D') {
                    // A dot: a stroke of no length, which the round cap turns into a disc.
                    cairo_move_to(cr, px(gx, gy), py(gy));
                    cairo_line_to(cr, px(gx, gy), py(gy));
                }
            } else if (op == 'C') {
                double x1 = num(), y1 = num(), x2 = num(), y2 = num(), x3 = num(), y3 = num();
                cairo_curve_to(cr, px(x1, y1), py(y1), px(x2, y2), py(y2), px(x3, y3), py(y3));
            } else if (op == 'Z') {
                cairo_close_path(cr);
            }
        }
    }
}

void DrawLettering(cairo_t* cr, const std::string& text, double x, double y,
                   const LetterStyle& style) {
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_new_path(cr);
    AddTextStrokes(cr, text, x, y, style);
    // Rim first, as one wide stroke, so that touching letters share one outline.
    SetColour(cr, style.rimColour);
    cairo_set_line_width(cr, style.pen + 2.0 * style.rim);
    cairo_stroke_preserve(cr);
    cairo_pattern_t* body = VerticalGradient(y, y + style.capHeight, style.top, style.bottom);
    cairo_set_source(cr, body);
    cairo_set_line_width(cr, style.pen);
    cairo_stroke_preserve(cr);
    cairo_pattern_destroy(body);
    if (style.shine > 0) {
        // A glint on the upper half of every stroke, as if lit from above.
        cairo_pattern_t* glint = cairo_pattern_create_linear(0, y, 0, y + style.capHeight * 0.55);
        cairo_pattern_add_color_stop_rgba(glint, 0, 1, 1, 1, style.shine);
        cairo_pattern_add_color_stop_rgba(glint, 1, 1, 1, 1, 0);
        cairo_set_source(cr, glint);
        cairo_set_line_width(cr, style.pen * 0.45);
        cairo_stroke(cr);
        cairo_pattern_destroy(glint);
    }
    cairo_new_path(cr);
    cairo_restore(cr);
}

double CentredX(const std::string& text, double cx, const LetterStyle& style) {
    return cx - double(text.size()) * style.advance / 2.0;
}

LetterStyle GoldenLettering(double cap, double advance) {
    LetterStyle s;
    s.capHeight = cap;
    s.advance = advance;
    s.pen = cap * 0.2;
    s.rim = cap * 0.075;
    s.top = Hex(0xfff2a0);
    s.bottom = Hex(0xff9a1c);
    s.rimColour = Hex(0x3b1d08);
    s.widthScale = 0.85;
    return s;
}
