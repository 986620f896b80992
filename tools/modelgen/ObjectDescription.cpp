#include "tools/modelgen/ObjectDescription.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>
#include <stdexcept>

#include "engine/resources/Model.h"
#include "engine/resources/ModelFile.h"
#include "engine/resources/ParticleFile.h"
#include "tools/models/ModelFileWriter.h"
#include "tools/models/ParticleFileWriter.h"
#include "tools/shaderc/ShaderFileWriter.h"

namespace modelgen {
namespace {

using CorvantisEngine::ModelFileBox;
using CorvantisEngine::ModelFileData;
using CorvantisEngine::ModelFileVertex;
using CorvantisEngine::ParticleFileData;
using CorvantisEngine::ParticleParameters;
using CorvantisEngine::Vector3;
using CorvantisEngine::Vector4;

// Game models are flat and unlit, drawn without depth test in the second list like the GUI's own.
constexpr std::uint32_t kFlatModel =
    CorvantisEngine::kModelTriangleList | CorvantisEngine::kModelVisible | CorvantisEngine::kModelListB;

std::invalid_argument Fault(int line, const std::string& what) {
  return std::invalid_argument("line " + std::to_string(line) + ": " + what);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The numbers after a line's keyword; a word that is not a number is a fault.
std::vector<float> Numbers(std::istringstream& words, int line) {
  std::vector<float> values;
  std::string word;
  while (words >> word) {
    std::size_t used = 0;
    float value = 0.0f;
    try {
      value = std::stof(word, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used != word.size() || !std::isfinite(value)) {
      throw Fault(line, "'" + word + "' is not a number");
    }
    values.push_back(value);
  }
  return values;
}

void ExpectCount(const std::vector<float>& values, std::initializer_list<std::size_t> counts, int line,
                 const std::string& keyword) {
  if (std::find(counts.begin(), counts.end(), values.size()) == counts.end()) {
    throw Fault(line, "wrong number of values for '" + keyword + "'");
  }
}

struct Block {
  enum class Kind { kModel, kParticles } kind = Kind::kModel;
  std::string path;
  int line = 0;
  // Model.
  std::vector<ModelFileVertex> vertices;
  std::vector<std::uint32_t> indices;
  std::uint32_t frames = 1;
  float speed = 0.0f;
  float swell = 0.0f;
  float orbitX = 0.0f;
  float orbitY = 0.0f;
  // Particle system.
  ParticleFileData particles;
  // Material.
  std::string material;
  bool hasMaterial = false;
};

ModelFileVertex Vertex(float x, float y, float u, float v) {
  ModelFileVertex vertex;
  vertex.position = Vector3(x, y, 0.0f);
  vertex.normal = Vector3(0.0f, 0.0f, 1.0f);
  vertex.u = u;
  vertex.v = v;
  return vertex;
}

// Counter-clockwise as seen from +z (y up).
void AddQuad(Block& block, float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1) {
  const auto base = static_cast<std::uint32_t>(block.vertices.size());
  block.vertices.push_back(Vertex(x0, y0, u0, v0));
  block.vertices.push_back(Vertex(x1, y0, u1, v0));
  block.vertices.push_back(Vertex(x1, y1, u1, v1));
  block.vertices.push_back(Vertex(x0, y1, u0, v1));
  for (std::uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) {
    block.indices.push_back(base + i);
  }
}

void ModelLine(Block& block, const std::string& keyword, const std::vector<float>& n, int line) {
  if (keyword == "quad") {
    ExpectCount(n, {4, 8}, line, keyword);
    const bool uv = n.size() == 8;
    AddQuad(block, n[0], n[1], n[2], n[3], uv ? n[4] : 0.0f, uv ? n[5] : 0.0f, uv ? n[6] : 1.0f,
            uv ? n[7] : 1.0f);
  } else if (keyword == "grid") {
    ExpectCount(n, {6, 10}, line, keyword);
    const bool uv = n.size() == 10;
    const float u0 = uv ? n[6] : 0.0f, v0 = uv ? n[7] : 0.0f, u1 = uv ? n[8] : 1.0f, v1 = uv ? n[9] : 1.0f;
    if (n[4] < 1 || n[5] < 1 || n[4] > 64 || n[5] > 64 || n[4] != std::floor(n[4]) ||
        n[5] != std::floor(n[5])) {
      throw Fault(line, "a grid has 1 to 64 whole columns and rows");
    }
    const int columns = static_cast<int>(n[4]), rows = static_cast<int>(n[5]);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        const float a = static_cast<float>(c) / columns, b = static_cast<float>(c + 1) / columns;
        const float d = static_cast<float>(r) / rows, e = static_cast<float>(r + 1) / rows;
        AddQuad(block, n[0] + (n[2] - n[0]) * a, n[1] + (n[3] - n[1]) * d, n[0] + (n[2] - n[0]) * b,
                n[1] + (n[3] - n[1]) * e, u0 + (u1 - u0) * a, v0 + (v1 - v0) * d, u0 + (u1 - u0) * b,
                v0 + (v1 - v0) * e);
      }
    }
  } else if (keyword == "triangle") {
    ExpectCount(n, {6}, line, keyword);
    const auto base = static_cast<std::uint32_t>(block.vertices.size());
    for (int i = 0; i < 3; ++i) {
      block.vertices.push_back(Vertex(n[2 * i], n[2 * i + 1], 0.0f, 0.0f));
      block.indices.push_back(base + static_cast<std::uint32_t>(i));
    }
  } else if (keyword == "marker") {
    ExpectCount(n, {2}, line, keyword);
    AddQuad(block, n[0] - 1.0f, n[1] - 1.0f, n[0] + 1.0f, n[1] + 1.0f, 0.0f, 0.0f, 1.0f, 1.0f);
  } else if (keyword == "swell" || keyword == "orbit") {
    ExpectCount(n, {keyword == "swell" ? 3u : 4u}, line, keyword);
    if (block.frames > 1) {
      throw Fault(line, "a second animation");
    }
    if (n[0] < 2 || n[0] > 1000 || n[0] != std::floor(n[0]) || !(n[1] > 0.0f)) {
      throw Fault(line, "an animation has 2 to 1000 frames and a speed above 0");
    }
    block.frames = static_cast<std::uint32_t>(n[0]);
    block.speed = n[1];
    if (keyword == "swell") {
      block.swell = n[2];
    } else {
      block.orbitX = n[2];
      block.orbitY = n[3];
    }
  } else {
    throw Fault(line, "unknown model line '" + keyword + "'");
  }
}

// Six keys from one value (or vector) or from six.
template <typename T>
void Keys(T (&keys)[ParticleParameters::kKeys], const std::vector<float>& n, std::size_t width, int line,
          const std::string& keyword) {
  ExpectCount(n, {width, width * ParticleParameters::kKeys}, line, keyword);
  for (std::uint32_t k = 0; k < ParticleParameters::kKeys; ++k) {
    const std::size_t at = n.size() == width ? 0 : k * width;
    if constexpr (std::is_same_v<T, float>) {
      keys[k] = n[at];
    } else if constexpr (std::is_same_v<T, Vector3>) {
      keys[k] = Vector3(n[at], n[at + 1], n[at + 2]);
    } else {
      keys[k] = Vector4(n[at], n[at + 1], n[at + 2], n[at + 3]);
    }
  }
}

void ParticleLine(Block& block, const std::string& keyword, const std::vector<float>& n, int line) {
  ParticleFileData& file = block.particles;
  ParticleParameters& p = file.parameters;
  if (keyword == "max") {
    ExpectCount(n, {1}, line, keyword);
    if (n[0] < 1 || n[0] > 16384 || n[0] != std::floor(n[0])) {
      throw Fault(line, "max particles is a whole number from 1 to 16384");
    }
    file.maxParticles = static_cast<std::uint32_t>(n[0]);
  } else if (keyword == "duration") {
    ExpectCount(n, {1}, line, keyword);
    p.duration = n[0];
  } else if (keyword == "gravity") {
    ExpectCount(n, {2}, line, keyword);
    p.gravityOn = n[0] != 0.0f;
    p.gravity = n[1];
  } else if (keyword == "floor") {
    ExpectCount(n, {3}, line, keyword);
    p.floorOn = n[0] != 0.0f;
    p.floorHeight = n[1];
    p.bounce = n[2];
  } else if (keyword == "stop") {
    ExpectCount(n, {2}, line, keyword);
    p.dieWhenStopped = n[0] != 0.0f;
    p.stopSpeed = n[1];
  } else if (keyword == "interpolate") {
    ExpectCount(n, {1}, line, keyword);
    p.interpolateEmission = n[0] != 0.0f;
  } else if (keyword == "emission") {
    Keys(p.emissionKeys, n, 1, line, keyword);
  } else if (keyword == "life") {
    Keys(p.lifeKeys, n, 1, line, keyword);
  } else if (keyword == "life_variation") {
    Keys(p.lifeVariationKeys, n, 1, line, keyword);
  } else if (keyword == "size") {
    Keys(p.sizeKeys, n, 1, line, keyword);
  } else if (keyword == "speed") {
    Keys(p.speedKeys, n, 1, line, keyword);
  } else if (keyword == "speed_variation") {
    Keys(p.speedVariationKeys, n, 1, line, keyword);
  } else if (keyword == "direction") {
    Keys(p.directionKeys, n, 3, line, keyword);
  } else if (keyword == "direction_variation") {
    Keys(p.directionVariationKeys, n, 3, line, keyword);
  } else if (keyword == "colour") {
    Keys(p.colourKeys, n, 4, line, keyword);
  } else if (keyword == "spawn") {
    ExpectCount(n, {7}, line, keyword);
    file.spawnMode = static_cast<std::uint32_t>(n[0]);
    file.spawnMin = Vector3(n[1], n[2], n[3]);
    file.spawnMax = Vector3(n[4], n[5], n[6]);
  } else {
    throw Fault(line, "unknown particle line '" + keyword + "'");
  }
}

ModelFileBox BoxOf(const ModelFileVertex* vertices, std::size_t count) {
  ModelFileBox box{vertices[0].position, vertices[0].position};
  for (std::size_t i = 1; i < count; ++i) {
    const Vector3& p = vertices[i].position;
    box.min = Vector3(std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z));
    box.max = Vector3(std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z));
  }
  return box;
}

