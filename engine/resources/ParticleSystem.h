#pragma once
// ParticleSystem: emits particles over an emission period, moves each along its own randomised
// direction with speed, gravity and an optional floor bounce, and draws every live particle as one
// sprite of its SpriteGroup, whose size and colour follow six keyframes over the particle's life. Read
// from "QXPSF" files (ParticleFile.h) with a shader file of the same name and the extension "srf".
// The game starts a system by setting its public fields (emitting, looping, position, spawn path).
//
// ParticleSystemManager creates, updates and destroys the systems; the resource keeper loads
// prototypes (LoadParticleSystem) that game objects clone (CreateParticleSystem).
//
// Main thread, except construction of prototypes on the resource loader's thread. Ownership: a system
// owns its sprite group (registered with the sprite group manager); the manager owns its registered
// systems. Failure: the file constructor throws FileError; LoadParticleSystem logs it and answers with a
// default system. A missing shader file only leaves the default material.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/core/BoundingBox.h"
#include "engine/core/ObjectManager.h"
#include "engine/core/Vector.h"
#include "engine/resources/ParticleFile.h"

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class TimerManager;
class ShaderManager;
class ShaderDescriptor;
class ShaderUser;
class SpriteGroup;
class SpriteGroupManager;
class Camera;
class Model;

struct Particle {
  std::uint8_t free = 1;
  std::uint32_t sprite = 0;
  float life = 0.0f;
  float age = 0.0f;
  Vector3 direction;
  Vector3 directionKeys[ParticleParameters::kKeys];
  float speedKeys[ParticleParameters::kKeys] = {};
  float speedFactor = 1.0f;
  float fallSpeed = 0.0f;
};

// The services a particle system uses (none owned).
struct ParticleServices {
  MessageManager* log = nullptr;
  FileManager* fileManager = nullptr;
  TimerManager* timerManager = nullptr;
  ShaderManager* shaderManager = nullptr;
  SpriteGroupManager* spriteGroupManager = nullptr;
};

class ParticleSystem {
 public:
  static constexpr std::uint32_t kDefaultMaxParticles = 100;
  // The most particles a file may ask for; larger counts are cut to it (the sprite group holds four
  // vertices and six indices per particle).
  static constexpr std::uint32_t kMaxParticlesLimit = 16384;

  // The defaults: 100 particles, 10 per second for 1 s, white sprites of size 1.
  ParticleSystem(const ParticleServices& services, Camera* camera);
  // Reads a particle file (a name relative to the data folder). Throws FileError.
  ParticleSystem(const ParticleServices& services, const std::string& fileName, Camera* camera);
  // The source's parameters and look, idle: every particle free, not emitting, position 0, empty path.
  explicit ParticleSystem(const ParticleSystem& source);
  ParticleSystem& operator=(const ParticleSystem&) = delete;
  virtual ~ParticleSystem();

  void Update();
  void SetPosition(const Vector3& newPosition) { position = newPosition; }
  // The group colour, which multiplies every particle's colour.
  void SetColour(const Vector4& colour);
  void TransformPoint(const Vector4& colour) { SetColour(colour); }
  ShaderUser* GetShader() const;
  Model* GetModel() const;
  // Draws the particles with this camera (null: the default one); the sprites face it.
  void SetCamera(Camera* camera);
  // Keeps the particles at this draw depth rather than the one their camera gives them each frame, so
  // they sort among windows: a depth just below a window's draws them in front of it.
  void SetDepth(float depth);
  bool IsVisible() const;
  void SetVisible(bool visible);
  void ApplyShaderDescriptor(const ShaderDescriptor& descriptor);
  SpriteGroup* GetSpriteGroup() const { return spriteGroup; }

  MessageManager* log;
  FileManager* fileManager;
  TimerManager* timerManager;
  ShaderManager* shaderManager;
  SpriteGroupManager* spriteGroupManager;
  std::string name = "self_made";
  ParticleParameters parameters;
  SpriteGroup* spriteGroup = nullptr;  // registered with the sprite group manager; destroyed with the system
  bool frozen = false;
  float emitterTime = 0.0f;
  bool looping = false;
  bool emitting = false;
  float emissionAccumulator = 0.0f;
  std::deque<std::uint32_t> freeParticles;
  std::uint32_t maxParticles = kDefaultMaxParticles;
  std::vector<Particle> particles;
  std::uint32_t liveCount = 0;
  std::uint32_t peakCount = 0;
  std::int32_t lastKey = -1;
  Vector3 position;
  // 0 at the position; 1 at the position plus a random offset in the spawn box; 2 on the spawn path.
  std::uint32_t spawnMode = 0;
  BoundingBox spawnBox;
  std::vector<Vector3> spawnPath;
  bool interpolatePath = false;

 private:
  void StoreServices(const ParticleServices& services);
  void ResetParticles();
  Vector3 SpawnPoint() const;
  void Emit(std::uint32_t count, float lifeCentre, float lifeVariation);
};

class ParticleSystemManager {
 public:
  ParticleSystemManager(MessageManager* log, FileManager* fileManager, TimerManager* timerManager,
                        ShaderManager* shaderManager, SpriteGroupManager* spriteGroupManager);
  virtual ~ParticleSystemManager();

  ParticleSystemManager(const ParticleSystemManager&) = delete;
  ParticleSystemManager& operator=(const ParticleSystemManager&) = delete;

  // Unregistered, with the defaults: the caller deletes it.
  ParticleSystem* NewParticleSystem(Camera* camera);
  // Unregistered, read from a file; a file that cannot be read is logged and gives the defaults.
  ParticleSystem* LoadParticleSystem(const std::string& fileName, Camera* camera);
  // A registered copy of a prototype, updated every frame.
  ParticleSystem* CreateParticleSystem(const ParticleSystem& prototype);
  // Removes and deletes a registered system (also from the retire list); null or unregistered: nothing.
  void DestroyParticleSystem(ParticleSystem* system);
  // Hides a registered system once it has stopped emitting and its last particle is gone.
  void RetireParticleSystem(ParticleSystem* system);
  void Update();

  std::uint32_t GetSystemCount() const { return systems_.count; }
  std::size_t GetRetireCount() const { return retired_.size(); }

 private:
  ParticleServices services_;
  ObjectManager<ParticleSystem> systems_;  // registered systems, owned
  std::vector<ParticleSystem*> retired_;   // registered systems to hide when finished; not owning
};

}  // namespace CorvantisEngine
