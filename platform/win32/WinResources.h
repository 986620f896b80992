#pragma once
// The program's own cursor and icon images, by resource id: the window layer's stand-in for the
// resources a Windows program carries. Each image is a small palette picture drawn in text; a driver
// turns it into pixels with ResourcePixels.

#include <cstdint>
#include <vector>

namespace platform {

struct ResourceImage {
  int width;
  int height;
  int hotX;  // the cursor's hot spot
  int hotY;
  const char* const* rows;  // height rows of width characters, see ResourcePixels for the palette
};

// Cursors 1000 (the game's pointer), 107 (an open hand) and 106 (a closed, grabbing hand); null otherwise.
const ResourceImage* FindCursorImage(int id);
// Icon 101 (the game's puzzle piece); null otherwise.
const ResourceImage* FindIconImage(int id);

// Pixels as 0xAARRGGBB, row by row from the top. '.' is transparent, 'X' black, 'o' white, 'r' red,
// 'y' yellow, 'b' blue, 'g' green; anything else is transparent.
std::vector<std::uint32_t> ResourcePixels(const ResourceImage& image);

}  // namespace platform
