#pragma once
// ModelFile: the engine's binary model format ("QXMLF", versions 201 and 202), decoded into plain data
// that the Model builds its buffers, frames and skeleton from, and that the tools' writer encodes.
//
// Layout (little-endian, no padding): the versioned header (total length = file size, "QXMLF", version);
// the render flags; for frame-animated (0x2) or skinned (0x4) models the frame count and speed; for
// skinned models the bones and the per-frame poses; the index and vertex counts; the indices (16-bit
// below 65,536 indices, else 32-bit); the vertices (static 0x1, per-frame 0x2 or skinned 0x4 records);
// one box per frame (0x2) or one box.
//
// Any thread. Failures throw FileError: "Incorrect \"<name>\" file format" for a bad header and for any
// count or index that the file cannot hold or that points outside the model (checked before anything is
// allocated; without vertex records, a vertex count above the index count), "Incorrect \"<name>\" format
// version, current is 202" for another version. What the format reads in one piece (the header, a single
// field, the indices, the poses) fails as FileBinary's short read of that piece when the file ends early.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class FileBinary;

struct ModelFileBone {
  std::uint8_t excludedFromBounds = 0;
  std::string name;  // at most 255 bytes
  Vector3 pivot;     // stored by version 202 only
  Vector3 boxMin;
  Vector3 boxMax;
  std::uint16_t valueA = 0;
  std::uint16_t valueB = 0;
};

struct ModelFileInfluence {
  std::uint16_t bone = 0;
  float weight = 0.0f;
  Vector3 normal;
  Vector3 position;  // relative to the bone
};

struct ModelFileSkinnedVertex {
  float u = 0.0f;
  float v = 0.0f;
  std::vector<ModelFileInfluence> influences;  // at most 4
};

// One static or frame vertex as the engine holds it (the file stores u, v, normal, position).
struct ModelFileVertex {
  Vector3 position;
  Vector3 normal;
  float u = 0.0f;
  float v = 0.0f;
};

struct ModelFileBox {
  Vector3 min;
  Vector3 max;
};

struct ModelFileData {
  static constexpr std::uint32_t kCurrentVersion = 202;
  static constexpr std::uint32_t kMaxInfluences = 4;

  std::uint32_t version = kCurrentVersion;
  // The flags that chose the layout (file flags with the reader's extra flags, 0 made 0x200000).
  std::uint32_t flags = 0;
  std::uint32_t frameCount = 1;
  float speed = 0.0f;
  std::vector<ModelFileBone> bones;
  std::vector<float> poses;  // bones · frames · 10, frame-major
  std::vector<std::uint32_t> indices;
  std::uint32_t vertexCount = 0;
  std::vector<ModelFileVertex> vertices;  // static: vertexCount; frame-animated: vertexCount · frameCount
  std::vector<ModelFileSkinnedVertex> skinnedVertices;  // skinned: vertexCount
  std::vector<ModelFileBox> boxes;                      // frame-animated: frameCount; otherwise 1
};

// Which vertex records the flags select.
enum class ModelVertexForm { kNone, kStatic, kFrames, kSkinned };
ModelVertexForm GetModelVertexForm(std::uint32_t flags);

// Reads a whole model file. extraFlags are ORed into the file's flags before the layout is chosen.
void ReadModelFile(FileBinary& file, const std::string& fileName, std::uint32_t extraFlags,
                   ModelFileData& out);

}  // namespace CorvantisEngine
