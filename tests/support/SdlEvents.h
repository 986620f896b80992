#pragma once
// Input for a program running on the real SDL back end, pushed onto SDL's event queue as the system
// would deliver it to the platform layer's window: mouse buttons, typed characters and window events,
// all addressed to the program's one window. Main thread only; SDL's video must be running.

#include <SDL.h>

namespace testsupport::sdl {

// The id of the program's window (the first that exists), 0 when there is none.
inline Uint32 WindowId() {
  for (Uint32 id = 1; id < 16; ++id) {
    if (SDL_GetWindowFromID(id) != nullptr)
      return id;
  }
  return 0;
}

inline void PushButton(bool down, Uint8 button = SDL_BUTTON_LEFT) {
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.windowID = WindowId();
  event.button.button = button;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = 1;
  SDL_PushEvent(&event);
}

// One typed character.
inline void PushText(char c) {
  SDL_Event event{};
  event.type = SDL_TEXTINPUT;
  event.text.windowID = WindowId();
  event.text.text[0] = c;
  SDL_PushEvent(&event);
}

inline void PushWindowEvent(Uint8 what) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = WindowId();
  event.window.event = what;
  SDL_PushEvent(&event);
}

}  // namespace testsupport::sdl
