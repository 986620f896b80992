#include "engine/resources/Model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "engine/core/Error.h"
#include "engine/core/Frustum.h"
#include "engine/core/MathFunctions.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Plane.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/LightManager.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/ModelFile.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "engine/resources/Skeleton.h"

namespace CorvantisEngine {

namespace {

constexpr float kEpsilon = 0.0001f;
constexpr float kFar = 100000.0f;

struct BoxVertex {
  int px, py, pz;  // 0: corner a, 1: corner b, per axis
  float nx, ny, nz;
  float u, v;
};

// The 24 vertices of a box, four per face, each face facing outwards.
constexpr BoxVertex kBoxVertices[24] = {
    {0, 0, 0, 0, 0, -1, 1, 0}, {0, 1, 0, 0, 0, -1, 1, 1}, {1, 1, 0, 0, 0, -1, 0, 1},
    {1, 0, 0, 0, 0, -1, 0, 0}, {0, 0, 1, 0, 0, 1, 0, 0},  {1, 0, 1, 0, 0, 1, 1, 0},
    {1, 1, 1, 0, 0, 1, 1, 1},  {0, 1, 1, 0, 0, 1, 0, 1},  {0, 0, 0, 0, -1, 0, 0, 0},
    {1, 0, 0, 0, -1, 0, 1, 0}, {1, 0, 1, 0, -1, 0, 1, 1}, {0, 0, 1, 0, -1, 0, 0, 1},
    {1, 0, 0, 1, 0, 0, 0, 0},  {1, 1, 0, 1, 0, 0, 1, 0},  {1, 1, 1, 1, 0, 0, 1, 1},
    {1, 0, 1, 1, 0, 0, 0, 1},  {1, 1, 0, 0, 1, 0, 0, 0},  {0, 1, 0, 0, 1, 0, 1, 0},
    {0, 1, 1, 0, 1, 0, 1, 1},  {1, 1, 1, 0, 1, 0, 0, 1},  {0, 1, 0, -1, 0, 0, 0, 0},
    {0, 0, 0, -1, 0, 0, 1, 0}, {0, 0, 1, -1, 0, 0, 1, 1}, {0, 1, 1, -1, 0, 0, 0, 1},
};

// Writes position, normal and texture coordinates of vertex i, keeping a coloured vertex's colour.
void WriteVertex(std::uint8_t* data, std::uint32_t stride, std::uint32_t i, const Vector3& position,
                 const Vector3& normal, float u, float v) {
  std::uint8_t* p = data + static_cast<std::size_t>(stride) * i;
  const float head[6] = {position.x, position.y, position.z, normal.x, normal.y, normal.z};
  std::memcpy(p, head, sizeof(head));
  const float uv[2] = {u, v};
  std::memcpy(p + stride - 8, uv, sizeof(uv));
}

void WritePositionNormal(std::uint8_t* data, std::uint32_t stride, std::uint32_t i, const Vector3& position,
                         const Vector3& normal) {
  const float head[6] = {position.x, position.y, position.z, normal.x, normal.y, normal.z};
  std::memcpy(data + static_cast<std::size_t>(stride) * i, head, sizeof(head));
}

Vector3 ReadPosition(const std::uint8_t* data, std::uint32_t stride, std::uint32_t i) {
  float p[3];
  std::memcpy(p, data + static_cast<std::size_t>(stride) * i, sizeof(p));
  return Vector3(p[0], p[1], p[2]);
}

std::uint32_t ReadIndex(const IndexBuffer& buffer, std::uint32_t i) {
  const std::uint8_t* data = buffer.GetData();
  if (buffer.IsWide()) {
    std::uint32_t value;
    std::memcpy(&value, data + 4 * static_cast<std::size_t>(i), 4);
    return value;
  }
  std::uint16_t value;
  std::memcpy(&value, data + 2 * static_cast<std::size_t>(i), 2);
  return value;
}

// The rotation and scale part of a column-vector matrix applied to a direction (no translation).
Vector3 TransformDirection(const Matrix4& m, const Vector3& v) {
  return Vector3(m.m[0] * v.x + m.m[1] * v.y + m.m[2] * v.z, m.m[4] * v.x + m.m[5] * v.y + m.m[6] * v.z,
                 m.m[8] * v.x + m.m[9] * v.y + m.m[10] * v.z);
}

}  // namespace

void Model::StoreServices(const ModelServices& services) {
  log = services.log;
  fileManager = services.fileManager;
  timerManager = services.timerManager;
  renderSystem = services.renderSystem;
  cameraManager = services.cameraManager;
  lightManager = services.lightManager;
  shaderManager = services.shaderManager;
}

void Model::CreateZeroedBuffers(std::uint32_t vertexCount, std::uint32_t indexCount) {
  vertexBuffer = renderSystem->CreateVertexBuffer(kModelVertexUsage & flags, (flags & kModelColoured) ? 1 : 0,
                                                  vertexCount);
  // The factories leave the memory as it comes; a creator that fills less than all of it must not draw
  // garbage. Coloured vertices start opaque white.
  std::memset(vertexBuffer->Lock(0, vertexCount), 0,
              static_cast<std::size_t>(vertexBuffer->GetStride()) * vertexCount);
  vertexBuffer->Unlock();
  vertexBuffer->SetColour(Vector4(1.0f, 1.0f, 1.0f, 1.0f));
  indexBuffer = renderSystem->CreateIndexBuffer(kModelIndexUsage & flags, indexCount);
  std::memset(indexBuffer->Lock(0, indexCount), 0,
              static_cast<std::size_t>(indexBuffer->GetIndexSize()) * indexCount);
  indexBuffer->Unlock();
}

void Model::InitialiseDrawState(Camera* newCamera) {
  SetCamera(newCamera);
  world.Identity();
  baseTransform.Identity();
  depth = 0.0f;
  depthBias = 0.0f;
  morphCacheValid = false;
  morphFrameA = 0;
  morphFrameB = 0;
  morphT = 0.0f;
  strip = (flags & kModelTriangleList) ? 0 : 1;
  UpdatePrimitiveCount();
  visiblePrimitiveCount = 0;
}

Model::Model(const ModelServices& services, const Vector3& a, const Vector3& b,
             const ShaderDescriptor* descriptor, Camera* newCamera, std::uint32_t extraFlags) {
  StoreServices(services);
  name = "box";
  flags = kModelBoxFlags;
  SetFlags(extraFlags);
  try {
    animation = new AnimationControl(log, timerManager, 1);
    CreateZeroedBuffers(24, 36);
    std::uint8_t* data = vertexBuffer->Lock(0, 24);
    const std::uint32_t stride = vertexBuffer->GetStride();
    for (std::uint32_t i = 0; i < 24; ++i) {
      const BoxVertex& corner = kBoxVertices[i];
      const Vector3 position(corner.px ? b.x : a.x, corner.py ? b.y : a.y, corner.pz ? b.z : a.z);
      WriteVertex(data, stride, i, position, Vector3(corner.nx, corner.ny, corner.nz), corner.u, corner.v);
    }
    vertexBuffer->Unlock();
    std::uint32_t indices[36];
    for (std::uint32_t face = 0; face < 6; ++face) {
      const std::uint32_t v = 4 * face;
      const std::uint32_t quad[6] = {v, v + 1, v + 2, v + 2, v + 3, v};
      std::memcpy(indices + 6 * face, quad, sizeof(quad));
    }
    indexBuffer->SetIndices(0, 36, indices);
    shader = shaderManager->GetShader(descriptor != nullptr ? *descriptor : ShaderDescriptor(0));
    InitialiseDrawState(newCamera);
    ComputeBoundingBox(box, false);
  } catch (...) {
    Release();
    throw;
  }
}

Model::Model(const ModelServices& services, std::uint32_t flags_, std::uint32_t vertexCount,
             std::uint32_t indexCount, std::uint32_t frameCount, const ShaderDescriptor* descriptor,
             Camera* newCamera) {
  StoreServices(services);
  name = "self_made";
  flags = flags_ != 0 ? flags_ : kModelVertexUsage;
  try {
    animation = new AnimationControl(log, timerManager, frameCount);
    CreateZeroedBuffers(vertexCount, indexCount);
    shader = shaderManager->GetShader(descriptor != nullptr ? *descriptor : ShaderDescriptor(0));
    InitialiseDrawState(newCamera);
    box.SetBox(Vector3(-kEpsilon, -kEpsilon, -kEpsilon), Vector3(kEpsilon, kEpsilon, kEpsilon));
  } catch (...) {
    Release();
    throw;
  }
}

Model::Model(const ModelServices& services, const std::string& fileName, Camera* newCamera,
             std::uint32_t extraFlags) {
  StoreServices(services);
  name = fileName;
  ModelFileData data;
  try {
    std::unique_ptr<FileBinary> file(fileManager->OpenFile(FileManager::MakeDataPath(fileName), false));
    ReadModelFile(*file, fileName, extraFlags, data);
  } catch (const FileError& error) {
    if (log != nullptr) {
      log->Error(error.GetMessage());
    }
    throw Error(error.GetMessage());
  }
  try {
    BuildFromFile(data);
    std::string shaderName = fileName;
    FileManager::ChangeExtension(shaderName, "srf");
    shader = shaderManager->LoadShader(shaderName);
    InitialiseDrawState(newCamera);
  } catch (...) {
    Release();
    throw;
  }
}

void Model::BuildFromFile(const ModelFileData& data) {
  flags = data.flags;
  const std::uint32_t frames = data.frameCount;
  const std::uint32_t vertexCount = data.vertexCount;
  const std::uint32_t indexCount = static_cast<std::uint32_t>(data.indices.size());

  if (flags & kModelSkinned) {
    skeleton = new Skeleton(log, static_cast<std::uint16_t>(data.bones.size()));
    for (std::size_t i = 0; i < data.bones.size(); ++i) {
      const ModelFileBone& from = data.bones[i];
      SkeletonBone& bone = skeleton->bones[i];
      bone.excludedFromBounds = from.excludedFromBounds;
      bone.name = from.name;
      bone.pivot = from.pivot;
      bone.box.SetBox(from.boxMin, from.boxMax);
      bone.valueA = from.valueA;
      bone.valueB = from.valueB;
    }
    boneFrames = data.poses;
  }

  CreateZeroedBuffers(vertexCount, indexCount);
  indexBuffer->SetIndices(0, indexCount, data.indices.data());

  std::uint8_t* vertices = vertexBuffer->Lock(0, vertexCount);
  const std::uint32_t stride = vertexBuffer->GetStride();
  switch (GetModelVertexForm(flags)) {
    case ModelVertexForm::kStatic:
      for (std::uint32_t i = 0; i < vertexCount; ++i) {
        const ModelFileVertex& v = data.vertices[i];
        WriteVertex(vertices, stride, i, v.position, v.normal, v.u, v.v);
      }
      break;
    case ModelVertexForm::kFrames:
      frameVertices.resize(data.vertices.size());
      for (std::size_t i = 0; i < data.vertices.size(); ++i) {
        const ModelFileVertex& v = data.vertices[i];
        frameVertices[i] = FrameVertex{v.position, v.normal, v.u, v.v};
      }
      break;
    case ModelVertexForm::kSkinned:
      vertexWeights.assign(vertexCount, VertexWeights());
      for (std::uint32_t i = 0; i < vertexCount; ++i) {
        const ModelFileSkinnedVertex& v = data.skinnedVertices[i];
        WriteVertex(vertices, stride, i, Vector3(), Vector3(), v.u, v.v);
        VertexWeights& weights = vertexWeights[i];
        weights.influenceCount = static_cast<std::uint16_t>(v.influences.size());
        for (std::size_t k = 0; k < v.influences.size(); ++k) {
          const ModelFileInfluence& from = v.influences[k];
          weights.influences[k] = VertexInfluence{from.bone, from.weight, from.position, from.normal};
        }
      }
      break;
    case ModelVertexForm::kNone:
      break;
  }
  vertexBuffer->Unlock();

  if (flags & kModelFrames) {
    frameBoxes.resize(data.boxes.size());
    for (std::size_t i = 0; i < data.boxes.size(); ++i) {
      frameBoxes[i].SetBox(data.boxes[i].min, data.boxes[i].max);
    }
    box = frameBoxes[0];
  } else {
    box.SetBox(data.boxes[0].min, data.boxes[0].max);
  }

  if (skeleton != nullptr) {
    skeleton->Update(boneFrames.data(), 0, 0, 0.0f);
    box = skeleton->box;
  }
  animation = new AnimationControl(log, timerManager, frames);
  animation->speed = data.speed;
}

Model::Model(const Model& source, Camera* newCamera, std::uint32_t extraFlags) {
  log = source.log;
  fileManager = source.fileManager;
  timerManager = source.timerManager;
  renderSystem = source.renderSystem;
  cameraManager = source.cameraManager;
  lightManager = source.lightManager;
  shaderManager = source.shaderManager;
  flags = source.flags | extraFlags;
  if (flags == 0) {
    flags = kModelVertexUsage;
  }
  try {
    animation = new AnimationControl(*source.animation);
    // What the source carries decides what is copied: extra flags cannot conjure a skeleton or frames.
    if ((source.flags & kModelSkinned) && source.skeleton != nullptr) {
      skeleton = new Skeleton(*source.skeleton);
      boneFrames = source.boneFrames;
    }
    vertexBuffer = renderSystem->CreateVertexBufferFromData(
        kModelVertexUsage & flags, (flags & kModelColoured) ? 1 : 0, source.vertexBuffer);
    if (source.flags & kModelFrames) {
      frameVertices = source.frameVertices;
    } else if (source.flags & kModelSkinned) {
      vertexWeights = source.vertexWeights;
    }
    indexBuffer = renderSystem->CreateIndexBufferFromData(kModelIndexUsage & flags, source.indexBuffer);
    box = source.box;
    frameBoxes = source.frameBoxes;
    shader = shaderManager->GetShader(*source.shader);
    SetCamera(newCamera != nullptr ? newCamera : source.camera);
    world = source.world;
    baseTransform = source.baseTransform;
    box.SetMatrix(world);
    depth = source.depth;
    depthBias = source.depthBias;
    strip = source.strip;
    UpdatePrimitiveCount();
    visiblePrimitiveCount = 0;
    name = source.name;
    morphCacheValid = source.morphCacheValid;
    morphFrameA = source.morphFrameA;
    morphFrameB = source.morphFrameB;
    morphT = source.morphT;
  } catch (...) {
    Release();
    throw;
  }
}

Model::~Model() {
  Release();
}

void Model::Release() {
  if (shader != nullptr && shaderManager != nullptr) {
    shaderManager->RemoveShader(shader);
  }
  shader = nullptr;
  delete skeleton;
  skeleton = nullptr;
  delete animation;
  animation = nullptr;
  delete indexBuffer;
  indexBuffer = nullptr;
  delete vertexBuffer;
  vertexBuffer = nullptr;
}

void Model::SetFlags(std::uint32_t bits) {
  flags |= bits;
  if (bits & kModelListA) {
    flags &= ~kModelListB;
  } else if (bits & kModelListB) {
    flags &= ~kModelListA;
  }
  if (bits & kModelCullClockwise) {
    flags &= ~(kModelTwoPasses | kModelCullCounterClockwise);
  } else if (bits & kModelCullCounterClockwise) {
    flags &= ~(kModelTwoPasses | kModelCullClockwise);
  } else if (bits & kModelTwoPasses) {
    flags &= ~(kModelCullClockwise | kModelCullCounterClockwise);
  }
}

void Model::ClearFlags(std::uint32_t bits) {
  if (bits & (kModelListA | kModelListB)) {
    flags |= kModelListA | kModelListB;
  }
  flags &= ~bits;
}

void Model::SetColour(const Vector4& rgba) {
  vertexBuffer->SetColour(rgba);
}

void Model::SetCamera(Camera* newCamera) {
  camera = newCamera;
  if (camera == nullptr && cameraManager != nullptr) {
    camera = cameraManager->GetDefaultCamera();
  }
}

void Model::ApplyShaderDescriptor(const ShaderDescriptor& descriptor) {
  ShaderUser* old = shader;
  shader = shaderManager->GetShader(descriptor);
  shaderManager->RemoveShader(old);
}

void Model::ComputeBoundingBox(BoundingBox& out, bool toWorld) const {
  Vector3 min(kFar, kFar, kFar);
  Vector3 max(-kFar, -kFar, -kFar);
  const std::uint32_t count = indexBuffer->GetIndexCount();
  const std::uint32_t vertexCount = vertexBuffer->GetVertexCount();
  const std::uint32_t stride = vertexBuffer->GetStride();
  const std::uint8_t* data = vertexBuffer->GetData();
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t index = ReadIndex(*indexBuffer, i);
    if (index >= vertexCount) {
      continue;
    }
    const Vector3 p = ReadPosition(data, stride, index);
    min = Vector3(std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z));
    max = Vector3(std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z));
  }
  if (toWorld) {
    min = world.TransformPoint(min);
    max = world.TransformPoint(max);
  }
  out.SetBox(min, max);
}

