#include "engine/render/TextureSurfaceFill.h"

#include <bit>
#include <cstring>

#include "engine/render/Image.h"

namespace CorvantisEngine {

int ChooseTextureFormat(const std::vector<DDPIXELFORMAT>& formats, std::uint32_t bitCount, bool withAlpha) {
  constexpr DWORD kRefused = DDPF_FOURCC | DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV;
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const DDPIXELFORMAT& f = formats[i];
    if (f.dwRGBBitCount != bitCount || (f.dwFlags & kRefused) != 0 || f.dwRGBAlphaBitMask == 0xF000) {
      continue;
    }
    const bool hasAlpha = (f.dwFlags & DDPF_ALPHAPIXELS) != 0 && f.dwRGBAlphaBitMask != 0;
    if (hasAlpha == withAlpha) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::uint32_t PackChannel(std::uint32_t value, std::uint32_t mask) {
  if (mask == 0) {
    return 0;
  }
  const int bits = std::popcount(mask);
  const int shift = std::countr_zero(mask);
  const std::uint32_t scaled = bits <= 8 ? value >> (8 - bits) : value << (bits - 8);
  return (scaled << shift) & mask;
}

namespace {

// A channel mask taken apart once per surface rather than once per pixel.
struct ChannelPlacement {
  std::uint32_t mask = 0;
  int down = 0;  // bits dropped from the 8-bit value
  int up = 0;    // then shifted up by this many
  explicit ChannelPlacement(std::uint32_t m) : mask(m) {
    if (mask != 0) {
      const int bits = std::popcount(mask);
      const int shift = std::countr_zero(mask);
      if (bits <= 8) {
        down = 8 - bits;
        up = shift;
      } else {
        up = shift + bits - 8;
      }
    }
  }
  std::uint32_t Place(std::uint32_t value) const { return ((value >> down) << up) & mask; }
};

// The common 32-bit target, 8 bits per channel with red above green above blue (alpha on top or absent):
// each byte goes straight to its place, with no per-channel masking.
bool IsByteArgb(const DDPIXELFORMAT& format) {
  return format.dwRGBBitCount == 32 && format.dwRBitMask == 0x00FF0000 && format.dwGBitMask == 0x0000FF00 &&
         format.dwBBitMask == 0x000000FF &&
         (format.dwRGBAlphaBitMask == 0xFF000000 || format.dwRGBAlphaBitMask == 0);
}

template <std::uint32_t Bpp>
void FillByteArgbRow(const std::uint8_t* src, const std::uint8_t* alphaSrc, std::uint32_t alphaStep,
                     std::uint32_t alphaMask, std::uint8_t* dst, std::uint32_t width) {
  for (std::uint32_t x = 0; x < width; ++x, src += Bpp) {
    std::uint32_t rgb;
    std::uint32_t a = 255;
    if constexpr (Bpp == 1) {
      rgb = src[0] * 0x00010101u;
    } else {
      rgb = (static_cast<std::uint32_t>(src[0]) << 16) | (static_cast<std::uint32_t>(src[1]) << 8) | src[2];
      if constexpr (Bpp == 4) {
        a = src[3];
      }
    }
    if (alphaSrc != nullptr) {
      a = *alphaSrc;
      alphaSrc += alphaStep;
    }
    const std::uint32_t packed = rgb | ((a << 24) & alphaMask);
    std::memcpy(dst + 4 * static_cast<std::size_t>(x), &packed, 4);
  }
}

}  // namespace

void FillTextureSurface(const DDPIXELFORMAT& format, void* surface, std::int32_t pitch, const Image& diffuse,
                        const Image* opacity) {
  const std::uint32_t width = diffuse.GetWidth();
  const std::uint32_t height = diffuse.GetHeight();
  const std::uint32_t bpp = diffuse.GetBytesPerPixel();
  const std::uint32_t opacityBpp = opacity != nullptr ? opacity->GetBytesPerPixel() : 0;
  const std::uint32_t alphaOffset = opacityBpp == 4 ? 3 : 0;
  if (IsByteArgb(format) && (bpp == 1 || bpp == 3 || bpp == 4)) {
    for (std::uint32_t row = 0; row < height; ++row) {
      const std::uint8_t* src = diffuse.GetPixels() + static_cast<std::size_t>(row) * width * bpp;
      const std::uint8_t* alphaSrc =
          opacity != nullptr
              ? opacity->GetPixels() + static_cast<std::size_t>(row) * width * opacityBpp + alphaOffset
              : nullptr;
      std::uint8_t* dst = static_cast<std::uint8_t*>(surface) + static_cast<std::ptrdiff_t>(row) * pitch;
      switch (bpp) {
        case 1:
          FillByteArgbRow<1>(src, alphaSrc, opacityBpp, format.dwRGBAlphaBitMask, dst, width);
          break;
        case 3:
          FillByteArgbRow<3>(src, alphaSrc, opacityBpp, format.dwRGBAlphaBitMask, dst, width);
          break;
        default:
          FillByteArgbRow<4>(src, alphaSrc, opacityBpp, format.dwRGBAlphaBitMask, dst, width);
          break;
      }
    }
    return;
  }
  const bool wide = format.dwRGBBitCount == 32;
  const ChannelPlacement red(format.dwRBitMask);
  const ChannelPlacement green(format.dwGBitMask);
  const ChannelPlacement blue(format.dwBBitMask);
  const ChannelPlacement alpha(format.dwRGBAlphaBitMask);
  for (std::uint32_t row = 0; row < height; ++row) {
    const std::uint8_t* src = diffuse.GetPixels() + static_cast<std::size_t>(row) * width * bpp;
    const std::uint8_t* alphaSrc =
        opacity != nullptr
            ? opacity->GetPixels() + static_cast<std::size_t>(row) * width * opacityBpp + alphaOffset
            : nullptr;
    std::uint8_t* dst = static_cast<std::uint8_t*>(surface) + static_cast<std::ptrdiff_t>(row) * pitch;
    for (std::uint32_t x = 0; x < width; ++x, src += bpp) {
      std::uint32_t r;
      std::uint32_t g;
      std::uint32_t b;
      std::uint32_t a = 255;
      if (bpp == 1) {
        r = g = b = src[0];
      } else {
        r = src[0];
        g = src[1];
        b = src[2];
        if (bpp == 4) {
          a = src[3];
        }
      }
      if (alphaSrc != nullptr) {
        a = *alphaSrc;
        alphaSrc += opacityBpp;
      }
      const std::uint32_t packed = red.Place(r) + green.Place(g) + blue.Place(b) + alpha.Place(a);
      if (wide) {
        std::memcpy(dst + 4 * static_cast<std::size_t>(x), &packed, 4);
      } else {
        const std::uint16_t narrow = static_cast<std::uint16_t>(packed);
        std::memcpy(dst + 2 * static_cast<std::size_t>(x), &narrow, 2);
      }
    }
  }
}

}  // namespace CorvantisEngine
