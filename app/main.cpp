// The game on the real display.
#include "app/app.h"

int main() {
    return GameMain(1);
}
