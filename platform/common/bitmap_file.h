// The checks every bitmap file passes before it is decoded: a regular file that can be read,
// of a plausible size, with headers of a kind the game reads.
#pragma once

#include <string>

// The whole file; or "" with *problem set to the reason in a few words that begin with one
// of "missing", "damaged", "unsupported", "too large", or the system's reason.
std::string ReadBitmapFile(const char* gameName, std::string* problem);

struct Bitmap;
// No bitmap, and the reason in *problem when it is asked for.
Bitmap* RefuseBitmap(std::string* problem, const std::string& why);

// From now on each picture file is decoded once and kept, and every later load of the same
// game name answers the kept picture (the file is not read again); off again, pictures
// are read anew, and those kept stay kept.
void KeepBitmapsLoaded(bool keep);
// Whether the bitmap is one of the kept pictures, which live as long as the process.
bool BitmapKept(const Bitmap* bitmap);
