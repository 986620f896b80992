#pragma once
// Skeleton: the bones of a skinned model. Given the pose records of two frames and a blend factor,
// Update computes every bone's matrices (the skin matrix that places influence positions and the
// bone's box, the normal matrix for influence normals) and the skeleton's bounding box in model space.
//
// Owned by its Model; created by the model file reader, copied with the model. Main thread only after
// loading. Nothing fails: the caller passes pose data holding both frames.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/BoundingBox.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;

struct SkeletonBone {
  std::uint8_t excludedFromBounds = 0;
  std::string name;
  BoundingBox box;
  std::uint16_t valueA = 0;
  std::uint16_t valueB = 0;
  Vector3 pivot;
  Quaternion rotation;
  Vector3 translation;
  Vector3 scale;
  Matrix4 pivotMatrix;
  Matrix4 translationMatrix;
  Matrix4 rotationMatrix;
  Matrix4 scaleMatrix;
  // rotation · scale · pivot
  Matrix4 normalMatrix;
  // translation · rotation · scale · pivot
  Matrix4 skinMatrix;
};

class Skeleton {
 public:
  // Floats per pose record: translation (3), rotation x, y, z, w (4), scale (3).
  static constexpr std::uint32_t kPoseFloats = 10;

  Skeleton(MessageManager* log, std::uint16_t boneCount);
  Skeleton(const Skeleton& source) = default;
  Skeleton& operator=(const Skeleton&) = delete;
  virtual ~Skeleton();

  // index must be below boneCount.
  SkeletonBone* GetBone(std::uint32_t index) { return &bones[index]; }
  std::uint16_t GetBoneCount() const { return boneCount; }

  // poses: frame-major records, bone b of frame f at float (f · boneCount + b) · 10; both frames must be
  // present.
  void Update(const float* poses, std::uint32_t frameA, std::uint32_t frameB, float t);

  MessageManager* log;
  std::uint16_t boneCount;
  std::vector<SkeletonBone> bones;
  BoundingBox box;
};

}  // namespace CorvantisEngine
