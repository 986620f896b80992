// Where a back buffer lands in a window larger than it: scaled to fit with its aspect kept and centred,
// the rest black. Full screen covers the desktop without changing the display's mode, so the program
// sees the screen as its back buffer's size; the cursor is mapped through the same area both ways.
#pragma once

#include <algorithm>
#include <cstdint>

namespace platform::sdl {

struct PresentedArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

inline PresentedArea FitArea(int sourceWidth, int sourceHeight, int windowWidth, int windowHeight) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) {
    return {0, 0, windowWidth, windowHeight};
  }
  const double scale = std::min(static_cast<double>(windowWidth) / sourceWidth,
                                static_cast<double>(windowHeight) / sourceHeight);
  const int w = static_cast<int>(sourceWidth * scale);
  const int h = static_cast<int>(sourceHeight * scale);
  return {(windowWidth - w) / 2, (windowHeight - h) / 2, w, h};
}

// A point in window pixels to back-buffer pixels, and back, through pixel centres so that a round trip
// lands on the same pixel; points in the bars clamp to the picture's edge.
inline void WindowToSource(const PresentedArea& area, int sourceWidth, int sourceHeight, int& x, int& y) {
  if (area.width <= 0 || area.height <= 0) {
    return;
  }
  const long sx = (2L * (x - area.x) + 1) * sourceWidth / (2L * area.width);
  const long sy = (2L * (y - area.y) + 1) * sourceHeight / (2L * area.height);
  x = static_cast<int>(std::clamp<long>(sx, 0, sourceWidth - 1));
  y = static_cast<int>(std::clamp<long>(sy, 0, sourceHeight - 1));
}

inline void SourceToWindow(const PresentedArea& area, int sourceWidth, int sourceHeight, int& x, int& y) {
  if (sourceWidth <= 0 || sourceHeight <= 0) {
    return;
  }
  x = area.x + static_cast<int>((2L * x + 1) * area.width / (2L * sourceWidth));
  y = area.y + static_cast<int>((2L * y + 1) * area.height / (2L * sourceHeight));
}

// Set on an SDL window (SDL_SetWindowData, any non-null value) while the display has placed it over the
// whole desktop itself because no window manager would answer a full-screen request: the window layer
// then leaves its size and place alone, as SDL does for a window it knows to be full screen.
inline constexpr const char* kCoversDesktopKey = "corvantis.covers_desktop";

// The size of the back buffer a full-screen window presents, kept on the SDL window by the display
// (SDL_SetWindowData under kPresentedSizeKey) so that the window layer can map the cursor. Held in the
// pointer's value itself, so nothing outlives either side. Null while the window shows its buffer 1:1.
struct PresentedSize {
  int width = 0;
  int height = 0;
};
inline constexpr const char* kPresentedSizeKey = "corvantis.presented_size";

inline void* EncodePresentedSize(int width, int height) {
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) {
    return nullptr;
  }
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(width) << 16 |
                                 static_cast<std::uintptr_t>(height));
}

inline PresentedSize DecodePresentedSize(const void* data) {
  const auto value = reinterpret_cast<std::uintptr_t>(data);
  return {static_cast<int>((value >> 16) & 0xFFFF), static_cast<int>(value & 0xFFFF)};
}

}  // namespace platform::sdl
