// The SDL backend: its key and cursor tables, and the real game started on SDL's dummy
// video driver and closed the way the system closes it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include "platform/common/input.h"
#include "platform/sdl/keymap.h"
#include "tests/support/game_fixture.h"

using sdlinput::ActionForKey;
using sdlinput::KeyAction;
using sdlinput::VirtualKeyFor;

namespace {

// A key by place, with the keycode SDL gives keys that type no character.
int Vk(SDL_Scancode scancode, uint16_t mod = KMOD_NUM) {
    return VirtualKeyFor(SDL_SCANCODE_TO_KEYCODE(scancode), scancode, mod);
}

}  // namespace

TEST(SdlKeyMap, LettersAreCapitalsWhateverShiftOrLayout) {
    for (int i = 0; i < 26; ++i) {
        auto scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + i);
        SDL_Keycode key = SDLK_a + i;
        EXPECT_EQ(VirtualKeyFor(key, scancode, KMOD_NONE), 'A' + i);
        EXPECT_EQ(VirtualKeyFor(key, scancode, KMOD_LSHIFT), 'A' + i);
        EXPECT_EQ(VirtualKeyFor(key, scancode, KMOD_CAPS), 'A' + i);
    }
    // French layout: the key in the US "A" place types "q" and is 'Q'.
    EXPECT_EQ(VirtualKeyFor(SDLK_q, SDL_SCANCODE_A, KMOD_NONE), 'Q');
    // A Cyrillic letter keeps the letter of its place.
    EXPECT_EQ(VirtualKeyFor(0x444, SDL_SCANCODE_A, KMOD_NONE), 'A');
}

TEST(SdlKeyMap, DigitsGoByPlace) {
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Vk(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i)), '1' + i);
    }
    EXPECT_EQ(Vk(SDL_SCANCODE_0), '0');
    EXPECT_EQ(VirtualKeyFor(SDLK_AMPERSAND, SDL_SCANCODE_1, KMOD_NONE), '1');  // French row
}

TEST(SdlKeyMap, NamedKeysHaveTheSystemsCodes) {
    const struct {
        SDL_Scancode scancode;
        int vk;
    } expected[] = {
        {SDL_SCANCODE_BACKSPACE, 8},
        {SDL_SCANCODE_TAB, 9},
        {SDL_SCANCODE_RETURN, 13},
        {SDL_SCANCODE_LSHIFT, 16},
        {SDL_SCANCODE_RSHIFT, 16},
        {SDL_SCANCODE_LCTRL, 17},
        {SDL_SCANCODE_RCTRL, 17},
        {SDL_SCANCODE_LALT, 18},
        {SDL_SCANCODE_RALT, 18},
        {SDL_SCANCODE_PAUSE, 19},
        {SDL_SCANCODE_CAPSLOCK, 20},
        {SDL_SCANCODE_ESCAPE, 27},
        {SDL_SCANCODE_SPACE, 32},
        {SDL_SCANCODE_PAGEUP, 33},
        {SDL_SCANCODE_PAGEDOWN, 34},
        {SDL_SCANCODE_END, 35},
        {SDL_SCANCODE_HOME, 36},
        {SDL_SCANCODE_LEFT, 37},
        {SDL_SCANCODE_UP, 38},
        {SDL_SCANCODE_RIGHT, 39},
        {SDL_SCANCODE_DOWN, 40},
        {SDL_SCANCODE_INSERT, 45},
        {SDL_SCANCODE_DELETE, 46},
        {SDL_SCANCODE_NUMLOCKCLEAR, 144},
        {SDL_SCANCODE_SCROLLLOCK, 145},
        {SDL_SCANCODE_SEMICOLON, 186},
        {SDL_SCANCODE_EQUALS, 187},
        {SDL_SCANCODE_COMMA, 188},
        {SDL_SCANCODE_MINUS, 189},
        {SDL_SCANCODE_PERIOD, 190},
        {SDL_SCANCODE_SLASH, 191},
        {SDL_SCANCODE_GRAVE, 192},
        {SDL_SCANCODE_LEFTBRACKET, 219},
        {SDL_SCANCODE_BACKSLASH, 220},
        {SDL_SCANCODE_RIGHTBRACKET, 221},
        {SDL_SCANCODE_APOSTROPHE, 222},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(Vk(e.scancode), e.vk) << SDL_GetScancodeName(e.scancode);
    }
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(Vk(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i)), 112 + i);
    }
    // US keycodes of the punctuation keys give the same codes as their places.
    EXPECT_EQ(VirtualKeyFor(SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, KMOD_NONE), 186);
    EXPECT_EQ(VirtualKeyFor(SDLK_COMMA, SDL_SCANCODE_COMMA, KMOD_NONE), 188);
    EXPECT_EQ(VirtualKeyFor(SDLK_PERIOD, SDL_SCANCODE_PERIOD, KMOD_NONE), 190);
    // French layout: the comma is where the US "M" is, and keeps the comma's code.
    EXPECT_EQ(VirtualKeyFor(SDLK_COMMA, SDL_SCANCODE_M, KMOD_NONE), 188);
}

