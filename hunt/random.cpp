#include "hunt/random.h"

namespace {

constexpr int DEGREE = 31;
constexpr int SEPARATION = 3;

uint32_t state[DEGREE];
int front = SEPARATION;
int rear = 0;
bool seeded = false;

}  // namespace

void SeedGameRandom(uint32_t seed) {
    if (seed == 0) seed = 1;
    state[0] = seed;
    // state[i] = 16807 * state[i - 1] mod (2^31 - 1), Schrage's way to stay inside 32 bits;
    // the first word is taken as signed, as the library does.
    int32_t word = static_cast<int32_t>(seed);
    for (int i = 1; i < DEGREE; ++i) {
        const int32_t hi = word / 127773;
        const int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        state[i] = static_cast<uint32_t>(word);
    }
    front = SEPARATION;
    rear = 0;
    seeded = true;
    for (int i = 0; i < DEGREE * 10; ++i) GameRandom();
}

int32_t GameRandom() {
    // Unseeded, the library behaves as if seeded with 1.
    if (!seeded) SeedGameRandom(1);
    state[front] += state[rear];
    const uint32_t result = state[front] >> 1;
    front = (front + 1) % DEGREE;
    rear = (rear + 1) % DEGREE;
    return static_cast<int32_t>(result);
}
