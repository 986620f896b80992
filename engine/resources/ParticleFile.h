#pragma once
// ParticleFile: the particle-system format ("QXPSF", versions 203 and 204), decoded into the
// parameters a ParticleSystem starts from, and encoded by the tools' writer.
//
// Layout (little-endian, bools one byte): the versioned header (total length = file size, "QXPSF",
// version); max particles; duration; gravity on and gravity; floor on, floor height, bounce; die when
// stopped and stop speed; interpolate emission; six keys each of emission, life, life variation,
// direction and direction variation (Vector3), colour (Vector4), size, speed and, in version 204 only,
// speed variation; spawn mode; the two corners of the spawn box. A version-204 file is 453 bytes, a
// version-203 file 429.
//
// Any thread. Failures throw FileError: "Incorrect \"<name>\" file format" for a bad header or a short
// file, "Incorrect \"<name>\" format version, current is 204" for another version.

#include <cstdint>
#include <string>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class FileBinary;

struct ParticleParameters {
  static constexpr std::uint32_t kKeys = 6;

  float duration = 1.0f;
  bool gravityOn = true;
  float gravity = 1.0f;
  bool floorOn = true;
  float floorHeight = -1.0f;
  float bounce = 0.9f;
  bool dieWhenStopped = true;
  float stopSpeed = 0.4f;
  bool interpolateEmission = true;
  float emissionKeys[kKeys] = {10, 10, 10, 10, 10, 10};
  float lifeKeys[kKeys] = {1, 1, 1, 1, 1, 1};
  float lifeVariationKeys[kKeys] = {0, 0, 0, 0, 0, 0};
  Vector3 directionKeys[kKeys];
  Vector3 directionVariationKeys[kKeys] = {Vector3(1, 1, 1), Vector3(1, 1, 1), Vector3(1, 1, 1),
                                           Vector3(1, 1, 1), Vector3(1, 1, 1), Vector3(1, 1, 1)};
  Vector4 colourKeys[kKeys];
  float sizeKeys[kKeys] = {1, 1, 1, 1, 1, 1};
  float speedKeys[kKeys] = {1, 1, 1, 1, 1, 1};
  float speedVariationKeys[kKeys] = {0, 0, 0, 0, 0, 0};
};

struct ParticleFileData {
  static constexpr std::uint32_t kCurrentVersion = 204;
  static constexpr std::uint32_t kSize204 = 453;
  static constexpr std::uint32_t kSize203 = 429;

  std::uint32_t version = kCurrentVersion;
  std::uint32_t maxParticles = 100;
  ParticleParameters parameters;
  std::uint32_t spawnMode = 0;
  Vector3 spawnMin{-0.5f, -0.5f, -0.5f};
  Vector3 spawnMax{0.5f, 0.5f, 0.5f};
};

void ReadParticleFile(FileBinary& file, const std::string& fileName, ParticleFileData& out);

}  // namespace CorvantisEngine