// Volume, media and browser keys have fixed codes; a key with none is still a key press.
TEST(SdlKeyMap, EveryKeyReachesTheWindow) {
    EXPECT_EQ(Vk(SDL_SCANCODE_MUTE), 0xAD);
    EXPECT_EQ(Vk(SDL_SCANCODE_VOLUMEUP), 0xAF);
    EXPECT_EQ(Vk(SDL_SCANCODE_AUDIOPLAY), 0xB3);
    EXPECT_EQ(Vk(SDL_SCANCODE_AC_BACK), 0xA6);
    EXPECT_EQ(Vk(SDL_SCANCODE_CLEAR), 12);
    EXPECT_EQ(Vk(SDL_SCANCODE_SYSREQ), 0xFF);
    EXPECT_EQ(VirtualKeyFor(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, KMOD_NONE), 0xFF);
    for (int s = 1; s < SDL_NUM_SCANCODES; ++s) {
        const int vk = Vk(static_cast<SDL_Scancode>(s), KMOD_NONE);
        ASSERT_TRUE(vk > 0 && vk < 256) << "scancode " << s;
        if (vk == 44 || vk == VK_F1 + 9) continue;  // Print Screen and F10 stay with the system
        EXPECT_EQ(ActionForKey(vk, KMOD_NONE, false), KeyAction::KeyDown) << "scancode " << s;
    }
}

TEST(SdlKeyMap, KeypadFollowsNumLock) {
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Vk(static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + i)), 97 + i);
    }
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_0), 96);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_MULTIPLY), 106);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_PLUS), 107);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_COMMA), 108);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_MINUS), 109);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_PERIOD), 110);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_DIVIDE), 111);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_ENTER), 13);
    // Without Num Lock the digits are the cursor block and the operators stay.
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_4, KMOD_NONE), VK_LEFT);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_6, KMOD_NONE), VK_RIGHT);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_8, KMOD_NONE), VK_UP);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_0, KMOD_NONE), VK_INSERT);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_5, KMOD_NONE), 12);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_PERIOD, KMOD_NONE), VK_DELETE);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_PLUS, KMOD_NONE), 107);
    EXPECT_EQ(Vk(SDL_SCANCODE_KP_ENTER, KMOD_NONE), 13);
}

TEST(SdlKeyMap, AltKeysStayWithTheSystem) {
    EXPECT_EQ(ActionForKey('A', KMOD_NONE, false), KeyAction::KeyDown);
    EXPECT_EQ(ActionForKey('A', KMOD_LSHIFT, true), KeyAction::KeyDown);  // auto-repeat
    EXPECT_EQ(ActionForKey('A', KMOD_LALT, false), KeyAction::None);
    EXPECT_EQ(ActionForKey(VK_MENU, KMOD_LALT, false), KeyAction::None);              // Alt itself
    EXPECT_EQ(ActionForKey(VK_F1 + 9, KMOD_NONE, false), KeyAction::None);            // F10
    EXPECT_EQ(ActionForKey('A', KMOD_RALT | KMOD_LCTRL, false), KeyAction::KeyDown);  // AltGr
    EXPECT_EQ(ActionForKey(VK_RETURN, KMOD_NONE, false), KeyAction::KeyDown);
    EXPECT_EQ(ActionForKey(VK_RETURN, KMOD_LALT, false), KeyAction::ToggleFullScreen);
    EXPECT_EQ(ActionForKey(VK_RETURN, KMOD_RALT, true), KeyAction::None);  // once per press
    EXPECT_EQ(ActionForKey(VK_F1 + 3, KMOD_LALT, false), KeyAction::Close);
    EXPECT_EQ(ActionForKey(VK_F1 + 3, KMOD_NONE, false), KeyAction::KeyDown);
    EXPECT_EQ(ActionForKey(0, KMOD_NONE, false), KeyAction::None);
    EXPECT_EQ(ActionForKey(Vk(SDL_SCANCODE_PRINTSCREEN), KMOD_NONE, false), KeyAction::None);
}

