#pragma once
// Writes shader files ("QXSRF", version 211), the format the engine's shader reader takes: used by the
// data build (through the shaderc command) and by tests that need shader files. Independent of the
// engine: a shader is described by the plain records below.

#include <cstdint>
#include <string>
#include <vector>

namespace shaderc {

struct StageRecord {
  std::uint32_t flags = 0;          // bit 0 mip mapping, bit 1 random start, bit 2 no texture
  std::uint32_t animationType = 0;  // 0 static, 1 frame grid, 2..4 numbered files
  std::uint32_t frameCount = 1;     // written when the type is not 0
  float speed = 0.0f;               // written when the type is not 0
  std::uint32_t columns = 1;        // written for type 1
  std::uint32_t rows = 1;           // written for type 1
  std::string diffuseName;
  std::string opacityName;
  std::uint32_t addressU = 1;
  std::uint32_t addressV = 1;
  float transform[4] = {1.0f, 1.0f, 0.0f, 0.0f};
};

struct ShaderRecord {
  std::uint32_t flags = 0;
  float colours[4][4] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}};
  float values[2] = {0.0f, 0.0f};
  std::uint32_t sourceBlend = 0;
  std::uint32_t destinationBlend = 0;
  std::vector<StageRecord> stages;
};

// The file's bytes. Names longer than 255 bytes cannot be stored: throws std::invalid_argument.
std::vector<std::uint8_t> WriteShaderFile(const ShaderRecord& shader);

// Parses the text form that the shaderc command reads (see shaderc.cpp); throws std::invalid_argument
// with the line number on a malformed line, a third stage or an animation type above 4.
ShaderRecord ParseShaderText(const std::string& text);

}  // namespace shaderc
