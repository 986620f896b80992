#pragma once
// The SDL input driver: the system keyboard and mouse of the DirectInput-shaped layer follow the SDL
// keyboard, mouse and focus events that the window's message pump reads. Keys are taken by their physical
// position (scan code), as the DIK codes name them. SDL delivers keys and buttons only while one of the
// program's windows has the input focus, so input made in other programs is not seen; when the focus
// leaves, every key and button still down is let go. Main thread only.

namespace platform::sdl {

// Makes the SDL driver the active input driver and listens to the message pump's events.
void InstallInputDriver();

}  // namespace platform::sdl
