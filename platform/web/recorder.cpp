// The visit recorded as a replay script, in the format of "sidescroller --record", which
// sidescroller-replay plays back to the same frames, score and high-score file. The game's
// clock moves only when it wakes from a wait and input is taken in only then, so each
// waking is one moment: "at" with the clock, then the input the game took at that moment.
// The page saves the script from its button (the file is kept in the page's memory).
#include <emscripten.h>

#include <cstdio>

#include "platform/common/queue.h"
#include "platform/record.h"
#include "platform/web/backend.h"

namespace {

FILE* file = nullptr;
uint32_t moment = 0;
bool momentWritten = true;
POINT lastCursor = {0, 0};  // where the replay's cursor starts
bool keyDown[256];

void WriteMoment() {
    if (momentWritten) return;
    std::fprintf(file, "at %u\n", moment);
    momentWritten = true;
}

void WriteKey(const char* command, int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        std::fprintf(file, "%s %c\n", command, vk);
    } else if (vk >= 112 && vk <= 135) {
        std::fprintf(file, "%s F%d\n", command, vk - 111);
    } else {
        std::fprintf(file, "%s %d\n", command, vk);
    }
}

void MessageTaken(const MSG& msg) {
    WriteMoment();
    if (msg.message == WM_KEYDOWN) WriteKey("key", static_cast<int>(msg.wParam));
    if (msg.message == WM_LBUTTONDOWN) std::fputs("click left\n", file);
    if (msg.message == WM_RBUTTONDOWN) std::fputs("click right\n", file);
    if (msg.message == WM_CLOSE) std::fputs("close\n", file);
}

}  // namespace

int StartRecording(const char* path) {
    file = std::fopen(path, "w");
    if (!file) {
        std::printf("Sidescroller: cannot record into %s\n", path);
        return 2;
    }
    std::fputs("# A play-through recorded in the browser; sidescroller-replay plays it.\n", file);
    SetMessageTakenHook(MessageTaken);
    return 0;
}

int StopRecording() {
    if (!file) return 0;
    SetMessageTakenHook(nullptr);
    bool written = std::ferror(file) == 0;
    written = std::fclose(file) == 0 && written;
    file = nullptr;
    return written ? 0 : 1;
}

// The page reads the file after this, whenever it is asked to save it.
extern "C" EMSCRIPTEN_KEEPALIVE void WebFlushRecording() {
    if (file) std::fflush(file);
}

void RecordSeed(uint32_t seed) {
    if (file) std::fprintf(file, "seed %u\n", seed);
}

void RecordStart(uint32_t clock) {
    if (!file) return;
    std::fprintf(file, "start %u\n", clock);
    moment = clock;
    momentWritten = false;
}

void RecordWake(uint32_t clock) {
    if (!file) return;
    moment = clock;
    momentWritten = false;
}

void RecordCursor(POINT cursor) {
    if (!file || (cursor.x == lastCursor.x && cursor.y == lastCursor.y)) return;
    WriteMoment();
    std::fprintf(file, "move %d %d\n", cursor.x, cursor.y);
    lastCursor = cursor;
}

void RecordKeyState(int vk, bool down) {
    if (!file || vk < 0 || vk > 255 || keyDown[vk] == down) return;
    WriteMoment();
    WriteKey(down ? "hold" : "release", vk);
    keyDown[vk] = down;
}

void RecordFrameShown() {
    if (file) WriteMoment();
}
