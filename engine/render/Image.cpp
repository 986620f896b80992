#include "engine/render/Image.h"

#include <sys/mman.h>

#include <cstring>
#include <new>
#include <utility>

namespace CorvantisEngine {

namespace {

// Pixel blocks of this size and more (pictures, texture sheets, board layers) are mapped straight from
// the system and unmapped when the image lets them go. Most of them live only while a level or a
// window is being made; from the C library's heap they would leave holes that later, smaller blocks
// only partly fill, and the process would keep the pages long after the images are gone.
constexpr std::size_t kMappedPixelBytes = std::size_t{256} << 10;

// A block of `size` bytes; `mapped` receives the length mapped (0 for a block from new[]).
std::uint8_t* AllocatePixels(std::size_t size, std::size_t& mapped) {
  mapped = 0;
  if (size < kMappedPixelBytes) {
    return new std::uint8_t[size > 0 ? size : 1];
  }
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) {
    throw std::bad_alloc();
  }
  mapped = size;
  return static_cast<std::uint8_t*>(block);
}

void FreePixels(std::uint8_t* pixels, std::size_t mapped) {
  if (mapped > 0) {
    munmap(pixels, mapped);
  } else {
    delete[] pixels;
  }
}

}  // namespace

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
  std::size_t mapped = 0;
  std::uint8_t* pixels = AllocatePixels(size, mapped);
  pixels_ = pixels;
  mappedBytes_ = mapped;
  log_ = log;
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bitsPerPixel;
  empty_ = false;
}

void Image::Release() {
  FreePixels(pixels_, mappedBytes_);
  pixels_ = nullptr;
  mappedBytes_ = 0;
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
  mappedBytes_ = other.mappedBytes_;
  other.pixels_ = nullptr;
  other.mappedBytes_ = 0;
  other.empty_ = true;
}

}  // namespace CorvantisEngine
