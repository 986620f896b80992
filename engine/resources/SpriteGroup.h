#pragma once
// SpriteGroup: a fixed number of camera-facing square sprites drawn as one Model. Each sprite has a
// position, a half edge length, a rotation about the viewing direction and a colour; every frame Update
// rebuilds the four corners of each sprite in use so the squares face the model's camera, sorted far
// to near when sorting is on, and draws only the sprites in use.
//
// SpriteGroupManager creates the groups and rebuilds the registered ones once per frame, before the
// models are drawn. Particle systems draw through a sprite group; the resource keeper makes
// unregistered groups (NewSpriteGroup).
//
// Main thread, except construction of prototypes on the resource loader's thread. Ownership: the group's
// model is registered with the model manager and destroyed by the group's destructor; the manager owns
// its registered groups. Nothing throws beyond the Model constructors; AddSprite on a full group returns
// kNoSprite, RemoveSprite ignores indices out of range or already free.

#include <cstdint>
#include <deque>
#include <vector>

#include "engine/core/ObjectManager.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class CameraManager;
class ModelManager;
class ShaderManager;
class ShaderDescriptor;
class ShaderUser;
class Camera;
class Model;

struct Sprite {
  std::uint8_t free = 1;
  float depth = 0.0f;
  Vector3 position;
  float size = 0.0f;   // half the edge length
  float angle = 0.0f;  // radians about the viewing direction
  Vector4 colour;
};

class SpriteGroup {
 public:
  static constexpr std::uint32_t kNoSprite = 0xFFFFFFFFu;
  // Visible, list B, depth test on, depth writes off, coloured, triangle list, bounds from the vertices.
  static constexpr std::uint32_t kModelFlags = 0x2C84A9;

  SpriteGroup(MessageManager* log, CameraManager* cameraManager, ModelManager* modelManager,
              ShaderManager* shaderManager, std::uint32_t capacity, const ShaderDescriptor* descriptor,
              Camera* camera);
  // A copy with its own model (a clone of the source's); without copySprites every sprite is free.
  SpriteGroup(const SpriteGroup& source, bool copySprites);
  SpriteGroup& operator=(const SpriteGroup&) = delete;
  virtual ~SpriteGroup();

  // The index of a new sprite (angle 0), or kNoSprite when every sprite is in use.
  std::uint32_t AddSprite(const Vector3& position, float size, const Vector4& colour);
  void RemoveSprite(std::uint32_t index);
  // index below the capacity.
  Sprite* GetSprite(std::uint32_t index) { return &sprites[index]; }
  ShaderUser* GetShader() const;
  void ApplyShaderDescriptor(const ShaderDescriptor& descriptor);
  bool IsVisible() const;
  void SetVisible(bool visible);
  // The per-frame rebuild.
  void Update();

  Model* GetModel() const { return model; }
  std::uint32_t GetCapacity() const { return capacity; }
  std::uint32_t GetUsedCount() const { return static_cast<std::uint32_t>(used.size()); }

  MessageManager* log;
  CameraManager* cameraManager;
  ModelManager* modelManager;
  ShaderManager* shaderManager;
  std::deque<std::uint32_t> freeQueue;  // first in, first out
  std::uint32_t capacity;
  std::vector<Sprite> sprites;
  std::vector<std::uint32_t> used;  // sprites in use, in drawing order, after the last Update
  Camera* camera;                   // not owned
  Model* model = nullptr;           // registered with the model manager; destroyed with the group
  bool sort = true;
  Vector3 centre;  // mean position of the sprites in use after the last Update
  Vector4 colour;  // multiplies every sprite's colour

 private:
  void BuildModelTables();
};

class SpriteGroupManager {
 public:
  SpriteGroupManager(MessageManager* log, CameraManager* cameraManager, ShaderManager* shaderManager,
                     ModelManager* modelManager);
  virtual ~SpriteGroupManager();

  SpriteGroupManager(const SpriteGroupManager&) = delete;
  SpriteGroupManager& operator=(const SpriteGroupManager&) = delete;

  // Unregistered: the caller deletes it.
  SpriteGroup* NewSpriteGroup(std::uint32_t capacity, const ShaderDescriptor* descriptor, Camera* camera);
  // Registered: rebuilt every frame, owned by the manager.
  SpriteGroup* CreateSpriteGroup(std::uint32_t capacity, const ShaderDescriptor* descriptor, Camera* camera);
  SpriteGroup* CloneSpriteGroup(const SpriteGroup& source, bool copySprites);
  // Removes and deletes a registered group; null or unregistered: nothing.
  void DestroySpriteGroup(SpriteGroup* group);
  void Update();

  ModelManager* GetModelManager() const { return modelManager_; }
  std::uint32_t GetGroupCount() const { return groups_.count; }

 private:
  MessageManager* log_;
  CameraManager* cameraManager_;
  ShaderManager* shaderManager_;
  ModelManager* modelManager_;
  ObjectManager<SpriteGroup> groups_;  // registered groups, owned
};

}  // namespace CorvantisEngine