void Model::UpdatePrimitiveCount() {
  const std::uint32_t count = indexBuffer->GetIndexCount();
  if (strip != 0) {
    // A strip of fewer than three indices has no triangle (and must not wrap round to four billion).
    primitiveCount = count >= 3 ? count - 2 : 0;
  } else {
    primitiveCount = count / 3;
  }
}

std::uint32_t Model::GetFrameCount() const {
  return animation != nullptr ? animation->frameCount : 1;
}

void Model::Update(bool cull) {
  std::uint32_t frameA = 0;
  std::uint32_t frameB = 0;
  float t = 0.0f;
  if (flags & (kModelFrames | kModelSkinned)) {
    animation->Update();
    frameA = animation->frameA;
    frameB = animation->frameB;
    t = animation->t;
  }
  if (!(flags & kModelVisible)) {
    return;
  }

  // Frames outside the model's data (a range set past its frames) show its last frame.
  std::uint32_t frames = 0;
  bool morphing = false;
  bool skinning = false;
  const std::uint32_t vertexCount = vertexBuffer->GetVertexCount();
  if (flags & kModelFrames) {
    frames = static_cast<std::uint32_t>(frameBoxes.size());
    if (vertexCount > 0) {
      frames =
          std::min<std::uint32_t>(frames, static_cast<std::uint32_t>(frameVertices.size() / vertexCount));
    }
    morphing = frames > 0;
  } else if ((flags & kModelSkinned) && skeleton != nullptr) {
    const std::size_t perFrame = static_cast<std::size_t>(skeleton->boneCount) * Skeleton::kPoseFloats;
    frames =
        perFrame > 0
            ? static_cast<std::uint32_t>(std::min<std::size_t>(boneFrames.size() / perFrame, 0xFFFFFFFFu))
            : GetFrameCount();
    skinning = frames > 0;
  }
  if (frames > 0) {
    frameA = std::min(frameA, frames - 1);
    frameB = std::min(frameB, frames - 1);
  }

  if ((flags & kModelRecomputeBounds) && (flags & kModelStatic)) {
    ComputeBoundingBox(box, false);
    box.SetMatrix(world);
  }
  if (flags & kModelFrames) {
    if (morphing) {
      BoundingBox::Lerp(box, frameBoxes[frameA], frameBoxes[frameB], t);
    }
    box.SetMatrix(world);
  } else if (flags & kModelSkinned) {
    if (skinning) {
      skeleton->Update(boneFrames.data(), frameA, frameB, t);
      box = skeleton->box;
    }
    box.SetMatrix(world);
  }

  UpdatePrimitiveCount();
  visiblePrimitiveCount = primitiveCount;
  if (cull && camera != nullptr && camera->frustum != nullptr && !camera->frustum->IsVisible(box)) {
    visiblePrimitiveCount = 0;
  }
  if (visiblePrimitiveCount == 0) {
    return;
  }
  if (!(flags & kModelKeepDepth) && camera != nullptr) {
    depth = camera->direction.Dot(camera->position - box.centre);
  }

  const bool changed = !(morphCacheValid && morphFrameA == frameA && morphFrameB == frameB &&
                         std::fabs(morphT - t) < kEpsilon);
  morphCacheValid = true;
  morphFrameA = frameA;
  morphFrameB = frameB;
  morphT = t;
  if (!changed) {
    return;
  }

  if (morphing) {
    std::uint8_t* data = vertexBuffer->Lock(0, vertexCount);
    const std::uint32_t stride = vertexBuffer->GetStride();
    const float u = 1.0f - t;
    const FrameVertex* a = frameVertices.data() + static_cast<std::size_t>(vertexCount) * frameA;
    const FrameVertex* b = frameVertices.data() + static_cast<std::size_t>(vertexCount) * frameB;
    for (std::uint32_t i = 0; i < vertexCount; ++i) {
      WriteVertex(data, stride, i, a[i].position * u + b[i].position * t, a[i].normal * u + b[i].normal * t,
                  a[i].u * u + b[i].u * t, a[i].v * u + b[i].v * t);
    }
    vertexBuffer->Unlock();
  } else if (skinning && !(flags & kModelFrames)) {
    std::uint8_t* data = vertexBuffer->Lock(0, vertexCount);
    const std::uint32_t stride = vertexBuffer->GetStride();
    const std::uint32_t count =
        std::min<std::uint32_t>(vertexCount, static_cast<std::uint32_t>(vertexWeights.size()));
    for (std::uint32_t i = 0; i < count; ++i) {
      const VertexWeights& weights = vertexWeights[i];
      Vector3 p;
      Vector3 n;
      const std::uint32_t influences = std::min<std::uint32_t>(weights.influenceCount, 4);
      for (std::uint32_t k = 0; k < influences; ++k) {
        const VertexInfluence& influence = weights.influences[k];
        if (influence.boneIndex >= skeleton->boneCount) {
          continue;
        }
        const SkeletonBone& bone = skeleton->bones[influence.boneIndex];
        // A normal is a direction: the pivot's translation must not bend it.
        n += TransformDirection(bone.normalMatrix, influence.normal) * influence.weight;
        p += bone.skinMatrix.TransformPoint(influence.position) * influence.weight;
      }
      WritePositionNormal(data, stride, i, p, n);
    }
    vertexBuffer->Unlock();
  }
}

