// Bitmap files decoded with stb_image and held as 32-bit pixels until they are copied into
// surfaces. Only its bitmap reader is compiled in: the game reads no other kind of picture.
#include "platform/bitmap.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/common/bitmap_file.h"

#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb_image.h>

struct Bitmap {
    int32_t width;
    int32_t height;
    uint8_t* rgb;  // three bytes a pixel, red first, rows top to bottom
    bool kept;     // in the kept pictures, which DeleteBitmap leaves alone
};

namespace {
// Pictures decoded once, by the game's name for them, for a process that starts the game
// many times over (the leaderboard's verifier forks a replay per recording).
struct KeptBitmap {
    std::string gameName;
    Bitmap* bitmap;
};
// Never destroyed: the pictures stay to the very end of the process.
std::vector<KeptBitmap>& keptBitmaps = *new std::vector<KeptBitmap>;
bool keepingBitmaps = false;

Bitmap* DecodeBitmapFile(const char* gameName, std::string* problem);
}  // namespace

void KeepBitmapsLoaded(bool keep) {
    keepingBitmaps = keep;
}

Bitmap* LoadBitmapFile(const char* gameName, std::string* problem) {
    if (!keepingBitmaps) return DecodeBitmapFile(gameName, problem);
    for (const KeptBitmap& k : keptBitmaps) {
        if (k.gameName == gameName) return k.bitmap;
    }
    Bitmap* bitmap = DecodeBitmapFile(gameName, problem);
    if (bitmap) {
        bitmap->kept = true;
        keptBitmaps.push_back(KeptBitmap{gameName, bitmap});
    }
    return bitmap;
}

namespace {
Bitmap* DecodeBitmapFile(const char* gameName, std::string* problem) {
    std::string why;
    std::string data = ReadBitmapFile(gameName, &why);
    if (!why.empty()) return RefuseBitmap(problem, why);
    int width = 0, height = 0, channels = 0;
    uint8_t* rgb =
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(data.data()),
                              static_cast<int>(data.size()), &width, &height, &channels, 3);
    if (!rgb) {
        // stb_image reads neither run-length pixels nor two bits a pixel.
        const char* why = stbi_failure_reason();
        bool unread = why && (std::strcmp(why, "BMP RLE") == 0 || std::strcmp(why, "bad bpp") == 0);
        return RefuseBitmap(problem,
                            unread ? "unsupported (run-length or 2-bit pixels)" : "damaged");
    }
    if (width <= 0 || height <= 0) {
        stbi_image_free(rgb);
        return RefuseBitmap(problem, "damaged (no pixels)");
    }
    auto* bitmap = new (std::nothrow) Bitmap{width, height, rgb, false};
    if (!bitmap) {
        stbi_image_free(rgb);
        return RefuseBitmap(problem, "too large for the memory left");
    }
    return bitmap;
}
}  // namespace

void DeleteBitmap(Bitmap* bitmap) {
    if (!bitmap || bitmap->kept) return;
    stbi_image_free(bitmap->rgb);
    delete bitmap;
}

bool BitmapKept(const Bitmap* bitmap) {
    return bitmap && bitmap->kept;
}

int32_t BitmapWidth(const Bitmap* bitmap) {
    return bitmap ? bitmap->width : 0;
}
int32_t BitmapHeight(const Bitmap* bitmap) {
    return bitmap ? bitmap->height : 0;
}

uint32_t BitmapPixel(const Bitmap* bitmap, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height) return 0;
    const uint8_t* at = bitmap->rgb + (static_cast<size_t>(y) * bitmap->width + x) * 3;
    return at[0] | (at[1] << 8) | (uint32_t{at[2]} << 16);
}
