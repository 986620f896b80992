#pragma once
// What the game's tests share: a headless engine over a fresh data folder, and pictures written as
// uncompressed 24-bit TGA files (lossless, rows bottom first like the engine's images).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Engine.h"
#include "tests/support/EngineRig.h"

namespace Puzzle::gametest {

// A picture in the engine's order: row 0 at the bottom, red, green, blue per pixel.
struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgb;

  const std::uint8_t* At(std::uint32_t column, std::uint32_t row) const {
    return rgb.data() + (static_cast<std::size_t>(row) * width + column) * 3;
  }
};

// Every pixel different: red from the column, green from the row, blue from both.
inline Picture Gradient(std::uint32_t width, std::uint32_t height) {
  Picture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  for (std::uint32_t row = 0; row < height; ++row) {
    for (std::uint32_t column = 0; column < width; ++column) {
      std::uint8_t* p = picture.rgb.data() + (static_cast<std::size_t>(row) * width + column) * 3;
      p[0] = static_cast<std::uint8_t>(column * 7);
      p[1] = static_cast<std::uint8_t>(row * 11);
      p[2] = static_cast<std::uint8_t>((column * 3 + row * 5) ^ 0x5A);
    }
  }
  return picture;
}

inline std::string Tga(const Picture& picture) {
  std::string bytes(18, '\0');
  bytes[2] = 2;  // uncompressed true colour
  bytes[12] = static_cast<char>(picture.width & 0xFF);
  bytes[13] = static_cast<char>(picture.width >> 8);
  bytes[14] = static_cast<char>(picture.height & 0xFF);
  bytes[15] = static_cast<char>(picture.height >> 8);
  bytes[16] = 24;
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
    bytes.push_back(static_cast<char>(picture.rgb[i + 2]));
    bytes.push_back(static_cast<char>(picture.rgb[i + 1]));
    bytes.push_back(static_cast<char>(picture.rgb[i]));
  }
  return bytes;
}

class EngineTest : public testing::Test {
 protected:
  // Files go in before Start.
  void Write(const std::string& relative, const std::string& bytes) { rig_.Write(relative, bytes); }
  void Write(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    rig_.Write(relative, std::string(bytes.begin(), bytes.end()));
  }
  CorvantisEngine::Engine* Start() {
    engine_ = &rig_.Start();
    return engine_;
  }

  testsupport::EngineRig rig_;
  CorvantisEngine::Engine* engine_ = nullptr;
};

}  // namespace Puzzle::gametest
