#include "engine/resources/ParticleFile.h"

#include <cstring>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileBinary.h"
#include "engine/resources/ByteCursor_Local.h"

namespace CorvantisEngine {

namespace {

void ReadKeys(ByteCursor& in, float* keys) {
  for (std::uint32_t i = 0; i < ParticleParameters::kKeys; ++i) {
    keys[i] = in.F32();
  }
}

}  // namespace

void ReadParticleFile(FileBinary& file, const std::string& fileName, ParticleFileData& out) {
  const std::string formatError = "Incorrect \"" + fileName + "\" file format";
  out = ParticleFileData();
  const std::uint32_t size = file.GetSize();
  if (file.GetRemaining() < 13) {
    throw FileError(formatError);
  }
  std::uint8_t header[13];
  file.Read(header, 13);
  ByteCursor head(header);
  const std::uint32_t totalLength = head.U32();
  if (std::memcmp(header + 4, "QXPSF", 5) != 0 || totalLength != size) {
    throw FileError(formatError);
  }
  ByteCursor versionCursor(header + 9);
  out.version = versionCursor.U32();
  if (out.version != 203 && out.version != 204) {
    throw FileError("Incorrect \"" + fileName + "\" format version, current is " +
                    UIntToString(ParticleFileData::kCurrentVersion));
  }
  const std::uint32_t bodySize =
      (out.version == 204 ? ParticleFileData::kSize204 : ParticleFileData::kSize203) - 13;
  if (file.GetRemaining() < bodySize) {
    throw FileError(formatError);
  }
  std::vector<std::uint8_t> body(bodySize);
  file.Read(body.data(), bodySize);
  ByteCursor in(body.data());
  ParticleParameters& p = out.parameters;
  out.maxParticles = in.U32();
  p.duration = in.F32();
  p.gravityOn = in.Bool();
  p.gravity = in.F32();
  p.floorOn = in.Bool();
  p.floorHeight = in.F32();
  p.bounce = in.F32();
  p.dieWhenStopped = in.Bool();
  p.stopSpeed = in.F32();
  p.interpolateEmission = in.Bool();
  ReadKeys(in, p.emissionKeys);
  ReadKeys(in, p.lifeKeys);
  ReadKeys(in, p.lifeVariationKeys);
  for (Vector3& key : p.directionKeys) {
    key = in.V3();
  }
  for (Vector3& key : p.directionVariationKeys) {
    key = in.V3();
  }
  for (Vector4& key : p.colourKeys) {
    key = in.V4();
  }
  ReadKeys(in, p.sizeKeys);
  ReadKeys(in, p.speedKeys);
  if (out.version == 204) {
    ReadKeys(in, p.speedVariationKeys);
  } else {
    for (float& key : p.speedVariationKeys) {
      key = 0.0f;
    }
  }
  out.spawnMode = in.U32();
  out.spawnMin = in.V3();
  out.spawnMax = in.V3();
}

}  // namespace CorvantisEngine
