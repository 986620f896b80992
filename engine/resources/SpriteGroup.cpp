#include "engine/resources/SpriteGroup.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"

namespace CorvantisEngine {

namespace {

constexpr float kEpsilon = 0.0001f;

// v rotated by angle about the unit axis d.
Vector3 RotateAbout(const Vector3& v, const Vector3& d, float angle) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  return v * c + d.Cross(v) * s + d * (d.Dot(v) * (1.0f - c));
}

float SafeDepth(float depth) {
  return std::isnan(depth) ? -std::numeric_limits<float>::infinity() : depth;
}

}  // namespace

SpriteGroup::SpriteGroup(MessageManager* log_, CameraManager* cameraManager_, ModelManager* modelManager_,
                         ShaderManager* shaderManager_, std::uint32_t capacity_,
                         const ShaderDescriptor* descriptor, Camera* camera_)
    : log(log_),
      cameraManager(cameraManager_),
      modelManager(modelManager_),
      shaderManager(shaderManager_),
      capacity(capacity_),
      sprites(capacity_),
      camera(camera_ != nullptr || cameraManager_ == nullptr ? camera_ : cameraManager_->GetDefaultCamera()) {
  used.reserve(capacity);
  for (std::uint32_t i = 0; i < capacity; ++i) {
    freeQueue.push_back(i);
  }
  model = modelManager->CreateModel(kModelFlags, capacity * 4, capacity * 6, 1, descriptor, camera);
  BuildModelTables();
}

SpriteGroup::SpriteGroup(const SpriteGroup& source, bool copySprites)
    : log(source.log),
      cameraManager(source.cameraManager),
      modelManager(source.modelManager),
      shaderManager(source.shaderManager),
      capacity(source.capacity),
      sprites(source.capacity),
      camera(source.camera),
      sort(source.sort),
      centre(source.centre),
      colour(source.colour) {
  used.reserve(capacity);
  if (copySprites) {
    freeQueue = source.freeQueue;
    sprites = source.sprites;
  } else {
    // Without its sprites the copy starts empty: every sprite free, handed out in index order.
    for (std::uint32_t i = 0; i < capacity; ++i) {
      freeQueue.push_back(i);
    }
  }
  model = modelManager->CloneModel(*source.model, nullptr, 0);
  if (!copySprites) {
    model->indexBuffer->SetIndexCount(0);
    model->UpdatePrimitiveCount();
  }
}

SpriteGroup::~SpriteGroup() {
  modelManager->DestroyModel(model);
}

