#include "engine/resources/Skeleton.h"

#include <algorithm>

namespace CorvantisEngine {

Skeleton::Skeleton(MessageManager* log_, std::uint16_t boneCount_)
    : log(log_), boneCount(boneCount_), bones(boneCount_) {
  for (SkeletonBone& bone : bones) {
    bone.box.SetBox(Vector3(), Vector3());
  }
  box.SetBox(Vector3(-0.5f, -0.5f, -0.5f), Vector3(0.5f, 0.5f, 0.5f));
}

Skeleton::~Skeleton() = default;

void Skeleton::Update(const float* poses, std::uint32_t frameA, std::uint32_t frameB, float t) {
  const float u = 1.0f - t;
  for (std::uint32_t i = 0; i < boneCount; ++i) {
    SkeletonBone& bone = bones[i];
    const float* a = poses + (static_cast<std::size_t>(frameA) * boneCount + i) * kPoseFloats;
    const float* b = poses + (static_cast<std::size_t>(frameB) * boneCount + i) * kPoseFloats;
    bone.translation = Vector3(a[0], a[1], a[2]) * u + Vector3(b[0], b[1], b[2]) * t;
    Quaternion::Lerp(bone.rotation, Quaternion(a[3], a[4], a[5], a[6]), Quaternion(b[3], b[4], b[5], b[6]),
                     t);
    bone.scale = Vector3(a[7], a[8], a[9]) * u + Vector3(b[7], b[8], b[9]) * t;

    bone.pivotMatrix.Translation(bone.pivot);
    bone.rotation.ToMatrix(bone.rotationMatrix);
    bone.translationMatrix.Translation(bone.translation);
    bone.scaleMatrix.Scaling(bone.scale);
    const Matrix4 rotationScale = bone.rotationMatrix * bone.scaleMatrix;
    bone.normalMatrix = rotationScale * bone.pivotMatrix;
    bone.skinMatrix = (bone.translationMatrix * rotationScale) * bone.pivotMatrix;
    bone.box.SetMatrix(bone.skinMatrix);
  }

  Vector3 min(100000.0f, 100000.0f, 100000.0f);
  Vector3 max(-100000.0f, -100000.0f, -100000.0f);
  for (const SkeletonBone& bone : bones) {
    if (bone.excludedFromBounds != 0) {
      continue;
    }
    min = Vector3(std::min(min.x, bone.box.worldMin.x), std::min(min.y, bone.box.worldMin.y),
                  std::min(min.z, bone.box.worldMin.z));
    max = Vector3(std::max(max.x, bone.box.worldMax.x), std::max(max.y, bone.box.worldMax.y),
                  std::max(max.z, bone.box.worldMax.z));
  }
  box.SetBox(min, max);
}

}  // namespace CorvantisEngine
