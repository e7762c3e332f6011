// The play-through as a replay script. The game's clock moves only when it wakes from a
// wait, and input is taken in only then, so each waking is one moment of the script:
// "at" with the clock, then the input the game took at that moment. Moments in which the
// game did nothing are left out.
#include "platform/sdl/recorder.h"

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/common/queue.h"
#include "platform/record.h"

namespace {

FILE* file = nullptr;
std::string filePath;
bool failed = false;
uint32_t moment = 0;
bool momentWritten = true;
POINT lastCursor = {0, 0};  // where the replay's cursor starts
bool keyDown[256];
int photos = 0;
volatile std::sig_atomic_t photoAsked = 0;

// The first failed write or close ends the recording, said once; the game plays on, and the
// program's exit code says at the end that the recording is incomplete.
void SayStopped(int error) {
    std::fprintf(stderr, "%s: recording stopped: %s: %s\n", PROGRAM_NAME, filePath.c_str(),
                 std::strerror(error));
    failed = true;
}

void Fail(int error) {
    SayStopped(error);
    SetMessageTakenHook(nullptr);
    std::fclose(file);
    file = nullptr;
}

__attribute__((format(printf, 1, 2))) void Write(const char* format, ...) {
    if (!file) return;
    va_list args;
    va_start(args, format);
    int written = std::vfprintf(file, format, args);
    va_end(args);
    if (written < 0) Fail(errno);
}

void Flush() {
    if (file && std::fflush(file) != 0) Fail(errno);
}

void WriteMoment() {
    if (momentWritten) return;
    Write("at %u\n", moment);
    momentWritten = true;
}

void WriteKey(const char* command, int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        Write("%s %c\n", command, vk);
    } else if (vk >= 112 && vk <= 135) {
        Write("%s F%d\n", command, vk - 111);
    } else {
        Write("%s %d\n", command, vk);
    }
}

void MessageTaken(const MSG& msg) {
    WriteMoment();
    if (msg.message == WM_KEYDOWN) WriteKey("key", static_cast<int>(msg.wParam));
    if (msg.message == WM_LBUTTONDOWN) Write("click left\n");
    if (msg.message == WM_RBUTTONDOWN) Write("click right\n");
    if (msg.message == WM_CLOSE) Write("close\n");
    // Timer ticks come from the clock in the replay too, and the game's own messages
    // (the quit message) follow from the input.
}

extern "C" void AskForPhoto(int) {
    photoAsked = 1;
}

}  // namespace

int StartRecording(const char* path) {
    file = OpenRecordingFile(path);
    if (!file) return 2;
    filePath = path;
    failed = false;
    Write("%s", RECORDING_FIRST_LINE);
    SetMessageTakenHook(MessageTaken);
#ifdef SIGUSR1
    std::signal(SIGUSR1, AskForPhoto);
#endif
    return 0;
}

int StopRecording() {
    if (file) {
        SetMessageTakenHook(nullptr);
        Flush();
    }
    if (file) {
        int closed = std::fclose(file);
        file = nullptr;
        if (closed != 0) SayStopped(errno);
    }
    return failed ? 1 : 0;
}

void RecordSeed(uint32_t seed) {
    Write("seed %u\n", seed);
}

void RecordStart(uint32_t clock) {
    if (!file) return;
    Write("start %u\n", clock);
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
        Flush();
        lastFlush = clock;
    }
}

void RecordCursor(POINT cursor) {
    if (!file || (cursor.x == lastCursor.x && cursor.y == lastCursor.y)) return;
    WriteMoment();
    Write("move %d %d\n", cursor.x, cursor.y);
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
    Write("screenshot photo-%d.bmp\n", ++photos);
    Flush();
#ifdef SIGSTOP
    std::raise(SIGSTOP);
#endif
}
