// Nothing is allocated per frame: the allocation functions of this test binary count their
// calls, and a thousand frames of every state must not add to the count.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "app/app.h"
#include "hunt/hunt.h"
#include "screens/screens.h"
#include "tests/support/game_fixture.h"

namespace {
std::atomic<uint64_t> allocations{0};
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using AllocationTest = GameTest;

TEST_F(AllocationTest, AThousandFramesOfEveryStateAllocateNothing) {
    const int8_t states[] = {Logo,       NameEntry,         MainMenu,        Playing,
                             HighScores, CreditsDevelopers, CreditsGreetings};
    for (int8_t state : states) {
        GameState = state;
        if (state == Playing) ResetGame();
        if (state == NameEntry) {
            std::snprintf(nameEntry.name, sizeof nameEntry.name, "%s", "ABCDEFGH");
            nameEntry.length = 8;
        }
        Frame();  // the first frame of a state may set things up
        uint64_t before = allocations.load();
        for (int i = 0; i < 1000; ++i) {
            GameState = state;  // a game frame may leave for the menu when Escape is held
            if (state == Playing && i % 100 == 0) {
                cursorPos = {300, 200};
                FireShot();
                if (shotsLeft == 0) shotsLeft = 8;
            }
            Frame();
        }
        EXPECT_EQ(allocations.load() - before, 0u) << "state " << int{state};
    }
}

TEST_F(AllocationTest, CountingWorks) {
    uint64_t before = allocations.load();
    void* p = ::operator new(16);  // a direct call, which the compiler may not leave out
    ::operator delete(p);
    EXPECT_EQ(allocations.load() - before, 1u);
}

}  // namespace
