#pragma once
// Encodes a particle system into the engine's particle file format ("QXPSF"): 453 bytes for version
// 204, 429 for version 203 (which has no speed variation keys).

#include <cstdint>
#include <string>
#include <vector>

#include "engine/resources/ParticleFile.h"

namespace tools {

// False for a version other than 203 or 204.
bool EncodeParticleFile(const CorvantisEngine::ParticleFileData& data, std::vector<std::uint8_t>& out);
bool WriteParticleFile(const CorvantisEngine::ParticleFileData& data, const std::string& path);

}  // namespace tools
