#pragma once
// The SDL window driver: every top-level window of the window layer is an SDL window made with
// SDL_WINDOW_OPENGL (the display code draws into it with OpenGL); a child window shares the SDL window of
// its top-level ancestor. The message pump (PeekMessageA) reads SDL's events, hands each one to the
// registered listeners first (the input layer), then turns it into window messages: window close and
// SDL_QUIT -> WM_CLOSE, key down -> WM_KEYDOWN / WM_SYSKEYDOWN (Alt held, or F10), key up -> WM_KEYUP /
// WM_SYSKEYUP, text input -> WM_CHAR per UTF-16 unit, minimise / restore -> WM_SYSCOMMAND, focus ->
// WM_SETFOCUS / WM_KILLFOCUS. SDL's video part starts on the first window; without a display the window
// cannot be made (CreateWindowExA fails) and message boxes go to standard error.
//
// Main thread only.

#include "platform/win32/WinTypes.h"

struct SDL_Window;
union SDL_Event;

namespace platform::sdl {

// Installs the SDL window driver (from InstallBackend); needs no display.
void InstallWindowDriver();

// The SDL window behind a window handle (a child's top-level one); null for an unknown handle or when
// the SDL driver is not installed.
SDL_Window* WindowFromHandle(HWND window);

// Listeners see every SDL event the pump reads, in registration order, before it becomes a message.
// Adding a listener twice has no effect.
using EventListener = void (*)(const SDL_Event&);
void AddEventListener(EventListener listener);
void RemoveEventListener(EventListener listener);

// The Windows virtual-key code of an SDL scancode (0 when the key has none), and back.
int VirtualKeyFromScancode(int scancode);
int ScancodeFromVirtualKey(int virtualKey);

}  // namespace platform::sdl
