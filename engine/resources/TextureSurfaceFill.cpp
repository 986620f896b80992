#include "engine/resources/TextureSurfaceFill.h"

#include <bit>
#include <cstring>

#include "engine/resources/Image.h"

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

void FillTextureSurface(const DDPIXELFORMAT& format, void* surface, std::int32_t pitch, const Image& diffuse,
                        const Image* opacity) {
  const std::uint32_t width = diffuse.GetWidth();
  const std::uint32_t height = diffuse.GetHeight();
  const std::uint32_t bpp = diffuse.GetBytesPerPixel();
  const std::uint32_t opacityBpp = opacity != nullptr ? opacity->GetBytesPerPixel() : 0;
  const std::uint32_t alphaOffset = opacityBpp == 4 ? 3 : 0;
  const bool wide = format.dwRGBBitCount == 32;
  for (std::uint32_t row = 0; row < height; ++row) {
    const std::uint8_t* src = diffuse.GetPixels() + static_cast<std::size_t>(row) * width * bpp;
    const std::uint8_t* alphaSrc =
        opacity != nullptr
            ? opacity->GetPixels() + static_cast<std::size_t>(row) * width * opacityBpp + alphaOffset
            : nullptr;
    std::uint8_t* dst = static_cast<std::uint8_t*>(surface) + static_cast<std::ptrdiff_t>(row) * pitch;
    for (std::uint32_t x = 0; x < width; ++x, src += bpp) {
      std::uint32_t red;
      std::uint32_t green;
      std::uint32_t blue;
      std::uint32_t alpha = 255;
      if (bpp == 1) {
        red = green = blue = src[0];
      } else {
        red = src[0];
        green = src[1];
        blue = src[2];
        if (bpp == 4) {
          alpha = src[3];
        }
      }
      if (alphaSrc != nullptr) {
        alpha = *alphaSrc;
        alphaSrc += opacityBpp;
      }
      const std::uint32_t packed =
          PackChannel(red, format.dwRBitMask) + PackChannel(green, format.dwGBitMask) +
          PackChannel(blue, format.dwBBitMask) + PackChannel(alpha, format.dwRGBAlphaBitMask);
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
