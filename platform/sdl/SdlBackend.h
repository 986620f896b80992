#pragma once
// The real back end over SDL2 and OpenGL. A program (the game, the display tests, the benchmarks) calls
// InstallBackend() once at start-up, before any platform call; until then, and in every program that
// never calls it, the headless back end answers. Installing needs no display: SDL itself starts on the
// first call that needs it (a window, an audio device).

namespace platform::sdl {

void InstallBackend();

}  // namespace platform::sdl
