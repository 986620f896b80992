#pragma once
// The X connection behind an SDL window, kept apart because Xlib's headers define macros (None, Bool,
// Status) that clash with the test framework's and the layer's names.

struct SDL_Window;

namespace sdltest {

// The connection's socket, or -1 when the window is not on an X display.
int XConnectionSocket(SDL_Window* window);

}  // namespace sdltest
