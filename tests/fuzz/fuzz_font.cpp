// Any "font.des" loads within the table's bounds.
#include <cstdlib>

#include "display/display.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteInput("font.des", data, size);
    BitmapFont font = {};
    font.Load("font.des");
    if (font.glyphCount > 100) std::abort();
    return 0;
}
