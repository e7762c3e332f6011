// The game on the real display. "--record FILE" writes the play-through as a replay script.
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "platform/record.h"

int main(int argc, char** argv) {
    // Anything else on the command line is ignored, as it always was.
    if (argc >= 2 && std::strcmp(argv[1], "--record") == 0) {
        if (argc < 3) {
            std::fprintf(stderr, "usage: sidescroller [--record FILE]\n");
            return 2;
        }
        if (!StartRecording(argv[2])) return 1;
    }
    int code = GameMain(1);
    StopRecording();
    return code;
}
