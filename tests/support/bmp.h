// Writing small bitmap files for tests.
#pragma once

#include <functional>
#include <string>

#include "platform/types.h"

// A 24-bit bottom-up BMP of w x h whose pixel (x, y) is colorAt(x, y).
void WriteTestBmp(const std::string& path, int w, int h,
                  const std::function<COLORREF(int, int)>& colorAt);
