#include "tools/models/ModelFileWriter.h"

#include "tools/common/ByteWriter.h"

namespace tools {

using namespace CorvantisEngine;

bool EncodeModelFile(const ModelFileData& data, std::vector<std::uint8_t>& out) {
  const std::uint32_t flags = data.flags;
  const bool animated = (flags & 0x6) != 0;
  const std::uint64_t frames = animated ? data.frameCount : 1;
  const std::uint64_t vertices = data.vertexCount;
  if (data.version != 201 && data.version != 202) {
    return false;
  }
  if ((flags & 0x4) && (data.bones.size() > 0xFFFF || data.poses.size() != data.bones.size() * frames * 10)) {
    return false;
  }
  if (flags & 0x1) {
    if (data.vertices.size() != vertices) {
      return false;
    }
  } else if (flags & 0x2) {
    if (data.vertices.size() != vertices * frames) {
      return false;
    }
  } else if (flags & 0x4) {
    if (data.skinnedVertices.size() != vertices) {
      return false;
    }
    for (const ModelFileSkinnedVertex& vertex : data.skinnedVertices) {
      if (vertex.influences.size() > ModelFileData::kMaxInfluences) {
        return false;
      }
      for (const ModelFileInfluence& influence : vertex.influences) {
        if (influence.bone >= data.bones.size()) {
          return false;
        }
      }
    }
  } else if (vertices > data.indices.size()) {
    // Without vertex records the reader takes no more vertices than the indices can reach.
    return false;
  }
  if (animated && data.frameCount == 0) {
    return false;
  }
  for (std::uint32_t index : data.indices) {
    if (index >= vertices) {
      return false;
    }
  }
  if (data.boxes.size() != ((flags & 0x2) ? frames : 1)) {
    return false;
  }
  for (const ModelFileBone& bone : data.bones) {
    if (bone.name.size() > 255) {
      return false;
    }
  }

  std::vector<std::uint8_t> bytes;
  ByteWriter w(bytes);
  w.U32(0);
  w.Bytes("QXMLF", 5);
  w.U32(data.version);
  w.U32(flags);
  if (animated) {
    w.U32(data.frameCount);
    w.F32(data.speed);
  }
  if (flags & 0x4) {
    w.U16(static_cast<std::uint16_t>(data.bones.size()));
    for (const ModelFileBone& bone : data.bones) {
      w.U8(bone.excludedFromBounds);
      w.U8(static_cast<std::uint8_t>(bone.name.size()));
      w.Bytes(bone.name.data(), bone.name.size());
      if (data.version == 202) {
        w.V3(bone.pivot);
      }
      w.V3(bone.boxMin);
      w.V3(bone.boxMax);
      w.U16(bone.valueA);
      w.U16(bone.valueB);
    }
    for (float value : data.poses) {
      w.F32(value);
    }
  }
  const auto indexCount = static_cast<std::uint32_t>(data.indices.size());
  w.U32(indexCount);
  w.U32(data.vertexCount);
  for (std::uint32_t index : data.indices) {
    if (indexCount < 0x10000) {
      w.U16(static_cast<std::uint16_t>(index));
    } else {
      w.U32(index);
    }
  }
  if (flags & 0x3) {
    for (const ModelFileVertex& vertex : data.vertices) {
      w.F32(vertex.u);
      w.F32(vertex.v);
      w.V3(vertex.normal);
      w.V3(vertex.position);
    }
  } else if (flags & 0x4) {
    for (const ModelFileSkinnedVertex& vertex : data.skinnedVertices) {
      w.F32(vertex.u);
      w.F32(vertex.v);
      w.U16(static_cast<std::uint16_t>(vertex.influences.size()));
      for (const ModelFileInfluence& influence : vertex.influences) {
        w.U16(influence.bone);
        w.F32(influence.weight);
        w.V3(influence.normal);
        w.V3(influence.position);
      }
    }
  }
  for (const ModelFileBox& box : data.boxes) {
    w.V3(box.min);
    w.V3(box.max);
  }
  w.FinishLength();
  out.swap(bytes);
  return true;
}

bool WriteModelFile(const ModelFileData& data, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  return EncodeModelFile(data, bytes) && WriteWholeFile(bytes, path);
}

}  // namespace tools
