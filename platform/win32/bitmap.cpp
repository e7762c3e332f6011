// Bitmap files through LoadImage, held as 32-bit pixels until they are copied into surfaces.
#include "platform/bitmap.h"

#include <new>

#include "platform/common/bitmap_file.h"
#include "platform/files.h"
#include "platform/gdi.h"
#include "platform/win32/system.h"

struct Bitmap {
    int32_t width;
    int32_t height;
    uint32_t* pixels;  // 0x00RRGGBB, rows top to bottom
    BITMAPINFO format;
};

// The file passes the same checks as everywhere before the system's own loader reads it.
Bitmap* LoadBitmapFile(const char* gameName, std::string* problem) {
    std::string why;
    ReadBitmapFile(gameName, &why);
    if (!why.empty()) return RefuseBitmap(problem, why);
    auto handle = static_cast<HBITMAP>(LoadImageA(nullptr, HostPath(gameName).c_str(), IMAGE_BITMAP,
                                                  0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!handle) return RefuseBitmap(problem, "damaged");
    BITMAP info = {};
    Bitmap* bitmap = nullptr;
    if (GetObjectA(handle, sizeof info, &info) && info.bmWidth > 0 && info.bmHeight > 0) {
        bitmap = new (std::nothrow) Bitmap{info.bmWidth, info.bmHeight, nullptr, {}};
    }
    if (bitmap) {
        bitmap->pixels = new (std::nothrow) uint32_t[size_t(info.bmWidth) * info.bmHeight];
        // Whatever the file's own depth and palette, GDI hands the pixels out as 32-bit.
        BITMAPINFO& format = bitmap->format;
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = info.bmWidth;
        format.bmiHeader.biHeight = -info.bmHeight;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        HDC screen = ::GetDC(HWND{});
        bool read = bitmap->pixels && GetDIBits(screen, handle, 0, info.bmHeight, bitmap->pixels,
                                                &format, DIB_RGB_COLORS) == info.bmHeight;
        ::ReleaseDC(HWND{}, screen);
        if (!read) {
            DeleteBitmap(bitmap);
            bitmap = nullptr;
        }
    }
    DeleteObject(handle);
    return bitmap ? bitmap : RefuseBitmap(problem, "damaged");
}

void DeleteBitmap(Bitmap* bitmap) {
    if (!bitmap) return;
    delete[] bitmap->pixels;
    delete bitmap;
}

int32_t BitmapWidth(const Bitmap* bitmap) {
    return bitmap ? bitmap->width : 0;
}
int32_t BitmapHeight(const Bitmap* bitmap) {
    return bitmap ? bitmap->height : 0;
}

bool StretchBitmap(HDC dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, const Bitmap* bitmap,
                   int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    if (!dc || !bitmap) return false;
    // The pixels are stored top row first, where StretchDIBits counts source rows from the
    // bottom: turn the source rectangle round.
    int32_t fromBottom = bitmap->height - sy - sh;
    return StretchDIBits(dc, dx, dy, dw, dh, sx, fromBottom, sw, sh, bitmap->pixels,
                         &bitmap->format, DIB_RGB_COLORS, SRCCOPY) != 0;
}

uint32_t BitmapPixel(const Bitmap* bitmap, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height) return 0;
    uint32_t rgb = bitmap->pixels[size_t(y) * bitmap->width + x];
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
