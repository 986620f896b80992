// The program's own cursor and icon pictures.
#include "platform/win32/WinResources.h"

#include <iterator>

namespace platform {

namespace {

// Rendered from content/art/cursor.svg, cursor_tip.svg and cursor_magnet.svg when the program is built.
constexpr int kCursorSide = 64;
const std::uint32_t kPointer[] = {
#include "platform/resources/cursor_pointer.inc"
};
const std::uint32_t kTip[] = {
#include "platform/resources/cursor_tip.inc"
};
const std::uint32_t kMagnet[] = {
#include "platform/resources/cursor_magnet.inc"
};
static_assert(std::size(kPointer) == static_cast<std::size_t>(kCursorSide * kCursorSide) &&
              std::size(kTip) == std::size(kPointer) && std::size(kMagnet) == std::size(kPointer));

const char* const kPiece[] = {
    "................", "......XXXX......", ".....XyyyyX.....", ".....XyyyyX.....",
    ".XXXXXXyyXXXXXX.", ".XyyyyyyyyyyyyX.", ".XyyyyyyyyyyyyXX", ".XyyyyyyyyyyyyyX",
    ".XyyyyyyyyyyyyyX", ".XyyyyyyyyyyyyXX", ".XyyyyyyyyyyyyX.", ".XyyyyyyyyyyyyX.",
    ".XyyyyyyyyyyyyX.", ".XyyyyyyyyyyyyX.", ".XXXXXXXXXXXXXX.", "................",
};

const ResourceImage kCursors[] = {
    {kCursorSide, kCursorSide, 0, 0, nullptr, kPointer},
    {kCursorSide, kCursorSide, 10, 10, nullptr, kTip},
    {kCursorSide, kCursorSide, 10, 10, nullptr, kMagnet},
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
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  if (image.pixels != nullptr) {
    return std::vector<std::uint32_t>(image.pixels, image.pixels + count);
  }
  std::vector<std::uint32_t> pixels;
  pixels.reserve(count);
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
