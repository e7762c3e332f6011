// Placeholder until the bitmap lettering lands.
#include "display/display.h"

void BitmapFont::Load(const char*) {}
void BitmapFont::DrawBitmapText(int32_t x, int32_t y, const char*, int32_t) {
    penX = x;
    penY = y;
}
