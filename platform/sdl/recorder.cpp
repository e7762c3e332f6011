// Recording on the real display: the file is opened with the checks of recording_file.cpp,
// and SIGUSR1 asks for a photo (platform/common/recorder.cpp writes the rest).
#include "platform/sdl/recorder.h"

#include <csignal>
#include <cstdio>

#include "platform/record.h"

namespace {

int photos = 0;
volatile std::sig_atomic_t photoAsked = 0;

extern "C" void AskForPhoto(int) {
    photoAsked = 1;
}

// SIGUSR1 asks for a photo of the next frame: the replay takes a screenshot at that frame,
// and the game stops itself (SIGSTOP) until SIGCONT, so that the real screen can be taken
// while it still shows the same frame.
void FrameShown() {
    if (!photoAsked) return;
    photoAsked = 0;
    char name[32];
    std::snprintf(name, sizeof name, "photo-%d.bmp", ++photos);
    RecordScreenshot(name);
#ifdef SIGSTOP
    std::raise(SIGSTOP);
#endif
}

}  // namespace

int StartRecording(const char* path) {
    FILE* file = OpenRecordingFile(path);
    if (!file) return 2;
    BeginRecording(file, path, FrameShown);
#ifdef SIGUSR1
    std::signal(SIGUSR1, AskForPhoto);
#endif
    return 0;
}
