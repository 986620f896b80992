#include "tools/shaderc/ShaderFileWriter.h"

#include <cstring>
#include <sstream>
#include <stdexcept>

#include "tools/common/ByteWriter.h"

namespace shaderc {

namespace {

void PutString(tools::ByteWriter& out, const std::string& text) {
  if (text.size() > 255) {
    throw std::invalid_argument("name longer than 255 bytes: " + text);
  }
  out.U8(static_cast<std::uint8_t>(text.size()));
  out.Bytes(text.data(), text.size());
}

}  // namespace

std::vector<std::uint8_t> WriteShaderFile(const ShaderRecord& shader) {
  std::vector<std::uint8_t> bytes;
  tools::ByteWriter out(bytes);
  out.U32(0);  // total length, filled in at the end
  out.Bytes("QXSRF", 5);
  out.U32(211);
  out.U32(shader.flags);
  for (const auto& colour : shader.colours) {
    for (float channel : colour) {
      out.F32(channel);
    }
  }
  out.F32(shader.values[0]);
  out.F32(shader.values[1]);
  out.U32(shader.sourceBlend);
  out.U32(shader.destinationBlend);
  out.U32(static_cast<std::uint32_t>(shader.stages.size()));
  for (const StageRecord& stage : shader.stages) {
    out.U32(stage.flags);
    out.U32(stage.animationType);
    if (stage.animationType != 0) {
      out.U32(stage.frameCount);
      out.F32(stage.speed);
    }
    if (stage.animationType == 1) {
      out.U32(stage.columns);
      out.U32(stage.rows);
    }
    PutString(out, stage.diffuseName);
    PutString(out, stage.opacityName);
    out.U32(stage.addressU);
    out.U32(stage.addressV);
    for (float value : stage.transform) {
      out.F32(value);
    }
  }
  out.FinishLength();
  return bytes;
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
