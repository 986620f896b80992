#include "tools/models/ParticleFileWriter.h"

#include "tools/common/ByteWriter.h"

namespace tools {

using namespace CorvantisEngine;

bool EncodeParticleFile(const ParticleFileData& data, std::vector<std::uint8_t>& out) {
  if (data.version != 203 && data.version != 204) {
    return false;
  }
  const ParticleParameters& p = data.parameters;
  std::vector<std::uint8_t> bytes;
  ByteWriter w(bytes);
  w.U32(0);
  w.Bytes("QXPSF", 5);
  w.U32(data.version);
  w.U32(data.maxParticles);
  w.F32(p.duration);
  w.U8(p.gravityOn ? 1 : 0);
  w.F32(p.gravity);
  w.U8(p.floorOn ? 1 : 0);
  w.F32(p.floorHeight);
  w.F32(p.bounce);
  w.U8(p.dieWhenStopped ? 1 : 0);
  w.F32(p.stopSpeed);
  w.U8(p.interpolateEmission ? 1 : 0);
  for (float key : p.emissionKeys)
    w.F32(key);
  for (float key : p.lifeKeys)
    w.F32(key);
  for (float key : p.lifeVariationKeys)
    w.F32(key);
  for (const Vector3& key : p.directionKeys)
    w.V3(key);
  for (const Vector3& key : p.directionVariationKeys)
    w.V3(key);
  for (const Vector4& key : p.colourKeys)
    w.V4(key);
  for (float key : p.sizeKeys)
    w.F32(key);
  for (float key : p.speedKeys)
    w.F32(key);
  if (data.version == 204) {
    for (float key : p.speedVariationKeys)
      w.F32(key);
  }
  w.U32(data.spawnMode);
  w.V3(data.spawnMin);
  w.V3(data.spawnMax);
  w.FinishLength();
  out.swap(bytes);
  return true;
}

bool WriteParticleFile(const ParticleFileData& data, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  return EncodeParticleFile(data, bytes) && WriteWholeFile(bytes, path);
}

}  // namespace tools