std::vector<std::uint8_t> EncodeModel(const Block& block) {
  if (block.indices.empty()) {
    throw Fault(block.line, "model '" + block.path + "' has no geometry");
  }
  ModelFileData data;
  data.vertexCount = static_cast<std::uint32_t>(block.vertices.size());
  data.indices = block.indices;
  if (block.frames < 2) {
    data.flags = kFlatModel | CorvantisEngine::kModelStatic;
    data.vertices = block.vertices;
    data.boxes.push_back(BoxOf(block.vertices.data(), block.vertices.size()));
  } else {
    data.flags = kFlatModel | CorvantisEngine::kModelFrames;
    data.frameCount = block.frames;
    data.speed = block.speed;
    const ModelFileBox rest = BoxOf(block.vertices.data(), block.vertices.size());
    const Vector3 centre((rest.min.x + rest.max.x) / 2, (rest.min.y + rest.max.y) / 2, 0.0f);
    for (std::uint32_t k = 0; k < block.frames; ++k) {
      const float scale =
          1.0f + block.swell * static_cast<float>(std::sin(std::numbers::pi * k / (block.frames - 1)));
      const double turn = 2.0 * std::numbers::pi * k / block.frames;
      const float dx = block.orbitX * static_cast<float>(std::cos(turn));
      const float dy = block.orbitY * static_cast<float>(std::sin(turn));
      for (ModelFileVertex vertex : block.vertices) {
        vertex.position = Vector3(centre.x + (vertex.position.x - centre.x) * scale + dx,
                                  centre.y + (vertex.position.y - centre.y) * scale + dy, 0.0f);
        data.vertices.push_back(vertex);
      }
      data.boxes.push_back(
          BoxOf(data.vertices.data() + std::size_t{k} * block.vertices.size(), block.vertices.size()));
    }
  }
  std::vector<std::uint8_t> bytes;
  if (!tools::EncodeModelFile(data, bytes)) {
    throw Fault(block.line, "model '" + block.path + "' cannot be encoded");
  }
  return bytes;
}

