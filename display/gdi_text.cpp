// Text in the GDI font: written through the surface's device context, letters only.
#include <cstring>

#include "display/display.h"

HFONT textFont;

void DrawGdiText(const char* text, int32_t x, int32_t y, COLORREF color, Surface* surface,
                 HFONT font) {
    HDC dc = nullptr;
    if (!text || GetDC(surface, &dc) != DD_OK || !dc) return;
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    // The context's previous font is not put back; it is given up right after.
    SelectObject(dc, font);
    TextOut(dc, x, y, text, static_cast<int32_t>(std::strlen(text)));
    ReleaseDC(surface, dc);
}
