// The game's own lettering: a glyph table read from "font.des", drawn from cells of the
// font picture at a fixed pitch.
#include <cstdint>
#include <cstdio>

#include "display/display.h"
#include "platform/files.h"

namespace {

constexpr int32_t GLYPH_CAPACITY = 100;
constexpr int32_t TEXT_OFFSET_X = 2;

// One "%d" conversion. A value that cannot be converted leaves the field as it was, and
// since the reader does not step past the offending text, every later read fails too.
bool ReadInt(FILE* file, int32_t* value) {
    int read = 0;
    if (std::fscanf(file, "%d", &read) != 1) return false;
    *value = read;
    return true;
}

void ReadByte(FILE* file, uint8_t* field) {
    int32_t value = 0;
    if (ReadInt(file, &value)) *field = static_cast<uint8_t>(value);
}

void ReadByte(FILE* file, int8_t* field) {
    int32_t value = 0;
    if (ReadInt(file, &value)) *field = static_cast<int8_t>(static_cast<uint8_t>(value));
}

bool FitsInt32(int64_t value) {
    return value >= INT32_MIN && value <= INT32_MAX;
}

}  // namespace

void BitmapFont::Load(const char* fileName) {
    // A missing file reads as an empty one: every field keeps its zero.
    FILE* file = OpenGameFile(fileName, "r");
    if (!file) return;
    ReadInt(file, &glyphCount);
    ReadInt(file, &cellWidth);
    ReadInt(file, &cellHeight);
    // The table holds 100 entries: a larger count keeps the first 100 and leaves the rest
    // of the file unread rather than writing past the table.
    if (glyphCount > GLYPH_CAPACITY) glyphCount = GLYPH_CAPACITY;
    for (int32_t j = 0; j < glyphCount; ++j) {
        ReadByte(file, &glyphChar[j]);
        ReadByte(file, &glyphRow[j]);
        ReadByte(file, &glyphColumn[j]);
    }
    std::fclose(file);
}

void BitmapFont::DrawBitmapText(int32_t x, int32_t y, const char* text, int32_t length) {
    penX = x;
    penY = y;
    for (int32_t i = 0; i < length; ++i) {
        uint8_t c = static_cast<uint8_t>(text[i]);
        // No early stop: every entry with this code is drawn, later ones on top. A negative
        // count from a bad "font.des" draws nothing, like a zero one.
        for (int32_t j = 0; j < glyphCount; ++j) {
            if (glyphChar[j] != c) continue;
            // Widened so that absurd cell sizes from a bad file cannot overflow; such a
            // rectangle lies outside the font picture and the blit would refuse it anyway.
            int64_t left = int64_t{glyphColumn[j]} * cellWidth;
            int64_t top = int64_t{glyphRow[j]} * cellHeight;
            int64_t destX = int64_t{penX} + int64_t{i} * cellWidth + TEXT_OFFSET_X;
            if (!FitsInt32(left) || !FitsInt32(top) || !FitsInt32(left + cellWidth) ||
                !FitsInt32(top + cellHeight) || !FitsInt32(destX)) {
                continue;
            }
            RECT cell{static_cast<int32_t>(left), static_cast<int32_t>(top),
                      static_cast<int32_t>(left + cellWidth),
                      static_cast<int32_t>(top + cellHeight)};
            BltFast(backBuffer, static_cast<int32_t>(destX), penY, assetSurfaces.font, &cell,
                    DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
        }
    }
}