void Model::Draw() {
  if (!(flags & kModelVisible) || visiblePrimitiveCount == 0 || shader == nullptr) {
    return;
  }
  if (shader->GetStageCount() > renderSystem->GetTextureStageCount()) {
    return;
  }
  if ((flags & kModelStencil) && !renderSystem->IsStencilPresent()) {
    return;
  }
  if (cameraManager != nullptr) {
    cameraManager->ApplyCamera(camera, (flags & kModelDepthBiased) != 0);
  }
  const bool lit = (flags & kModelLit) != 0;
  if (lightManager != nullptr) {
    lightManager->SetLightingEnabled(lit);
  } else {
    renderSystem->SetLighting(lit);
  }
  renderSystem->SetNormalizeNormals(lit);
  renderSystem->SetWorldMatrix(world);
  renderSystem->SetZ((flags & kModelDepthTest) != 0);
  renderSystem->SetZWrite(!(flags & kModelNoDepthWrite));
  renderSystem->SetStencil((flags & kModelStencil) != 0);

  const int passes = (flags & kModelTwoPasses) ? 2 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    std::uint32_t cull = RenderSystem::kCullNone;
    if (flags & kModelTwoPasses) {
      cull = pass == 0 ? RenderSystem::kCullCounterClockwise : RenderSystem::kCullClockwise;
    } else if (flags & kModelCullClockwise) {
      cull = RenderSystem::kCullClockwise;
    } else if (flags & kModelCullCounterClockwise) {
      cull = RenderSystem::kCullCounterClockwise;
    }
    renderSystem->SetCullMode(cull);
    shader->Apply();
    renderSystem->DrawIndexedPrimitive(strip, indexBuffer, vertexBuffer, primitiveCount);
  }
}