void SpriteGroup::BuildModelTables() {
  IndexBuffer* indices = model->indexBuffer;
  if (indices->IsWide()) {
    auto* out = reinterpret_cast<std::uint32_t*>(indices->Lock(0, capacity * 6));
    for (std::uint32_t i = 0; i < capacity; ++i) {
      const std::uint32_t v = 4 * i;
      const std::uint32_t quad[6] = {v, v + 1, v + 2, v + 2, v + 1, v + 3};
      std::copy(quad, quad + 6, out + 6 * static_cast<std::size_t>(i));
    }
  } else {
    auto* out = reinterpret_cast<std::uint16_t*>(indices->Lock(0, capacity * 6));
    for (std::uint32_t i = 0; i < capacity; ++i) {
      const auto v = static_cast<std::uint16_t>(4 * i);
      const std::uint16_t quad[6] = {v,
                                     static_cast<std::uint16_t>(v + 1),
                                     static_cast<std::uint16_t>(v + 2),
                                     static_cast<std::uint16_t>(v + 2),
                                     static_cast<std::uint16_t>(v + 1),
                                     static_cast<std::uint16_t>(v + 3)};
      std::copy(quad, quad + 6, out + 6 * static_cast<std::size_t>(i));
    }
  }
  indices->Unlock();
  // Nothing is drawn until the first sprite is added and rebuilt.
  indices->SetIndexCount(0);
  model->UpdatePrimitiveCount();

  ColouredVertex* vertices = model->vertexBuffer->LockColouredVertices(0, capacity * 4);
  static constexpr float kUV[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
  for (std::uint32_t i = 0; i < capacity * 4; ++i) {
    vertices[i].u = kUV[i % 4][0];
    vertices[i].v = kUV[i % 4][1];
  }
  model->vertexBuffer->Unlock();
}

std::uint32_t SpriteGroup::AddSprite(const Vector3& position, float size, const Vector4& spriteColour) {
  if (freeQueue.empty()) {
    return kNoSprite;
  }
  const std::uint32_t index = freeQueue.front();
  freeQueue.pop_front();
  Sprite& sprite = sprites[index];
  sprite.free = 0;
  sprite.position = position;
  sprite.size = size;
  sprite.angle = 0.0f;
  sprite.colour = spriteColour;
  return index;
}

void SpriteGroup::RemoveSprite(std::uint32_t index) {
  // A second removal would put the index in the queue twice and hand one sprite to two owners.
  if (index >= capacity || sprites[index].free != 0) {
    return;
  }
  sprites[index].free = 1;
  freeQueue.push_back(index);
}

ShaderUser* SpriteGroup::GetShader() const {
  return model->shader;
}

void SpriteGroup::ApplyShaderDescriptor(const ShaderDescriptor& descriptor) {
  model->ApplyShaderDescriptor(descriptor);
}

bool SpriteGroup::IsVisible() const {
  return (model->flags & kModelVisible) != 0;
}

void SpriteGroup::SetVisible(bool visible) {
  if (visible) {
    model->SetFlags(kModelVisible);
  } else {
    model->ClearFlags(kModelVisible);
  }
}

void SpriteGroup::Update() {
  if (!IsVisible()) {
    return;
  }
  // The sprites face the camera the model is drawn with.
  const Camera* view = model->camera;
  const Vector3 eye = view != nullptr ? view->position : Vector3();
  const Vector3 right = view != nullptr ? view->right : Vector3(1, 0, 0);
  const Vector3 up = view != nullptr ? view->up : Vector3(0, 1, 0);
  const Vector3 direction = view != nullptr ? view->direction : Vector3(0, 0, 1);

  centre = Vector3();
  used.clear();
  for (std::uint32_t i = 0; i < capacity; ++i) {
    Sprite& sprite = sprites[i];
    if (sprite.free != 0) {
      continue;
    }
    if (sort) {
      sprite.depth = direction.Dot(eye - sprite.position);
    }
    used.push_back(i);
  }
  if (sort) {
    // Equal depths keep index order, so the result is the same every frame; std::sort allocates nothing.
    std::sort(used.begin(), used.end(), [this](std::uint32_t a, std::uint32_t b) {
      const float da = SafeDepth(sprites[a].depth);
      const float db = SafeDepth(sprites[b].depth);
      return da > db || (da == db && a < b);
    });
  }

  const auto n = static_cast<std::uint32_t>(used.size());
  VertexBuffer* buffer = model->vertexBuffer;
  ColouredVertex* vertices = n > 0 ? buffer->LockColouredVertices(0, n * 4) : nullptr;
  for (std::uint32_t k = 0; k < n; ++k) {
    const Sprite& sprite = sprites[used[k]];
    const Vector3& p = sprite.position;
    const float s = sprite.size;
    Vector3 corners[4] = {p + (-right - up) * s, p + (-right + up) * s, p + (right - up) * s,
                          p + (right + up) * s};
    if (std::fabs(sprite.angle) > kEpsilon) {
      for (Vector3& corner : corners) {
        corner = p + RotateAbout(corner - p, direction, sprite.angle);
      }
    }
    const Vector4 tint(sprite.colour.x * colour.x, sprite.colour.y * colour.y, sprite.colour.z * colour.z,
                       sprite.colour.w * colour.w);
    const std::uint32_t packed = buffer->FloatsToColour(tint);
    for (std::uint32_t j = 0; j < 4; ++j) {
      ColouredVertex& vertex = vertices[4 * k + j];
      vertex.x = corners[j].x;
      vertex.y = corners[j].y;
      vertex.z = corners[j].z;
      vertex.colour = packed;
    }
    centre += p;
  }
  if (n > 0) {
    buffer->Unlock();
    centre /= static_cast<float>(n);
  }
  model->indexBuffer->SetIndexCount(6 * n);
}

SpriteGroupManager::SpriteGroupManager(MessageManager* log, CameraManager* cameraManager,
                                       ShaderManager* shaderManager, ModelManager* modelManager)
    : log_(log), cameraManager_(cameraManager), shaderManager_(shaderManager), modelManager_(modelManager) {}

SpriteGroupManager::~SpriteGroupManager() = default;

SpriteGroup* SpriteGroupManager::NewSpriteGroup(std::uint32_t capacity, const ShaderDescriptor* descriptor,
                                                Camera* camera) {
  return new SpriteGroup(log_, cameraManager_, modelManager_, shaderManager_, capacity, descriptor, camera);
}

SpriteGroup* SpriteGroupManager::CreateSpriteGroup(std::uint32_t capacity, const ShaderDescriptor* descriptor,
                                                   Camera* camera) {
  SpriteGroup* group = NewSpriteGroup(capacity, descriptor, camera);
  groups_.AddObject(group);
  return group;
}

SpriteGroup* SpriteGroupManager::CloneSpriteGroup(const SpriteGroup& source, bool copySprites) {
  auto* group = new SpriteGroup(source, copySprites);
  groups_.AddObject(group);
  return group;
}

void SpriteGroupManager::DestroySpriteGroup(SpriteGroup* group) {
  if (groups_.RemoveObject(group)) {
    delete group;
  }
}

void SpriteGroupManager::Update() {
  for (SpriteGroup* group : groups_.objects) {
    if (group != nullptr) {
      group->Update();
    }
  }
}

}  // namespace CorvantisEngine
