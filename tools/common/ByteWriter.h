#pragma once
// Little-endian encoding shared by the tools that write the engine's formats, and the write-then-rename
// that leaves no half-written file behind.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Vector.h"

namespace tools {

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void U8(std::uint8_t value) { out_.push_back(value); }
  void U16(std::uint16_t value) {
    out_.push_back(static_cast<std::uint8_t>(value));
    out_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
      out_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  }
  void F32(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    U32(bits);
  }
  void V3(const CorvantisEngine::Vector3& v) {
    F32(v.x);
    F32(v.y);
    F32(v.z);
  }
  void V4(const CorvantisEngine::Vector4& v) {
    F32(v.x);
    F32(v.y);
    F32(v.z);
    F32(v.w);
  }
  void Bytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out_.insert(out_.end(), bytes, bytes + size);
  }
  // Overwrites the four bytes at `at`, which must already be written.
  void U32At(std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      out_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
  }
  // Patches the total-length field at the start.
  void FinishLength() { U32At(0, static_cast<std::uint32_t>(out_.size())); }

 private:
  std::vector<std::uint8_t>& out_;
};

// Writes the bytes to a temporary file of this process beside `path`, puts it on the disk, renames it
// over `path` and syncs the folder, so that neither a failed run nor a power cut leaves half a file
// behind, and two runs writing the same output never share a temporary file. False (and no temporary
// file left) on any failure.
bool WriteWholeFile(const std::vector<std::uint8_t>& bytes, const std::string& path);

}  // namespace tools
