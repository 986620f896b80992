// Image operations that build new pixels: scaling, depth conversion, pasting, filling, flipping,
// red/blue exchange and the checkerboard placeholder.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/Vector.h"
#include "engine/render/Image.h"

namespace CorvantisEngine {

namespace {

// Grey value of a colour with the weights 0.222, 0.707 and 0.071, truncated. Integer weights keep white
// at 255 (the floating-point sum of the weights falls just short of 1).
inline std::uint8_t GreyOf(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return static_cast<std::uint8_t>((222 * red + 707 * green + 71 * blue) / 1000);
}

inline std::uint32_t ClampIndex(std::int64_t value, std::uint32_t size) {
  if (value < 0) {
    return 0;
  }
  if (value >= static_cast<std::int64_t>(size)) {
    return size - 1;
  }
  return static_cast<std::uint32_t>(value);
}

// Position along one axis in fixed point with `shift` fraction bits: (size - 1) x i x one / (newSize - 1).
// A destination of one pixel maps to source position 0.
inline std::int64_t FixedPosition(std::uint32_t size, std::uint32_t newSize, std::uint32_t i, int shift) {
  if (newSize <= 1 || size <= 1) {
    return 0;
  }
  return (static_cast<std::int64_t>(size - 1) * i << shift) / (newSize - 1);
}

std::uint8_t FloatToByte(float value) {
  const float scaled = value * 255.0f;
  if (!(scaled > 0.0f)) {
    return 0;
  }
  if (scaled >= 255.0f) {
    return 255;
  }
  return static_cast<std::uint8_t>(scaled);
}

}  // namespace

int Image::CubicInterpolate(int p0, int p1, int p2, int p3, int t) {
  const std::int64_t a = static_cast<std::int64_t>(p3) - p2 - p0 + p1;
  const std::int64_t b = 2 * static_cast<std::int64_t>(p0) - 2 * static_cast<std::int64_t>(p1) + p2 - p3;
  const std::int64_t c = static_cast<std::int64_t>(p2) - p0;
  const std::int64_t tt = t;
  const std::int64_t sum =
      (((a * tt + b * 128) * tt + c * 16384) * tt) + static_cast<std::int64_t>(p1) * 2097152;
  return static_cast<int>(sum >> 21);
}

void Image::Scale(std::uint32_t newWidth, std::uint32_t newHeight, std::uint32_t filter,
                  Image& output) const {
  if (&output == this) {
    Image temporary;
    Scale(newWidth, newHeight, filter, temporary);
    output.Release();
    output.TakeFrom(temporary);
    return;
  }
  if (empty_ || width_ == 0 || height_ == 0) {
    output.CopyFrom(*this);
    return;
  }
  if (newWidth == width_ && newHeight == height_) {
    output.CopyFrom(*this);
    return;
  }
  const std::uint32_t bpp = GetBytesPerPixel();
  output.Create(log_, newWidth, newHeight, bitsPerPixel_);
  if (newWidth == 0 || newHeight == 0) {
    return;
  }
  const std::size_t srcStride = static_cast<std::size_t>(width_) * bpp;
  const std::size_t dstStride = static_cast<std::size_t>(newWidth) * bpp;
  const std::uint8_t* src = pixels_;
  std::uint8_t* dst = output.pixels_;

  auto pixel = [&](std::uint32_t col, std::uint32_t row) { return src + row * srcStride + col * bpp; };

  if (filter == kFilterNearest) {
    std::vector<std::uint32_t> columns(newWidth);
    for (std::uint32_t x = 0; x < newWidth; ++x) {
      columns[x] = static_cast<std::uint32_t>(FixedPosition(width_, newWidth, x, 0));
    }
    for (std::uint32_t y = 0; y < newHeight; ++y) {
      const std::uint32_t row = static_cast<std::uint32_t>(FixedPosition(height_, newHeight, y, 0));
      std::uint8_t* out = dst + y * dstStride;
      for (std::uint32_t x = 0; x < newWidth; ++x) {
        std::memcpy(out + x * bpp, pixel(columns[x], row), bpp);
      }
    }
    return;
  }

  if (filter == kFilterBilinear) {
    // The horizontal positions are the same on every row: work them out once.
    struct Column {
      std::uint32_t offset0;
      std::uint32_t offset1;
      std::uint32_t weight;
    };
    std::vector<Column> columns(newWidth);
    for (std::uint32_t x = 0; x < newWidth; ++x) {
      const std::int64_t fx = FixedPosition(width_, newWidth, x, 8);
      const std::uint32_t col = static_cast<std::uint32_t>(fx >> 8);
      columns[x] = {col * bpp, ClampIndex(static_cast<std::int64_t>(col) + 1, width_) * bpp,
                    static_cast<std::uint32_t>(fx & 255)};
    }
    for (std::uint32_t y = 0; y < newHeight; ++y) {
      std::int64_t fy = FixedPosition(height_, newHeight, y, 8);
      if (y == newHeight - 1 && newHeight > 1 && height_ > 1) {
        // The last row stays just inside the source so that its lower neighbour exists.
        fy = static_cast<std::int64_t>(height_ - 1) * 256 - 1;
      }
      const std::uint32_t row = static_cast<std::uint32_t>(fy >> 8);
      const std::uint32_t wy = static_cast<std::uint32_t>(fy & 255);
      const std::uint32_t row1 = ClampIndex(static_cast<std::int64_t>(row) + 1, height_);
      const std::uint8_t* src0 = src + row * srcStride;
      const std::uint8_t* src1 = src + row1 * srcStride;
      std::uint8_t* out = dst + y * dstStride;
      for (std::uint32_t x = 0; x < newWidth; ++x, out += bpp) {
        const Column& c = columns[x];
        const std::uint32_t wx = c.weight;
        const std::uint8_t* p00 = src0 + c.offset0;
        const std::uint8_t* p01 = src1 + c.offset0;
        const std::uint8_t* p10 = src0 + c.offset1;
        const std::uint8_t* p11 = src1 + c.offset1;
        const std::uint32_t w00 = (256 - wx) * (256 - wy);
        const std::uint32_t w01 = (256 - wx) * wy;
        const std::uint32_t w10 = wx * (256 - wy);
        const std::uint32_t w11 = wx * wy;
        for (std::uint32_t ch = 0; ch < bpp; ++ch) {
          out[ch] = static_cast<std::uint8_t>(
              (w00 * p00[ch] + w01 * p01[ch] + w10 * p10[ch] + w11 * p11[ch]) >> 16);
        }
      }
    }
    return;
  }

  // Cubic convolution in 1/128 steps.
  for (std::uint32_t y = 0; y < newHeight; ++y) {
    const std::int64_t fy = FixedPosition(height_, newHeight, y, 7);
    const std::int64_t row = fy >> 7;
    const int u = static_cast<int>(fy & 127);
    std::uint32_t rows[4];
    for (int i = 0; i < 4; ++i) {
      rows[i] = ClampIndex(row - 1 + i, height_);
    }
    std::uint8_t* out = dst + y * dstStride;
    for (std::uint32_t x = 0; x < newWidth; ++x) {
      const std::int64_t fx = FixedPosition(width_, newWidth, x, 7);
      const std::int64_t col = fx >> 7;
      const int t = static_cast<int>(fx & 127);
      std::uint32_t cols[4];
      for (int i = 0; i < 4; ++i) {
        cols[i] = ClampIndex(col - 1 + i, width_);
      }
      for (std::uint32_t c = 0; c < bpp; ++c) {
        int across[4];
        for (int r = 0; r < 4; ++r) {
          across[r] = CubicInterpolate(pixel(cols[0], rows[r])[c], pixel(cols[1], rows[r])[c],
                                       pixel(cols[2], rows[r])[c], pixel(cols[3], rows[r])[c], t);
        }
        const int value = CubicInterpolate(across[0], across[1], across[2], across[3], u);
        out[x * bpp + c] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
      }
    }
  }
}

void Image::Resize(std::uint32_t newWidth, std::uint32_t newHeight, std::uint32_t filter) {
  if (newWidth == width_ && newHeight == height_) {
    return;
  }
  Image temporary;
  Scale(newWidth, newHeight, filter, temporary);
  Release();
  TakeFrom(temporary);
}

void Image::ConvertBitsPerPixel(std::uint32_t bitsPerPixel, Image* output) {
  if (output != nullptr && output != this) {
    ConvertInto(bitsPerPixel, *output);
    return;
  }
  if (empty_ || bitsPerPixel == bitsPerPixel_) {
    return;
  }
  Image temporary;
  ConvertInto(bitsPerPixel, temporary);
  Release();
  TakeFrom(temporary);
}

void Image::ConvertInto(std::uint32_t bitsPerPixel, Image& target) const {
  if (empty_ || bitsPerPixel == bitsPerPixel_ ||
      (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)) {
    target.CopyFrom(*this);
    return;
  }
  target.Create(log_, width_, height_, bitsPerPixel);
  const std::size_t count = static_cast<std::size_t>(width_) * height_;
  const std::uint32_t from = GetBytesPerPixel();
  const std::uint32_t to = bitsPerPixel / 8;
  const std::uint8_t* src = pixels_;
  std::uint8_t* dst = target.pixels_;
  for (std::size_t i = 0; i < count; ++i, src += from, dst += to) {
    if (from == 1) {
      // Grey becomes a grey colour, fully opaque.
      dst[0] = dst[1] = dst[2] = src[0];
      if (to == 4) {
        dst[3] = 255;
      }
    } else if (to == 1) {
      dst[0] = from == 4 ? src[3] : GreyOf(src[0], src[1], src[2]);
    } else {
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
      if (to == 4) {
        dst[3] = 255;
      }
    }
  }
}

void Image::Paste(int x, int y, const Image& source, Image* output) {
  if (output == this) {
    output = nullptr;
  }
  if (output != nullptr) {
    output->CopyFrom(*this);
    output->Paste(x, y, source, nullptr);
    return;
  }
  if (empty_ || source.IsEmpty()) {
    return;
  }
  const Image* from = &source;
  Image converted;
  if (source.bitsPerPixel_ != bitsPerPixel_) {
    source.ConvertInto(bitsPerPixel_, converted);
    from = &converted;
  }
  // Clip on all four sides; a negative offset skips the source's first columns or rows.
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t bottom = std::max<std::int64_t>(y, 0);
  const std::int64_t right = std::min<std::int64_t>(static_cast<std::int64_t>(x) + from->width_, width_);
  const std::int64_t top = std::min<std::int64_t>(static_cast<std::int64_t>(y) + from->height_, height_);
  if (right <= left || top <= bottom) {
    return;
  }
  const std::uint32_t bpp = GetBytesPerPixel();
  const std::size_t copyBytes = static_cast<std::size_t>(right - left) * bpp;
  const std::size_t srcStride = static_cast<std::size_t>(from->width_) * bpp;
  const std::size_t dstStride = static_cast<std::size_t>(width_) * bpp;
  for (std::int64_t row = bottom; row < top; ++row) {
    const std::uint8_t* src = from->pixels_ + static_cast<std::size_t>(row - y) * srcStride +
                              static_cast<std::size_t>(left - x) * bpp;
    std::uint8_t* dst =
        pixels_ + static_cast<std::size_t>(row) * dstStride + static_cast<std::size_t>(left) * bpp;
    std::memcpy(dst, src, copyBytes);
  }
}

void Image::Fill(const Vector4& colour, Image* output) {
  if (output == this) {
    output = nullptr;
  }
  Image& target = output != nullptr ? *output : *this;
  if (output != nullptr) {
    output->Create(log_, width_, height_, bitsPerPixel_);
  }
  if (target.IsEmpty()) {
    return;
  }
  const std::uint8_t red = FloatToByte(colour.x);
  const std::uint8_t green = FloatToByte(colour.y);
  const std::uint8_t blue = FloatToByte(colour.z);
  const std::uint8_t alpha = FloatToByte(colour.w);
  const std::size_t count = static_cast<std::size_t>(target.width_) * target.height_;
  std::uint8_t* dst = target.pixels_;
  switch (target.bitsPerPixel_) {
    case 8: {
      const float grey = 0.222f * colour.x + 0.707f * colour.y + 0.071f * colour.z;
      std::memset(dst, FloatToByte(grey), count);
      break;
    }
    case 24:
      for (std::size_t i = 0; i < count; ++i, dst += 3) {
        dst[0] = red;
        dst[1] = green;
        dst[2] = blue;
      }
      break;
    case 32:
      for (std::size_t i = 0; i < count; ++i, dst += 4) {
        dst[0] = red;
        dst[1] = green;
        dst[2] = blue;
        dst[3] = alpha;
      }
      break;
    default:
      break;
  }
}

void Image::FlipVertical(Image* output) {
  if (output == this) {
    output = nullptr;
  }
  if (empty_) {
    if (output != nullptr) {
      output->CopyFrom(*this);
    }
    return;
  }
  const std::size_t stride = static_cast<std::size_t>(width_) * GetBytesPerPixel();
  if (output != nullptr) {
    output->Create(log_, width_, height_, bitsPerPixel_);
    for (std::uint32_t row = 0; row < height_; ++row) {
      std::memcpy(output->pixels_ + row * stride, pixels_ + (height_ - 1 - row) * stride, stride);
    }
    return;
  }
  for (std::uint32_t row = 0; row < height_ / 2; ++row) {
    std::swap_ranges(pixels_ + row * stride, pixels_ + (row + 1) * stride,
                     pixels_ + (height_ - 1 - row) * stride);
  }
}

void Image::SwapRedBlue(Image* output) {
  if (output == this) {
    output = nullptr;
  }
  Image& target = output != nullptr ? *output : *this;
  if (output != nullptr) {
    output->CopyFrom(*this);
  }
  if (target.IsEmpty() || target.bitsPerPixel_ < 24) {
    return;
  }
  const std::uint32_t bpp = target.GetBytesPerPixel();
  const std::size_t count = static_cast<std::size_t>(target.width_) * target.height_;
  std::uint8_t* p = target.pixels_;
  for (std::size_t i = 0; i < count; ++i, p += bpp) {
    std::swap(p[0], p[2]);
  }
}

void Image::MakeCheckerboard(MessageManager* log) {
  Create(log, 64, 64, 24);
  Fill(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
  Image square;
  square.Create(log, 8, 8, 24);
  square.Fill(Vector4(1.0f, 1.0f, 0.0f, 1.0f));
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 8; ++j) {
      if ((i + j) % 2 == 0) {
        Paste(8 * i, 8 * j, square);
      }
    }
  }
}

}  // namespace CorvantisEngine
