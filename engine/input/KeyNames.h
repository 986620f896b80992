#pragma once
// The fixed names by which every key and mouse button is addressed, in their fixed order: mouse buttons,
// lock keys, digits, letters, named keys, the numeric pad, function keys and punctuation. Names are
// compared exactly (upper-case letters). Two names are not what they look like: the one-character name
// "\\" is the backslash key, and the empty name stands for the right square bracket key.

#include <array>
#include <cstddef>
#include <string_view>

namespace CorvantisEngine {

inline constexpr std::size_t kKeyNameCount = 108;
inline constexpr std::size_t kMouseButtonCount = 8;

// clang-format off
inline constexpr std::array<std::string_view, kKeyNameCount> KeyNames = {
    "MOUSE1", "MOUSE2", "MOUSE3", "MOUSE4", "MOUSE5", "MOUSE6", "MOUSE7", "MOUSE8",
    "CAPS_LOCK", "NUM_LOCK", "SCROLL_LOCK",
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "BACKSPACE", "TAB", "SPACE", "ENTER", "ESCAPE", "RSHIFT", "LSHIFT", "RCTRL", "LCTRL", "RALT", "LALT",
    "PAGEUP", "PAGEDOWN", "END", "HOME", "PRINTSCRN", "INSERT", "DELETE", "PAUSE",
    "LEFTARROW", "UPARROW", "RIGHTARROW", "DOWNARROW",
    "NUMPAD_0", "NUMPAD_1", "NUMPAD_2", "NUMPAD_3", "NUMPAD_4", "NUMPAD_5", "NUMPAD_6", "NUMPAD_7",
    "NUMPAD_8", "NUMPAD_9", "NUMPAD_MULTIPLY", "NUMPAD_PLUS", "NUMPAD_MINUS", "NUMPAD_DELETE", "NUMPAD_DIVIDE",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "~", ";", "=", ",", "-", ".", "/", "[", "\\", "", "'",
};
// clang-format on

}  // namespace CorvantisEngine
