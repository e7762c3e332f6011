// Any script text is read or refused with a line number, never more.
#include <cstdlib>
#include <string>

#include "app/replay/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Script script;
    std::string error;
    bool ok = ParseScript(std::string(reinterpret_cast<const char*>(data), size), &script, &error);
    if (!ok && error.rfind("line ", 0) != 0) std::abort();
    return 0;
}
