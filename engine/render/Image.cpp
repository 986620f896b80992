#include "engine/render/Image.h"

#include <cstring>
#include <utility>

namespace CorvantisEngine {

Image::Image() = default;

Image::Image(const Image& other) {
  CopyFrom(other);
}

Image& Image::operator=(const Image& other) {
  if (this != &other) {
    CopyFrom(other);
  }
  return *this;
}

Image::Image(Image&& other) noexcept {
  TakeFrom(other);
}

Image& Image::operator=(Image&& other) noexcept {
  if (this != &other) {
    Release();
    TakeFrom(other);
  }
  return *this;
}

Image::~Image() {
  Release();
}

void Image::Create(MessageManager* log, std::uint32_t width, std::uint32_t height,
                   std::uint32_t bitsPerPixel) {
  Release();
  const std::size_t size =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * (bitsPerPixel / 8);
  // Allocate before touching the fields so that a failed allocation leaves an empty image.
  std::uint8_t* pixels = new std::uint8_t[size > 0 ? size : 1];
  pixels_ = pixels;
  log_ = log;
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bitsPerPixel;
  empty_ = false;
}

void Image::Release() {
  delete[] pixels_;
  pixels_ = nullptr;
  empty_ = true;
}

void Image::CopyFrom(const Image& source) {
  if (&source == this) {
    return;
  }
  if (source.IsEmpty()) {
    Release();
    log_ = source.log_;
    return;
  }
  Create(source.log_, source.width_, source.height_, source.bitsPerPixel_);
  std::memcpy(pixels_, source.pixels_, source.GetDataSize());
}

std::size_t Image::GetDataSize() const {
  if (empty_) {
    return 0;
  }
  return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * (bitsPerPixel_ / 8);
}

void Image::TakeFrom(Image& other) noexcept {
  empty_ = other.empty_;
  log_ = other.log_;
  width_ = other.width_;
  height_ = other.height_;
  bitsPerPixel_ = other.bitsPerPixel_;
  pixels_ = other.pixels_;
  other.pixels_ = nullptr;
  other.empty_ = true;
}

}  // namespace CorvantisEngine