bool Model::IntersectSegment(const Ray& ray, float* distance) const {
  if (distance != nullptr) {
    *distance = kFar;
  }
  if (!box.IntersectsSegment(ray)) {
    return false;
  }
  Matrix4 inverse = world;
  inverse.Inverse();
  Ray local = inverse.TransformRay(ray);
  local.direction.Normalize(1.0f);

  float best = kFar;
  bool hit = false;
  const std::uint32_t indexCount = indexBuffer->GetIndexCount();
  const std::uint32_t vertexCount = vertexBuffer->GetVertexCount();
  const std::uint32_t stride = vertexBuffer->GetStride();
  const std::uint8_t* data = vertexBuffer->GetData();
  const bool list = (flags & kModelTriangleList) != 0;
  for (std::uint32_t i = 0; i < primitiveCount; ++i) {
    const std::uint64_t first = list ? 3ull * i : i;
    if (first + 2 >= indexCount) {
      break;
    }
    const std::uint32_t ia = ReadIndex(*indexBuffer, static_cast<std::uint32_t>(first));
    const std::uint32_t ib = ReadIndex(*indexBuffer, static_cast<std::uint32_t>(first + 1));
    const std::uint32_t ic = ReadIndex(*indexBuffer, static_cast<std::uint32_t>(first + 2));
    if (ia >= vertexCount || ib >= vertexCount || ic >= vertexCount) {
      continue;
    }
    const Vector3 a = ReadPosition(data, stride, ia);
    const Vector3 b = ReadPosition(data, stride, ib);
    const Vector3 c = ReadPosition(data, stride, ic);
    Plane plane;
    plane.SetFromPoints(a, b, c);
    float d = 0.0f;
    if (!plane.IntersectRay(local, d)) {
      continue;
    }
    const Vector3 point = local.origin + local.direction * d;
    if (!IsPointInTriangle(plane, a, b, c, point)) {
      continue;
    }
    if (d < best) {
      best = d;
    }
    hit = true;
    if (distance == nullptr) {
      break;
    }
  }
  if (distance != nullptr) {
    *distance = best;
  }
  return hit;
}

}  // namespace CorvantisEngine
