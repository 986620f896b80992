#include "engine/resources/ModelFile.h"

#include <cstring>

#include "engine/core/Error.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileBinary.h"
#include "engine/resources/ByteCursor_Local.h"

namespace CorvantisEngine {

namespace {

constexpr std::uint32_t kHeaderSize = 13;
constexpr std::uint32_t kVertexRecordSize = 32;
constexpr std::uint32_t kBoxSize = 24;
constexpr std::uint32_t kPoseSize = 40;
constexpr std::uint32_t kInfluenceSize = 30;
constexpr std::uint32_t kWideIndicesFrom = 0x10000;

// Reads sections of a model file, refusing any size the rest of the file cannot hold before a byte of
// it is allocated.
class SectionReader {
 public:
  SectionReader(FileBinary& file, const std::string& fileName)
      : file_(file), formatError_("Incorrect \"" + fileName + "\" file format") {}

  [[noreturn]] void Fail() const { throw FileError(formatError_); }

  // Reads a section of records, `size` bytes, refused as a bad format when fewer remain; returns them.
  const std::uint8_t* Take(std::uint64_t size) {
    if (size > file_.GetRemaining()) {
      Fail();
    }
    block_.resize(static_cast<std::size_t>(size));
    if (size > 0) {
      file_.Read(block_.data(), static_cast<std::uint32_t>(size));
    }
    cursor_ = ByteCursor(block_.data());
    return block_.data();
  }
  // Reads what the format reads in one piece (the header, a field, the indices, the poses): when fewer
  // bytes remain it fails as the file's short read of that piece, without a buffer the size of the claim.
  const std::uint8_t* Piece(std::uint64_t size) {
    const std::uint32_t remaining = file_.GetRemaining();
    if (size > remaining && size <= 0xFFFFFFFFu) {
      block_.resize(remaining);
      file_.Read(block_.data(), static_cast<std::uint32_t>(size));  // delivers the rest, then throws
    }
    return Take(size);
  }
  void Need(std::uint64_t size) const {
    if (size > file_.GetRemaining()) {
      Fail();
    }
  }

  std::uint8_t U8() {
    Piece(1);
    return block_[0];
  }
  std::uint16_t U16() {
    Piece(2);
    return cursor_.U16();
  }
  std::uint32_t U32() {
    Piece(4);
    return cursor_.U32();
  }
  float F32() {
    Piece(4);
    return cursor_.F32();
  }
  std::string String() {
    const std::uint8_t length = U8();
    Piece(length);
    return std::string(reinterpret_cast<const char*>(block_.data()), length);
  }

  // Decodes the last block taken.
  ByteCursor& Next() { return cursor_; }