void Finish(Block& block, std::vector<GeneratedFile>& files) {
  if (!block.hasMaterial) {
    throw Fault(block.line, "'" + block.path + "' has no material");
  }
  std::vector<std::uint8_t> bytes;
  if (block.kind == Block::Kind::kModel) {
    bytes = EncodeModel(block);
  } else if (!tools::EncodeParticleFile(block.particles, bytes)) {
    throw Fault(block.line, "particle system '" + block.path + "' cannot be encoded");
  }
  files.push_back({block.path, std::move(bytes)});
  std::vector<std::uint8_t> material;
  try {
    material = shaderc::WriteShaderFile(shaderc::ParseShaderText(block.material));
  } catch (const std::invalid_argument& error) {
    throw Fault(block.line, "material of '" + block.path + "': " + error.what());
  }
  files.push_back({block.path.substr(0, block.path.size() - 4) + ".srf", std::move(material)});
}

}  // namespace

std::vector<GeneratedFile> GenerateFiles(const std::string& description) {
  std::vector<GeneratedFile> files;
  std::istringstream lines(description);
  std::string text;
  int number = 0;
  bool inBlock = false;
  bool inMaterial = false;
  Block block;
  while (std::getline(lines, text)) {
    ++number;
    const std::size_t comment = text.find('#');
    if (comment != std::string::npos) {
      text.erase(comment);
    }
    std::istringstream words(text);
    std::string keyword;
    if (!(words >> keyword)) {
      continue;
    }
    if (inMaterial) {
      if (keyword == "end") {
        inMaterial = false;
      } else {
        // The material keeps its own line numbers out of the way: its faults are reported by block.
        block.material += text + "\n";
      }
      continue;
    }
    if (keyword == "model" || keyword == "particles") {
      if (inBlock) {
        Finish(block, files);
      }
      block = Block();
      block.line = number;
      block.kind = keyword == "model" ? Block::Kind::kModel : Block::Kind::kParticles;
      std::string rest;
      if (!(words >> block.path) || (words >> rest)) {
        throw Fault(number, "'" + keyword + "' takes one path");
      }
      if (!EndsWith(block.path, keyword == "model" ? ".mdl" : ".psf")) {
        throw Fault(number, "'" + block.path + "' must end in " + (keyword == "model" ? ".mdl" : ".psf"));
      }
      inBlock = true;
      continue;
    }
    if (!inBlock) {
      throw Fault(number, "'" + keyword + "' outside a model or particle system");
    }
    if (keyword == "material") {
      if (block.hasMaterial) {
        throw Fault(number, "a second material");
      }
      block.hasMaterial = true;
      inMaterial = true;
      continue;
    }
    const std::vector<float> values = Numbers(words, number);
    if (block.kind == Block::Kind::kModel) {
      ModelLine(block, keyword, values, number);
    } else {
      ParticleLine(block, keyword, values, number);
    }
  }
  if (inMaterial) {
    throw Fault(number, "material without 'end'");
  }
  if (inBlock) {
    Finish(block, files);
  }
  return files;
}

}  // namespace modelgen
