#pragma once
// IndexBuffer: a model's triangle indices in system memory, 16-bit below 65,536 indices and 32-bit from
// there on, with a cache of the smallest index and the index range (the draw passes their sum as the
// vertex count the indices may reach). Made only through the render system's factories.
//
// Threads: as VertexBuffer. Nothing fails: lock ranges and counts are the caller's to keep in bounds.

#include <cstdint>
#include <memory>
#include <utility>

namespace CorvantisEngine {

class IndexBuffer {
 public:
  static constexpr std::uint32_t kWideFrom = 0x10000;

  IndexBuffer(std::uint32_t usage, std::uint32_t capacity);
  virtual ~IndexBuffer();

  IndexBuffer(const IndexBuffer&) = delete;
  IndexBuffer& operator=(const IndexBuffer&) = delete;

  // Returns the bytes of index `first`; marks the range cache dirty.
  virtual std::uint8_t* Lock(std::uint32_t first, std::uint32_t count);
  virtual void Unlock();
  // Called by the render system right before a draw.
  virtual void Reserved3() {}

  // Stores 32-bit source values, cut to their low 16 bits in a 16-bit buffer. Values that would land
  // past the capacity are dropped.
  void SetIndices(std::uint32_t first, std::uint32_t count, const std::uint32_t* source);
  // Counts above the capacity are clamped to it.
  void SetIndexCount(std::uint32_t count);
  std::uint32_t GetMinIndex();
  std::uint32_t GetIndexRange();

  std::uint32_t GetUsage() const { return usage_; }
  bool IsWide() const { return wide_ != 0; }
  std::uint32_t GetIndexSize() const { return indexSize_; }
  std::uint32_t GetCapacity() const { return capacity_; }
  std::uint32_t GetIndexCount() const { return indexCount_; }
  std::uint8_t* GetData() { return data_.get(); }
  const std::uint8_t* GetData() const { return data_.get(); }
  bool IsLocked() const { return locked_ != 0; }
  // True only the first time it is asked: a draw refused for indices past the vertex buffer is logged
  // once per index buffer, not every frame.
  bool FirstRangeWarning() { return !std::exchange(rangeWarned_, true); }

 protected:
  void UpdateRange();

  std::uint32_t usage_;
  std::uint32_t wide_;
  std::uint32_t indexSize_;
  std::uint32_t capacity_;
  std::uint32_t indexCount_;
  std::unique_ptr<std::uint8_t[]> data_;  // capacity × indexSize bytes
  std::uint32_t locked_ = 0;
  std::uint32_t lockFirst_ = 0;
  std::uint32_t lockCount_ = 0;
  std::uint32_t rangeDirty_ = 1;
  std::uint32_t minIndex_ = 0;
  std::uint32_t indexRange_ = 0;
  bool rangeWarned_ = false;
};

}  // namespace CorvantisEngine
