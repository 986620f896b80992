#include "engine/render/Texture2D.h"

#include <algorithm>

#include "engine/config/Config.h"
#include "engine/render/Image.h"

namespace CorvantisEngine {

Texture2D::Texture2D(MessageManager* log, Config* config, TextureManager* textureManager,
                     const std::string& key, bool mipMapping)
    : log_(log),
      config_(config),
      textureManager_(textureManager),
      key_(key),
      mipMapping_(mipMapping && (config == nullptr || config->r_use_mip_mapping != 0)) {}

Texture2D::~Texture2D() = default;

void Texture2D::WaitForFirstUse(const std::string& diffuseName, const std::string& opacityName) {
  waitingForFirstUse_ = true;
  firstUseDiffuseName_ = diffuseName;
  firstUseOpacityName_ = opacityName;
}

void Texture2D::HalveImage(const Image& source, Image& target, std::uint32_t newWidth,
                           std::uint32_t newHeight, bool singleChannel) const {
  const std::uint32_t bpp = source.GetBytesPerPixel();
  const std::uint32_t outBpp = singleChannel ? 1 : bpp;
  // The channel that carries opacity: alpha of a 32-bit image, else the first byte.
  const std::uint32_t firstChannel = singleChannel ? (bpp == 4 ? 3 : 0) : 0;
  target.Create(log_, newWidth, newHeight, outBpp * 8);
  const std::uint32_t width = source.GetWidth();
  const std::uint32_t height = source.GetHeight();
  if (width == 0 || height == 0) {
    return;
  }
  const std::uint8_t* src = source.GetPixels();
  std::uint8_t* dst = target.GetPixels();
  const std::size_t stride = static_cast<std::size_t>(width) * bpp;
  for (std::uint32_t y = 0; y < newHeight; ++y) {
    const std::uint32_t y0 = std::min(2 * y, height - 1);
    const std::uint32_t y1 = std::min(2 * y + 1, height - 1);
    for (std::uint32_t x = 0; x < newWidth; ++x) {
      const std::uint32_t x0 = std::min(2 * x, width - 1);
      const std::uint32_t x1 = std::min(2 * x + 1, width - 1);
      const std::uint8_t* a = src + y0 * stride + x0 * bpp;
      const std::uint8_t* b = src + y0 * stride + x1 * bpp;
      const std::uint8_t* c = src + y1 * stride + x0 * bpp;
      const std::uint8_t* d = src + y1 * stride + x1 * bpp;
      std::uint8_t* out = dst + (static_cast<std::size_t>(y) * newWidth + x) * outBpp;
      for (std::uint32_t ch = 0; ch < outBpp; ++ch) {
        const std::uint32_t k = firstChannel + ch;
        out[ch] = static_cast<std::uint8_t>((a[k] + b[k] + c[k] + d[k] + 2) >> 2);
      }
    }
  }
}

}  // namespace CorvantisEngine
