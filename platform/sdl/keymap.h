// How SDL's keyboard and mouse become the original platform's input: virtual-key codes,
// the keys that stay with the system, and the cursor in screen pixels. Pure functions, so
// that they can be checked without a display.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/window.h"

namespace sdlinput {

struct KeyCode {
    SDL_Scancode scancode;
    int virtualKey;
};

// Keys that keep their place whatever the layout, by position on a US keyboard.
inline constexpr KeyCode POSITION_KEYS[] = {
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_SELECT, 41},
    {SDL_SCANCODE_EXECUTE, 43},
    {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_HELP, 47},
    {SDL_SCANCODE_0, '0'},
    {SDL_SCANCODE_1, '1'},
    {SDL_SCANCODE_2, '2'},
    {SDL_SCANCODE_3, '3'},
    {SDL_SCANCODE_4, '4'},
    {SDL_SCANCODE_5, '5'},
    {SDL_SCANCODE_6, '6'},
    {SDL_SCANCODE_7, '7'},
    {SDL_SCANCODE_8, '8'},
    {SDL_SCANCODE_9, '9'},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_RGUI, 92},
    {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL},
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
    {SDL_SCANCODE_NONUSBACKSLASH, 226},
    // Keys beyond the typing block, with the codes the system gives them.
    {SDL_SCANCODE_CANCEL, 3},
    {SDL_SCANCODE_CLEAR, 12},
    {SDL_SCANCODE_KP_CLEAR, 12},
    {SDL_SCANCODE_PRIOR, VK_PRIOR},
    {SDL_SCANCODE_SEPARATOR, VK_SEPARATOR},
    {SDL_SCANCODE_SLEEP, 0x5F},
    {SDL_SCANCODE_AC_BACK, 0xA6},
    {SDL_SCANCODE_AC_FORWARD, 0xA7},
    {SDL_SCANCODE_AC_REFRESH, 0xA8},
    {SDL_SCANCODE_AC_STOP, 0xA9},
    {SDL_SCANCODE_AC_SEARCH, 0xAA},
    {SDL_SCANCODE_AC_BOOKMARKS, 0xAB},
    {SDL_SCANCODE_AC_HOME, 0xAC},
    {SDL_SCANCODE_MUTE, 0xAD},
    {SDL_SCANCODE_AUDIOMUTE, 0xAD},
    {SDL_SCANCODE_VOLUMEDOWN, 0xAE},
    {SDL_SCANCODE_VOLUMEUP, 0xAF},
    {SDL_SCANCODE_AUDIONEXT, 0xB0},
    {SDL_SCANCODE_AUDIOPREV, 0xB1},
    {SDL_SCANCODE_AUDIOSTOP, 0xB2},
    {SDL_SCANCODE_AUDIOPLAY, 0xB3},
    {SDL_SCANCODE_MAIL, 0xB4},
    {SDL_SCANCODE_MEDIASELECT, 0xB5},
    {SDL_SCANCODE_COMPUTER, 0xB6},
    {SDL_SCANCODE_CALCULATOR, 0xB7},
    {SDL_SCANCODE_CRSEL, 0xF7},
    {SDL_SCANCODE_EXSEL, 0xF8},
    {SDL_SCANCODE_CLEARAGAIN, 0xFE},
};

// The code the system gives a key it has no code of its own for (SysRq, brightness, the
// keypad's hexadecimal keys...): still a key press, so it leaves the logo and is typed.
inline constexpr int SOME_KEY = 0xFF;

// The keypad as it types with Num Lock on, and as the cursor block it becomes with it off.
inline constexpr KeyCode KEYPAD_KEYS[] = {
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},  {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT}, {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},   {SDL_SCANCODE_KP_COMMA, VK_SEPARATOR},
};
inline constexpr int KEYPAD_DIGITS_NUM_LOCK[] = {97, 98, 99, 100, 101, 102, 103, 104, 105, 96};
inline constexpr int KEYPAD_DIGITS_CURSOR[] = {VK_END,   VK_DOWN, VK_NEXT, VK_LEFT,  12,
                                               VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR, VK_INSERT};

inline constexpr int F4 = VK_F1 + 3;
inline constexpr int F10 = VK_F1 + 9;
inline constexpr int PRINT_SCREEN = 44;

inline int KeypadVirtualKey(SDL_Scancode scancode, uint16_t mod) {
    bool numLock = (mod & KMOD_NUM) != 0;
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) {
        int index = scancode - SDL_SCANCODE_KP_1;
        return numLock ? KEYPAD_DIGITS_NUM_LOCK[index] : KEYPAD_DIGITS_CURSOR[index];
    }
    if (scancode == SDL_SCANCODE_KP_PERIOD || scancode == SDL_SCANCODE_KP_DECIMAL) {
        return numLock ? VK_DECIMAL : VK_DELETE;
    }
    for (const KeyCode& k : KEYPAD_KEYS) {
        if (k.scancode == scancode) return k.virtualKey;
    }
    return 0;
}

// The virtual-key code the original platform gives the key, SOME_KEY for any other key.
// Letters follow the layout (the key that types "a" is 'A', with or without Shift); digits
// and the other keys go by position, as the system's own tables mostly do.
inline int VirtualKeyFor(SDL_Keycode key, SDL_Scancode scancode, uint16_t mod) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (scancode >= SDL_SCANCODE_KP_DIVIDE && scancode <= SDL_SCANCODE_KP_PERIOD) {
        return KeypadVirtualKey(scancode, mod);
    }
    if (scancode == SDL_SCANCODE_KP_COMMA || scancode == SDL_SCANCODE_KP_DECIMAL) {
        return KeypadVirtualKey(scancode, mod);
    }
    // The comma, minus and period keys keep their codes on every layout.
    if (key == SDLK_COMMA) return 188;
    if (key == SDLK_MINUS) return 189;
    if (key == SDLK_PERIOD) return 190;
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
        return VK_F1 + (scancode - SDL_SCANCODE_F1);
    }
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) {
        return VK_F1 + 12 + (scancode - SDL_SCANCODE_F13);
    }
    for (const KeyCode& k : POSITION_KEYS) {
        if (k.scancode == scancode) return k.virtualKey;
    }
    // A layout without Latin letters still gets the letter of the key's position.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return 'A' + (scancode - SDL_SCANCODE_A);
    }
    return SOME_KEY;
}

// Alt without Control, and F10 on its own, make system keys: the system keeps them and
// the window never sees them as key-down messages. Control with Alt (AltGr) types.
inline bool IsSystemKey(int virtualKey, uint16_t mod) {
    if (virtualKey == F10) return true;
    return (mod & KMOD_ALT) != 0 && (mod & KMOD_CTRL) == 0;
}

enum class KeyAction { None, KeyDown, ToggleFullScreen, Close };

// What a key going down (or repeating) does.
inline KeyAction ActionForKey(int virtualKey, uint16_t mod, bool repeat) {
    // Print Screen is taken by the system on its way down; the window sees only its release.
    if (virtualKey == 0 || virtualKey == PRINT_SCREEN) return KeyAction::None;
    if (!IsSystemKey(virtualKey, mod)) return KeyAction::KeyDown;
    if (repeat || (mod & KMOD_ALT) == 0) return KeyAction::None;
    if (virtualKey == VK_RETURN) return KeyAction::ToggleFullScreen;
    if (virtualKey == F4) return KeyAction::Close;
    return KeyAction::None;
}

}  // namespace sdlinput
