#include "engine/render/IndexBuffer.h"

#include <algorithm>
#include <cstring>

namespace CorvantisEngine {

IndexBuffer::IndexBuffer(std::uint32_t usage, std::uint32_t capacity)
    : usage_(usage),
      wide_(capacity >= kWideFrom ? 1 : 0),
      indexSize_(capacity >= kWideFrom ? 4 : 2),
      capacity_(capacity),
      indexCount_(capacity),
      data_(new std::uint8_t[static_cast<std::size_t>(capacity) * indexSize_]) {}

IndexBuffer::~IndexBuffer() = default;

std::uint8_t* IndexBuffer::Lock(std::uint32_t first, std::uint32_t count) {
  locked_ = 1;
  lockFirst_ = first;
  lockCount_ = count;
  rangeDirty_ = 1;
  return data_.get() + static_cast<std::size_t>(indexSize_) * first;
}

void IndexBuffer::Unlock() {
  locked_ = 0;
}

void IndexBuffer::SetIndices(std::uint32_t first, std::uint32_t count, const std::uint32_t* source) {
  // Counts often come from content files: what would land past the array is dropped.
  first = std::min(first, capacity_);
  count = std::min(count, capacity_ - first);
  std::uint8_t* target = Lock(first, count);
  if (wide_ != 0) {
    std::memcpy(target, source, static_cast<std::size_t>(count) * 4);
  } else {
    auto* narrow = reinterpret_cast<std::uint16_t*>(target);
    for (std::uint32_t i = 0; i < count; ++i) {
      narrow[i] = static_cast<std::uint16_t>(source[i]);
    }
  }
  Unlock();
}

void IndexBuffer::SetIndexCount(std::uint32_t count) {
  // The range scan and the draw read indexCount indices: never past the array.
  indexCount_ = std::min(count, capacity_);
  rangeDirty_ = 1;
}

void IndexBuffer::UpdateRange() {
  rangeDirty_ = 0;
  if (indexCount_ == 0) {
    minIndex_ = 0;
    indexRange_ = 0;
    return;
  }
  std::uint32_t lowest = 0xFFFFFFFFu;
  std::uint32_t highest = 0;
  for (std::uint32_t i = 0; i < indexCount_; ++i) {
    std::uint32_t value = 0;
    if (wide_ != 0) {
      std::memcpy(&value, data_.get() + 4 * static_cast<std::size_t>(i), 4);
    } else {
      std::uint16_t narrow = 0;
      std::memcpy(&narrow, data_.get() + 2 * static_cast<std::size_t>(i), 2);
      value = narrow;
    }
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
  }
  minIndex_ = lowest;
  indexRange_ = highest - lowest + 1;
}

std::uint32_t IndexBuffer::GetMinIndex() {
  if (rangeDirty_ != 0) {
    UpdateRange();
  }
  return minIndex_;
}

std::uint32_t IndexBuffer::GetIndexRange() {
  if (rangeDirty_ != 0) {
    UpdateRange();
  }
  return indexRange_;
}

}  // namespace CorvantisEngine
