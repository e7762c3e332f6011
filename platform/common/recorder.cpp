// The play-through as a replay script. The game's clock moves only when it wakes from a
// wait, and input is taken in only then, so each waking is one moment of the script:
// "at" with the clock, then the input the game took at that moment. Moments in which the
// game did nothing are left out. Every line is written whole with its line end, so a line
// without one is known as cut short.
#include "platform/common/recorder.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "platform/common/queue.h"
#include "platform/record.h"

namespace {

FILE* file = nullptr;
// Not a std::string: a program that links the common library for other files (the audio
// tests) would take this file in for a copy of a string function, and the queue with it.
char filePath[4096];
FrameShownHook frameShownHook = nullptr;
RecordingCopy copy = nullptr;
bool running = false;  // with a file, or a copy alone
bool failed = false;
uint32_t moment = 0;
bool momentWritten = true;
POINT lastCursor = {0, 0};  // where the replay's cursor starts
bool keyDown[256];

// The first failed write or close ends the recording, said once; the game plays on, and the
// program's exit code says at the end that the recording is incomplete.
void SayStopped(int error) {
    std::fprintf(stderr, "%s: recording stopped: %s: %s\n", PROGRAM_NAME, filePath,
                 std::strerror(error));
    failed = true;
}

void Fail(int error) {
    SayStopped(error);
    std::fclose(file);
    file = nullptr;
    running = copy != nullptr;
    if (!running) SetMessageTakenHook(nullptr);
}

__attribute__((format(printf, 1, 2))) void Write(const char* format, ...) {
    if (!running) return;
    // Every line is short but a screenshot's, which the copy never gets.
    char line[256];
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int size = std::vsnprintf(line, sizeof line, format, args);
    bool whole = size >= 0 && size < int(sizeof line);
    if (copy && whole) copy(line, size_t(size));
    int written = !file ? 0 : whole ? std::fputs(line, file) : std::vfprintf(file, format, again);
    va_end(again);
    va_end(args);
    if (written < 0) Fail(errno);
}

void WriteMoment() {
    if (momentWritten) return;
    Write("at %u\n", moment);
    momentWritten = true;
}

void WriteKey(const char* command, int vk) {
    // The backends send only codes from 1 to 255, the codes a recording can name.
    if (vk < 1 || vk > 255) return;
    char word[KEY_WORD_SIZE];
    KeyWord(vk, word);
    Write("%s %s\n", command, word);
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

}  // namespace

void BeginRecording(FILE* opened, const char* path, FrameShownHook frameShown) {
    file = opened;
    running = file || copy;
    std::snprintf(filePath, sizeof filePath, "%s", path);
    frameShownHook = frameShown;
    failed = false;
    momentWritten = true;
    lastCursor = {0, 0};
    std::memset(keyDown, 0, sizeof keyDown);
    Write("%s", RECORDING_FIRST_LINE);
    if (running) SetMessageTakenHook(MessageTaken);
}

void CopyRecording(RecordingCopy copyTo) {
    copy = copyTo;
}

void RecordMomentNow() {
    WriteMoment();
}

int StopRecording() {
    if (running) {
        SetMessageTakenHook(nullptr);
        FlushRecording();
        running = false;
    }
    if (file) {
        int closed = std::fclose(file);
        file = nullptr;
        if (closed != 0) SayStopped(errno);
    }
    return failed ? 1 : 0;
}

void FlushRecording() {
    if (file && std::fflush(file) != 0) Fail(errno);
}

// Only the file has screenshots: they are the tests' business, not the copy's.
void RecordScreenshot(const char* name) {
    if (!file) return;
    RecordingCopy kept = copy;
    copy = nullptr;
    Write("screenshot %s\n", name);
    copy = kept;
    FlushRecording();
}

void RecordSeed(uint32_t seed) {
    Write("seed %u\n", seed);
}

void RecordStart(uint32_t clock) {
    if (!running) return;
    Write("start %u\n", clock);
    moment = clock;
    momentWritten = false;
}

void RecordWake(uint32_t clock) {
    if (!running) return;
    moment = clock;
    momentWritten = false;
    // Now and then, so that a crash still leaves most of the play-through behind.
    static uint32_t lastFlush = clock;
    if (clock - lastFlush >= 1000) {
        FlushRecording();
        lastFlush = clock;
    }
}

void RecordCursor(POINT cursor) {
    if (!running || (cursor.x == lastCursor.x && cursor.y == lastCursor.y)) return;
    WriteMoment();
    Write("move %d %d\n", static_cast<int>(cursor.x), static_cast<int>(cursor.y));
    lastCursor = cursor;
}

void RecordKeyState(int vk, bool down) {
    if (!running || vk < 0 || vk > 255 || keyDown[vk] == down) return;
    WriteMoment();
    WriteKey(down ? "hold" : "release", vk);
    keyDown[vk] = down;
}

void RecordFrameShown() {
    if (!running) return;
    WriteMoment();
    if (frameShownHook) frameShownHook();
}
