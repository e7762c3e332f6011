// Windows bitmap files loaded into memory, the stand-in for a GDI bitmap section.
#pragma once

#include <cstdint>
#include <string>

struct Bitmap;

// The picture in a Windows bitmap file (OpenGameFile's rules: only a regular file). Null
// when it cannot be used, and then, if problem is given, the reason in a few words that
// begin with one of "missing", "damaged", "unsupported", "too large", or the system's
// reason the file cannot be read.
Bitmap* LoadBitmapFile(const char* gameName, std::string* problem = nullptr);
void DeleteBitmap(Bitmap* bitmap);
int32_t BitmapWidth(const Bitmap* bitmap);
int32_t BitmapHeight(const Bitmap* bitmap);
// The bitmap's pixel at (x, y) as a colour 0x00BBGGRR.
uint32_t BitmapPixel(const Bitmap* bitmap, int32_t x, int32_t y);