// Every backend's positions, mapped to the picture, are held inside it by the one table.
TEST(SdlKeyMap, CursorIsClampedToTheScreen) {
    auto at = [](int32_t x, int32_t y) {
        InputSetCursor(POINT{x, y});
        POINT p = InputCursor();
        return std::make_pair(p.x, p.y);
    };
    EXPECT_EQ(at(0, 0), std::make_pair(0, 0));
    EXPECT_EQ(at(639, 479), std::make_pair(639, 479));
    EXPECT_EQ(at(320, 241), std::make_pair(320, 241));
    EXPECT_EQ(at(-40, 500), std::make_pair(0, 479));  // letterbox bars
    EXPECT_EQ(at(640, -1), std::make_pair(639, 0));
}

namespace {

std::string GameBinary() {
    return GAME_BINARY;
}

// User and system time a running process has used so far, from /proc.
double CpuSecondsOf(pid_t pid) {
    std::string stat = ReadTextFile("/proc/" + std::to_string(pid) + "/stat");
    size_t name_end = stat.rfind(')');
    if (name_end == std::string::npos) return -1;
    std::istringstream fields(stat.substr(name_end + 2));
    std::string skipped;
    for (int i = 0; i < 11; ++i) fields >> skipped;  // state .. cmajflt
    long user = 0, system = 0;
    if (!(fields >> user >> system)) return -1;
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

// The whole start-up runs on SDL's dummy display; SIGTERM reaches SDL as a quit, which
// closes the window, and the game ends with 0. Waiting for frames must not spin a core:
// the time is taken once the game runs, as the start-up's decoding and synthesis can take
// most of a second on a busy machine.
using SdlBackendSmoke = RunFolderTest;

TEST_F(SdlBackendSmoke, StartsOnDummyDisplayAndClosesCleanly) {
    std::string binary = GameBinary();
    ASSERT_EQ(access(binary.c_str(), X_OK), 0) << binary;
    std::string errors = "sdl_smoke_stderr.txt";
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!freopen(errors.c_str(), "w", stderr)) _exit(126);
        execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0)
        << "ended during start-up: " << ReadTextFile(errors);
    auto running = std::chrono::steady_clock::now();
    double cpu_at_start = CpuSecondsOf(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    double cpu = CpuSecondsOf(pid) - cpu_at_start;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - running).count();
    ASSERT_GE(cpu_at_start, 0);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    pid_t ended = 0;
    for (int i = 0; i < 100 && ended == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ended = waitpid(pid, &status, WNOHANG);
    }
    if (ended == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "did not end after SIGTERM";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << ReadTextFile(errors);
    EXPECT_LT(cpu, wall * 0.5) << "cpu " << cpu << " s in " << wall << " s";
}

// With no display to reach, SDL would fall back to a driver that shows nothing and the game
// would play unseen; it must say so and end with 1 instead.
TEST_F(SdlBackendSmoke, NoDisplayIsNamedAndEndsWithOne) {
    std::string command =
        "env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY=:98765 "
        "SDL_AUDIODRIVER=dummy timeout 30 " +
        GameBinary() + " 2> no_display.txt";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(ReadTextFile("no_display.txt").find("no display to show the game on"),
              std::string::npos)
        << ReadTextFile("no_display.txt");
}
