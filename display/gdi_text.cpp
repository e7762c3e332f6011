// Placeholder until GDI text lands.
#include "display/display.h"

void DrawGdiText(const char*, int32_t, int32_t, COLORREF, Surface*, Font*) {}
