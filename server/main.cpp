// sidescroller-server: see server.h.
#include "server/server.h"

int main(int argc, char** argv) {
    return board::ServerMain(argc, argv);
}
