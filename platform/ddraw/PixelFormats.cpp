// Pixel formats the layer offers and the conversions drivers use to read surface memory.
#include <bit>
#include <cstring>

#include "platform/ddraw/DDraw_Local.h"

namespace platform::ddraw {

namespace {

DDPIXELFORMAT MakeRGB(DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(DDPIXELFORMAT);
  f.dwFlags = DDPF_RGB | (a != 0 ? DDPF_ALPHAPIXELS : 0);
  f.dwRGBBitCount = bits;
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  f.dwRGBAlphaBitMask = a;
  return f;
}

// Scales a channel value of `bits` bits to 8 bits, so that the largest value becomes 255.
std::uint8_t Expand(DWORD value, int bits) {
  if (bits <= 0) {
    return 0;
  }
  if (bits >= 8) {
    return static_cast<std::uint8_t>(value >> (bits - 8));
  }
  const DWORD maximum = (1u << bits) - 1u;
  return static_cast<std::uint8_t>((value * 255u + maximum / 2u) / maximum);
}

}  // namespace

ChannelMask MakeChannelMask(DWORD mask) {
  ChannelMask c;
  c.mask = mask;
  if (mask != 0) {
    c.shift = std::countr_zero(mask);
    c.bits = std::popcount(mask);
  }
  return c;
}

DDPIXELFORMAT FormatARGB8888() {
  return MakeRGB(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
}
DDPIXELFORMAT FormatXRGB8888() {
  return MakeRGB(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
}
DDPIXELFORMAT FormatRGB565() {
  return MakeRGB(16, 0xF800, 0x07E0, 0x001F, 0);
}
DDPIXELFORMAT FormatARGB1555() {
  return MakeRGB(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
}
DDPIXELFORMAT FormatARGB4444() {
  return MakeRGB(16, 0x0F00, 0x00F0, 0x000F, 0xF000);
}

DDPIXELFORMAT FormatDepth(DWORD depthBits, DWORD stencilBits) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(DDPIXELFORMAT);
  f.dwFlags = DDPF_ZBUFFER | (stencilBits != 0 ? DDPF_STENCILBUFFER : 0);
  f.dwZBufferBitDepth = depthBits;
  f.dwStencilBitDepth = stencilBits;
  const DWORD zBits = depthBits - stencilBits;
  f.dwZBitMask = zBits >= 32 ? 0xFFFFFFFFu : ((1u << zBits) - 1u);
  f.dwStencilBitMask = stencilBits == 0 ? 0 : (((1u << stencilBits) - 1u) << zBits);
  return f;
}

void ConvertRowToRGBA(const DDPIXELFORMAT& format, const std::uint8_t* source, std::uint8_t* rgba,
                      DWORD width) {
  const DWORD bits = format.dwRGBBitCount;
  if (bits == 32 && format.dwRBitMask == 0x00FF0000 && format.dwGBitMask == 0x0000FF00 &&
      format.dwBBitMask == 0x000000FF) {
    const bool alpha = (format.dwFlags & DDPF_ALPHAPIXELS) != 0 && format.dwRGBAlphaBitMask == 0xFF000000;
    // Whole (little-endian) pixels at a time: red and blue swap places, green stays, alpha is kept or
    // made opaque.
    const std::uint32_t keptAlpha = alpha ? 0xFF000000u : 0u;
    const std::uint32_t opaque = alpha ? 0u : 0xFF000000u;
    for (DWORD x = 0; x < width; ++x) {
      std::uint32_t value;
      std::memcpy(&value, source + 4 * static_cast<std::size_t>(x), 4);
      const std::uint32_t out = ((value >> 16) & 0xFFu) | (value & 0xFF00u) | ((value & 0xFFu) << 16) |
                                (value & keptAlpha) | opaque;
      std::memcpy(rgba + 4 * static_cast<std::size_t>(x), &out, 4);
    }
    return;
  }
  const ChannelMask r = MakeChannelMask(format.dwRBitMask);
  const ChannelMask g = MakeChannelMask(format.dwGBitMask);
  const ChannelMask b = MakeChannelMask(format.dwBBitMask);
  const bool hasAlpha = (format.dwFlags & DDPF_ALPHAPIXELS) != 0 && format.dwRGBAlphaBitMask != 0;
  const ChannelMask a = MakeChannelMask(hasAlpha ? format.dwRGBAlphaBitMask : 0);
  const DWORD bytes = bits / 8;
  for (DWORD x = 0; x < width; ++x) {
    DWORD value = 0;
    std::memcpy(&value, source + bytes * x, bytes);
    rgba[4 * x + 0] = Expand((value & r.mask) >> r.shift, r.bits);
    rgba[4 * x + 1] = Expand((value & g.mask) >> g.shift, g.bits);
    rgba[4 * x + 2] = Expand((value & b.mask) >> b.shift, b.bits);
    rgba[4 * x + 3] = hasAlpha ? Expand((value & a.mask) >> a.shift, a.bits) : 255;
  }
}

DWORD PackRGBA(const DDPIXELFORMAT& format, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  auto pack = [](std::uint8_t v, DWORD mask) -> DWORD {
    if (mask == 0) {
      return 0;
    }
    const ChannelMask c = MakeChannelMask(mask);
    const DWORD scaled =
        c.bits >= 8 ? static_cast<DWORD>(v) << (c.bits - 8) : static_cast<DWORD>(v) >> (8 - c.bits);
    return (scaled << c.shift) & mask;
  };
  const bool hasAlpha = (format.dwFlags & DDPF_ALPHAPIXELS) != 0;
  return pack(r, format.dwRBitMask) | pack(g, format.dwGBitMask) | pack(b, format.dwBBitMask) |
         (hasAlpha ? pack(a, format.dwRGBAlphaBitMask) : 0);
}

}  // namespace platform::ddraw
