#pragma once
// The real back end over SDL2 and OpenGL. A program (the game, the display tests, the benchmarks) calls
// InstallBackend() once at start-up, before any platform call; until then, and in every program that
// never calls it, the headless back end answers. Installing needs no display: SDL itself starts on the
// first call that needs it (a window, an audio device).

#include <string>

namespace platform::sdl {

void InstallBackend();

// Starts SDL's video now: true when there is a display to open windows on. Otherwise `reason` says why
// (no DISPLAY, one that names no running server, SDL's own account) and nothing is left started. SDL's
// drivers that show nothing (offscreen, dummy) count as no display unless SDL_VIDEODRIVER names them.
// A program that cannot run without a window asks this before anything else.
bool OpenDisplay(std::string& reason);

}  // namespace platform::sdl
