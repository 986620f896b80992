#pragma once
// The X connection behind an SDL window, kept apart because Xlib's headers define macros (None, Bool,
// Status) that clash with the test framework's and the layer's names.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

namespace sdltest {

// The connection's socket, or -1 when the window is not on an X display.
int XConnectionSocket(SDL_Window* window);

// A text property of the window as the X server holds it: its type's name (empty when the property is
// absent) and its bytes.
struct XTextValue {
  std::string type;
  std::string bytes;
};
XTextValue ReadXProperty(SDL_Window* window, const char* property);

// What the window shows, as the X server holds it: 0x00RRGGBB words, rows from the top (empty when the
// window is not on an X display).
struct XPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
XPicture ReadXWindow(SDL_Window* window);

}  // namespace sdltest
