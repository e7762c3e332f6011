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
        if (int refused = StartRecording(argv[2])) return refused;
    }
    int code = GameMain(1);
    // A recording that could not be written whole fails a game that otherwise ended well.
    int recorded = StopRecording();
    return code != 0 ? code : recorded;
}
