#pragma once
// ShaderStage: one texture stage of a shader description: which texture (or animated series of textures)
// it draws with, how it animates, how its coordinates are addressed and transformed.

#include <cstdint>
#include <string>

namespace CorvantisEngine {

struct ShaderStage {
  // Stage flags.
  static constexpr std::uint32_t kMipMapping = 1;   // textures with mip levels, mip-mapped filtering
  static constexpr std::uint32_t kRandomStart = 2;  // each user's clock starts at a random frame
  static constexpr std::uint32_t kNoTexture = 4;    // the stage loads no texture
  // Animation types.
  static constexpr std::uint32_t kStatic = 0;
  static constexpr std::uint32_t kFrameGrid = 1;        // frames laid out in a grid inside one texture
  static constexpr std::uint32_t kNumberedDiffuse = 2;  // fire00.jpg, fire01.jpg, ...
  static constexpr std::uint32_t kNumberedOpacity = 3;
  static constexpr std::uint32_t kNumberedBoth = 4;
  static constexpr std::uint32_t kLastAnimationType = 4;
  // Address modes.
  static constexpr std::uint32_t kClamp = 0;
  static constexpr std::uint32_t kWrap = 1;
  // Most frames a stage may have; numbered series load one texture per frame.
  static constexpr std::uint32_t kMaxFrameCount = 1024;

  std::uint32_t stageFlags = 0;
  std::uint32_t animationType = kStatic;
  std::uint32_t columns = 1;
  std::uint32_t rows = 1;
  std::uint32_t frameCount = 0;
  float speed = 0.0f;       // frames per second
  std::string diffuseName;  // lower-cased
  std::string opacityName;  // lower-cased; empty: no opacity file
  std::uint32_t addressU = kWrap;
  std::uint32_t addressV = kWrap;
  float textureTransform[4] = {1.0f, 1.0f, 0.0f, 0.0f};  // scale U, scale V, offset U, offset V
  std::uint32_t frame = 0;  // index into the shader's texture list for this stage
};

}  // namespace CorvantisEngine
