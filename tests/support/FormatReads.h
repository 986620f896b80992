#pragma once
// Reads a model, particle or shader file held in memory through the engine's own readers, as tests of
// the tools that write those formats need. `name` names the file in error texts; for a shader it also
// gives the folder of bare texture names.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Vector.h"
#include "engine/files/FileBinary.h"
#include "engine/resources/ModelFile.h"
#include "engine/resources/ParticleFile.h"
#include "engine/resources/ShaderDescriptor.h"

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

inline CorvantisEngine::ModelFileData ReadModelBytes(const Bytes& bytes, const std::string& name = "m.mdl") {
  CorvantisEngine::FileBinary file(nullptr, name, false, false, true,
                                   static_cast<std::uint32_t>(bytes.size()), bytes.data());
  CorvantisEngine::ModelFileData out;
  CorvantisEngine::ReadModelFile(file, name, 0, out);
  return out;
}

inline CorvantisEngine::ParticleFileData ReadParticleBytes(const Bytes& bytes,
                                                           const std::string& name = "p.psf") {
  CorvantisEngine::FileBinary file(nullptr, name, false, false, true,
                                   static_cast<std::uint32_t>(bytes.size()), bytes.data());
  CorvantisEngine::ParticleFileData out;
  CorvantisEngine::ReadParticleFile(file, name, out);
  return out;
}

inline CorvantisEngine::ShaderDescriptor ReadShaderBytes(const Bytes& bytes, const std::string& name) {
  CorvantisEngine::FileBinary file(nullptr, name, false, false, true,
                                   static_cast<std::uint32_t>(bytes.size()), bytes.data());
  return CorvantisEngine::ShaderDescriptor(nullptr, file, name);
}

// The centre of a box.
inline CorvantisEngine::Vector3 BoxCentre(const CorvantisEngine::ModelFileBox& box) {
  return CorvantisEngine::Vector3((box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2,
                                  (box.min.z + box.max.z) / 2);
}

}  // namespace testsupport
