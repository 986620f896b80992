#pragma once
// ByteCursor: decodes the little-endian fields of the engine's binary formats (model and particle-system
// files) from a block of bytes already read and checked for length. Private to engine/resources.
//
// The cursor does not own the bytes and does not check bounds: the reader takes a block whose size it
// has verified and then decodes exactly that many bytes from it.

#include <cstdint>
#include <cstring>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class ByteCursor {
 public:
  ByteCursor() = default;
  explicit ByteCursor(const std::uint8_t* data) : p_(data) {}

  std::uint8_t U8() { return *p_++; }
  bool Bool() { return U8() != 0; }
  std::uint16_t U16() {
    const auto value = static_cast<std::uint16_t>(p_[0] | p_[1] << 8);
    p_ += 2;
    return value;
  }
  std::uint32_t U32() {
    const std::uint32_t value = static_cast<std::uint32_t>(p_[0]) | static_cast<std::uint32_t>(p_[1]) << 8 |
                                static_cast<std::uint32_t>(p_[2]) << 16 |
                                static_cast<std::uint32_t>(p_[3]) << 24;
    p_ += 4;
    return value;
  }
  float F32() {
    const std::uint32_t bits = U32();
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
  }
  Vector3 V3() {
    const float x = F32();
    const float y = F32();
    const float z = F32();
    return Vector3(x, y, z);
  }
  Vector4 V4() {
    const float x = F32();
    const float y = F32();
    const float z = F32();
    const float w = F32();
    return Vector4(x, y, z, w);
  }

 private:
  const std::uint8_t* p_ = nullptr;
};

}  // namespace CorvantisEngine
