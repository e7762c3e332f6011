// Windows bitmap files loaded into memory, the stand-in for a GDI bitmap section.
#pragma once

#include <cstdint>

struct Bitmap;

// Null when the file is missing or is not a bitmap this system can read.
Bitmap* LoadBitmapFile(const char* gameName);
void DeleteBitmap(Bitmap* bitmap);
int32_t BitmapWidth(const Bitmap* bitmap);
int32_t BitmapHeight(const Bitmap* bitmap);
// The bitmap's pixel at (x, y) as a colour 0x00BBGGRR.
uint32_t BitmapPixel(const Bitmap* bitmap, int32_t x, int32_t y);
