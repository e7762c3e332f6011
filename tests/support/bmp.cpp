#include "tests/support/bmp.h"

#include <cstdint>
#include <fstream>
#include <vector>

void WriteTestBmp(const std::string& path, int w, int h,
                  const std::function<COLORREF(int, int)>& colorAt) {
    int rowBytes = (w * 3 + 3) & ~3;
    std::vector<uint8_t> file(54 + rowBytes * h, 0);
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    file[26] = 1;
    file[28] = 24;
    put32(34, rowBytes * h);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = &file[54 + (h - 1 - y) * rowBytes];
        for (int x = 0; x < w; ++x) {
            COLORREF c = colorAt(x, y);
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
}
