#include "hunt/random.h"

namespace {

constexpr int kDegree = 31;
constexpr int kSeparation = 3;

uint32_t state[kDegree];
int front = kSeparation;
int rear = 0;
bool seeded = false;

}  // namespace

void SeedGameRandom(uint32_t seed) {
    if (seed == 0) seed = 1;
    state[0] = seed;
    // state[i] = 16807 * state[i - 1] mod (2^31 - 1), Schrage's way to stay inside 32 bits;
    // the first word is taken as signed, as the library does.
    int32_t word = static_cast<int32_t>(seed);
    for (int i = 1; i < kDegree; ++i) {
        const int32_t hi = word / 127773;
        const int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        state[i] = static_cast<uint32_t>(word);
    }
    front = kSeparation;
    rear = 0;
    seeded = true;
    for (int i = 0; i < kDegree * 10; ++i) GameRandom();
}

int32_t GameRandom() {
    // Unseeded, the library behaves as if seeded with 1.
    if (!seeded) SeedGameRandom(1);
    state[front] += state[rear];
    const uint32_t result = state[front] >> 1;
    front = (front + 1) % kDegree;
    rear = (rear + 1) % kDegree;
    return static_cast<int32_t>(result);
}
