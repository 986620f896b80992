#pragma once
// The SDL/OpenGL display driver behind the DirectDraw/Direct3D-shaped objects: one OpenGL context
// (compatibility profile, fixed function) in the SDL window of the cooperative level's window handle.
// The device draws into an off-screen framebuffer of the back buffer's size; presenting copies it into
// the window, scaled with its aspect kept (full screen never switches the real display mode), and swaps.
// A frame's calls are kept until its present and sent only where they differ from the last frame's
// (the framebuffer keeps the rest of the last picture), so that a screen at rest costs little.
// Texture surfaces are uploaded when first bound after a change.
//
// Main thread only, except that surfaces may be released on any thread: their OpenGL textures are then
// deleted at the next draw or present.

#include <chrono>
#include <cstdint>

namespace platform::sdl {

// Makes the SDL/OpenGL driver the one new DirectDraw objects use (from InstallBackend); needs no display.
void InstallDisplayDriver();

// Whether presents without vsync are held to a few times the display's rate (the default). A benchmark
// that times a frame's own cost lets them run free; main thread only.
void SetUnsyncedPacing(bool paced);

// The clears the display has sent to OpenGL since the program started, each scissored part counted; for
// tests and benchmarks (a clear a frame does not need is not sent).
std::uint64_t ClearsSent();

// When a picture was first shown in a window (a present, or a plain surface shown as it is); the
// clock's start while none has been. For the start-up benchmark.
std::chrono::steady_clock::time_point FirstPictureShown();

// Whether a plain surface presented goes straight to an X11 window (the default) or through OpenGL, as
// with other video drivers; for tests. Main thread only.
void SetPlainSurfacesThroughX(bool on);

// Whether frames are drawn again only where they changed (the default); off, every frame is drawn whole,
// as its calls come. Main thread only.
void SetPartialRedraw(bool on);

// What the last present drew of the target: the rectangle around it, from the target's top-left corner
// (all zero when nothing changed), the rectangles it was drawn in and their pixels; for tests and
// benchmarks.
struct RedrawnArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int rectangles = 0;
  long pixels = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};
RedrawnArea LastRedrawn();

}  // namespace platform::sdl
