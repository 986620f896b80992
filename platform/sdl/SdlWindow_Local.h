#pragma once
// Shared by the SDL window driver's files only.

#include <cstdint>
#include <functional>

struct SDL_Window;

namespace platform::sdl {

// Once SDL's video has started: a broken connection to the display ends the program at once through
// platform::NotifyDisplayLost instead of through the system library's exit(), whose teardown would
// talk to the dead connection. Nothing for a video driver that has no such connection to watch.
void WatchDisplayConnection();

// Whether a window manager looks after `window`'s screen. Without one, SDL's full-screen request is
// never answered and SDL waits for the answer a tenth of a second each time. True for a video
// driver other than X11, where SDL is left to decide.
bool WindowManagerRuns(SDL_Window* window);

// Writes `title` (UTF-8) as `window`'s name in the types every X client reads: WM_NAME and
// WM_ICON_NAME as STRING (COMPOUND_TEXT when a character lies beyond Latin-1), _NET_WM_NAME and
// _NET_WM_ICON_NAME as UTF8_STRING. SDL writes WM_NAME in a type named after the process's locale, which
// tools and older window managers do not read. Nothing for a video driver other than X11.
void WriteWindowTitle(SDL_Window* window, const char* title);

// Puts a picture of the window's size in pixels straight into the window through the X server, without
// OpenGL. `fill` writes `rows` rows of it from row `top` (counted from the window's top) into `out`, as
// 0x00RRGGBB words; the picture is sent in bands of a few rows, so no buffer of the whole picture is
// made. It stays until something draws over it. False, before anything is filled, for a video driver
// other than X11 and for a window whose visual does not take such pixels.
using PictureRows = std::function<void(int top, int rows, std::uint32_t* out)>;
bool PutPictureInWindow(SDL_Window* window, int width, int height, const PictureRows& fill);

}  // namespace platform::sdl
