// The visit recorded as a replay script, in the format of "sidescroller --record", which
// sidescroller-replay plays back to the same frames, score and high-score file
// (platform/common/recorder.cpp writes it). The page saves the script from its button (the
// file is kept in the page's memory).
#include <emscripten.h>

#include <cstdio>

#include "platform/record.h"
#include "platform/web/backend.h"

int StartRecording(const char* path) {
    FILE* file = std::fopen(path, "w");
    if (!file) {
        std::printf("Sidescroller: cannot record into %s\n", path);
        return 2;
    }
    BeginRecording(file, path, nullptr);
    return 0;
}

// The page reads the file after this, whenever it is asked to save it.
extern "C" EMSCRIPTEN_KEEPALIVE void WebFlushRecording() {
    FlushRecording();
}