 private:
  FileBinary& file_;
  std::string formatError_;
  std::vector<std::uint8_t> block_;
  ByteCursor cursor_;
};

}  // namespace

ModelVertexForm GetModelVertexForm(std::uint32_t flags) {
  if (flags & 0x1) {
    return ModelVertexForm::kStatic;
  }
  if (flags & 0x2) {
    return ModelVertexForm::kFrames;
  }
  if (flags & 0x4) {
    return ModelVertexForm::kSkinned;
  }
  return ModelVertexForm::kNone;
}

void ReadModelFile(FileBinary& file, const std::string& fileName, std::uint32_t extraFlags,
                   ModelFileData& out) {
  SectionReader reader(file, fileName);
  out = ModelFileData();

  // Header, in one piece.
  const std::uint8_t* header = reader.Piece(kHeaderSize);
  const std::uint32_t totalLength = reader.Next().U32();
  if (std::memcmp(header + 4, "QXMLF", 5) != 0 || totalLength != file.GetSize()) {
    reader.Fail();
  }
  out.version = ByteCursor(header + 9).U32();
  if (out.version != 202 && out.version != 201) {
    throw FileError("Incorrect \"" + fileName + "\" format version, current is " +
                    UIntToString(ModelFileData::kCurrentVersion));
  }

  // Flags, frames.
  out.flags = reader.U32() | extraFlags;
  if (out.flags == 0) {
    out.flags = 0x200000;
  }
  const std::uint32_t flags = out.flags;
  if (flags & 0x6) {
    out.frameCount = reader.U32();
    out.speed = reader.F32();
    // Every animated model shows at least one frame; the animation ranges and the per-frame arrays are
    // sized from this count.
    if (out.frameCount == 0) {
      reader.Fail();
    }
  }
  const std::uint64_t frames = out.frameCount;

  // Bones and poses.
  if (flags & 0x4) {
    const std::uint16_t boneCount = reader.U16();
    const std::uint64_t smallestBone = 1 + 1 + (out.version == 202 ? 12 : 0) + kBoxSize + 4;
    reader.Need(smallestBone * boneCount);
    out.bones.resize(boneCount);
    for (ModelFileBone& bone : out.bones) {
      bone.excludedFromBounds = reader.U8();
      bone.name = reader.String();
      if (out.version == 202) {
        reader.Take(12);
        bone.pivot = reader.Next().V3();
      }
      reader.Take(kBoxSize + 4);
      bone.boxMin = reader.Next().V3();
      bone.boxMax = reader.Next().V3();
      bone.valueA = reader.Next().U16();
      bone.valueB = reader.Next().U16();
    }
    const std::uint64_t poseCount = static_cast<std::uint64_t>(boneCount) * frames;
    reader.Piece(poseCount * kPoseSize);
    out.poses.resize(static_cast<std::size_t>(poseCount * 10));
    for (float& value : out.poses) {
      value = reader.Next().F32();
    }
  }

  // Indices.
  const std::uint32_t indexCount = reader.U32();
  out.vertexCount = reader.U32();
  const std::uint32_t indexSize = indexCount < kWideIndicesFrom ? 2 : 4;
  reader.Piece(static_cast<std::uint64_t>(indexCount) * indexSize);
  out.indices.resize(indexCount);
  for (std::uint32_t& index : out.indices) {
    index = indexSize == 2 ? reader.Next().U16() : reader.Next().U32();
    // An index past the vertices would make every reader of the buffers (bounds, picking, drawing) reach
    // outside them.
    if (index >= out.vertexCount) {
      reader.Fail();
    }
  }

  // Vertices.
  const std::uint64_t vertexCount = out.vertexCount;
  const ModelVertexForm form = GetModelVertexForm(flags);
  // Without vertex records nothing in the file backs the vertex count, yet the model sizes its vertex
  // buffer from it: only as many vertices as the indices can reach are taken.
  if (form == ModelVertexForm::kNone && vertexCount > indexCount) {
    reader.Fail();
  }
  if (form == ModelVertexForm::kStatic || form == ModelVertexForm::kFrames) {
    const std::uint64_t records = form == ModelVertexForm::kStatic ? vertexCount : vertexCount * frames;
    reader.Take(records * kVertexRecordSize);
    out.vertices.resize(static_cast<std::size_t>(records));
    for (ModelFileVertex& vertex : out.vertices) {
      vertex.u = reader.Next().F32();
      vertex.v = reader.Next().F32();
      vertex.normal = reader.Next().V3();
      vertex.position = reader.Next().V3();
    }
  } else if (form == ModelVertexForm::kSkinned) {
    // Each record holds at least u, v and its influence count.
    reader.Need(vertexCount * 10);
    out.skinnedVertices.resize(static_cast<std::size_t>(vertexCount));
    for (ModelFileSkinnedVertex& vertex : out.skinnedVertices) {
      reader.Take(10);
      vertex.u = reader.Next().F32();
      vertex.v = reader.Next().F32();
      const std::uint16_t influenceCount = reader.Next().U16();
      if (influenceCount > ModelFileData::kMaxInfluences) {
        reader.Fail();
      }
      reader.Take(static_cast<std::uint64_t>(influenceCount) * kInfluenceSize);
      vertex.influences.resize(influenceCount);
      for (ModelFileInfluence& influence : vertex.influences) {
        influence.bone = reader.Next().U16();
        influence.weight = reader.Next().F32();
        influence.normal = reader.Next().V3();
        influence.position = reader.Next().V3();
        if (influence.bone >= out.bones.size()) {
          reader.Fail();
        }
      }
    }
  }

  // Bounds.
  const std::uint64_t boxCount = (flags & 0x2) ? frames : 1;
  reader.Take(boxCount * kBoxSize);
  out.boxes.resize(static_cast<std::size_t>(boxCount));
  for (ModelFileBox& box : out.boxes) {
    box.min = reader.Next().V3();
    box.max = reader.Next().V3();
  }
}

}  // namespace CorvantisEngine
