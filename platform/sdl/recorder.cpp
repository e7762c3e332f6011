// The play-through as a replay script. The game's clock moves only when it wakes from a
// wait, and input is taken in only then, so each waking is one moment of the script:
// "at" with the clock, then the input the game took at that moment. Moments in which the
// game did nothing are left out.
#include "platform/sdl/recorder.h"

#include <csignal>
#include <cstdio>

#include "platform/common/queue.h"
#include "platform/record.h"

namespace {

FILE* file = nullptr;
uint32_t moment = 0;
bool momentWritten = true;
POINT lastCursor = {0, 0};  // where the replay's cursor starts
bool keyDown[256];
int photos = 0;
volatile std::sig_atomic_t photoAsked = 0;

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
    // Timer ticks come from the clock in the replay too, and the game's own messages
    // (the quit message) follow from the input.
}

extern "C" void AskForPhoto(int) {
    photoAsked = 1;
}

}  // namespace

bool StartRecording(const char* path) {
    file = std::fopen(path, "w");
    if (!file) {
        std::perror(path);
        return false;
    }
    std::fputs(
        "# A play-through recorded with sidescroller --record; sidescroller-replay plays it.\n",
        file);
    SetMessageTakenHook(MessageTaken);
#ifdef SIGUSR1
    std::signal(SIGUSR1, AskForPhoto);
#endif
    return true;
}

void StopRecording() {
    if (!file) return;
    SetMessageTakenHook(nullptr);
    std::fclose(file);
    file = nullptr;
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
    // Now and then, so that a crash still leaves most of the play-through behind.
    static uint32_t lastFlush = clock;
    if (clock - lastFlush >= 1000) {
        std::fflush(file);
        lastFlush = clock;
    }
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

// SIGUSR1 asks for a photo of the next frame: the replay takes a screenshot at that frame,
// and the game stops itself (SIGSTOP) until SIGCONT, so that the real screen can be taken
// while it still shows the same frame.
void RecordFrameShown() {
    if (!file) return;
    WriteMoment();
    if (!photoAsked) return;
    photoAsked = 0;
    std::fprintf(file, "screenshot photo-%d.bmp\n", ++photos);
    std::fflush(file);
#ifdef SIGSTOP
    std::raise(SIGSTOP);
#endif
}
