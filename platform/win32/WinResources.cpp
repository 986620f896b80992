// The program's own cursor and icon pictures.
#include "platform/win32/WinResources.h"

namespace platform {

namespace {

const char* const kPointer[] = {
    "X...............", "XX..............", "XoX.............", "XooX............",
    "XoooX...........", "XooooX..........", "XoooooX.........", "XooooooX........",
    "XoooooooX.......", "XooooooooX......", "XoooooXXXXX.....", "XooXooX.........",
    "XoX.XooX........", "XX..XooX........", "X....XooX.......", ".....XXXX.......",
};

const char* const kOpenHand[] = {
    "......XX........", "...XXXooXXX.....", "..XooXooXooX....", "..XooXooXooX.XX.",
    "...XooXooXooXooX", "...XooXooXooXooX", ".XXXooooooooXooX", "XooXoooooooooooX",
    "XoooooooooooooX.", ".XoooooooooooooX", "..XoooooooooooX.", "..XooooooooooX..",
    "...XoooooooooX..", "....XooooooooX..", "....XooooooooX..", "....XXXXXXXXXX..",
};

const char* const kClosedHand[] = {
    "................", "................", "................", "................",
    "....XXXXXXXX....", "...XooXooXooXX..", "..XXooooooooXoX.", ".XooXoooooooooX.",
    ".XoooooooooooX..", "..XooooooooooX..", "..XoooooooooooX.", "...XoooooooooX..",
    "....XooooooooX..", "....XooooooooX..", "....XXXXXXXXXX..", "................",
};

const char* const kPiece[] = {
    "................", "......XXXX......", ".....XyyyyX.....", ".....XyyyyX.....",
    ".XXXXXXyyXXXXXX.", ".XyyyyyyyyyyyyX.", ".XyyyyyyyyyyyyXX", ".XyyyyyyyyyyyyyX",
    ".XyyyyyyyyyyyyyX", ".XyyyyyyyyyyyyXX", ".XyyyyyyyyyyyyX.", ".XyyyyyyyyyyyyX.",
    ".XyyyyyyyyyyyyX.", ".XyyyyyyyyyyyyX.", ".XXXXXXXXXXXXXX.", "................",
};

const ResourceImage kCursors[] = {
    {16, 16, 0, 0, kPointer},
    {16, 16, 8, 8, kOpenHand},
    {16, 16, 8, 8, kClosedHand},
};
const ResourceImage kIcon = {16, 16, 0, 0, kPiece};

}  // namespace

const ResourceImage* FindCursorImage(int id) {
  switch (id) {
    case 1000:
      return &kCursors[0];
    case 107:
      return &kCursors[1];
    case 106:
      return &kCursors[2];
    default:
      return nullptr;
  }
}

const ResourceImage* FindIconImage(int id) {
  return id == 101 ? &kIcon : nullptr;
}

std::vector<std::uint32_t> ResourcePixels(const ResourceImage& image) {
  std::vector<std::uint32_t> pixels;
  pixels.reserve(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      switch (image.rows[y][x]) {
        case 'X':
          pixels.push_back(0xFF000000u);
          break;
        case 'o':
          pixels.push_back(0xFFFFFFFFu);
          break;
        case 'r':
          pixels.push_back(0xFFD03020u);
          break;
        case 'y':
          pixels.push_back(0xFFF0C030u);
          break;
        case 'b':
          pixels.push_back(0xFF3060D0u);
          break;
        case 'g':
          pixels.push_back(0xFF30A040u);
          break;
        default:
          pixels.push_back(0x00000000u);
          break;
      }
    }
  }
  return pixels;
}

}  // namespace platform
