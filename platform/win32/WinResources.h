#pragma once
// The program's own cursor and icon images, by resource id: the window layer's stand-in for the
// resources a Windows program carries. The cursors are pictures rendered from the interface art when the
// program is built (content/art/cursor*.svg); the icon is a small palette picture drawn in text. A
// driver turns either into pixels with ResourcePixels.

#include <cstdint>
#include <vector>

namespace platform {

struct ResourceImage {
  int width;
  int height;
  int hotX;  // the cursor's hot spot
  int hotY;
  const char* const* rows;  // height rows of width characters, see ResourcePixels for the palette
  const std::uint32_t* pixels = nullptr;  // or width x height pixels, 0xAARRGGBB from the top row
};

// Cursors 1000 (the game's pointer, hot spot (0, 0)), 107 (the pointer while a tip waits) and 106 (the
// pointer while a magnet pulls), both with their hot spot at (10, 10); each 64 x 64. Null otherwise.
const ResourceImage* FindCursorImage(int id);
// Icon 101 (the game's puzzle piece); null otherwise.
const ResourceImage* FindIconImage(int id);

// Pixels as 0xAARRGGBB, row by row from the top: the image's own pixels, or its rows in the palette:
// '.' is transparent, 'X' black, 'o' white, 'r' red,
// 'y' yellow, 'b' blue, 'g' green; anything else is transparent.
std::vector<std::uint32_t> ResourcePixels(const ResourceImage& image);

}  // namespace platform
