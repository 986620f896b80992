#include "tools/shaderc/ShaderFileWriter.h"

#include <cstring>
#include <sstream>
#include <stdexcept>

namespace shaderc {

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

void PutF32(std::vector<std::uint8_t>& out, float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof(bits));
  PutU32(out, bits);
}

void PutString(std::vector<std::uint8_t>& out, const std::string& text) {
  if (text.size() > 255) {
    throw std::invalid_argument("name longer than 255 bytes: " + text);
  }
  out.push_back(static_cast<std::uint8_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

std::vector<std::uint8_t> WriteShaderFile(const ShaderRecord& shader) {
  std::vector<std::uint8_t> out;
  PutU32(out, 0);  // total length, filled in at the end
  const char magic[5] = {'Q', 'X', 'S', 'R', 'F'};
  out.insert(out.end(), magic, magic + 5);
  PutU32(out, 211);
  PutU32(out, shader.flags);
  for (const auto& colour : shader.colours) {
    for (float channel : colour) {
      PutF32(out, channel);
    }
  }
  PutF32(out, shader.values[0]);
  PutF32(out, shader.values[1]);
  PutU32(out, shader.sourceBlend);
  PutU32(out, shader.destinationBlend);
  PutU32(out, static_cast<std::uint32_t>(shader.stages.size()));
  for (const StageRecord& stage : shader.stages) {
    PutU32(out, stage.flags);
    PutU32(out, stage.animationType);
    if (stage.animationType != 0) {
      PutU32(out, stage.frameCount);
      PutF32(out, stage.speed);
    }
    if (stage.animationType == 1) {
      PutU32(out, stage.columns);
      PutU32(out, stage.rows);
    }
    PutString(out, stage.diffuseName);
    PutString(out, stage.opacityName);
    PutU32(out, stage.addressU);
    PutU32(out, stage.addressV);
    for (float value : stage.transform) {
      PutF32(out, value);
    }
  }
  const std::uint32_t size = static_cast<std::uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<std::uint8_t>(size >> (8 * i));
  }
  return out;
}

ShaderRecord ParseShaderText(const std::string& text) {
  ShaderRecord shader;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  StageRecord* stage = nullptr;
  while (std::getline(lines, line)) {
    ++number;
    const std::size_t comment = line.find('#');
    if (comment != std::string::npos) {
      line.erase(comment);
    }
    std::istringstream words(line);
    std::string key;
    if (!(words >> key)) {
      continue;
    }
    auto fail = [&]() { throw std::invalid_argument("line " + std::to_string(number) + ": " + line); };
    auto need = [&](auto&... values) {
      if (!((words >> values) && ...)) {
        fail();
      }
    };
    auto needStage = [&]() {
      if (stage == nullptr) {
        fail();
      }
    };
    if (key == "stage") {
      // The engine reads at most two stages and animation types 0 to 4; a description beyond that
      // fails here rather than giving a file the game replaces with its default material.
      if (shader.stages.size() >= 2) {
        fail();
      }
      shader.stages.emplace_back();
      stage = &shader.stages.back();
    } else if (key == "flags") {
      need(stage != nullptr ? stage->flags : shader.flags);
    } else if (key == "colour0" || key == "colour1" || key == "colour2" || key == "colour3") {
      auto& c = shader.colours[key[6] - '0'];
      need(c[0], c[1], c[2], c[3]);
    } else if (key == "values") {
      need(shader.values[0], shader.values[1]);
    } else if (key == "blend") {
      need(shader.sourceBlend, shader.destinationBlend);
    } else if (key == "type") {
      needStage();
      need(stage->animationType);
      if (stage->animationType > 4) {
        fail();
      }
    } else if (key == "frames") {
      needStage();
      need(stage->frameCount, stage->speed);
    } else if (key == "grid") {
      needStage();
      need(stage->columns, stage->rows);
    } else if (key == "diffuse") {
      needStage();
      need(stage->diffuseName);
    } else if (key == "opacity") {
      needStage();
      need(stage->opacityName);
    } else if (key == "address") {
      needStage();
      need(stage->addressU, stage->addressV);
    } else if (key == "transform") {
      needStage();
      need(stage->transform[0], stage->transform[1], stage->transform[2], stage->transform[3]);
    } else {
      fail();
    }
  }
  return shader;
}

}  // namespace shaderc
